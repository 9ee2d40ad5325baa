#include "MemoryStream.h"

#include <cstring>

namespace Win32xx {

CComPtr<IStream> StreamOverCopy(const void* data, size_t size)
{
    CComPtr<IStream> stream;
    const HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return stream;
    // A block of no bytes cannot be locked; its stream is simply empty.
    if (size != 0) {
        void* bytes = ::GlobalLock(block);
        if (!bytes) {
            ::GlobalFree(block);
            return stream;
        }
        std::memcpy(bytes, data, size);
        ::GlobalUnlock(block);
    }
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, stream.Receive())))
        ::GlobalFree(block);
    return stream;
}

}  // namespace Win32xx
