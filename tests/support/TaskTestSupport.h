// Task test helpers: a hidden window recording task messages, a fixture with its own TMP folder and log records.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Wnd.h"
#include "support/Files.h"
#include "tasks/AbstractTaskBase.h"

#include <gtest/gtest.h>

namespace testing_support {

struct TaskMessage {
    UINT id = 0;
    WPARAM threadId = 0;
    LPARAM value = 0;    // UWM_TASK_PROGRESS: the percent
    std::wstring error;  // UWM_TASK_ERROR: the text (the window deleted it)
};

class TaskWindow : public Win32xx::CWnd {
public:
    TaskWindow() { Create(); }
    std::function<void(const TaskMessage&)> onMessage;  // after each message is recorded

    const std::vector<TaskMessage>& Messages() const noexcept { return m_messages; }
    const std::vector<int>& Progress() const noexcept { return m_progress; }  // the percents, in order
    const std::vector<std::wstring>& Errors() const noexcept { return m_errors; }
    int Count(UINT id) const;

protected:
    void PreCreate(CREATESTRUCTW& cs) override { cs.style &= ~WS_VISIBLE; }
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::vector<TaskMessage> m_messages;
    std::vector<int> m_progress;
    std::vector<std::wstring> m_errors;
};

// A finished predecessor for chains: it holds the result that a test gives it, and is never started.
class ResultTask : public AbstractTaskBase {
public:
    template <class Result>
    explicit ResultTask(Result result) : AbstractTaskBase(nullptr)
    {
        SetResult(std::make_unique<Any::Derived<Result>>(std::move(result)));
    }
    Win32xx::CString GetDescription() const override { return L"[ResultTask] "; }

protected:
    BOOL OnStart() override { return TRUE; }
};

// A task whose work is a function given by the test.
class ScriptedTask : public AbstractTaskBase {
public:
    using Work = std::function<BOOL(ScriptedTask&)>;
    ScriptedTask(Win32xx::CWnd* window, Work work) : AbstractTaskBase(window), m_work(std::move(work)) {}
    ~ScriptedTask() override { Stop(); }

    Win32xx::CString GetDescription() const override { return L"[ScriptedTask] "; }
    using AbstractTaskBase::OnError;
    using AbstractTaskBase::SendProgress;

protected:
    BOOL OnStart() override { return m_work(*this); }

private:
    Work m_work;
};

// Handles this thread's messages until `done` holds (asked after every batch of messages and at least every
// `pollMs`; INFINITE: after messages only) or `timeoutMs` passed; whether `done` held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs = 5);
inline void PumpFor(DWORD milliseconds) { PumpUntil([] { return false; }, milliseconds); }
bool WaitForTask(const AbstractTaskBase& task, DWORD timeoutMs = 30000);
// Starts `task` reporting to `window` (when given) and waits for it; whether it started and ended in time.
bool RunToEnd(AbstractTaskBase& task, TaskWindow* window, DWORD timeoutMs = 30000);
// Checks that `task` failed as every task fails: `error` its one error, no finish, no result, thread exit code 2.
void ExpectFailure(const AbstractTaskBase& task, const TaskWindow& window, const std::wstring& error);
// The exit code of a thread that still has a handle somewhere.
DWORD ThreadExitCode(DWORD threadId);
// SHA-256 as lower-case hexadecimal text, by the content tool's portable code (checked against OpenSSL's), not by
// the program's.
std::string Sha256Hex(const std::string& bytes);
inline std::string FileDigest(const std::wstring& path) { return Sha256Hex(ReadFileBytes(path)); }
// Checks that a task's GUID folder is held (it cannot be renamed) and got a list without Everyone: Wine keeps none, but
// derives the Unix mode from the one given to the create call, and reads a list back from that mode.
void ExpectHeldPrivateFolder(const std::wstring& path);
// Whether anyone may open the file for writing now (sharing with every other use).
bool CanOpenForWriting(const std::wstring& path);

// Points TMP and TEMP, where the tasks make their folders, at `path`.
void SetTempVariables(const std::wstring& path);

class TaskTest : public ::testing::Test {
protected:
    TaskTest();
    ~TaskTest() override;

    // The test's temporary folder with the trailing backslash, as the tasks see it.
    std::wstring TempPath() const { return m_temp.Path() + L"\\"; }
    const TempFolder& Temp() const noexcept { return m_temp; }
    // Begins a table's case: TMP and TEMP at the new folder `name` (returned), earlier cases' log records left out.
    std::wstring StartCase(const std::wstring& name);
    // The folders named by a GUID in `path`, full paths, sorted.
    static std::vector<std::wstring> GuidFolders(const std::wstring& path);
    // The messages that `function` logged since the test (or its case) began.
    std::vector<std::string> MessagesFrom(const std::string& function) const;

private:
    TempFolder m_temp{L"task"};
    std::wstring m_savedTmp;
    std::wstring m_savedTemp;
    size_t m_logStart = 0;
};

}  // namespace testing_support
