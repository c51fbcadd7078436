#include "core/settings_store.h"

#include <gtest/gtest.h>

#include "settings/store_tree.h"

namespace veltranix {
namespace {

constexpr const char* kKey = "Software\\Veltranix\\Test";

class TypedAccess : public ::testing::Test {
  protected:
    void SetUp() override { tree.createKey(kKey); }
    StoreTree tree;
};

TEST_F(TypedAccess, IntegersRoundTripAndTextIsNotAnInteger) {
    WriteInteger(tree, kKey, "value", -42);
    EXPECT_EQ(ReadInteger(tree, kKey, "value"), -42);
    WriteBareText(tree, kKey, "text", "42");
    EXPECT_EQ(ReadInteger(tree, kKey, "text"), std::nullopt);
    EXPECT_EQ(ReadInteger(tree, kKey, "missing"), std::nullopt);
    EXPECT_EQ(ReadInteger(tree, "Software\\Nowhere", "value"), std::nullopt);
}

TEST_F(TypedAccess, TextsReadBackUpToTheFirstNulAndWithinTheBuffer) {
    WritePaddedText(tree, kKey, "padded", "Default.cfg", 256);
    EXPECT_EQ(tree.readValue(kKey, "padded")->bytes.size(), 256u);
    EXPECT_EQ(ReadText(tree, kKey, "padded", 256), "Default.cfg");

    WriteBareText(tree, kKey, "bare", "Spanish");
    EXPECT_EQ(tree.readValue(kKey, "bare")->bytes, "Spanish");  // no NUL stored
    EXPECT_EQ(ReadText(tree, kKey, "bare", 200), "Spanish");
    EXPECT_EQ(ReadText(tree, kKey, "bare", 4), "Spa");  // a 4-byte buffer holds 3 and a NUL

    tree.writeValue(kKey, "inner", {StoreValueType::Text, std::string("ab\0cd", 5)});
    EXPECT_EQ(ReadText(tree, kKey, "inner", 51), "ab");

    // A padded text that does not fit with its NUL is refused.
    EXPECT_EQ(WritePaddedText(tree, kKey, "long", std::string(256, 'x'), 256),
              StoreStatus::WriteFailed);
    EXPECT_EQ(WritePaddedText(tree, kKey, "fits", std::string(255, 'x'), 256), StoreStatus::Ok);
    EXPECT_FALSE(tree.readValue(kKey, "long"));
}

}  // namespace
}  // namespace veltranix
