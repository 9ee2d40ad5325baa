#include "DemoWizard.h"

#include "Automation.h"
#include "ShownWindow.h"

namespace bench {

namespace {

constexpr DWORD kStepTimeoutMs = 60000;
constexpr DWORD kPollMs = 5;
constexpr wchar_t kBootstrapDialog[] = L"Loading Resources";
constexpr wchar_t kLanguageDialog[] = L"Kestrafin";
constexpr wchar_t kWizard[] = L"Kestrafin Setup (V3.2)";
constexpr int kNextButton = 1009;

bool WaitForNextCaption(HWND wizard, const std::wstring& caption)
{
    return winauto::WaitUntil([&] { return KeptText(::GetDlgItem(wizard, kNextButton)) == caption; },
                              kStepTimeoutMs);
}

// The language dialog, once shown; the bootstrap dialog is handed to
// `atStage` on the way if it is seen.
HWND WaitForLanguageDialog(DWORD processId, const std::function<void(DemoStage, HWND)>& atStage)
{
    const ULONGLONG deadline = ::GetTickCount64() + kStepTimeoutMs;
    bool bootstrapSeen = false;
    while (::GetTickCount64() < deadline) {
        if (const HWND languages = FindShownWindow(kLanguageDialog, processId))
            return languages;
        if (!bootstrapSeen) {
            if (const HWND bootstrap = FindShownWindow(kBootstrapDialog, processId)) {
                bootstrapSeen = true;
                atStage(DemoStage::Bootstrap, bootstrap);
            }
        }
        ::Sleep(kPollMs);
    }
    return nullptr;
}

}  // namespace

bool WalkDemoWizard(testing_support::ChildProcess& process, const std::function<void(DemoStage, HWND)>& atStage)
{
    const HWND languages = WaitForLanguageDialog(process.Id(), atStage);
    if (!languages)
        return false;
    atStage(DemoStage::LanguageDialog, languages);
    winauto::Click(languages, IDOK);
    const HWND wizard = WaitForShownWindow(kWizard, process.Id(), kStepTimeoutMs, kPollMs);
    if (!wizard)
        return false;
    atStage(DemoStage::WelcomePage, wizard);
    winauto::Click(wizard, kNextButton);
    if (!WaitForNextCaption(wizard, L"Accept"))
        return false;
    atStage(DemoStage::OfferPage, wizard);
    winauto::Click(wizard, kNextButton);
    atStage(DemoStage::TasksStarted, wizard);
    if (!WaitForNextCaption(wizard, L"Finish"))
        return false;
    atStage(DemoStage::FinishPage, wizard);
    winauto::Click(wizard, kNextButton);
    return process.Wait(kStepTimeoutMs) && process.ExitCode() == 0;
}

}  // namespace bench
