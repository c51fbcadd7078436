#include "platform/linux/system_information.h"

#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

#include <cstring>
#include <fstream>
#include <sstream>

namespace veltranix {
namespace {

std::string Trimmed(std::string text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string BrandFromCpuid() {
#if defined(__x86_64__) || defined(__i386__)
    unsigned int registers[4] = {};
    if (__get_cpuid(0x80000000u, &registers[0], &registers[1], &registers[2], &registers[3]) == 0 ||
        registers[0] < 0x80000004u) {
        return {};
    }
    char brand[49] = {};
    for (unsigned int leaf = 0; leaf < 3; ++leaf) {
        __get_cpuid(0x80000002u + leaf, &registers[0], &registers[1], &registers[2], &registers[3]);
        std::memcpy(brand + leaf * 16, registers, 16);
    }
    return Trimmed(brand);
#else
    return {};
#endif
}

std::string BrandFromProcCpuinfo() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) == 0 || line.rfind("Model", 0) == 0) {
            const auto colon = line.find(':');
            if (colon != std::string::npos) {
                return Trimmed(line.substr(colon + 1)).substr(0, 48);
            }
        }
    }
    return {};
}

std::string Unquoted(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

std::string OperatingSystemNameFromOsRelease(const std::string& osReleaseText) {
    std::istringstream lines(osReleaseText);
    std::string line;
    std::string name;
    std::string prettyName;
    while (std::getline(lines, line)) {
        if (line.rfind("PRETTY_NAME=", 0) == 0) {
            prettyName = Unquoted(Trimmed(line.substr(12)));
        } else if (line.rfind("NAME=", 0) == 0) {
            name = Unquoted(Trimmed(line.substr(5)));
        }
    }
    return !prettyName.empty() ? prettyName : name;
}

SystemInformation LinuxSystemInformation::systemInformation() const {
    SystemInformation information;
    information.processorBrand = BrandFromCpuid();
    if (information.processorBrand.empty()) {
        information.processorBrand = BrandFromProcCpuinfo();
    }
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    information.processorCount = processors > 0 ? static_cast<std::uint32_t>(processors) : 1;
    struct sysinfo memory {};
    if (sysinfo(&memory) == 0) {
        const unsigned long long bytes =
            static_cast<unsigned long long>(memory.totalram) * memory.mem_unit;
        information.memoryMegabytes = static_cast<std::uint32_t>(bytes >> 20);
    }
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        std::ifstream file(path);
        if (file) {
            std::stringstream text;
            text << file.rdbuf();
            information.operatingSystemName = OperatingSystemNameFromOsRelease(text.str());
            if (!information.operatingSystemName.empty()) {
                break;
            }
        }
    }
    if (information.operatingSystemName.empty()) {
        struct utsname system {};
        if (uname(&system) == 0) {
            information.operatingSystemName = std::string(system.sysname) + " " + system.release;
        }
    }
    return information;
}

}  // namespace veltranix
