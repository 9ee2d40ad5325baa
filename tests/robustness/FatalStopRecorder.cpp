// In place of app/Die.cpp, whose box would wait for a click: each fatal stop is counted and returns.

#include <atomic>

#include "Corpus.h"
#include "app/Die.h"

static std::atomic<unsigned> g_fatalStops{0};

void Die() { ++g_fatalStops; }
void Die(const Win32xx::CString&) { ++g_fatalStops; }
bool FatalStopRequested() noexcept { return g_fatalStops != 0; }
unsigned robustness::FatalStopCount() { return g_fatalStops; }
