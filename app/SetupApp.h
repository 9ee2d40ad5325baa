// The application object: InitInstance opens the program's modal dialogs one
// after the other; the message loop then only collects the quit request.
#pragma once

#include "Splash.h"
#include "framework/Exception.h"
#include "framework/WinApp.h"
#include "resources/SelectLangDialog.h"

class CSetupApp : public Win32xx::CWinApp {
public:
    CSetupApp();

protected:
    BOOL InitInstance() override;

    // The modal dialogs of a run, in their order. A framework exception that
    // leaves it is reported by InitInstance.
    virtual void RunDialogs();

private:
    Splash m_splash;
    SelectLangDialog m_languageDialog;
};
