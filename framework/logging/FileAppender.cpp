#include "FileAppender.h"

#include "../LinkCheck.h"
#include "../ScopedHandle.h"
#include "../Utf8.h"
#include "TextFormatter.h"

namespace logging {

namespace {

bool IsLinked(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION information;
    return !::GetFileInformationByHandle(file, &information) ||
           Win32xx::IsLinkedFile(information.dwFileAttributes, information.nNumberOfLinks);
}

// Removes the name `path` when it is a link: the link itself (opened, not
// followed), never the file or folder it leads to, whose bytes stay as they
// are. Anything else at the name is left alone.
void RemoveIfLinked(const std::wstring& path)
{
    const HANDLE opened = ::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return;
    const Win32xx::CScopedHandle link(opened);
    FILE_DISPOSITION_INFO removal{TRUE};
    if (IsLinked(link.Get()))
        ::SetFileInformationByHandle(link.Get(), FileDispositionInfo, &removal, sizeof removal);
}

}  // namespace

void FileAppender::Write(const Record& record)
{
    const std::string line = Win32xx::WideToUtf8(FormatRecord(record));
    Win32xx::CThreadLock lock(m_lock);
    if (!EnsureOpen())
        return;
    DWORD written = 0;
    ::WriteFile(m_file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

bool FileAppender::EnsureOpen()
{
    if (m_file)
        return true;
    if (m_openFailed)
        return false;

    // The log lies in the user's temporary folder and is written as
    // administrator: a link there, made by any process of the user, would
    // have the records appended to a file of its choice. It is replaced by a
    // new log; a link that is back by the time the log is opened (opened
    // itself, not followed) drops the records as a log that cannot be opened.
    RemoveIfLinked(m_filePath);
    const HANDLE opened =
        ::CreateFileW(m_filePath.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (opened != INVALID_HANDLE_VALUE)
        m_file.Reset(opened);
    if (!m_file || IsLinked(m_file.Get())) {
        m_file.Reset();
        m_openFailed = true;
        return false;
    }

    LARGE_INTEGER size{};
    ::GetFileSizeEx(m_file.Get(), &size);
    ::SetFilePointer(m_file.Get(), 0, nullptr, FILE_END);
    if (size.QuadPart == 0) {
        static const char kByteOrderMark[] = "\xEF\xBB\xBF";
        DWORD written = 0;
        ::WriteFile(m_file.Get(), kByteOrderMark, 3, &written, nullptr);
    }
    return true;
}

}  // namespace logging
