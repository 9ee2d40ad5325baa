// Files for tests: a fresh folder per test, whole-file reads, the log parsed into records, the build's paths.
#pragma once

#include <string>
#include <vector>

#include "framework/Utf8.h"

namespace testing_support {

// A new empty folder under the tester's temporary folder, removed with its content when the object goes.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& label = L"test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const noexcept { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);  // empty when it cannot be read
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
void RemoveTree(const std::wstring& path);
// Removes the test folders of earlier test programs that have ended, so that a prefix does not fill up run by run.
void RemoveEndedProgramsFolders();
std::vector<std::wstring> ListFolder(const std::wstring& path);  // names, sorted

struct LogRecord {
    std::string severity;  // "INFO", "ERROR", "FATAL", ...
    unsigned long threadId = 0;
    std::string function;  // "WinMain", "Resloader::DialogProc", ...
    int line = 0;
    std::string message;   // UTF-8; continuation lines joined with '\n'
};

// The records of the log at `path`; a line that starts none continues the previous record's message.
std::vector<LogRecord> ReadLog(const std::wstring& path);
// The log of this test program's own code: the process-wide logger, made on first use with a fresh file.
const std::wstring& TestLogPath();
// The full path of a program or file at the build root, beside the tester.
std::wstring BuildPath(const std::wstring& name);

inline std::string Narrow(const std::wstring& text) { return Win32xx::WideToUtf8(text); }
inline std::wstring Widen(const std::string& text) { return Win32xx::Utf8ToWide(text); }

}  // namespace testing_support
