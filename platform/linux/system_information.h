#pragma once

#include <string>

#include "core/system_information_port.h"

namespace veltranix {

// The machine as Linux reports it: the CPUID brand string (else the
// "model name" of /proc/cpuinfo), the processors online, the physical
// memory, and the distribution's name from os-release (else the kernel's).
class LinuxSystemInformation : public SystemInformationPort {
  public:
    SystemInformation systemInformation() const override;
};

// The PRETTY_NAME (else NAME) of an os-release file's text; empty when none.
std::string OperatingSystemNameFromOsRelease(const std::string& osReleaseText);

}  // namespace veltranix
