#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/real_time.h"
#include "tests/support/temporary_folder.h"

namespace veltranix {
namespace {

// A started probe: its process id, its standard input and output.
struct Probe {
    pid_t pid = -1;
    int input = -1;
    int output = -1;
};

Probe Start(const std::filesystem::path& program) {
    int toChild[2];
    int fromChild[2];
    EXPECT_EQ(pipe(toChild), 0);
    EXPECT_EQ(pipe(fromChild), 0);
    Probe probe;
    probe.pid = fork();
    if (probe.pid == 0) {
        dup2(toChild[0], STDIN_FILENO);
        dup2(fromChild[1], STDOUT_FILENO);
        close(toChild[1]);
        close(fromChild[0]);
        execl(program.c_str(), program.c_str(), nullptr);
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    probe.input = toChild[1];
    probe.output = fromChild[0];
    return probe;
}

std::string ReadAll(int descriptor) {
    std::string text;
    char buffer[64];
    ssize_t got = 0;
    while ((got = read(descriptor, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(got));
        if (text.find('\n') != std::string::npos) {
            break;
        }
    }
    return text;
}

// The exit code, or -1 when the process is still running after 10 s.
int WaitForExit(pid_t pid) {
    int status = 0;
    if (!testing::WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 10)) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

void Stop(Probe& probe) {
    close(probe.input);
    EXPECT_EQ(WaitForExit(probe.pid), 0);
    close(probe.output);
}

TEST(SingleInstance, ASecondProcessOfTheSameFileNameEndsAtOnceWithCodeZero) {
    const std::filesystem::path probe = VELTRANIX_SINGLE_INSTANCE_PROBE;
    Probe first = Start(probe);
    ASSERT_EQ(ReadAll(first.output), "running\n");

    Probe second = Start(probe);
    close(second.input);
    EXPECT_EQ(WaitForExit(second.pid), 0);
    EXPECT_EQ(ReadAll(second.output), "") << "the second instance never ran";
    close(second.output);

    // The same program under another file name is another program.
    testing::TemporaryFolder folder;
    const auto renamed = folder.path() / "another-probe";
    std::filesystem::copy_file(probe, renamed);
    std::filesystem::permissions(renamed, std::filesystem::perms::owner_all);
    Probe other = Start(renamed);
    EXPECT_EQ(ReadAll(other.output), "running\n");
    Stop(other);

    Stop(first);
    // With the first gone, the next one runs.
    Probe next = Start(probe);
    EXPECT_EQ(ReadAll(next.output), "running\n");
    Stop(next);
}

}  // namespace
}  // namespace veltranix
