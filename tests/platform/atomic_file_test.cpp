#include "platform/linux/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "tests/support/temporary_folder.h"

namespace veltranix {
namespace {

using testing::ReadFile;
using testing::TemporaryFolder;
using testing::WriteFile;

// Writes half of what it is given, then fails as a full disk does.
ssize_t WriteHalfThenFail(int fd, const void* buffer, size_t count) {
    static bool wroteHalf = false;
    if (!wroteHalf) {
        wroteHalf = true;
        return ::write(fd, buffer, count / 2);
    }
    wroteHalf = false;
    errno = ENOSPC;
    return -1;
}

int FailingFsync(int) {
    errno = EIO;
    return -1;
}

TEST(AtomicWrite, ReplacesTheContentAndCreatesTheFolder) {
    TemporaryFolder temporary;
    const auto path = temporary.path() / "sub" / "settings.store";
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, "first", &error)) << error;
    ASSERT_TRUE(WriteFileAtomically(path, "second", &error)) << error;
    EXPECT_EQ(ReadFile(path), "second");
    EXPECT_EQ(testing::FolderContents(path.parent_path()).size(), 1u)
        << "no temporary file is left behind";
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

// A full disk midway or a failed flush: the old file stays, no temporary one.
TEST(AtomicWrite, FailureMidwayOrAtTheFlushLeavesTheOldFileIntact) {
    for (const FileWriteCalls calls :
         {FileWriteCalls{&WriteHalfThenFail, &::fsync}, FileWriteCalls{&::write, &FailingFsync}}) {
        TemporaryFolder temporary;
        const auto path = temporary.path() / "settings.store";
        WriteFile(path, "old content");
        std::string error;
        EXPECT_FALSE(WriteFileAtomically(path, std::string(10000, 'n'), &error, 0600, calls));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(ReadFile(path), "old content");
        EXPECT_EQ(testing::FolderContents(temporary.path()).size(), 1u);
    }
}

TEST(AtomicWrite, FolderThatCannotBeMadeIsReported) {
    TemporaryFolder temporary;
    WriteFile(temporary.path() / "file", "x");
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(temporary.path() / "file" / "settings.store", "x", &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace veltranix
