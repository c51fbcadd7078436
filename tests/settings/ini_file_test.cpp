#include "settings/ini_file.h"

#include <gtest/gtest.h>

namespace veltranix {
namespace {

TEST(IniFile, SectionsInFileOrderAndLookupsIgnoringCase) {
    const IniFile file = IniFile::parse(
        "; comment\r\n[Spanish]\r\nok=Aceptar\r\n[English]\r\n  ok = OK  \r\n"
        "[Klingon]\r\nok=\"Quoted\"\r\n");
    EXPECT_EQ(file.sectionNames(), (std::vector<std::string>{"Spanish", "English", "Klingon"}));
    EXPECT_EQ(file.value("english", "OK"), "OK");
    EXPECT_EQ(file.value("Spanish", "ok"), "Aceptar");
    EXPECT_EQ(file.value("Klingon", "ok"), "Quoted");
    EXPECT_EQ(file.value("English", "missing"), "");
    EXPECT_EQ(file.value("Missing", "ok"), "");
}

TEST(IniFile, FirstOccurrenceWinsAndStrayLinesAreSkipped) {
    const IniFile file =
        IniFile::parse("orphan=1\n[A]\nkey=first\nno equals sign\nKEY=second\n[a]\nkey=third\n");
    EXPECT_EQ(file.value("A", "key"), "first");
    EXPECT_EQ(file.sectionNames().size(), 2u);
}

TEST(IniFile, Windows1252AndUtf8AreBothReadAsUtf8) {
    EXPECT_EQ(IniFile::parse("[S]\nk=Espa\xF1ol \x80\n").value("S", "k"),
              "Espa\xC3\xB1ol \xE2\x82\xAC");
    EXPECT_EQ(IniFile::parse("[S]\nk=Espa\xC3\xB1ol\n").value("S", "k"), "Espa\xC3\xB1ol");
    EXPECT_EQ(IniFile::parse("\xEF\xBB\xBF[S]\nk=v\n").sectionNames().front(), "S");
    // Marked as UTF-8, then edited in Windows-1252.
    EXPECT_EQ(IniFile::parse("\xEF\xBB\xBF[S]\nk=Espa\xF1ol\n").value("S", "k"), "Espa\xC3\xB1ol");
}

TEST(IniFile, ValuesKeepTheirBackslashSequences) {
    EXPECT_EQ(IniFile::parse("[S]\nabout=one\\ntwo\n").value("S", "about"), "one\\ntwo");
}

TEST(IniFile, MissingFileOrAFolderIsNotAnEmptyFileAndSaysWhy) {
    std::string error;
    EXPECT_FALSE(IniFile::load("/nonexistent/lexico.ini", &error));
    EXPECT_EQ(error, "cannot read /nonexistent/lexico.ini: No such file or directory");
    EXPECT_FALSE(IniFile::load("/", &error));
    EXPECT_EQ(error, "cannot read /: Is a directory");
}

}  // namespace
}  // namespace veltranix
