#include "FileAppender.h"

#include "../Utf8.h"
#include "TextFormatter.h"

namespace logging {

FileAppender::~FileAppender()
{
    if (m_file != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_file);
}

void FileAppender::Write(const Record& record)
{
    const std::string line = Win32xx::WideToUtf8(FormatRecord(record));
    Win32xx::CThreadLock lock(m_lock);
    if (!EnsureOpen())
        return;
    DWORD written = 0;
    ::WriteFile(m_file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

bool FileAppender::EnsureOpen()
{
    if (m_file != INVALID_HANDLE_VALUE)
        return true;
    if (m_openFailed)
        return false;

    m_file = ::CreateFileW(m_filePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_file == INVALID_HANDLE_VALUE) {
        m_openFailed = true;
        return false;
    }

    LARGE_INTEGER size{};
    ::GetFileSizeEx(m_file, &size);
    ::SetFilePointer(m_file, 0, nullptr, FILE_END);
    if (size.QuadPart == 0) {
        static const char kByteOrderMark[] = "\xEF\xBB\xBF";
        DWORD written = 0;
        ::WriteFile(m_file, kByteOrderMark, 3, &written, nullptr);
    }
    return true;
}

}  // namespace logging
