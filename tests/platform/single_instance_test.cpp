#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "tests/support/spawn_program.h"

namespace veltranix {
namespace {

using testing::RunningProgram;

TEST(SingleInstance, ASecondProcessOfTheSameFileNameEndsAtOnceWithCodeZero) {
    testing::TemporaryFolder folder;
    const std::string probe = VELTRANIX_SINGLE_INSTANCE_PROBE;
    const auto start = [&](const std::string& program, const char* log) {
        return std::make_unique<RunningProgram>(std::vector<std::string>{program},
                                                std::vector<std::string>{}, folder.path() / log,
                                                testing::Streams::OutputAndErrors);
    };
    const auto runs = [](RunningProgram& program) {
        return testing::WaitFor([&] { return program.Said("running"); }, 10);
    };
    auto first = start(probe, "first.log");
    ASSERT_TRUE(runs(*first));

    auto second = start(probe, "second.log");
    ASSERT_TRUE(testing::WaitFor([&] { return second->Poll().has_value(); }, 10));
    EXPECT_EQ(*second->Poll(), 0);
    EXPECT_FALSE(second->Said("running")) << "the second instance never ran";

    // The same program under another file name is another program.
    const auto renamed = folder.path() / "another-probe";
    std::filesystem::copy_file(probe, renamed);
    std::filesystem::permissions(renamed, std::filesystem::perms::owner_all);
    EXPECT_TRUE(runs(*start(renamed.string(), "other.log")));

    first.reset();
    EXPECT_TRUE(runs(*start(probe, "next.log"))) << "with the first gone, the next one runs";
}

}  // namespace
}  // namespace veltranix
