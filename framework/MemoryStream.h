// A COM stream over a copy of bytes in memory, for the platform's readers
// that take a stream (the picture loader, the browser's document).
#pragma once

#include <objidl.h>

#include <cstddef>

#include "ComPtr.h"

namespace Win32xx {

// A stream over a movable memory block that holds a copy of `size` bytes at
// `data`; the stream frees the block when it is released. Null when the
// block cannot be made.
CComPtr<IStream> StreamOverCopy(const void* data, size_t size);

}  // namespace Win32xx
