#include "Files.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "framework/logging/Logger.h"

namespace testing_support {

namespace {

std::wstring TempRoot()
{
    wchar_t temp[MAX_PATH + 1];
    return std::wstring(temp, ::GetTempPathW(MAX_PATH + 1, temp));
}

// A process's id and start time: Wine reuses process ids, and a folder of an earlier process of the same id
// must never be met.
std::wstring TagOf(HANDLE process)
{
    FILETIME created{}, unused;
    ::GetProcessTimes(process, &created, &unused, &unused, &unused);
    wchar_t text[40];
    std::swprintf(text, 40, L"%lu-%08lx", ::GetProcessId(process), created.dwLowDateTime);
    return text;
}

const std::wstring& ProcessTag()
{
    static const std::wstring tag = TagOf(::GetCurrentProcess());
    return tag;
}

bool TaggedProcessRuns(const std::wstring& tag)
{
    const DWORD id = std::wcstoul(tag.c_str(), nullptr, 10);
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    DWORD exitCode = 0;
    const bool runs =
        process && ::GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE && TagOf(process) == tag;
    if (process)
        ::CloseHandle(process);
    return runs;
}

// Removes a tree given as an extended-length path ("\\?\C:\..."), where nesting has no length limit and names
// are taken as they are: the corpus makes trees deeper than MAX_PATH and names that ordinary paths change.
void RemoveExtendedTree(const std::wstring& path)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileExW((path + L"\\*").c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName, child = path + L"\\" + name;
            if (name == L"." || name == L"..")
                continue;
            ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            const DWORD folder = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
            if ((found.dwFileAttributes & folder) == FILE_ATTRIBUTE_DIRECTORY)
                RemoveExtendedTree(child);
            else if (!::DeleteFileW(child.c_str()))
                ::RemoveDirectoryW(child.c_str());  // a link to a folder
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(path.c_str());
}

}  // namespace

TempFolder::TempFolder(const std::wstring& label)
{
    static std::atomic<int> counter{0};
    m_path = TempRoot() + L"kt-" + label + L"-" + ProcessTag() + L"-" + std::to_wstring(++counter);
    ::CreateDirectoryW(m_path.c_str(), nullptr);
}

TempFolder::~TempFolder()
{
    RemoveTree(m_path);
}

bool FileExists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES && !FolderExists(path);
}

bool FolderExists(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::wstring> ListFolder(const std::wstring& path)
{
    std::vector<std::wstring> names;
    std::error_code missing;
    for (const auto& entry : std::filesystem::directory_iterator(path, missing))
        names.push_back(entry.path().filename().wstring());
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const std::wstring& path)
{
    std::wstring extended = path;
    std::replace(extended.begin(), extended.end(), L'/', L'\\');
    if (extended.rfind(L"\\\\?\\", 0) != 0)
        extended = L"\\\\?\\" + extended;
    if (!::DeleteFileW(extended.c_str()))
        RemoveExtendedTree(extended);
}

std::vector<LogRecord> ReadLog(const std::wstring& path)
{
    // The prefix only: the standard matcher recurses per character, and a long message overflowed the stack.
    static const std::regex kRecordStart(
        R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} (\S+) *\[(\d+)\] \[([^@\]]*)@(\d+)\] )");
    const std::string text = ReadFileBytes(path);
    std::istringstream lines(text.substr(text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0));
    std::vector<LogRecord> records;
    std::string line;
    std::smatch match;
    while (std::getline(lines, line)) {
        if (std::regex_search(line, match, kRecordStart, std::regex_constants::match_continuous))
            records.push_back({match[1], std::stoul(match[2]), match[3], std::stoi(match[4]), match.suffix()});
        else if (!records.empty())
            records.back().message += "\n" + line;
    }
    return records;
}

void RemoveEndedProgramsFolders()
{
    // What a removal could not take (the GUID folders that the tasks held until their program ended) stays in the
    // folders of a test program: kt-LABEL-PID-START-N.
    static const std::wregex kTestFolder(LR"(kt-.+-(\d+-[0-9a-f]{8})-\d+)");
    std::wsmatch match;
    for (const std::wstring& name : ListFolder(TempRoot()))
        if (std::regex_match(name, match, kTestFolder) && !TaggedProcessRuns(match[1]))
            RemoveTree(TempRoot() + name);
}

const std::wstring& TestLogPath()
{
    static const std::wstring path = [] {
        // The logger keeps its file open until the process ends, so each program removes the logs of earlier ones:
        // a log still open belongs to a program that runs, and cannot be removed.
        for (const std::wstring& name : ListFolder(TempRoot()))
            if (name.rfind(L"kt-log-", 0) == 0)
                ::DeleteFileW((TempRoot() + name).c_str());
        const std::wstring file = TempRoot() + L"kt-log-" + ProcessTag() + L".log";
        logging::InitFileLogger(logging::debug, file);
        return file;
    }();
    return path;
}

std::wstring BuildPath(const std::wstring& name)
{
    wchar_t module[MAX_PATH];
    const std::wstring path(module, ::GetModuleFileNameW(nullptr, module, MAX_PATH));
    return path.substr(0, path.find_last_of(L"\\/")) + L"\\" + name;
}

}  // namespace testing_support
