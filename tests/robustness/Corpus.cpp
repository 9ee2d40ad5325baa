#include "Corpus.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>

namespace robustness {

namespace {

// Formatted when a case begins: after a stack overflow there is no room left
// to format anything, and without the seed a crash among thousands of cases
// would give no hint of its input.
char g_hangReport[512];
char g_crashReport[512];
std::atomic<ULONGLONG> g_deadline{0};

void WriteToStandardError(const char* text)
{
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception)
{
    WriteToStandardError(g_crashReport);
    char code[64];
    std::snprintf(code, sizeof code, "robustness: exception code 0x%08lX\n", exception->ExceptionRecord->ExceptionCode);
    WriteToStandardError(code);
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

DWORD WINAPI WatchDeadlines(void*)
{
    for (;;) {
        ::Sleep(200);
        const ULONGLONG deadline = g_deadline;
        if (deadline != 0 && ::GetTickCount64() > deadline) {
            WriteToStandardError(g_hangReport);
            ::TerminateProcess(::GetCurrentProcess(), 4);
        }
    }
}

// Arms the guard for one case (the watching thread and the crash filter are
// set up once) and disarms it however the case left.
class CaseGuard {
public:
    CaseGuard(const CorpusKind& kind, unsigned seed, const std::string& replay)
    {
        static const bool started = [] {
            ::SetUnhandledExceptionFilter(ReportCrash);
            const HANDLE thread = ::CreateThread(nullptr, 0, WatchDeadlines, nullptr, 0, nullptr);
            return thread && ::CloseHandle(thread);
        }();
        EXPECT_TRUE(started);
        std::snprintf(g_hangReport, sizeof g_hangReport, "robustness: %s case seed %u did not finish in %lu ms\n%s\n",
                      kind.name, seed, static_cast<unsigned long>(kind.caseTimeoutMs), replay.c_str());
        std::snprintf(g_crashReport, sizeof g_crashReport, "robustness: %s case seed %u crashed\n%s\n", kind.name,
                      seed, replay.c_str());
        g_deadline = ::GetTickCount64() + kind.caseTimeoutMs;
    }
    ~CaseGuard() { g_deadline = 0; }
    CaseGuard(const CaseGuard&) = delete;
    CaseGuard& operator=(const CaseGuard&) = delete;
};

bool FullCorpus()
{
    const char* full = std::getenv("CORPUS_FULL");
    return full && *full && std::strcmp(full, "0") != 0;
}

}  // namespace

void RunCorpus(const CorpusKind& kind, const std::function<std::string(unsigned seed)>& runCase)
{
    unsigned first = kind.baseSeed, end = kind.baseSeed + (FullCorpus() ? kind.fullCount : kind.quickCount);
    if (const char* replay = std::getenv("CORPUS_SEED"); replay && *replay) {
        const unsigned seed = static_cast<unsigned>(std::strtoul(replay, nullptr, 10));
        const bool ofThisKind = seed >= kind.baseSeed && seed < kind.baseSeed + kind.fullCount;
        first = ofThisKind ? seed : 0;
        end = ofThisKind ? seed + 1 : 0;
    }
    std::map<std::string, unsigned> outcomes;
    unsigned run = 0, faulty = 0;
    const ULONGLONG start = ::GetTickCount64();
    for (unsigned seed = first; seed < end && faulty < 10; ++seed, ++run) {
        const std::string replay = "replay: CORPUS_SEED=" + std::to_string(seed) +
                                   " ctest --test-dir build -R robustness_tests --output-on-failure";
        SCOPED_TRACE(kind.name + (" case seed " + std::to_string(seed)) + "; " + replay);
        const auto* result = ::testing::UnitTest::GetInstance()->current_test_info()->result();
        const int partsBefore = result->total_part_count();
        std::string outcome;
        {
            const CaseGuard guard(kind, seed, replay);
            outcome = runCase(seed);
        }
        // A case is faulty when it added a failure of its own.
        const bool failed = result->total_part_count() != partsBefore;
        ++outcomes[failed ? "FAULTY" : outcome];
        faulty += failed;
    }
    std::printf("[corpus] %s: %u cases from seed %u, %.1f s\n", kind.name, run, first,
                (::GetTickCount64() - start) / 1000.0);
    for (const auto& [outcome, count] : outcomes)
        std::printf("[corpus]   %6u  %s\n", count, outcome.c_str());
    std::fflush(stdout);
}

size_t Below(std::mt19937& random, size_t bound)
{
    return bound == 0 ? 0 : std::uniform_int_distribution<size_t>(0, bound - 1)(random);
}

bool Chance(std::mt19937& random, unsigned percent)
{
    return Below(random, 100) < percent;
}

std::string RandomBytes(std::mt19937& random, size_t count)
{
    std::string bytes(count, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(Below(random, 256));
    return bytes;
}

void MutateBytes(std::string& bytes, std::mt19937& random, int changes)
{
    static const char kEdgeBytes[] = {'\0', '\x7F', '\x80', '\xFF', '/', '\\', '.', ':'};
    for (int change = 0; change < changes; ++change) {
        const size_t at = Below(random, bytes.size()), length = 1 + Below(random, 64), pick = Below(random, 7);
        if (pick == 0 && !bytes.empty())
            bytes[at] = static_cast<char>(bytes[at] ^ (1u << Below(random, 8)));
        else if (pick == 1 && !bytes.empty())
            bytes[at] = kEdgeBytes[Below(random, std::size(kEdgeBytes))];
        else if (pick == 2 && !bytes.empty())
            bytes[at] = static_cast<char>(Below(random, 256));
        else if (pick == 3)
            bytes.erase(at, length);
        else if (pick == 4)
            bytes.insert(at, bytes.substr(at, length));
        else if (pick == 5)
            bytes.insert(at, RandomBytes(random, length));
        else if (pick == 6)
            bytes.resize(at);
    }
}

void MutateField(std::string& bytes, size_t offset, size_t width, std::mt19937& random)
{
    static const unsigned long long kEdgeValues[] = {0, 1, 0x7F, 0x80, 0xFF, 0x7FFF, 0xFFFF, 0x7FFFFFFF,
                                                     0x80000000, 0xFFFFFFFF};
    unsigned long long value = Chance(random, 60) ? kEdgeValues[Below(random, std::size(kEdgeValues))] : random();
    if (Chance(random, 20))
        value = bytes.size() + Below(random, 64) - 32;  // a plausible offset or size near the end
    for (size_t i = 0; offset + width <= bytes.size() && i < width; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::wstring MacroText(std::mt19937& random, size_t length)
{
    static const wchar_t* const kPieces[] = {
        L"$(^Name)", L"${PRIMARY_SW_NAME}", L"$(^LangAbrev)", L"$(^LangID)", L"$(^NextBtn)", L"$\\r", L"$\\n",
        L". \\", L"$(^name)", L"$(^Name", L"$(^", L"$", L"\\", L".", L" ", L"(", L")", L"^", L"{", L"}", L"r", L"n",
        L"\r\n", L"Setup ", L"\u05E2\u05D1", L"\xD834\xDD1E", L"\xD800", L"\xDFFF", L"\xFFFF", L"\x7F",
    };
    std::wstring text;
    while (text.size() < length)
        text += Chance(random, 3) ? std::wstring(1, L'\0') : std::wstring(kPieces[Below(random, std::size(kPieces))]);
    return text;
}

}  // namespace robustness
