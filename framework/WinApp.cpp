#include "WinApp.h"

#include "Exception.h"
#include "ProcedureBoundary.h"

namespace Win32xx {

CWinApp* CWinApp::s_instance = nullptr;

CWinApp::CWinApp()
{
    if (s_instance)
        throw CNotSupportedException(L"Only one instance of CWinApp is permitted");
    s_instance = this;
}

CWinApp::~CWinApp()
{
    s_instance = nullptr;
}

int CWinApp::Run()
{
    if (!InitInstance()) {
        ::PostQuitMessage(-1);
        return -1;
    }
    return MessageLoop();
}

int CWinApp::MessageLoop()
{
    MSG msg{};
    for (;;) {
        const BOOL status = ::GetMessageW(&msg, nullptr, 0, 0);
        // Messages that other threads send are handled inside GetMessageW.
        RethrowHeldException();
        if (status == -1)
            return -1;
        if (status == 0)
            return static_cast<int>(msg.wParam);
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
        RethrowHeldException();
    }
}

}  // namespace Win32xx
