// The process entry: single-instance guard, application object, log, run.

#include <windows.h>
#include <commctrl.h>

#include "ApplicationFactory.h"
#include "Die.h"
#include "ExceptionReport.h"
#include "LogSetup.h"
#include "SingleInstance.h"
#include "framework/logging/Logger.h"

// By the time this runs, the entry point has restricted the DLL search to
// System32 (EntryPoint.cpp).
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    SingleInstance instance;
    if (instance.AlreadyRunning()) {
        ::MessageBoxW(nullptr, L"Program already running!\nExiting.", L"Error", MB_OK | MB_ICONERROR);
        return -1;
    }

    try {
        std::unique_ptr<CSetupApp> app = CreateApplication();
        SetUpLogging();
        LOG_INFO << "Setup Started";
        ::InitCommonControls();

        int exitCode = app->Run();
        if (FatalStopRequested())
            exitCode = -1;

        LOG_INFO << "Program treminated with code:" << exitCode;
        instance.Release();
        return exitCode;
    } catch (...) {
        ReportCurrentException("WinMain");
        return -1;
    }
}
