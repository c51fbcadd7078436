#include "settings/store_save_watch.h"

#include <gtest/gtest.h>

#include "settings/store_tree.h"

namespace veltranix {
namespace {

// A store whose saving can be made to fail, as a read-only or full disk does.
class DiskStore : public StoreTree {
  public:
    bool diskWritable = true;
    StoreStatus writeValue(std::string_view keyPath, std::string_view valueName,
                           const StoreValue& value) override {
        const StoreStatus status = StoreTree::writeValue(keyPath, valueName, value);
        return status == StoreStatus::Ok && !diskWritable ? StoreStatus::WriteFailed : status;
    }
};

TEST(StoreSaveWatch, SavesThatFailAreToldOnceUntilASaveWorksAgain) {
    DiskStore disk;
    int told = 0;
    StoreSaveWatch watch(disk, [&] { ++told; });
    ASSERT_EQ(watch.createKey("K"), StoreStatus::Ok);
    const struct {
        bool diskWritable;
        StoreStatus status;
        int toldSoFar;
    } steps[] = {
        {true, StoreStatus::Ok, 0},
        {false, StoreStatus::WriteFailed, 1},
        {false, StoreStatus::WriteFailed, 1},  // not told again
        {true, StoreStatus::Ok, 1},
        {false, StoreStatus::WriteFailed, 2},  // a new failure after a save that worked
    };
    for (const auto& step : steps) {
        disk.diskWritable = step.diskWritable;
        EXPECT_EQ(WriteInteger(watch, "K", "v", 1), step.status);
        EXPECT_EQ(told, step.toldSoFar);
    }
    EXPECT_EQ(ReadInteger(watch, "K", "v"), 1) << "the value is held in memory";
}

}  // namespace
}  // namespace veltranix
