// The start-up sequence of the product with a test-chosen InitInstance body:
//
//   shell_probe wait               a message box "Probe waiting" (caption "Shell probe")
//   shell_probe die                Die()
//   shell_probe die-message TEXT   Die(TEXT)
//   shell_probe throw-file         a CFileException from InitInstance
//   shell_probe throw-textless     a CResourceException without text
//   shell_probe duplicate-app      a second application object (refused in WinMain)
//   shell_probe throw-bad-alloc    a std::bad_alloc from InitInstance
//   shell_probe app-bad-alloc      a std::bad_alloc while the application object is built
//   shell_probe worker-throws-cast a running dialog's handler of a worker's task message
//                                  raises std::bad_cast
//   shell_probe worker-throws-file ... raises a CFileException
//   shell_probe nested-init-throws ... runs a second modal dialog, whose WM_INITDIALOG
//                                  raises a CFileException
//   shell_probe page-throws        the handler of a child page of a modal dialog raises
//                                  a CFileException
//   shell_probe window-throws      while a modal dialog runs, a worker's message to a
//                                  window outside it raises a CFileException
//   shell_probe archive-vanishes   the resource bootstrap, whose downloaded archive is
//                                  deleted before the bootstrap looks for it
//
// The probe's dialogs and window run behind a frame that stands in for the
// kernel's user-mode callback of x64 Windows: an exception that reaches it
// ends the probe with 0xC000041D, as Windows ends the process.
//
// After a fatal stop it opens one more box, "After die", which the pending
// quit request must dismiss at once: the run goes on as the product's would.

#include <windows.h>
#include <shellapi.h>

#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <thread>
#include <typeinfo>
#include <vector>

#include "app/ApplicationFactory.h"
#include "app/Die.h"
#include "framework/Dialog.h"
#include "framework/Exception.h"
#include "res/resource.h"
#include "resources/Resloader.h"
#include "tasks/AbstractTaskBase.h"

namespace {

std::vector<std::wstring> Arguments()
{
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::wstring> result(arguments + 1, arguments + count);
    ::LocalFree(arguments);
    return result;
}

const wchar_t kOriginalProcedure[] = L"ShellProbe.Procedure";

LRESULT CALLBACK KernelCallbackFrame(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto procedure = reinterpret_cast<WNDPROC>(::GetPropW(hwnd, kOriginalProcedure));
    try {
        return procedure(hwnd, message, wParam, lParam);
    } catch (...) {
        ::ExitProcess(0xC000041D);
    }
}

// Puts the frame between the system and the window's procedure (GWLP_WNDPROC)
// or dialog procedure (DWLP_DLGPROC); both return a pointer-sized value.
void RunBehindKernelFrame(HWND window, int procedureSlot)
{
    const LONG_PTR original =
        ::SetWindowLongPtrW(window, procedureSlot, reinterpret_cast<LONG_PTR>(KernelCallbackFrame));
    ::SetPropW(window, kOriginalProcedure, reinterpret_cast<HANDLE>(original));
}

// Sends a window UWM_TASK_FINISHED from a thread of its own, as a task does.
class TaskWorker {
public:
    ~TaskWorker()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    void Start(HWND window)
    {
        m_thread = std::thread([window] { ::SendMessageW(window, UWM_TASK_FINISHED, ::GetCurrentThreadId(), 0); });
    }

private:
    std::thread m_thread;
};

[[noreturn]] void ThrowFileException()
{
    throw Win32xx::CFileException(L"C:\\x.txt", L"Failed to write to file");
}

// A dialog from one of the product's templates. When it has a handler for
// UWM_TASK_FINISHED, a worker sends it that message once it runs.
class ProbeDialog : public Win32xx::CDialog {
public:
    using CDialog::CDialog;
    std::function<void()> onInit;
    std::function<void()> onTaskFinished;

protected:
    BOOL OnInitDialog() override
    {
        RunBehindKernelFrame(GetHwnd(), DWLP_DLGPROC);
        if (onTaskFinished)
            m_worker.Start(GetHwnd());
        if (onInit)
            onInit();
        return TRUE;
    }
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == UWM_TASK_FINISHED && onTaskFinished) {
            onTaskFinished();
            return TRUE;
        }
        return DialogProcDefault(message, wParam, lParam);
    }

private:
    TaskWorker m_worker;
};

// A hidden top-level window, outside every dialog, whose handler of
// UWM_TASK_FINISHED raises a CFileException.
class ThrowingWindow : public Win32xx::CWnd {
protected:
    void PreCreate(CREATESTRUCTW& cs) override { cs.style &= ~WS_VISIBLE; }
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == UWM_TASK_FINISHED)
            ThrowFileException();
        return WndProcDefault(message, wParam, lParam);
    }
};

// The dialogs of the modes that raise an exception inside a running dialog.
void RunThrowingDialogs(const std::wstring& mode)
{
    ThrowingWindow window;
    TaskWorker windowWorker;
    ProbeDialog page(IDD_MESSAGE_PAGE);
    ProbeDialog inner(IDD_CANCEL_SETUP);
    ProbeDialog outer(IDD_RESOURCE_LOADER);
    if (mode == L"worker-throws-cast") {
        outer.onTaskFinished = [] { throw std::bad_cast(); };
    } else if (mode == L"worker-throws-file") {
        outer.onTaskFinished = ThrowFileException;
    } else if (mode == L"nested-init-throws") {
        inner.onInit = ThrowFileException;
        outer.onTaskFinished = [&] { inner.DoModal(outer.GetHwnd()); };
    } else if (mode == L"page-throws") {
        page.onTaskFinished = ThrowFileException;
        outer.onInit = [&] { page.Create(outer.GetHwnd()); };
    } else if (mode == L"window-throws") {
        RunBehindKernelFrame(window.Create(), GWLP_WNDPROC);
        outer.onInit = [&] { windowWorker.Start(window.GetHwnd()); };
    } else {
        return;
    }
    outer.DoModal(nullptr);
}

// Deletes every downloaded archive in the temporary folder as the
// download's end reaches the bootstrap's window.
LRESULT CALLBACK DeleteArchivesAtTaskEnd(int code, WPARAM removed, LPARAM message)
{
    if (code == HC_ACTION && removed == PM_REMOVE && reinterpret_cast<const MSG*>(message)->message == UWM_TASK_ENDED) {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(std::filesystem::temp_directory_path()))
            if (entry.path().extension() == ".zip")
                std::filesystem::remove(entry.path(), ignored);
    }
    return ::CallNextHookEx(nullptr, code, removed, message);
}

void RunBootstrapWithoutArchive()
{
    const HHOOK hook = ::SetWindowsHookExW(WH_GETMESSAGE, DeleteArchivesAtTaskEnd, nullptr, ::GetCurrentThreadId());
    Resloader loader;
    loader.DoModal(nullptr);
    ::UnhookWindowsHookEx(hook);
}

class ProbeApp : public CSetupApp {
protected:
    void RunDialogs() override
    {
        const std::vector<std::wstring> arguments = Arguments();
        const std::wstring mode = arguments.empty() ? L"" : arguments[0];
        if (mode == L"wait") {
            ::MessageBoxW(nullptr, L"Probe waiting", L"Shell probe", MB_OK);
        } else if (mode == L"die") {
            Die();
            ::MessageBoxW(nullptr, L"After die", L"Shell probe", MB_OK);
        } else if (mode == L"die-message" && arguments.size() > 1) {
            Die(arguments[1].c_str());
            ::MessageBoxW(nullptr, L"After die", L"Shell probe", MB_OK);
        } else if (mode == L"throw-file") {
            ThrowFileException();
        } else if (mode == L"throw-textless") {
            throw Win32xx::CResourceException(L"");
        } else if (mode == L"throw-bad-alloc") {
            throw std::bad_alloc();
        } else if (mode == L"archive-vanishes") {
            RunBootstrapWithoutArchive();
        } else {
            RunThrowingDialogs(mode);
        }
    }
};

}  // namespace

std::unique_ptr<CSetupApp> CreateApplication()
{
    const std::vector<std::wstring> arguments = Arguments();
    if (!arguments.empty() && arguments[0] == L"app-bad-alloc")
        throw std::bad_alloc();
    if (!arguments.empty() && arguments[0] == L"duplicate-app") {
        static ProbeApp first;
        return std::make_unique<ProbeApp>();
    }
    return std::make_unique<ProbeApp>();
}
