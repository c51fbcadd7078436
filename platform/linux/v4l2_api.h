#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace veltranix {

// Every call the V4L2 camera makes to the system, so that a test device can
// answer them the way drivers do. Failures return -1 (MAP_FAILED for mmap)
// with errno set, as the system calls do. Used by one capture thread at a
// time per camera.
class V4l2Api {
  public:
    virtual ~V4l2Api() = default;
    // The /dev/video* nodes in numeric order (video2 before video10).
    virtual std::vector<std::string> videoNodes() = 0;
    // The node's name that survives a replug and a reboot (its link in
    // /dev/v4l/by-id), or the node itself when it has none.
    virtual std::string stablePath(const std::string& node) = 0;
    virtual int open(const std::string& path, int flags) = 0;
    virtual int close(int fd) = 0;
    virtual int ioctl(int fd, unsigned long request, void* argument) = 0;
    virtual void* mmap(std::size_t length, int protection, int flags, int fd,
                       std::int64_t offset) = 0;
    virtual int munmap(void* address, std::size_t length) = 0;
    // poll(2) on one descriptor: the number of ready descriptors (0 after
    // `timeoutMs` with none), the returned events in `returnedEvents`.
    virtual int poll(int fd, short events, int timeoutMs, short& returnedEvents) = 0;
};

// The real calls, through libv4l2 (which also offers formats it converts
// from the camera's compressed ones).
class LibV4l2Api : public V4l2Api {
  public:
    std::vector<std::string> videoNodes() override;
    std::string stablePath(const std::string& node) override;
    int open(const std::string& path, int flags) override;
    int close(int fd) override;
    int ioctl(int fd, unsigned long request, void* argument) override;
    void* mmap(std::size_t length, int protection, int flags, int fd, std::int64_t offset) override;
    int munmap(void* address, std::size_t length) override;
    int poll(int fd, short events, int timeoutMs, short& returnedEvents) override;
};

}  // namespace veltranix
