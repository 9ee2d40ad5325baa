// Confirms, from a thread of its own, the fatal stop's box ("Installer") that this process shows, as a user would.
#pragma once

#include <windows.h>

#include <string>
#include <thread>

#include "Automation.h"

namespace testing_support {

class FatalBoxWatch {
public:
    FatalBoxWatch()
        : m_thread([this] {
              const HWND box = winauto::WaitForWindow(L"Installer", 20000, ::GetCurrentProcessId());
              m_text = box ? winauto::MessageBoxText(box) : L"(no box)";
              winauto::Click(box, IDOK);
          })
    {
    }
    ~FatalBoxWatch() { Text(); }
    FatalBoxWatch(const FatalBoxWatch&) = delete;
    FatalBoxWatch& operator=(const FatalBoxWatch&) = delete;

    // The box's text once it was confirmed; the quit request that the stop left is taken from this thread's queue.
    std::wstring Text()
    {
        if (m_thread.joinable())
            m_thread.join();
        MSG quit;
        ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        return m_text;
    }

private:
    std::wstring m_text;
    std::thread m_thread;
};

}  // namespace testing_support
