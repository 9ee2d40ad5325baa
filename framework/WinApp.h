// Win32xx::CWinApp: the application object. Only one may exist per process.
#pragma once

#include <windows.h>

namespace Win32xx {

class CWinApp {
public:
    // Raises CNotSupportedException when an application object exists already.
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // InitInstance, then the message loop; returns the quit request's code
    // (-1 when InitInstance fails).
    int Run();

protected:
    virtual BOOL InitInstance() { return TRUE; }
    // Dispatches messages until the quit request; returns its exit code, or
    // -1 when retrieving a message fails. Raises again an exception that a
    // procedure held (ProcedureBoundary.h).
    virtual int MessageLoop();

private:
    static CWinApp* s_instance;
};

}  // namespace Win32xx
