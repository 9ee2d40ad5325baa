// Appends formatted records, as UTF-8, to one file.
//
// The file is opened at the first record, not before: created if missing,
// write-only, shared for reading only (other writers are denied), positioned
// at its end. An empty file first gets the UTF-8 byte order mark. The file
// grows without limit, run after run. If it cannot be opened, this and every
// later record are dropped without another attempt. A log that is a link (a
// reparse point, or a file with another name too) is never written through:
// the link is removed and a new log made in its place.
#pragma once

#include <string>

#include "../CriticalSection.h"
#include "../ScopedHandle.h"
#include "Logger.h"

namespace logging {

class FileAppender : public Appender {
public:
    explicit FileAppender(std::wstring filePath) : m_filePath(std::move(filePath)) {}
    FileAppender(const FileAppender&) = delete;
    FileAppender& operator=(const FileAppender&) = delete;

    void Write(const Record& record) override;

private:
    bool EnsureOpen();

    Win32xx::CCriticalSection m_lock;
    std::wstring m_filePath;
    Win32xx::CScopedHandle m_file;
    bool m_openFailed = false;
};

}  // namespace logging
