#include "Files.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <regex>
#include <sstream>

#include "framework/Utf8.h"
#include "framework/logging/Logger.h"

namespace testing_support {

TempFolder::TempFolder(const std::wstring& label)
{
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH + 1];
    ::GetTempPathW(MAX_PATH + 1, temp);
    m_path = std::wstring(temp) + L"kt-" + label + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
             std::to_wstring(++counter);
    RemoveTree(m_path);
    ::CreateDirectoryW(m_path.c_str(), nullptr);
}

TempFolder::~TempFolder()
{
    RemoveTree(m_path);
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::wstring> ListFolder(const std::wstring& path)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name(data.cFileName);
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const std::wstring& path)
{
    if (FolderExists(path)) {
        for (const std::wstring& name : ListFolder(path))
            RemoveTree(path + L"\\" + name);
        ::RemoveDirectoryW(path.c_str());
    } else {
        ::DeleteFileW(path.c_str());
    }
}

std::vector<LogRecord> ReadLog(const std::wstring& path)
{
    // The prefix only: the standard library's matcher recurses once per
    // character, and a message of some thousand characters (a long address)
    // would overflow the stack.
    static const std::regex kRecordStart(
        R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} (\S+) *\[(\d+)\] \[([^@\]]*)@(\d+)\] )");
    std::string text = ReadFileBytes(path);
    if (text.rfind("\xEF\xBB\xBF", 0) == 0)
        text.erase(0, 3);

    std::vector<LogRecord> records;
    std::istringstream lines(text);
    std::string line;
    std::smatch match;
    while (std::getline(lines, line)) {
        if (std::regex_search(line, match, kRecordStart, std::regex_constants::match_continuous)) {
            records.push_back({match[1], std::stoul(match[2]), match[3], std::stoi(match[4]), match.suffix()});
        } else if (!records.empty()) {
            records.back().message += "\n" + line;
        }
    }
    return records;
}

const std::wstring& TestLogPath()
{
    static const std::wstring path = [] {
        wchar_t temp[MAX_PATH + 1];
        ::GetTempPathW(MAX_PATH + 1, temp);
        const std::wstring file =
            std::wstring(temp) + L"kt-log-" + std::to_wstring(::GetCurrentProcessId()) + L".log";
        ::DeleteFileW(file.c_str());
        logging::InitFileLogger(logging::debug, file);
        return file;
    }();
    return path;
}

std::wstring BuildPath(const std::wstring& name)
{
    wchar_t module[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring folder(module, length);
    folder.erase(folder.find_last_of(L"\\/"));
    return folder + L"\\" + name;
}

std::string Narrow(const std::wstring& text)
{
    return Win32xx::WideToUtf8(text);
}

std::wstring Widen(const std::string& text)
{
    return Win32xx::Utf8ToWide(text);
}

}  // namespace testing_support
