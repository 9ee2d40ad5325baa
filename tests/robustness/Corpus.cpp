#include "Corpus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <vector>

#include "CaseGuard.h"

namespace robustness {

namespace {

constexpr int kMaximumFailingCases = 10;

std::optional<unsigned> SeedToReplay()
{
    const char* text = std::getenv("CORPUS_SEED");
    if (!text || !*text)
        return std::nullopt;
    return static_cast<unsigned>(std::strtoul(text, nullptr, 10));
}

// The failures (and skips) that the running test has recorded so far.
int RecordedParts()
{
    return ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
}

class Tally {
public:
    void Add(const CaseResult& result)
    {
        ++(result.succeeded ? m_succeeded : m_failedCleanly);
        ++m_labels[result.label];
    }
    void AddFaulty() { ++m_faulty; }

    void Print(const CorpusKind& kind, unsigned run, ULONGLONG milliseconds) const
    {
        std::printf("[corpus] %s: %u cases run (seeds from %u), %u succeeded, %u failed cleanly, %u faulty, %.1f s\n",
                    kind.name, run, kind.baseSeed, m_succeeded, m_failedCleanly, m_faulty, milliseconds / 1000.0);
        std::vector<std::pair<unsigned, std::string>> byCount;
        for (const auto& [label, count] : m_labels)
            byCount.emplace_back(count, label);
        std::sort(byCount.rbegin(), byCount.rend());
        for (const auto& [count, label] : byCount)
            std::printf("[corpus]   %6u  %s\n", count, label.c_str());
        std::fflush(stdout);
    }

private:
    unsigned m_succeeded = 0;
    unsigned m_failedCleanly = 0;
    unsigned m_faulty = 0;
    std::map<std::string, unsigned> m_labels;
};

}  // namespace

void RunCorpus(const CorpusKind& kind, const std::function<CaseResult(unsigned seed)>& runCase)
{
    std::vector<unsigned> seeds;
    const std::optional<unsigned> replay = SeedToReplay();
    if (!replay) {
        for (unsigned index = 0; index < kind.count; ++index)
            seeds.push_back(kind.baseSeed + index);
    } else if (*replay >= kind.baseSeed && *replay < kind.baseSeed + kind.count) {
        seeds.push_back(*replay);
    }

    Tally tally;
    int failing = 0;
    const ULONGLONG start = ::GetTickCount64();
    unsigned run = 0;
    for (const unsigned seed : seeds) {
        SCOPED_TRACE(kind.name + (" case seed " + std::to_string(seed)) + "; " + ReplayLine(seed));
        const int partsBefore = RecordedParts();
        CaseResult result;
        {
            const CaseGuard guard(kind.name, seed, kind.caseTimeoutMs);
            result = runCase(seed);
        }
        ++run;
        // A case is faulty when it added a failure of its own.
        if (RecordedParts() == partsBefore) {
            tally.Add(result);
            continue;
        }
        tally.AddFaulty();
        if (++failing >= kMaximumFailingCases) {
            ADD_FAILURE() << "stopped after " << failing << " failing cases";
            break;
        }
    }
    tally.Print(kind, run, ::GetTickCount64() - start);
}

size_t Below(std::mt19937& random, size_t bound)
{
    return bound == 0 ? 0 : std::uniform_int_distribution<size_t>(0, bound - 1)(random);
}

bool Chance(std::mt19937& random, unsigned percent)
{
    return Below(random, 100) < percent;
}

}  // namespace robustness
