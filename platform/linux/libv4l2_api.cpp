#include <libv4l2.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/linux/v4l2_api.h"

namespace veltranix {

std::vector<std::string> LibV4l2Api::videoNodes() {
    std::vector<std::pair<unsigned, std::string>> numbered;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
        const std::string name = entry.path().filename().string();
        constexpr std::string_view kPrefix = "video";
        if (name.size() <= kPrefix.size() || name.compare(0, kPrefix.size(), kPrefix) != 0) {
            continue;
        }
        unsigned number = 0;
        const char* digits = name.data() + kPrefix.size();
        const auto [end, failure] = std::from_chars(digits, name.data() + name.size(), number);
        if (failure == std::errc() && end == name.data() + name.size()) {
            numbered.emplace_back(number, entry.path().string());
        }
    }
    std::sort(numbered.begin(), numbered.end());
    std::vector<std::string> nodes;
    for (auto& [number, path] : numbered) {
        nodes.push_back(std::move(path));
    }
    return nodes;
}

std::string LibV4l2Api::stablePath(const std::string& node) {
    std::vector<std::string> links;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/v4l/by-id", error)) {
        std::error_code same;
        if (std::filesystem::equivalent(entry.path(), node, same)) {
            links.push_back(entry.path().string());
        }
    }
    // Sorted, so that the same device is named the same way at every start.
    std::sort(links.begin(), links.end());
    return links.empty() ? node : links.front();
}

int LibV4l2Api::open(const std::string& path, int flags) {
    return v4l2_open(path.c_str(), flags);
}

int LibV4l2Api::close(int fd) {
    return v4l2_close(fd);
}

int LibV4l2Api::ioctl(int fd, unsigned long request, void* argument) {
    int result = 0;
    do {
        result = v4l2_ioctl(fd, request, argument);
    } while (result == -1 && errno == EINTR);
    return result;
}

void* LibV4l2Api::mmap(std::size_t length, int protection, int flags, int fd, std::int64_t offset) {
    return v4l2_mmap(nullptr, length, protection, flags, fd, offset);
}

int LibV4l2Api::munmap(void* address, std::size_t length) {
    return v4l2_munmap(address, length);
}

int LibV4l2Api::poll(int fd, short events, int timeoutMs, short& returnedEvents) {
    pollfd descriptor{fd, events, 0};
    const int ready = ::poll(&descriptor, 1, timeoutMs);
    returnedEvents = descriptor.revents;
    return ready;
}

}  // namespace veltranix
