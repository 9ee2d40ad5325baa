// MappedFile: a file opened for reading and mapped into memory whole. While
// it is open nobody can write, rename or delete the file (it is shared for
// reading only), so bytes that were checked are the bytes that are then read.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

#include "framework/ScopedHandle.h"

class MappedFile {
public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // False when the file cannot be opened or mapped (an empty file cannot).
    bool Open(const wchar_t* path);

    const unsigned char* Bytes() const noexcept { return m_view.get(); }
    std::size_t Size() const noexcept { return m_size; }

private:
    struct Unmap {
        void operator()(const unsigned char* view) const noexcept { ::UnmapViewOfFile(view); }
    };

    Win32xx::CScopedHandle m_file;
    Win32xx::CScopedHandle m_mapping;
    std::unique_ptr<const unsigned char, Unmap> m_view;
    std::size_t m_size = 0;
};
