#include "SetupApp.h"

#include "ExceptionReport.h"
#include "framework/Exception.h"
#include "framework/logging/Logger.h"

BOOL CSetupApp::InitInstance()
{
    try {
        m_splash.Create();
        RunDialogs();
    } catch (const Win32xx::CException& e) {
        ShowExceptionBox(e);
        LOG_FATAL << e.GetText() << e.what();
        LOG_INFO << "Program treminated upon a fatal exception.";
    }
    ::PostQuitMessage(0);
    return TRUE;
}

void CSetupApp::RunDialogs()
{
}
