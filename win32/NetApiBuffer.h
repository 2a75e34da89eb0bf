#pragma once
// A buffer that a network management call allocated, released with
// NetApiBufferFree when it goes out of scope, whatever the call returned.
// clang-format off
#include <windows.h>
#include <lm.h>
// clang-format on

#include "win32/SystemLibrary.h"

namespace win32 {

class NetApiBuffer {
  public:
    NetApiBuffer() = default;
    ~NetApiBuffer() {
        // A buffer was filled, so netapi32 is loaded and has the function.
        if (buffer_) Netapi32().Function<decltype(::NetApiBufferFree)>("NetApiBufferFree")(buffer_);
    }
    NetApiBuffer(const NetApiBuffer&) = delete;
    NetApiBuffer& operator=(const NetApiBuffer&) = delete;

    // The out parameter of a call, typed as that call declares it
    // (LPBYTE* for the listings, LPWSTR* for NetGetJoinInformation).
    template <typename Pointer = LPBYTE>
    Pointer* Receive() {
        return reinterpret_cast<Pointer*>(&buffer_);
    }
    template <typename Record>
    const Record* As() const {
        return reinterpret_cast<const Record*>(buffer_);
    }

  private:
    void* buffer_ = nullptr;
};

}  // namespace win32
