// The start-up sequence of the product with a test-chosen InitInstance body:
//
//   shell_probe wait               a message box "Probe waiting" (caption "Shell probe")
//   shell_probe die                Die()
//   shell_probe die-message TEXT   Die(TEXT)
//   shell_probe throw-file         a CFileException from InitInstance
//   shell_probe throw-textless     a CResourceException without text
//   shell_probe duplicate-app      a second application object (refused in WinMain)
//
// After a fatal stop it opens one more box, "After die", which the pending
// quit request must dismiss at once: the run goes on as the product's would.

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/ApplicationFactory.h"
#include "app/Die.h"
#include "framework/Exception.h"

namespace {

std::vector<std::wstring> Arguments()
{
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::wstring> result(arguments + 1, arguments + count);
    ::LocalFree(arguments);
    return result;
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
            throw Win32xx::CFileException(L"C:\\x.txt", L"Failed to write to file");
        } else if (mode == L"throw-textless") {
            throw Win32xx::CResourceException(L"");
        }
    }
};

}  // namespace

std::unique_ptr<CSetupApp> CreateApplication()
{
    const std::vector<std::wstring> arguments = Arguments();
    if (!arguments.empty() && arguments[0] == L"duplicate-app") {
        static ProbeApp first;
        return std::make_unique<ProbeApp>();
    }
    return std::make_unique<ProbeApp>();
}
