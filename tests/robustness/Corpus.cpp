#include "Corpus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <vector>

namespace robustness {

namespace {

constexpr int kMaximumFailingCases = 10;

// What the guard prints when it ends the process. Formatted when a case
// begins: after a stack overflow there is no room left to format anything.
// Thousands of cases run in one process, so without this a hang or a crash
// would give no hint of the input that caused it.
char g_hangReport[512];
char g_crashReport[512];
std::atomic<ULONGLONG> g_deadline{0};

void WriteToStandardError(const char* text)
{
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(lstrlenA(text)), &written, nullptr);
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception)
{
    WriteToStandardError(g_crashReport);
    char code[64];
    std::snprintf(code, sizeof code, "robustness: exception code 0x%08lX\n",
                  exception ? exception->ExceptionRecord->ExceptionCode : 0ul);
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

// Guards one case: armed for the case `seed` of `kind` (the watching thread
// and the crash filter are set up once for the process), disarmed when the
// case has finished, however it left.
class CaseGuard {
public:
    CaseGuard(const CorpusKind& kind, unsigned seed, const std::string& replay)
    {
        static const bool started = [] {
            ::SetUnhandledExceptionFilter(ReportCrash);
            const HANDLE thread = ::CreateThread(nullptr, 0, WatchDeadlines, nullptr, 0, nullptr);
            if (thread)
                ::CloseHandle(thread);
            return thread != nullptr;
        }();
        (void)started;
        std::snprintf(g_hangReport, sizeof g_hangReport,
                      "robustness: %s case seed %u did not finish within %lu ms (a hang)\n%s\n", kind.name, seed,
                      static_cast<unsigned long>(kind.caseTimeoutMs), replay.c_str());
        std::snprintf(g_crashReport, sizeof g_crashReport, "robustness: %s case seed %u crashed\n%s\n", kind.name,
                      seed, replay.c_str());
        g_deadline = ::GetTickCount64() + kind.caseTimeoutMs;
    }
    ~CaseGuard() { g_deadline = 0; }
    CaseGuard(const CaseGuard&) = delete;
    CaseGuard& operator=(const CaseGuard&) = delete;
};

// The failures (and skips) that the running test has recorded so far.
int RecordedParts()
{
    return ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
}

void PrintCounts(const CorpusKind& kind, unsigned run, unsigned faulty, const std::map<std::string, unsigned>& labels,
                 unsigned succeeded, ULONGLONG milliseconds)
{
    std::printf("[corpus] %s: %u cases run (seeds from %u), %u succeeded, %u failed cleanly, %u faulty, %.1f s\n",
                kind.name, run, kind.baseSeed, succeeded, run - faulty - succeeded, faulty, milliseconds / 1000.0);
    std::vector<std::pair<unsigned, std::string>> byCount;
    for (const auto& [label, count] : labels)
        byCount.emplace_back(count, label);
    std::sort(byCount.rbegin(), byCount.rend());
    for (const auto& [count, label] : byCount)
        std::printf("[corpus]   %6u  %s\n", count, label.c_str());
    std::fflush(stdout);
}

// What macro texts are made of.
const wchar_t* const kMacroPieces[] = {
    L"$(^Name)", L"${PRIMARY_SW_NAME}", L"$(^LangAbrev)", L"$(^LangID)", L"$(^NextBtn)", L"$\\r", L"$\\n", L". \\",
    L"$(^name)", L"$(^Name", L"$(^", L"$", L"\\", L".", L" ", L"(", L")", L"^", L"{", L"}", L"r", L"n",
    L"\r\n", L"Setup ", L"\u05E2\u05D1", L"\xD834\xDD1E", L"\xD800", L"\xDFFF", L"\xFFFF", L"\x7F",
};

void MutateOnce(std::string& bytes, std::mt19937& random)
{
    static const unsigned char kEdgeBytes[] = {0x00, 0x7F, 0x80, 0xFF, '/', '\\', '.', ':'};
    const size_t at = Below(random, bytes.size());
    const size_t length = 1 + Below(random, 64);
    const size_t change = Below(random, 7);
    if (change == 0 && !bytes.empty())
        bytes[at] = static_cast<char>(bytes[at] ^ (1u << Below(random, 8)));
    else if (change == 1 && !bytes.empty())
        bytes[at] = static_cast<char>(kEdgeBytes[Below(random, sizeof kEdgeBytes)]);
    else if (change == 2 && !bytes.empty())
        bytes[at] = static_cast<char>(Below(random, 256));
    else if (change == 3)
        bytes.erase(at, length);
    else if (change == 4)
        bytes.insert(at, bytes.substr(at, length));
    else if (change == 5)
        bytes.insert(at, RandomBytes(random, length));
    else if (change == 6)
        bytes.resize(at);
}

}  // namespace

void RunCorpus(const CorpusKind& kind, const std::function<CaseResult(unsigned seed)>& runCase)
{
    unsigned first = kind.baseSeed, end = kind.baseSeed + kind.count;
    const char* replay = std::getenv("CORPUS_SEED");
    if (replay && *replay) {
        const unsigned seed = static_cast<unsigned>(std::strtoul(replay, nullptr, 10));
        const bool ofThisKind = seed >= first && seed < end;
        first = ofThisKind ? seed : end;
        end = ofThisKind ? seed + 1 : end;
    }
    std::map<std::string, unsigned> labels;
    unsigned run = 0, succeeded = 0, faulty = 0;
    const ULONGLONG start = ::GetTickCount64();
    for (unsigned seed = first; seed < end; ++seed) {
        const std::string replayLine = "replay: CORPUS_SEED=" + std::to_string(seed) +
                                       " ctest --test-dir build -R robustness_tests --output-on-failure";
        SCOPED_TRACE(kind.name + (" case seed " + std::to_string(seed)) + "; " + replayLine);
        const int partsBefore = RecordedParts();
        CaseResult result;
        {
            const CaseGuard guard(kind, seed, replayLine);
            result = runCase(seed);
        }
        ++run;
        // A case is faulty when it added a failure of its own.
        if (RecordedParts() == partsBefore) {
            succeeded += result.succeeded;
            ++labels[result.label];
        } else if (++faulty >= kMaximumFailingCases) {
            ADD_FAILURE() << "stopped after " << faulty << " failing cases";
            break;
        }
    }
    PrintCounts(kind, run, faulty, labels, succeeded, ::GetTickCount64() - start);
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
    for (int change = 0; change < changes; ++change)
        MutateOnce(bytes, random);
}

void MutateField(std::string& bytes, size_t offset, size_t width, std::mt19937& random)
{
    if (offset + width > bytes.size())
        return;
    static const unsigned long long kEdgeValues[] = {0, 1, 0x7F, 0x80, 0xFF, 0x7FFF, 0xFFFF, 0x7FFFFFFF,
                                                     0x80000000, 0xFFFFFFFF};
    unsigned long long value = Chance(random, 60) ? kEdgeValues[Below(random, std::size(kEdgeValues))]
                                                  : static_cast<unsigned long long>(random());
    if (Chance(random, 20))
        value = bytes.size() + Below(random, 64) - 32;  // a plausible offset or size near the end
    for (size_t i = 0; i < width; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

size_t MacroTextLength(std::mt19937& random)
{
    if (Chance(random, 2))
        return 65536 + Below(random, 1000000);
    if (Chance(random, 10))
        return 1000 + Below(random, 20000);
    return Below(random, 80);
}

std::wstring MacroText(std::mt19937& random, size_t length)
{
    std::wstring text;
    while (text.size() < length) {
        if (Chance(random, 3))
            text += L'\0';
        else
            text += kMacroPieces[Below(random, std::size(kMacroPieces))];
    }
    return text;
}

}  // namespace robustness
