#pragma once
#include <cstdint>

namespace app {

// The operating system's restart and shutdown request (ExitWindowsEx).
class IPower {
public:
    virtual ~IPower() = default;
    virtual bool RequestExit(std::uint32_t flags, std::uint32_t reason) = 0;
};

constexpr std::uint32_t kEwxShutdown = 1;
constexpr std::uint32_t kEwxReboot = 2;

}  // namespace app
