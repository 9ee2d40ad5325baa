// Runs a seeded corpus: case i of a kind is made from the seed base + i
// alone, so that any case can be made again and run alone (CORPUS_SEED).
#pragma once

#include <windows.h>

#include <functional>
#include <random>
#include <string>

namespace robustness {

struct CorpusKind {
    const char* name;     // "archives", ...
    unsigned baseSeed;    // kinds use disjoint seed ranges, so a seed names its kind
    unsigned count;
    DWORD caseTimeoutMs;  // longer means a hang
};

// How a case ended that broke no expectation: the input was accepted, or
// refused in the documented way. `label` groups the counts.
struct CaseResult {
    bool succeeded = false;
    std::string label;
};

// Runs `runCase(seed)` for every case of `kind`, or only for the seed that
// the environment variable CORPUS_SEED names (no case when it belongs to
// another kind). Each case runs under a CaseGuard and a trace that names
// its seed and how to replay it. Stops after ten failing cases. Prints the
// counts per outcome.
void RunCorpus(const CorpusKind& kind, const std::function<CaseResult(unsigned seed)>& runCase);

// A number in [0, bound).
size_t Below(std::mt19937& random, size_t bound);
// True with the chance percent / 100.
bool Chance(std::mt19937& random, unsigned percent);

}  // namespace robustness
