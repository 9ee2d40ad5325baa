// Guards one corpus case at a time: a case that does not finish within its
// time, or an exception that nobody handles (a crash on any thread), ends the
// process after printing which case it was and how to run it alone. Thousands
// of cases run in one process, so without this a hang or a crash would give
// no hint of the input that caused it.
#pragma once

#include <windows.h>

#include <string>

namespace robustness {

// How to run the case of `seed` alone.
std::string ReplayLine(unsigned seed);

class CaseGuard {
public:
    // Arms the guard for the case `seed` of corpus `kind`.
    CaseGuard(const char* kind, unsigned seed, DWORD timeoutMs);
    // Disarms it: the case finished.
    ~CaseGuard();
    CaseGuard(const CaseGuard&) = delete;
    CaseGuard& operator=(const CaseGuard&) = delete;
};

}  // namespace robustness
