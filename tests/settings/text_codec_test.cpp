#include "core/text_codec.h"

#include <gtest/gtest.h>

namespace veltranix {
namespace {

TEST(Windows1252, LettersAndTheHighPunctuationBecomeUtf8) {
    EXPECT_EQ(Windows1252ToUtf8("Espa\xF1ol"), "Espa\xC3\xB1ol");
    EXPECT_EQ(Windows1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
    EXPECT_EQ(Windows1252ToUtf8("\x9F"), "\xC5\xB8");      // Y with diaeresis
    EXPECT_EQ(Windows1252ToUtf8("\xBF"
                                "Salir"),
              "\xC2\xBFSalir");                            // inverted question mark
    EXPECT_EQ(Windows1252ToUtf8("\x81"), "\xEF\xBF\xBD");  // undefined byte
    EXPECT_EQ(Windows1252ToUtf8("plain"), "plain");
}

TEST(Utf8, ValidityRejectsMalformedSequences) {
    EXPECT_TRUE(IsValidUtf8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsValidUtf8("caf\xE9"));           // a Windows-1252 byte
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong slash
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // cut short
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
}

TEST(Utf8, LengthAndPrefixCountCodePoints) {
    const std::string text =
        "a\xC3\xB1"
        "b\xE2\x82\xAC";
    EXPECT_EQ(Utf8Length(text), 4u);
    EXPECT_EQ(Utf8Prefix(text, 2), "a\xC3\xB1");
    EXPECT_EQ(Utf8Prefix(text, 4), text);
    EXPECT_EQ(Utf8Prefix(text, 0), "");
    EXPECT_EQ(AsciiLower("Perfil\xC3\x91"), "perfil\xC3\x91");
}

}  // namespace
}  // namespace veltranix
