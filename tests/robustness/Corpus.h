// Seeded corpora: each case comes from its seed alone (replay: CORPUS_SEED=N); CORPUS_FULL=1 runs every case.
#pragma once

#include <windows.h>

#include <functional>
#include <random>
#include <string>

namespace robustness {

struct CorpusKind {
    const char* name;
    unsigned baseSeed;  // disjoint ranges: a seed names its kind
    unsigned quickCount, fullCount;
    DWORD caseTimeoutMs;  // longer means a hang
};

// Runs `runCase(seed)` for the kind's cases under a trace; a hang (the case watchdog, TestMain.cpp) or a crash on
// any thread ends the process naming the seed; prints the outcomes that `runCase` returns. Stops after ten faults.
void RunCorpus(const CorpusKind& kind, const std::function<std::string(unsigned seed)>& runCase);

size_t Below(std::mt19937& random, size_t bound);  // in [0, bound)
template <typename T, size_t N>
const T& Pick(std::mt19937& random, T (&choices)[N]) { return choices[Below(random, N)]; }
bool Chance(std::mt19937& random, unsigned percent);
std::string RandomBytes(std::mt19937& random, size_t count);
// `changes` times: a bit flipped, a byte set, a short range deleted, repeated or inserted, or the end cut.
void MutateBytes(std::string& bytes, std::mt19937& random, int changes);
// Sets the little-endian field at `offset`, when it fits, to an edge, a random or a near-the-end value.
void MutateField(std::string& bytes, size_t offset, size_t width, std::mt19937& random);
// About `length` characters of macros whole and broken, escapes, NULs and surrogates.
std::wstring MacroText(std::mt19937& random, size_t length);
unsigned FatalStopCount();  // see FatalStopRecorder.cpp

}  // namespace robustness
