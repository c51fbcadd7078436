#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace veltranix {

// True when another process of the same user runs an executable with exactly
// this process's file name (byte comparison) and started before this one (or
// at the same clock tick with a lower id), so that of two instances started
// together exactly one goes on. `procRoot` is /proc, replaceable in tests.
bool IsAnotherInstanceRunning(const std::filesystem::path& procRoot = "/proc");

// The executable file name of a process (no folder), "" when unknown.
std::string ExecutableFileNameOf(const std::filesystem::path& procRoot, pid_t pid);

}  // namespace veltranix
