#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/real_time.h"
#include "tests/support/temporary_folder.h"

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

// Which of a spawned process's streams go into a file.
enum class Streams {
    Errors,           // standard error
    OutputAndErrors,  // standard output, and standard error with it
};

// Descriptor actions for SpawnProgram that send `streams` into `file`.
class StreamsInto {
  public:
    StreamsInto(const std::filesystem::path& file, Streams streams) {
        posix_spawn_file_actions_init(&actions_);
        const int first = streams == Streams::Errors ? 2 : 1;
        posix_spawn_file_actions_addopen(&actions_, first, file.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (streams == Streams::OutputAndErrors) {
            posix_spawn_file_actions_adddup2(&actions_, 1, 2);
        }
    }
    ~StreamsInto() { posix_spawn_file_actions_destroy(&actions_); }
    StreamsInto(const StreamsInto&) = delete;
    StreamsInto& operator=(const StreamsInto&) = delete;
    const posix_spawn_file_actions_t* actions() const { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_;
};

// The program (or a helper) as the desktop tests run it: `streams` into
// `log` when a log is named, ended with `end` when the test lets go of it.
class RunningProgram {
  public:
    RunningProgram(const std::vector<std::string>& arguments,
                   const std::vector<std::string>& environment,
                   const std::filesystem::path& log = {}, Streams streams = Streams::Errors,
                   EndWith end = EndWith::Kill)
        : pid_(SpawnProgram(arguments, environment,
                            log.empty() ? nullptr : StreamsInto(log, streams).actions())),
          end_(end),
          log_(log) {}
    ~RunningProgram() {
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
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

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
    // Asks it to end, as the desktop does at log-out; its exit code once it
    // has ended, none when it still runs after `withinSeconds`.
    std::optional<int> Terminate(double withinSeconds) {
        kill(pid_, SIGTERM);
        WaitFor([this] { return Poll().has_value(); }, withinSeconds);
        return Poll();
    }
    // What it wrote into its log so far.
    std::string output() const { return ReadFile(log_); }
    bool Said(const std::string& words) const { return output().find(words) != std::string::npos; }

  private:
    pid_t pid_;
    EndWith end_;
    std::optional<int> exitCode_;
    std::filesystem::path log_;
};

}  // namespace veltranix::testing
