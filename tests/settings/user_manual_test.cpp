#include "settings/user_manual.h"

#include <gtest/gtest.h>

namespace veltranix {
namespace {

struct ManualCase {
    const char* section;
    const char* fileName;  // UTF-8
};

class UserManual : public ::testing::TestWithParam<ManualCase> {};

TEST_P(UserManual, LiesInTheManualsFolderOfTheProgram) {
    const ProgramFolder folder{"/opt/veltranix"};
    EXPECT_EQ(UserManualPath(folder, GetParam().section),
              std::filesystem::path("/opt/veltranix/manuals") / GetParam().fileName);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, UserManual,
    ::testing::Values(ManualCase{"Spanish", "Espa\xC3\xB1ol.pdf"},
                      ManualCase{"English", "English.pdf"},
                      ManualCase{"Portuguese", "Portuguese.pdf"},
                      ManualCase{"Italian", "Italian.pdf"},
                      // Sections without a manual of their own read the English one.
                      ManualCase{"German", "English.pdf"}, ManualCase{"", "English.pdf"},
                      ManualCase{"spanish", "English.pdf"}, ManualCase{"Spanish ", "English.pdf"}));

}  // namespace
}  // namespace veltranix
