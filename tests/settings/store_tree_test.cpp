#include "settings/store_tree.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace veltranix {
namespace {

std::string Levels(int count) {
    std::string path = "L0";
    for (int level = 1; level < count; ++level) {
        path += "\\L" + std::to_string(level);
    }
    return path;
}

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

TEST(StoreTree, WritesNeedAnExistingKeyAndStayWithinTheLimits) {
    StoreTree tree;
    EXPECT_EQ(WriteInteger(tree, "Software\\X", "so", 1), StoreStatus::KeyMissing);
    EXPECT_EQ(tree.deleteValue("Software\\X", "so"), StoreStatus::KeyMissing);
    tree.createKey("Software\\X");
    EXPECT_EQ(tree.deleteValue("Software\\X", "so"), StoreStatus::ValueMissing);
    // What the store would refuse to read back is refused when written.
    EXPECT_EQ(tree.createKey(Levels(33)), StoreStatus::Refused);
    EXPECT_EQ(tree.createKey(Levels(32)), StoreStatus::Ok);
    EXPECT_EQ(tree.createKey("A\\" + std::string(256, 'k')), StoreStatus::Refused);
    EXPECT_EQ(WriteBareText(tree, "Software\\X", "big", std::string(65537, 'v')),
              StoreStatus::Refused);
    for (int index = 0; index < 1024; ++index) {
        ASSERT_EQ(WriteInteger(tree, "Software\\X", "v" + std::to_string(index), 1),
                  StoreStatus::Ok);
    }
    EXPECT_EQ(WriteInteger(tree, "Software\\X", "one more", 1), StoreStatus::Refused);
    EXPECT_EQ(WriteInteger(tree, "Software\\X", "v7", 2), StoreStatus::Ok) << "a replacement fits";
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

    const StoreTree::Parsed parsed = StoreTree::parse(tree.serialize());
    ASSERT_TRUE(parsed.tree) << parsed.problem;
    EXPECT_EQ(parsed.linesLeftOut, 0);
    EXPECT_EQ(*parsed.tree, tree);
    EXPECT_EQ(parsed.tree->readValue(key, "perfil")->bytes.size(), 256u);
    EXPECT_NE(tree.serialize().find("\"perfil\"=text:\"Default.cfg\" +zeros:245"),
              std::string::npos);
}

// One line that cannot be read costs only its own value: the rest of a
// user's calibrated settings stay.
TEST(StoreTree, ALineThatCannotBeReadIsLeftOutAlone) {
    const struct {
        const char* line;
        int leftOut;
    } cases[] = {
        {"\"so\"=integer:1x", 1},              // trailing garbage
        {"\"so\"=integer:99999999999", 1},     // beyond 32 bits
        {"\"so\"=text:\"open", 1},             // unclosed quote
        {"\"so\"=text:\"\\q\"", 1},            // unknown escape
        {"\"so\"=text:\"a\" +zeros:x", 1},     //
        {"so=integer:1", 1},                   // unquoted name
        {"\"\"=integer:1", 1},                 // empty quoted name
        {"\"KEEP\"=integer:2", 1},             // named twice: the first stays
        {"[B\n\"lost\"=integer:1\n[A]", 2},    // an unreadable key and its value
        {"[%4]\n\"lost\"=integer:1\n[A]", 2},  // bad escape in a key
    };
    for (const auto& testCase : cases) {
        const std::string text = "; c\n[A]\n\"keep\"=integer:7\n" + std::string(testCase.line) +
                                 "\n\"last\"=integer:8\n";
        const StoreTree::Parsed parsed = StoreTree::parse(text);
        ASSERT_TRUE(parsed.tree) << testCase.line;
        EXPECT_EQ(parsed.linesLeftOut, testCase.leftOut) << testCase.line;
        EXPECT_NE(parsed.problem.find("line 4"), std::string::npos) << parsed.problem;
        EXPECT_EQ(ReadInteger(*parsed.tree, "A", "keep"), 7) << testCase.line;
        EXPECT_EQ(ReadInteger(*parsed.tree, "A", "last"), 8) << testCase.line;
        EXPECT_FALSE(parsed.tree->keyExists("B"));
    }
}

// Small hostile files once took gigabytes and seconds: beyond a limit, or
// with nothing readable, the text is not a store at all.
TEST(StoreTree, TextBeyondTheLimitsOrWithNothingReadableCannotBeFollowed) {
    std::string manyValues = "[A]\n";
    for (int index = 0; index <= 1024; ++index) {
        manyValues += "\"v" + std::to_string(index) + "\"=integer:1\n";
    }
    std::string heavy;
    for (int key = 0; key < 70; ++key) {
        heavy += "[K" + std::to_string(key) + "]\n\"v\"=text:\"\" +zeros:65536\n";
    }
    for (const std::string& text : std::vector<std::string>{
             "[" + Levels(20000) + "]\n", "[" + Levels(33) + "]\n",
             "[A\\" + std::string(256, 'k') + "]\n",
             std::string("[A]\n\"v\"=text:\"\" +zeros:65537\n"), manyValues, heavy,
             std::string(StoreTree::kMaxTextBytes + 1, ';'),
             std::string("\x7F\x45\x4C\x46\x02\x01\n\x00\x00\xFF garbage\n", 17),
             std::string("\xFF\xFE[\0A\0]\0", 8)}) {
        EXPECT_FALSE(StoreTree::parse(text).tree) << text.substr(0, 60);
    }
    EXPECT_TRUE(StoreTree::parse("[" + Levels(32) + "]\n").tree);
    EXPECT_TRUE(StoreTree::parse("; only a comment\n\n").tree);
}

TEST(StoreTree, KeysImpliedByTheirChildrenAreNotWritten) {
    StoreTree tree;
    tree.createKey(Levels(32));
    tree.createKey("L0\\Empty");
    WriteInteger(tree, "L0", "v", 1);
    // A key created below an implied parent in other letters reads back
    // spelled as that parent.
    tree.createKey("Implied\\Child");
    tree.createKey("IMPLIED\\child\\Grandchild");
    const std::string text = tree.serialize();
    EXPECT_EQ(std::count(text.begin(), text.end(), '['), 4) << text;
    const StoreTree::Parsed parsed = StoreTree::parse(text);
    ASSERT_TRUE(parsed.tree);
    EXPECT_EQ(*parsed.tree, tree);
}

// Texts read back as a C buffer of `size` bytes does: up to the first NUL,
// cut to leave room for one.
TEST(TypedAccess, TextsReadBackUpToTheFirstNulAndWithinTheBuffer) {
    StoreTree tree;
    tree.createKey("K");
    WriteBareText(tree, "K", "bare", "Spanish");
    EXPECT_EQ(ReadText(tree, "K", "bare", 4), "Spa");
    tree.writeValue("K", "inner", {StoreValueType::Text, std::string("ab\0cd", 5)});
    EXPECT_EQ(ReadText(tree, "K", "inner", 51), "ab");
}

}  // namespace
}  // namespace veltranix
