// The product's start-up with the dialogs that the first argument names. Its dialogs run behind a frame that ends
// the probe with 0xC000041D when an exception reaches it, as x64 Windows does when one crosses a kernel callback.

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

void RunBehindKernelFrame(HWND window, int procedureSlot)
{
    const LONG_PTR original =
        ::SetWindowLongPtrW(window, procedureSlot, reinterpret_cast<LONG_PTR>(KernelCallbackFrame));
    ::SetPropW(window, kOriginalProcedure, reinterpret_cast<HANDLE>(original));
}

// As a task does; the send returns once the window has handled it or is gone.
void StartTaskWorker(HWND window)
{
    std::thread([window] { ::SendMessageW(window, UWM_TASK_FINISHED, ::GetCurrentThreadId(), 0); }).detach();
}

[[noreturn]] void ThrowFileException()
{
    throw Win32xx::CFileException(L"C:\\x.txt", L"Failed to write to file");
}

// With a handler for UWM_TASK_FINISHED, a worker sends it that message once it runs.
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
            StartTaskWorker(GetHwnd());
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
};

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

// A handler throws inside a running dialog: a worker's message, a nested WM_INITDIALOG, a page's, another window's.
void RunThrowingDialogs(const std::wstring& mode)
{
    ThrowingWindow window;
    ProbeDialog page(IDD_MESSAGE_PAGE);
    ProbeDialog inner(IDD_CANCEL_SETUP);
    ProbeDialog outer(IDD_RESOURCE_LOADER);
    if (mode == L"worker-throws-cast") {
        outer.onTaskFinished = [] { throw std::bad_cast(); };
    } else if (mode == L"worker-throws-number") {
        outer.onTaskFinished = [] { throw 42; };
    } else if (mode == L"nested-init-throws") {
        inner.onInit = ThrowFileException;
        outer.onTaskFinished = [&] { inner.DoModal(outer.GetHwnd()); };
    } else if (mode == L"page-throws") {
        page.onTaskFinished = ThrowFileException;
        outer.onInit = [&] { page.Create(outer.GetHwnd()); };
    } else if (mode == L"window-throws") {
        RunBehindKernelFrame(window.Create(), GWLP_WNDPROC);
        outer.onInit = [&] { StartTaskWorker(window.GetHwnd()); };
    } else {
        return;
    }
    outer.DoModal(nullptr);
}

// The bootstrap's download is deleted before the bootstrap looks for it.
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

// The wizard's frame placed at the point the arguments give, before it initialises (a monitor left of or above
// the primary one has negative coordinates).
POINT g_framePlace{};

LRESULT CALLBACK PlaceFrameAtInit(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    wchar_t caption[16] = {};
    if (code == HC_ACTION && message->message == WM_INITDIALOG && ::GetWindowTextW(message->hwnd, caption, 16) &&
        std::wstring(caption) == L"Setup")
        ::SetWindowPos(message->hwnd, nullptr, g_framePlace.x, g_framePlace.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

class ProbeApp : public CSetupApp {
protected:
    void RunDialogs() override
    {
        const std::vector<std::wstring> arguments = Arguments();
        const std::wstring mode = arguments.empty() ? L"" : arguments[0];
        if (mode == L"wait") {
            ::MessageBoxW(nullptr, L"Probe waiting", L"Shell probe", MB_OK);
        } else if (mode == L"die" || (mode == L"die-message" && arguments.size() > 1)) {
            mode == L"die" ? Die() : Die(arguments[1].c_str());
            // The pending quit request must dismiss this box at once.
            ::MessageBoxW(nullptr, L"After die", L"Shell probe", MB_OK);
        } else if (mode == L"throw-file") {
            ThrowFileException();
        } else if (mode == L"throw-textless") {
            throw Win32xx::CResourceException(L"");
        } else if (mode == L"throw-bad-alloc") {
            throw std::bad_alloc();
        } else if (mode == L"archive-vanishes") {
            RunBootstrapWithoutArchive();
        } else if (mode == L"wizard-at" && arguments.size() > 2) {
            g_framePlace = {std::stoi(arguments[1]), std::stoi(arguments[2])};
            const HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, PlaceFrameAtInit, nullptr, ::GetCurrentThreadId());
            CSetupApp::RunDialogs();
            ::UnhookWindowsHookEx(hook);
        } else {
            RunThrowingDialogs(mode);
        }
    }
};

}  // namespace

std::unique_ptr<CSetupApp> CreateApplication()
{
    const std::vector<std::wstring> arguments = Arguments();
    const std::wstring mode = arguments.empty() ? L"" : arguments[0];
    if (mode == L"app-bad-alloc")
        throw std::bad_alloc();
    if (mode == L"duplicate-app")
        static ProbeApp first;
    return std::make_unique<ProbeApp>();
}
