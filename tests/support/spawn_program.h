#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/real_time.h"

extern char** environ;

namespace veltranix::testing {

// Starts the program `arguments[0]` with `arguments`, its environment this
// process's own after `environment` (the first of a name wins), and
// `actions` (may be null) applied to its descriptors. The child's id, or -1
// when it could not be started.
inline pid_t SpawnProgram(const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment,
                          const posix_spawn_file_actions_t* actions = nullptr) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<std::string> env = environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        env.emplace_back(*variable);
    }
    std::vector<char*> envp;
    for (std::string& variable : env) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], actions, nullptr, argv.data(), envp.data()) != 0) {
        return -1;
    }
    return pid;
}

// How a process still running is ended when the test lets go of it.
enum class EndWith {
    Kill,               // at once
    TerminateThenKill,  // SIGTERM, and SIGKILL after 5 s
};

// A process started by SpawnProgram, ended when this goes.
class SpawnedProcess {
  public:
    SpawnedProcess(const std::vector<std::string>& arguments,
                   const std::vector<std::string>& environment,
                   const posix_spawn_file_actions_t* actions, EndWith end)
        : pid_(SpawnProgram(arguments, environment, actions)), end_(end) {}
    ~SpawnedProcess() {
        if (pid_ <= 0 || Poll()) {
            return;
        }
        if (end_ == EndWith::TerminateThenKill) {
            kill(pid_, SIGTERM);
            if (WaitFor([this] { return Poll().has_value(); }, 5)) {
                return;
            }
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    SpawnedProcess(const SpawnedProcess&) = delete;
    SpawnedProcess& operator=(const SpawnedProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // The exit code once the process has ended (128 + the signal that ended
    // it); none while it runs.
    std::optional<int> Poll() {
        if (!exitCode_ && pid_ > 0) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
        }
        return exitCode_;
    }

  private:
    pid_t pid_;
    EndWith end_;
    std::optional<int> exitCode_;
};

}  // namespace veltranix::testing
