#include "settings/user_manual.h"

#include <gtest/gtest.h>

namespace veltranix {
namespace {

TEST(UserManual, LiesInTheManualsFolderOfTheProgram) {
    const ProgramFolder folder{"/opt/veltranix"};
    // Sections without a manual of their own read the English one.
    const std::pair<const char*, const char*> cases[] = {
        {"Spanish", "Espa\xC3\xB1ol.pdf"}, {"English", "English.pdf"},
        {"Portuguese", "Portuguese.pdf"},  {"Italian", "Italian.pdf"},
        {"German", "English.pdf"},         {"", "English.pdf"},
        {"spanish", "English.pdf"},        {"Spanish ", "English.pdf"}};
    for (const auto& [section, fileName] : cases) {
        EXPECT_EQ(UserManualPath(folder, section),
                  std::filesystem::path("/opt/veltranix/manuals") / fileName)
            << "\"" << section << "\"";
    }
}

}  // namespace
}  // namespace veltranix
