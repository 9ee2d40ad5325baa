// The fatal stops in place of app/Die.cpp: a damaged database ends in one thousands of times here, where a box
// would wait for a click. Each is counted and returns, as the product's does once its box is closed.

#include <atomic>

#include "Corpus.h"
#include "app/Die.h"

static std::atomic<unsigned> g_fatalStops{0};

void Die() { ++g_fatalStops; }
void Die(const Win32xx::CString&) { ++g_fatalStops; }
bool FatalStopRequested() noexcept { return g_fatalStops != 0; }
unsigned robustness::FatalStopCount() { return g_fatalStops; }
