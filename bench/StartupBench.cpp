// Start-up: the time from starting the program to its first window (the
// resource bootstrap dialog) and to its language dialog, with a 1 MB resource
// archive served on the build's archive address, each beside the fair limit:
// a minimal program of the same build (bench_startup_limit.exe) started the
// same way until its one dialog shows; the language dialog also beside that
// limit plus a bare download and extraction of the same archive in this
// process. Contenders alternate within each round; figures are medians.
//
//   bench_startup.exe [RUNS] [OTHER]
//
// OTHER, another build's KestrafinSetup.exe configured for the same archive
// address and trusting the same archive key, is measured in the same rounds,
// for a before-and-after comparison side by side.
#include <urlmon.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>

#include "Automation.h"
#include "BenchSupport.h"
#include "ShownWindow.h"
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
// What it may spend up to its language dialog beyond the minimal program
// plus a bare download and extraction of the same archive.
constexpr double kLanguageGoal = 0.030;

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

// Polls every millisecond (winauto's own wait polls every 20, too coarse for
// differences of a few milliseconds) for the shown window `caption` of the
// process; null after timeoutMs. The caption is read without a message: a
// program whose thread is busy right after showing its window (the
// bootstrap dialog creates its browser after its first paint) is seen when
// it shows the window, not when its thread next answers.
HWND WaitClosely(const wchar_t* caption, DWORD processId, DWORD timeoutMs)
{
    return bench::WaitForShownWindow(caption, processId, timeoutMs, 1);
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

// Seconds from the start of `program` to its bootstrap dialog and to its
// language dialog; the program is then cancelled.
ProgramTimes StartProgram(const std::wstring& program, const std::wstring& temp)
{
    ProgramTimes times;
    const double begin = bench::Now();
    testing_support::ChildProcess process(program, InFolder(temp));
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

// One build's program and its times, round by round.
struct ProgramSeries {
    std::wstring path;
    std::string label;  // "program" or "other"
    std::vector<double> firstWindow;
    std::vector<double> language;
};

// The rows of one program beside the limit and the bare work of the same
// rounds.
void AddProgramRows(bench::Table& table, const ProgramSeries& program, const std::vector<double>& limit,
                    const std::vector<double>& limitPlusBare)
{
    const std::string& label = program.label;
    const std::vector<double> ownWork = Differences(program.firstWindow, limit);
    const std::vector<double> languageBeyond = Differences(program.language, limitPlusBare);
    table.Figure(label + ": start to bootstrap dialog", bench::Median(program.firstWindow), program.firstWindow, "s");
    table.Figure("  own work before first window (- limit)", bench::Median(ownWork), ownWork, "s");
    table.Ceiling("  own work before first window, goal", bench::Median(ownWork), kOwnWorkGoal, "s");
    table.Figure(label + ": start to language dialog", bench::Median(program.language), program.language, "s");
    table.Figure("  - limit", bench::Median(Differences(program.language, limit)), {}, "s");
    table.Figure("  language dialog - (limit + bare)", bench::Median(languageBeyond), languageBeyond, "s");
    table.Ceiling("  language dialog - (limit + bare), goal", bench::Median(languageBeyond), kLanguageGoal, "s");
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

    std::vector<ProgramSeries> programs{{testing_support::BuildPath(L"KestrafinSetup.exe"), "program", {}, {}}};
    if (argc > 2)
        programs.push_back({testing_support::Widen(argv[2]), "other", {}, {}});
    // The limit, each program, the bare work.
    const int contenders = static_cast<int>(programs.size()) + 2;
    std::vector<double> limit, bare;
    for (int run = 0; run < runs; ++run) {
        const std::wstring tag = std::to_wstring(run);
        // Each round is led by the next contender, so that none always runs
        // first after the pause of the previous round.
        for (int turn = 0; turn < contenders; ++turn) {
            const int contender = (run + turn) % contenders;
            if (contender == 0) {
                limit.push_back(StartLimit(bench::NewFolder(root.Path(), L"limit-" + tag)));
            } else if (contender == contenders - 1) {
                bare.push_back(BareDownloadAndExtract(url, bench::NewFolder(root.Path(), L"bare-" + tag)));
            } else {
                ProgramSeries& program = programs[static_cast<size_t>(contender - 1)];
                const ProgramTimes times = StartProgram(
                    program.path, bench::NewFolder(root.Path(), L"run-" + tag + L"-" + std::to_wstring(contender)));
                program.firstWindow.push_back(times.firstWindow);
                program.language.push_back(times.languageDialog);
            }
        }
        bool failed = limit.back() < 0 || bare.back() < 0;
        for (const ProgramSeries& program : programs)
            failed = failed || program.firstWindow.back() < 0 || program.language.back() < 0;
        if (failed) {
            std::printf("start-up: round %d failed (limit %.3f, bare %.3f", run + 1, limit.back(), bare.back());
            for (const ProgramSeries& program : programs)
                std::printf(", %s: first window %.3f, language dialog %.3f", program.label.c_str(),
                            program.firstWindow.back(), program.language.back());
            std::printf(")\n");
            return 1;
        }
        std::printf("start-up: round %d of %d done\n", run + 1, runs);
        std::fflush(stdout);
    }
    ::CoUninitialize();

    std::vector<double> limitPlusBare;
    for (int run = 0; run < runs; ++run)
        limitPlusBare.push_back(limit[run] + bare[run]);

    bench::Table table("Start-up: program start to its windows, beside a minimal program (seconds, medians)");
    table.Note("archive " + bench::Megabytes(archive.size()) + " (resources.db and a padding file) on " +
               testing_support::Narrow(url) + "; " + std::to_string(runs) + " rounds, contenders alternating");
    table.Note("limit: bench_startup_limit.exe, built as the program is, shows one dialog and nothing else");
    table.Note("windows are polled every millisecond and seen when shown;");
    table.Note("differences are medians of the differences within each round");
    if (programs.size() > 1)
        table.Note("other: " + testing_support::Narrow(programs[1].path) + ", in the same rounds");
    table.Figure("limit: start to its dialog", bench::Median(limit), limit, "s");
    table.Figure("bare URLDownloadToFileW + extraction", bench::Median(bare), bare, "s");
    table.Figure("limit + bare", bench::Median(limitPlusBare), limitPlusBare, "s");
    for (const ProgramSeries& program : programs)
        AddProgramRows(table, program, limit, limitPlusBare);
    if (programs.size() > 1) {
        const std::vector<double> gain = Differences(programs[1].language, programs[0].language);
        table.Figure("language dialog: other - program", bench::Median(gain), gain, "s");
    }
    table.Ratio("ratio (limit + bare) / program (info)",
                bench::Median(limitPlusBare) / bench::Median(programs[0].language), 0);
    table.Print();
    return 0;
}
