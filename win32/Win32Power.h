#pragma once
#include "app/IPower.h"

namespace win32 {

class Win32Power : public app::IPower {
public:
    bool RequestExit(std::uint32_t flags, std::uint32_t reason) override;
};

}  // namespace win32
