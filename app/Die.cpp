#include "Die.h"

#include <windows.h>

#include <atomic>

#include "framework/logging/Logger.h"

namespace {
std::atomic<bool> g_fatalStop{false};

void StopWithBox(const Win32xx::CString& boxText)
{
    MarkFatalStop();
    ::MessageBoxW(nullptr, boxText.c_str(), L"Installer", MB_OK);
    ::PostQuitMessage(-1);
}
}  // namespace

void Die()
{
    static const wchar_t kText[] = L"Fatal Error occured !  exiting.";
    LOG_FATAL << kText;
    StopWithBox(kText);
}

void Die(const Win32xx::CString& message)
{
    LOG_FATAL << message << L" exiting.";
    StopWithBox(message);
}

bool FatalStopRequested() noexcept
{
    return g_fatalStop;
}

void MarkFatalStop() noexcept
{
    g_fatalStop = true;
}
