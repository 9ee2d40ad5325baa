#include "Corpus.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>

#include "support/Watchdog.h"

namespace robustness {

namespace {

// Formatted before the case runs: after a stack overflow there is no room to format anything.
char g_case[256];

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception)
{
    char text[400];
    std::snprintf(text, sizeof text, "robustness: crash (0x%08lX) in %s\n", exception->ExceptionRecord->ExceptionCode,
                  g_case);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void RunCorpus(const CorpusKind& kind, const std::function<std::string(unsigned seed)>& runCase)
{
    ::SetUnhandledExceptionFilter(ReportCrash);
    const char* full = std::getenv("CORPUS_FULL");
    unsigned first = kind.baseSeed, end = first + (full && !std::strcmp(full, "1") ? kind.fullCount : kind.quickCount);
    if (const char* replay = std::getenv("CORPUS_SEED"); replay && *replay) {
        first = static_cast<unsigned>(std::strtoul(replay, nullptr, 10));
        end = first >= kind.baseSeed && first < kind.baseSeed + kind.fullCount ? first + 1 : first;
    }
    const auto* result = ::testing::UnitTest::GetInstance()->current_test_info()->result();
    std::map<std::string, unsigned> outcomes;
    const ULONGLONG start = ::GetTickCount64();
    for (unsigned seed = first; seed < end && outcomes["FAULTY"] < 10; ++seed) {
        std::snprintf(g_case, sizeof g_case, "%s case seed %u; replay: CORPUS_SEED=%u ctest --test-dir build -R "
                      "robustness_tests --output-on-failure", kind.name, seed, seed);
        SCOPED_TRACE(g_case);
        const int failuresBefore = result->total_part_count();
        testing_support::WatchCase(g_case, kind.caseTimeoutMs);
        const std::string outcome = runCase(seed);
        ++outcomes[result->total_part_count() == failuresBefore ? outcome : "FAULTY"];
    }
    std::string summary;
    for (const auto& [outcome, count] : outcomes)
        summary += count ? "; " + std::to_string(count) + " " + outcome : "";
    std::printf("[corpus] %s, seeds %u to %u: %.1f s%s\n", kind.name, first, end, (::GetTickCount64() - start) / 1e3,
                summary.c_str());
    std::fflush(stdout);
}

size_t Below(std::mt19937& random, size_t bound)
{
    return bound == 0 ? 0 : std::uniform_int_distribution<size_t>(0, bound - 1)(random);
}

bool Chance(std::mt19937& random, unsigned percent) { return Below(random, 100) < percent; }

std::string RandomBytes(std::mt19937& random, size_t count)
{
    std::string bytes(count, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(Below(random, 256));
    return bytes;
}

void MutateBytes(std::string& bytes, std::mt19937& random, int changes)
{
    for (; changes > 0; --changes) {
        const size_t at = Below(random, bytes.size()), length = 1 + Below(random, 64), pick = Below(random, 6);
        if (pick == 0 && at < bytes.size())
            bytes[at] = static_cast<char>(bytes[at] ^ (1u << Below(random, 8)));
        else if (pick == 1 && at < bytes.size())
            bytes[at] = "\0\x7F\x80\xFF/\\.:"[Below(random, 8)];
        else if (pick == 2)
            bytes.erase(at, length);
        else if (pick == 3)
            bytes.insert(at, bytes.substr(at, length));
        else if (pick == 4)
            bytes.insert(at, RandomBytes(random, length));
        else if (pick == 5)
            bytes.resize(at);
    }
}

void MutateField(std::string& bytes, size_t offset, size_t width, std::mt19937& random)
{
    static const unsigned long long kEdges[] = {0, 1, 0x7F, 0x80, 0xFF, 0x7FFF, 0xFFFF, 0x7FFFFFFF, 0xFFFFFFFF};
    unsigned long long value = Chance(random, 60) ? kEdges[Below(random, std::size(kEdges))] : random();
    if (Chance(random, 20))
        value = bytes.size() + Below(random, 64) - 32;  // a plausible offset or size near the end
    for (size_t i = 0; offset + width <= bytes.size() && i < width; ++i)
        bytes[offset + i] = static_cast<char>(value >> (8 * i));
}

std::wstring MacroText(std::mt19937& random, size_t length)
{
    static const wchar_t* const kPieces[] = {
        L"$(^Name)", L"${PRIMARY_SW_NAME}", L"$(^LangAbrev)", L"$(^LangID)", L"$(^NextBtn)", L"$\\r", L"$\\n",
        L". \\", L"$(^name)", L"$(^Name", L"$(^", L"$", L"\\", L".", L" ", L")", L"r", L"n", L"\r\n", L"Setup ",
        L"\u05E2\u05D1", L"\xD834\xDD1E", L"\xD800", L"\xDFFF", L"\xFFFF", L"\x7F"};
    std::wstring text;
    while (text.size() < length)
        text += Chance(random, 3) ? std::wstring(1, L'\0') : std::wstring(kPieces[Below(random, std::size(kPieces))]);
    return text;
}

}  // namespace robustness
