// Win32xx::CLocalMemory: owns a block that the platform allocated for the
// caller with LocalAlloc (a security descriptor or a SID from the SDDL
// conversions, a text) and frees it with LocalFree.
#pragma once

#include <windows.h>

#include <memory>

namespace Win32xx {

struct CLocalFree {
    void operator()(void* block) const noexcept { ::LocalFree(block); }
};

template <class T>
using CLocalMemory = std::unique_ptr<T, CLocalFree>;

}  // namespace Win32xx
