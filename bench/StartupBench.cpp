// Start-up: the time from starting the program to its first window (the
// resource bootstrap dialog) and to its language dialog, with a 1 MB resource
// archive served on the build's archive address, each beside the fair limit:
// a minimal program of the same build (bench_startup_limit.exe) started the
// same way until its one dialog shows; the language dialog also beside that
// limit plus a bare download and extraction of the same archive in this
// process. Contenders alternate within each round; figures are medians.
#include <urlmon.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <iterator>

#include "Automation.h"
#include "BenchSupport.h"
#include "StartupLimit.h"
#include "support/BuildAddress.h"
#include "LoopbackHttpServer.h"
#include "ArchiveSigner.h"
#include "support/ChildProcess.h"
#include "support/Files.h"
#include "tasks/ArchiveSignatureLayout.h"
#include "tasks/UnzipTask.h"

namespace {

constexpr size_t kArchiveSize = 1u << 20;
constexpr wchar_t kLanguageDialog[] = L"Kestrafin";
constexpr wchar_t kBootstrapDialog[] = L"Loading Resources";
constexpr wchar_t kLimitDialog[] = L"" STARTUP_LIMIT_CAPTION;
// What the program may spend on its own work before its first window, beyond
// the minimal program.
constexpr double kOwnWorkGoal = 0.030;

// resources.db and a stored padding file that bring the archive, signed with
// the build's test key, to exactly kArchiveSize bytes.
std::string PaddedArchive(const std::string& database)
{
    using testing_support::ZipItem;
    const std::string name = "padding.bin";
    const size_t bare = testing_support::BuildZip({ZipItem::File("resources.db", database)}).size();
    // A stored entry adds its data, a local header (30) and a directory
    // record (46), each with the name.
    const size_t overhead = 30 + 46 + 2 * name.size() + kArchiveSignatureCommentSize;
    if (bare + overhead >= kArchiveSize)
        return std::string();
    ZipItem padding = ZipItem::File(name, bench::MixedBytes(kArchiveSize - bare - overhead, 5));
    padding.method = ZipItem::Stored;
    return testing_support::BuildSignedZip({ZipItem::File("resources.db", database), padding});
}

struct ShownWindowQuery {
    const wchar_t* caption;
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchShownWindow(HWND window, LPARAM param)
{
    auto* query = reinterpret_cast<ShownWindowQuery*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != query->processId || !::IsWindowVisible(window))
        return TRUE;
    // For a window of another process GetWindowTextW reads the caption that
    // the system keeps, without a message: a program whose thread is busy
    // right after showing its window (the bootstrap dialog creates its
    // browser after its first paint) is seen when it shows the window, not
    // when its thread next answers, as a WM_GETTEXT query would.
    wchar_t text[64] = L"";
    ::GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    if (std::wcscmp(text, query->caption) != 0)
        return TRUE;
    query->found = window;
    return FALSE;
}

// Polls every millisecond (winauto's own wait polls every 20, too coarse for
// differences of a few milliseconds) for the shown window `caption` of the
// process; null after timeoutMs.
HWND WaitClosely(const wchar_t* caption, DWORD processId, DWORD timeoutMs)
{
    const double deadline = bench::Now() + timeoutMs / 1000.0;
    for (;;) {
        ShownWindowQuery query{caption, processId, nullptr};
        ::EnumWindows(MatchShownWindow, reinterpret_cast<LPARAM>(&query));
        if (query.found)
            return query.found;
        if (bench::Now() > deadline)
            return nullptr;
        ::Sleep(1);
    }
}

// A fresh temporary folder per start: the program's log and downloads land
// there.
testing_support::ChildProcess::Options InFolder(const std::wstring& temp)
{
    testing_support::ChildProcess::Options options;
    options.environment = {{L"TMP", temp + L"\\"}, {L"TEMP", temp + L"\\"}};
    return options;
}

// Seconds from the start of the minimal program to its dialog; negative on
// failure.
double StartLimit(const std::wstring& temp)
{
    const double begin = bench::Now();
    testing_support::ChildProcess process(testing_support::BuildPath(L"bench_startup_limit.exe"), InFolder(temp));
    const HWND dialog = WaitClosely(kLimitDialog, process.Id(), 60000);
    const double seconds = bench::Now() - begin;
    if (!dialog)
        return -1;
    winauto::Close(dialog);
    return process.Wait(30000) ? seconds : -1;
}

struct ProgramTimes {
    double firstWindow = -1;
    double languageDialog = -1;
};

// Seconds from the start of the program to its bootstrap dialog and to its
// language dialog; the program is then cancelled.
ProgramTimes StartProgram(const std::wstring& temp)
{
    ProgramTimes times;
    const double begin = bench::Now();
    testing_support::ChildProcess process(testing_support::BuildPath(L"KestrafinSetup.exe"), InFolder(temp));
    if (!WaitClosely(kBootstrapDialog, process.Id(), 60000))
        return times;
    times.firstWindow = bench::Now() - begin;
    const HWND dialog = WaitClosely(kLanguageDialog, process.Id(), 60000);
    times.languageDialog = bench::Now() - begin;
    if (!dialog)
        return ProgramTimes{};
    winauto::Click(dialog, IDCANCEL);
    return process.Wait(30000) ? times : ProgramTimes{};
}

// Seconds of a bare download and extraction of `url` into `folder`;
// negative on failure.
double BareDownloadAndExtract(const std::wstring& url, const std::wstring& folder)
{
    ::DeleteUrlCacheEntryW(url.c_str());
    const std::wstring path = folder + L"\\resources.zip";
    const double begin = bench::Now();
    const HRESULT result = ::URLDownloadToFileW(nullptr, url.c_str(), path.c_str(), 0, nullptr);
    const bench::BareResult extracted =
        SUCCEEDED(result) ? bench::BareExtract(path, folder, UnzipTask::kBufferSize, false) : bench::BareResult{};
    const double seconds = bench::Now() - begin;
    ::DeleteUrlCacheEntryW(url.c_str());
    return extracted.ok ? seconds : -1;
}

std::vector<double> Differences(const std::vector<double>& minuends, const std::vector<double>& subtrahends)
{
    std::vector<double> out;
    for (size_t i = 0; i < minuends.size() && i < subtrahends.size(); ++i)
        out.push_back(minuends[i] - subtrahends[i]);
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    if (!bench::UsesOwnPort("start-up"))
        return 1;
    const unsigned short port = testing_support::ArchivePort();
    testing_support::TempFolder root(L"bench-startup");
    const std::string database = testing_support::ReadFileBytes(testing_support::BuildPath(L"content\\resources.db"));
    const std::string archive = PaddedArchive(database);
    if (database.empty() || archive.size() != kArchiveSize) {
        std::printf("start-up: cannot make the archive (content\\resources.db missing or too large)\n");
        return 1;
    }

    testing_support::LoopbackHttpServer server(port);
    server.Serve(testing_support::ArchivePath(), testing_support::LoopbackHttpServer::Body(archive));
    const std::wstring url = server.Url(testing_support::ArchivePath());
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::printf("start-up: serving %s on %s\n", bench::Megabytes(archive.size()).c_str(),
                testing_support::Narrow(url).c_str());
    std::fflush(stdout);

    std::vector<double> limit, firstWindow, language, bare;
    for (int run = 0; run < runs; ++run) {
        const std::wstring tag = std::to_wstring(run);
        // Each round is led by the next contender, so that none always runs
        // first after the pause of the previous round.
        for (int turn = 0; turn < 3; ++turn) {
            switch ((run + turn) % 3) {
            case 0:
                limit.push_back(StartLimit(bench::NewFolder(root.Path(), L"limit-" + tag)));
                break;
            case 1: {
                const ProgramTimes times = StartProgram(bench::NewFolder(root.Path(), L"run-" + tag));
                firstWindow.push_back(times.firstWindow);
                language.push_back(times.languageDialog);
                break;
            }
            default:
                bare.push_back(BareDownloadAndExtract(url, bench::NewFolder(root.Path(), L"bare-" + tag)));
            }
        }
        if (limit.back() < 0 || firstWindow.back() < 0 || language.back() < 0 || bare.back() < 0) {
            std::printf("start-up: round %d failed (limit %.3f, first window %.3f, language dialog %.3f, bare %.3f)\n",
                        run + 1, limit.back(), firstWindow.back(), language.back(), bare.back());
            return 1;
        }
        std::printf("start-up: round %d of %d done\n", run + 1, runs);
        std::fflush(stdout);
    }
    ::CoUninitialize();

    std::vector<double> limitPlusBare;
    for (int run = 0; run < runs; ++run)
        limitPlusBare.push_back(limit[run] + bare[run]);
    const std::vector<double> ownWork = Differences(firstWindow, limit);
    const std::vector<double> languageBeyond = Differences(language, limitPlusBare);

    bench::Table table("Start-up: program start to its windows, beside a minimal program (seconds, medians)");
    table.Note("archive " + bench::Megabytes(archive.size()) + " (resources.db and a padding file) on " +
               testing_support::Narrow(url) + "; " + std::to_string(runs) + " rounds, contenders alternating");
    table.Note("limit: bench_startup_limit.exe, built as the program is, shows one dialog and nothing else");
    table.Note("windows are polled every millisecond and seen when shown;");
    table.Note("differences are medians of the differences within each round");
    table.Figure("limit: start to its dialog", bench::Median(limit), limit, "s");
    table.Figure("program: start to bootstrap dialog", bench::Median(firstWindow), firstWindow, "s");
    table.Figure("  own work before first window (- limit)", bench::Median(ownWork), ownWork, "s");
    table.Ceiling("  own work before first window, goal", bench::Median(ownWork), kOwnWorkGoal, "s");
    table.Figure("program: start to language dialog", bench::Median(language), language, "s");
    table.Figure("  - limit", bench::Median(Differences(language, limit)), {}, "s");
    table.Figure("bare URLDownloadToFileW + extraction", bench::Median(bare), bare, "s");
    table.Figure("limit + bare", bench::Median(limitPlusBare), limitPlusBare, "s");
    table.Figure("  language dialog - (limit + bare)", bench::Median(languageBeyond), languageBeyond, "s");
    table.Ratio("ratio (limit + bare) / program (info)", bench::Median(limitPlusBare) / bench::Median(language), 0);
    table.Print();
    return 0;
}
