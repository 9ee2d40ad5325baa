// Win32xx::CCriticalSection and its scoped lock. The section counts its holds
// so that its owner can release every hold that is still counted.
#pragma once

#include <windows.h>

namespace Win32xx {

class CCriticalSection {
public:
    CCriticalSection() { ::InitializeCriticalSection(&m_section); }
    ~CCriticalSection()
    {
        while (m_count > 0)
            Release();
        ::DeleteCriticalSection(&m_section);
    }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Lock()
    {
        ::EnterCriticalSection(&m_section);
        ::InterlockedIncrement(&m_count);
    }
    void Release()
    {
        ::InterlockedDecrement(&m_count);
        ::LeaveCriticalSection(&m_section);
    }

private:
    CRITICAL_SECTION m_section;
    LONG m_count = 0;
};

class CThreadLock {
public:
    explicit CThreadLock(CCriticalSection& section) : m_section(section) { m_section.Lock(); }
    ~CThreadLock() { m_section.Release(); }
    CThreadLock(const CThreadLock&) = delete;
    CThreadLock& operator=(const CThreadLock&) = delete;

private:
    CCriticalSection& m_section;
};

}  // namespace Win32xx
