// winauto: the automation helper as a command-line program, for scripts.
//
//   winauto wait CAPTION [TIMEOUT_MS]     wait for a visible window (exit 1: none)
//   winauto gone CAPTION [TIMEOUT_MS]     wait until it has gone
//   winauto text CAPTION ID               print a control's text (ID 0: the caption)
//   winauto boxtext CAPTION               print a message box's text
//   winauto visible|enabled CAPTION ID    print 1 or 0
//   winauto progress CAPTION ID           print "position maximum"
//   winauto combo CAPTION ID              print the selection, then one item per line
//   winauto click CAPTION ID              click a button
//   winauto select CAPTION ID INDEX       choose an item of a combo box
//   winauto key CAPTION escape|return     press a key in the window
//   winauto close CAPTION                 close the window (its close box)
//
// Commands other than wait and gone wait up to 10 s for the window. Output is
// UTF-8, one value per line.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "Automation.h"
#include "framework/Utf8.h"

namespace {

constexpr DWORD kDefaultTimeoutMs = 10000;

void Print(const std::wstring& text)
{
    const std::string bytes = Win32xx::WideToUtf8(text + L"\n");
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

int Usage()
{
    std::fputs("usage: winauto wait|gone|text|boxtext|visible|enabled|progress|combo|click|select|key|close CAPTION [ARG...]\n",
               stderr);
    return 2;
}

int Run(const std::wstring& command, const std::wstring& caption, const wchar_t* argument, const wchar_t* index)
{
    const DWORD timeout = (argument && (command == L"wait" || command == L"gone"))
                              ? static_cast<DWORD>(std::wcstoul(argument, nullptr, 10))
                              : kDefaultTimeoutMs;
    if (command == L"gone")
        return winauto::WaitForWindowGone(caption, timeout) ? 0 : 1;

    const HWND window = winauto::WaitForWindow(caption, timeout);
    if (!window) {
        std::fprintf(stderr, "winauto: no window \"%ls\"; visible:%ls\n", caption.c_str(),
                     winauto::VisibleCaptions().c_str());
        return 1;
    }
    const int id = argument ? static_cast<int>(std::wcstol(argument, nullptr, 10)) : 0;

    if (command == L"wait")
        return 0;
    if (command == L"text")
        Print(id == 0 ? winauto::WindowText(window) : winauto::ControlText(window, id));
    else if (command == L"boxtext")
        Print(winauto::MessageBoxText(window));
    else if (command == L"visible")
        Print(winauto::IsControlVisible(window, id) ? L"1" : L"0");
    else if (command == L"enabled")
        Print(winauto::IsControlEnabled(window, id) ? L"1" : L"0");
    else if (command == L"progress")
        Print(std::to_wstring(winauto::ProgressPosition(window, id)) + L" " +
              std::to_wstring(winauto::ProgressMaximum(window, id)));
    else if (command == L"combo") {
        Print(std::to_wstring(winauto::ComboSelection(window, id)));
        for (int i = 0, count = winauto::ComboCount(window, id); i < count; ++i)
            Print(winauto::ComboItemText(window, id, i));
    } else if (command == L"click")
        winauto::Click(window, id);
    else if (command == L"select" && index)
        winauto::SelectComboItem(window, id, static_cast<int>(std::wcstol(index, nullptr, 10)));
    else if (command == L"key" && argument)
        winauto::PressKey(window, std::wstring(argument) == L"escape" ? VK_ESCAPE : VK_RETURN);
    else if (command == L"close")
        winauto::Close(window);
    else
        return Usage();
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return Usage();
    return Run(argv[1], argv[2], argc > 3 ? argv[3] : nullptr, argc > 4 ? argv[4] : nullptr);
}
