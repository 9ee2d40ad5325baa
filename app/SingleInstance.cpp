#include "SingleInstance.h"

namespace {
const wchar_t kMutexName[] = L"{7945D914-F95C-4D0D-9E70-A5F6F3C217E3}";
}

SingleInstance::SingleInstance()
    : m_mutex(::CreateMutexW(nullptr, TRUE, kMutexName)), m_alreadyRunning(::GetLastError() == ERROR_ALREADY_EXISTS)
{
}

void SingleInstance::Release() noexcept
{
    if (!m_mutex)
        return;
    ::ReleaseMutex(m_mutex);
    ::CloseHandle(m_mutex);
    m_mutex = nullptr;
}
