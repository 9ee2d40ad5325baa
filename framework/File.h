// Win32xx::CFile: owns one open file handle. Every failure raises
// CFileException naming the file, so a caller never has to check a result.
#pragma once

#include <windows.h>

#include "CString.h"

namespace Win32xx {

class CFile {
public:
    // How Open treats the file.
    enum OpenMode : UINT {
        modeRead,             // an existing file, read only, shared for reading
        modeCreateReadWrite,  // created, or truncated when it exists; not shared;
                              // a link at the path is opened itself, never followed
    };

    CFile() = default;
    // Opens `path`; raises CFileException when the platform refuses.
    CFile(const CString& path, UINT openMode) { Open(path, openMode); }
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens `path` after closing any file this object held.
    void Open(const CString& path, UINT openMode);
    // Writes all `count` bytes.
    void Write(const void* bytes, DWORD count);
    // Reads at most `count` bytes; returns how many arrived (0 at the end).
    DWORD Read(void* bytes, DWORD count);
    void Flush();
    // Closes the file; does nothing when none is open.
    void Close();

    bool IsOpen() const noexcept { return m_handle != INVALID_HANDLE_VALUE; }
    const CString& GetFilePath() const noexcept { return m_path; }
    // The open file, for checks on it; INVALID_HANDLE_VALUE when none is open.
    HANDLE GetHandle() const noexcept { return m_handle; }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    CString m_path;
};

}  // namespace Win32xx
