#include "SetupApp.h"

#include <string>

#include "Die.h"
#include "ExceptionReport.h"
#include "res/resource.h"
#include "resources/ResourceManager.h"
#include "tasks/CancelSetupProcessingDialog.h"
#include "wizard/CreateSteps.h"
#include "wizard/MainDialog.h"
#include "wizard/StepsManager.h"
#include "framework/DecimalText.h"
#include "framework/Exception.h"
#include "framework/logging/Logger.h"

namespace {
const wchar_t kFallbackLanguage[] = L"1033";

// The user's interface language as a decimal language identifier.
std::wstring UserLanguageCode()
{
    return Win32xx::DecimalText(::GetUserDefaultUILanguage());
}
}  // namespace

CSetupApp::CSetupApp() : m_languageDialog(IDD_SELECT_LANGUAGE, kFallbackLanguage, UserLanguageCode())
{
    m_languageDialog.createSteps = CreateWizardSteps;
}

BOOL CSetupApp::InitInstance()
{
    try {
        m_splash.Create();
        RunDialogs();
    } catch (...) {
        // A framework exception ends the run with the quit request below;
        // any other is a fatal stop.
        if (!ReportCurrentException("CSetupApp::InitInstance"))
            MarkFatalStop();
    }
    ::PostQuitMessage(0);
    return TRUE;
}

void CSetupApp::RunDialogs()
{
    GenericSingleton<ResourceManager>::instance();
    if (m_languageDialog.DoModal(nullptr) != IDOK)
        return;

    const bool rightToLeft = GenericSingleton<ResourceManager>::instance().currentLanguage().rightToLeft;
    MainDialog wizard(rightToLeft ? IDD_MAIN_RTL : IDD_MAIN);
    wizard.DoModal(nullptr);
    if (!wizard.IsSetupFinished()) {
        GenericSingleton<StepsManager>::instance();
        CancelSetupProcessingDialog cleanUp;
        cleanUp.DoModal(nullptr);
    }
}
