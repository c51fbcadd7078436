#include "settings/store_tree.h"

#include <gtest/gtest.h>

namespace veltranix {
namespace {

TEST(StoreTree, KeyAndValueNamesIgnoreCase) {
    StoreTree tree;
    ASSERT_EQ(tree.createKey("Software\\Veltranix\\perfil"), StoreStatus::Ok);
    EXPECT_TRUE(tree.keyExists("SOFTWARE\\veltranix\\Perfil"));
    EXPECT_TRUE(tree.keyExists("Software\\Veltranix"));  // parents are created too
    ASSERT_EQ(WriteBareText(tree, "Software\\Veltranix\\perfil", "perfil", "A.cfg"),
              StoreStatus::Ok);
    EXPECT_EQ(ReadText(tree, "Software\\Veltranix\\Perfil", "Perfil", 256), "A.cfg");
    // Writing under another spelling replaces the same value.
    WriteBareText(tree, "software\\veltranix\\PERFIL", "PERFIL", "B.cfg");
    EXPECT_EQ(ReadText(tree, "Software\\Veltranix\\Perfil", "perfil", 256), "B.cfg");
    EXPECT_EQ(tree.serialize().find("PERFIL"), std::string::npos)
        << "names keep the spelling they were created with";
}

TEST(StoreTree, WritesNeedAnExistingKey) {
    StoreTree tree;
    EXPECT_EQ(WriteInteger(tree, "Software\\X", "so", 1), StoreStatus::KeyMissing);
    EXPECT_EQ(tree.deleteValue("Software\\X", "so"), StoreStatus::KeyMissing);
    tree.createKey("Software\\X");
    EXPECT_EQ(tree.deleteValue("Software\\X", "so"), StoreStatus::ValueMissing);
}

TEST(StoreTree, DeletingAKeyTakesItsSubkeysButNotItsSiblings) {
    StoreTree tree;
    tree.createKey("Software\\Veltranix\\Menu_conf_Webcam");
    tree.createKey("Software\\Veltranix\\Menu_conf_Ratoli");
    tree.createKey("Software\\VeltranixOther");
    ASSERT_EQ(tree.deleteKey("software\\veltranix"), StoreStatus::Ok);
    EXPECT_FALSE(tree.keyExists("Software\\Veltranix\\Menu_conf_Webcam"));
    EXPECT_FALSE(tree.keyExists("Software\\Veltranix"));
    EXPECT_TRUE(tree.keyExists("Software\\VeltranixOther"));
    EXPECT_EQ(tree.deleteKey("Software\\Veltranix"), StoreStatus::KeyMissing);
}

TEST(StoreTree, TextFormRoundTripsEveryKindOfValue) {
    StoreTree tree;
    tree.createKey("Software\\Odd]Key%\x01");
    const std::string key = "Software\\Odd]Key%\x01";
    WriteInteger(tree, key, "negative", -2147483647 - 1);
    WriteInteger(tree, key, "positive", 2147483647);
    WriteBareText(tree, key, "quoted \"name\"", "back\\slash \"quote\"\r\n\ttab \x7f \xC3\xA9");
    WritePaddedText(tree, key, "perfil", "Default.cfg", 256);
    WriteBareText(tree, key, "", "/opt/veltranix");
    tree.writeValue(key, "inner nul", {StoreValueType::Text, std::string("a\0b", 3)});

    std::string error;
    const auto parsed = StoreTree::parse(tree.serialize(), &error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_EQ(*parsed, tree);
    EXPECT_EQ(parsed->readValue(key, "perfil")->bytes.size(), 256u);
    EXPECT_NE(tree.serialize().find("\"perfil\"=text:\"Default.cfg\" +zeros:245"),
              std::string::npos);
}

TEST(StoreTree, MalformedTextIsRefusedWithItsLine) {
    const struct {
        const char* text;
        const char* line;
    } cases[] = {
        {"\"so\"=integer:1\n", "line 1"},                 // value before any key
        {"[A]\n\"so\"=integer:1x\n", "line 2"},           // trailing garbage
        {"[A]\n\"so\"=integer:99999999999\n", "line 2"},  // beyond 32 bits
        {"[A]\n\"so\"=text:\"open\n", "line 2"},          // unclosed quote
        {"[A]\n\"so\"=text:\"\\q\"\n", "line 2"},         // unknown escape
        {"[A]\n\"so\"=text:\"a\" +zeros:x\n", "line 2"},
        {"[A]\nso=integer:1\n", "line 2"},                        // unquoted name
        {"[A]\n\"so\"=integer:1\n\"SO\"=integer:2\n", "line 3"},  // named twice
        {"[A\n", "line 1"},
        {"; c\n[%4]\n", "line 2"},            // bad escape in a key
        {"[A]\n\"\"=integer:1\n", "line 2"},  // empty quoted name
    };
    for (const auto& testCase : cases) {
        std::string error;
        EXPECT_FALSE(StoreTree::parse(testCase.text, &error)) << testCase.text;
        EXPECT_NE(error.find(testCase.line), std::string::npos) << testCase.text << error;
    }
}

TEST(StoreTree, CommentsBlankLinesAndCarriageReturnsAreAccepted) {
    std::string error;
    const auto parsed =
        StoreTree::parse("; store\r\n\r\n[Software\\A]\r\n\"so\"=integer:1\r\n", &error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_EQ(ReadInteger(*parsed, "software\\a", "SO"), 1);
}

}  // namespace
}  // namespace veltranix
