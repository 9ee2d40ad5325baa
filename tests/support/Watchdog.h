// Every test case runs under a deadline (TestMain.cpp): a case that hangs ends its program with a line that names
// it, rather than leaving only CTest's time-out of the whole program.
#pragma once

#include <windows.h>

namespace testing_support {

// Moves the running case's deadline to `ms` from now, for a case that runs long by design (a full corpus).
void ExtendCaseDeadline(DWORD ms);

}  // namespace testing_support
