#pragma once

#include <cstdint>
#include <string>

namespace veltranix {

// What the statistics log's header says about the machine.
struct SystemInformation {
    std::string processorBrand;  // at most 48 characters
    std::uint32_t processorCount = 0;
    std::uint32_t memoryMegabytes = 0;
    std::string operatingSystemName;
};

// Any thread; cheap enough to call once per logged line.
class SystemInformationPort {
  public:
    virtual ~SystemInformationPort() = default;
    virtual SystemInformation systemInformation() const = 0;
};

}  // namespace veltranix
