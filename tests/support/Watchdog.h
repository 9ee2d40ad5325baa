// Every test case runs under a deadline (TestMain.cpp): a case that hangs ends its program with a line that names
// it, rather than leaving only CTest's time-out of the whole program.
#pragma once

namespace testing_support {

// From now on a hang is `name`'s, after `ms`: each case of a corpus under its own name (its seed) and limit.
void WatchCase(const char* name, unsigned long ms);

}  // namespace testing_support
