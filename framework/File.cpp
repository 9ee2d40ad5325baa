#include "File.h"

#include "Exception.h"

namespace Win32xx {

CFile::~CFile()
{
    // A destructor must not throw: a failure to close is only visible to
    // callers that close explicitly.
    if (IsOpen())
        ::CloseHandle(m_handle);
}

void CFile::Open(const CString& path, UINT openMode)
{
    Close();
    const bool create = openMode == modeCreateReadWrite;
    const DWORD access = create ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    const DWORD disposition = create ? CREATE_ALWAYS : OPEN_EXISTING;
    const DWORD sharing = create ? 0 : FILE_SHARE_READ;
    // What the program creates it may write as administrator: a symbolic link
    // found at the name must not pass that on to its target.
    const DWORD flags = create ? FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT : FILE_ATTRIBUTE_NORMAL;
    const HANDLE handle = ::CreateFileW(path.c_str(), access, sharing, nullptr, disposition, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw CFileException(path, L"Failed to open file");
    m_handle = handle;
    m_path = path;
}

void CFile::Write(const void* bytes, DWORD count)
{
    DWORD written = 0;
    if (!IsOpen() || !::WriteFile(m_handle, bytes, count, &written, nullptr) || written != count)
        throw CFileException(m_path, L"Failed to write to file");
}

DWORD CFile::Read(void* bytes, DWORD count)
{
    DWORD read = 0;
    if (!IsOpen() || !::ReadFile(m_handle, bytes, count, &read, nullptr))
        throw CFileException(m_path, L"Failed to read from file");
    return read;
}

void CFile::Flush()
{
    if (!IsOpen() || !::FlushFileBuffers(m_handle))
        throw CFileException(m_path, L"Failed to flush file");
}

void CFile::Close()
{
    if (!IsOpen())
        return;
    const HANDLE handle = m_handle;
    m_handle = INVALID_HANDLE_VALUE;
    if (!::CloseHandle(handle))
        throw CFileException(m_path, L"Failed to close file");
}

}  // namespace Win32xx
