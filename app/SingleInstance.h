#pragma once

#include <windows.h>

// The named mutex that keeps a second copy of the program from running. It is
// created owned; the destructor releases and closes it, if Release has not.
class SingleInstance {
public:
    SingleInstance();
    ~SingleInstance() { Release(); }
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when another process had created the mutex already.
    bool AlreadyRunning() const noexcept { return m_alreadyRunning; }
    void Release() noexcept;

private:
    HANDLE m_mutex;
    bool m_alreadyRunning;
};
