// The demo's way through KestrafinSetup.exe, as a user clicks it: language
// confirmed, welcome page, offer accepted, the setup tasks, finish. The
// benchmarks that need a whole run drive it with this walk and do their
// measuring at its stages.
#pragma once

#include <windows.h>

#include <functional>

#include "support/ChildProcess.h"

namespace bench {

// The stages of a run, in their order.
enum class DemoStage {
    Bootstrap,       // the bootstrap dialog "Loading Resources" is shown
    LanguageDialog,  // the language dialog is shown (archive downloaded and extracted)
    WelcomePage,     // the wizard is shown on its welcome page
    OfferPage,       // the offer page is shown
    TasksStarted,    // the offer was accepted: the task page takes over
    FinishPage,      // the finish page is shown (every task done)
};

// Walks the running program `process` through the demo run, calling
// `atStage` with each stage and the program's dialog there, before going on.
// Windows and texts are read without messages to the program (ShownWindow.h),
// so that the walk does not wait for, nor add to, its user-interface
// thread. The bootstrap stage is skipped when the dialog came and went
// between two looks. False when a stage did not come within the step
// timeout, or the program did not end with exit code 0.
bool WalkDemoWizard(testing_support::ChildProcess& process, const std::function<void(DemoStage, HWND)>& atStage);

}  // namespace bench
