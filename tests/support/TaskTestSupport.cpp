#include "TaskTestSupport.h"

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <memory>
#include <regex>

#include "framework/LocalMemory.h"
#include "framework/ScopedHandle.h"
#include "Sha256.h"

namespace testing_support {

namespace {

// The program's folder names: a brace-enclosed GUID in upper-case hexadecimal.
const std::wregex kGuidName(L"\\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\}");

std::wstring Variable(const wchar_t* name)
{
    wchar_t buffer[32768];
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, 32768);
    return std::wstring(buffer, length);
}

}  // namespace

LRESULT TaskWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != UWM_TASK_PROGRESS && message != UWM_TASK_ERROR && message != UWM_TASK_FINISHED)
        return CWnd::WndProc(message, wParam, lParam);
    TaskMessage recorded{message, wParam, lParam, {}};
    if (message == UWM_TASK_PROGRESS)
        m_progress.push_back(static_cast<int>(lParam));
    if (message == UWM_TASK_ERROR) {  // the receiver owns the text
        const std::unique_ptr<std::wstring> text(reinterpret_cast<std::wstring*>(lParam));
        m_errors.push_back(recorded.error = *text);
    }
    m_messages.push_back(recorded);
    if (onMessage)
        onMessage(recorded);
    return 0;
}

int TaskWindow::Count(UINT id) const
{
    return static_cast<int>(std::count_if(m_messages.begin(), m_messages.end(),
                                          [id](const TaskMessage& message) { return message.id == id; }));
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (done())
            return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline)
            return false;
        // Sent messages from a worker are handled inside this wait too.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, pollMs)),
                                    QS_ALLINPUT);
    }
}

bool WaitForTask(const AbstractTaskBase& task, DWORD timeoutMs)
{
    return PumpUntil([&task] { return !task.IsRunning(); }, timeoutMs);
}

bool RunToEnd(AbstractTaskBase& task, TaskWindow* window, DWORD timeoutMs)
{
    if (window)
        task.SetNotifyWindow(window);
    return task.Start() && WaitForTask(task, timeoutMs);
}

void ExpectFailure(const AbstractTaskBase& task, const TaskWindow& window, const std::wstring& error)
{
    EXPECT_EQ(window.Errors(), std::vector<std::wstring>{error});
    EXPECT_EQ(window.Count(UWM_TASK_FINISHED), 0);
    EXPECT_EQ(task.GetResult(), nullptr);
    EXPECT_EQ(ThreadExitCode(task.GetThreadId()), 2u);
}

DWORD ThreadExitCode(DWORD threadId)
{
    const Win32xx::CScopedHandle thread(::OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId));
    DWORD code = 0xDEADBEEF;
    return thread.Get() && ::GetExitCodeThread(thread.Get(), &code) ? code : 0xDEADBEEF;
}

std::string Sha256Hex(const std::string& bytes)
{
    std::string text;
    for (const std::uint8_t byte : content::sha256(bytes))
        text += {"0123456789abcdef"[byte >> 4], "0123456789abcdef"[byte & 15]};
    return text;
}

TaskTest::TaskTest() : m_savedTmp(Variable(L"TMP")), m_savedTemp(Variable(L"TEMP"))
{
    m_logStart = ReadLog(TestLogPath()).size();
    SetTempVariables(TempPath());
}

TaskTest::~TaskTest()
{
    ::SetEnvironmentVariableW(L"TMP", m_savedTmp.c_str());
    ::SetEnvironmentVariableW(L"TEMP", m_savedTemp.c_str());
}

void SetTempVariables(const std::wstring& path)
{
    ::SetEnvironmentVariableW(L"TMP", path.c_str());
    ::SetEnvironmentVariableW(L"TEMP", path.c_str());
}

std::wstring TaskTest::StartCase(const std::wstring& name)
{
    const std::wstring path = m_temp / name;
    ::CreateDirectoryW(path.c_str(), nullptr);
    SetTempVariables(path + L"\\");
    m_logStart = ReadLog(TestLogPath()).size();
    return path;
}

bool CanOpenForWriting(const std::wstring& path)
{
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

void ExpectHeldPrivateFolder(const std::wstring& path)
{
    EXPECT_FALSE(::MoveFileW(path.c_str(), (path + L"-moved").c_str())) << "renamed: " << Narrow(path);
    PSECURITY_DESCRIPTOR read = nullptr;
    wchar_t* text = nullptr;
    ASSERT_EQ(::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                      nullptr, nullptr, &read), 0u);
    const Win32xx::CLocalMemory<void> descriptor(read);
    ASSERT_TRUE(::ConvertSecurityDescriptorToStringSecurityDescriptorW(read, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                                       &text, nullptr));
    const Win32xx::CLocalMemory<wchar_t> sddl(text);
    EXPECT_EQ(std::wstring(text).find(L";;;WD)"), std::wstring::npos) << Narrow(text);
}

std::vector<std::wstring> TaskTest::GuidFolders(const std::wstring& path)
{
    std::vector<std::wstring> folders;
    for (const std::wstring& name : ListFolder(path))
        if (std::regex_match(name, kGuidName) && FolderExists(path + L"\\" + name))
            folders.push_back(path + L"\\" + name);
    return folders;
}

std::vector<std::string> TaskTest::MessagesFrom(const std::string& function) const
{
    const std::vector<LogRecord> records = ReadLog(TestLogPath());
    std::vector<std::string> messages;
    for (size_t index = m_logStart; index < records.size(); ++index)
        if (records[index].function == function)
            messages.push_back(records[index].message);
    return messages;
}

}  // namespace testing_support
