#pragma once

#include <spawn.h>
#include <sys/types.h>

#include <string>
#include <vector>

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

}  // namespace veltranix::testing
