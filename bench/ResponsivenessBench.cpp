// Responsiveness: whether the program's user-interface thread keeps
// answering while its tasks run. A thread of this benchmark sends WM_NULL to
// the program's current dialog every 50 ms (SendMessageTimeout, 1 s) and
// times each reply, in two phases of a whole demo run:
//
//   bootstrap  the bootstrap dialog "Loading Resources" while a 40 MiB
//              archive is downloaded (served slowly, for about three seconds)
//              and extracted;
//   tasks      the wizard's task page while both installers are downloaded
//              (served slowly) and run, up to the finish page.
//
// The goal: no reply takes longer than 100 ms in either phase.
//
//   bench_responsiveness.exe [RUNS] [OTHER]
//
// OTHER, another build's KestrafinSetup.exe configured for the same archive
// address and trusting the same archive key, runs in turn with this build's,
// for a before-and-after comparison in one run.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ArchiveSigner.h"
#include "BenchSupport.h"
#include "DemoContent.h"
#include "DemoWizard.h"
#include "LoopbackHttpServer.h"
#include "ReplyProbe.h"
#include "support/BuildAddress.h"
#include "support/ChildProcess.h"
#include "support/Files.h"

namespace {

constexpr DWORD kProbePeriodMs = 50;
constexpr DWORD kReplyTimeoutMs = 1000;
constexpr double kStallGoal = 0.100;  // seconds

// The archive: resources.db and four entries of 10 MiB that deflate to about
// three quarters, sent in pieces of 256 KiB with a pause of 20 ms after
// each: about three seconds on the loopback.
constexpr int kPaddingEntries = 4;
constexpr size_t kPaddingEntrySize = 10u << 20;
constexpr size_t kArchivePiece = 256u << 10;
constexpr DWORD kArchivePauseMs = 20;
// The installers (recorder.exe, 0.8 MB) in pieces of 32 KiB, 50 ms apart:
// about 1.3 seconds each.
constexpr size_t kInstallerPiece = 32u << 10;
constexpr DWORD kInstallerPauseMs = 50;

enum Phase { kBootstrapPhase, kTasksPhase, kPhaseCount };
constexpr const char* kPhaseNames[kPhaseCount] = {"bootstrap dialog (download and extraction)",
                                                  "task page (installers downloaded and run)"};

// The replies of one program, by phase, over all its runs.
struct Measured {
    std::wstring program;
    std::string label;
    std::vector<bench::ReplyProbe::Reply> replies[kPhaseCount];
    std::vector<double> longestPerRun[kPhaseCount];
};

// The value below which `share` of the sorted values lie (nearest rank).
double Percentile(const std::vector<double>& sorted, double share)
{
    if (sorted.empty())
        return 0.0;
    const auto rank = static_cast<size_t>(std::ceil(share * static_cast<double>(sorted.size())));
    return sorted[std::min(sorted.size(), std::max<size_t>(rank, 1)) - 1];
}

// One whole demo run of `program`, probed in both phases; false when the
// run did not go as the demo's does.
bool MeasureRun(Measured& measured, const std::wstring& temp)
{
    testing_support::ChildProcess::Options options;
    options.environment = {{L"TMP", temp + L"\\"}, {L"TEMP", temp + L"\\"}};
    testing_support::ChildProcess process(measured.program, options);
    bench::ReplyProbe probe(kProbePeriodMs, kReplyTimeoutMs);
    bool bootstrapProbed = false;
    const bool walked = bench::WalkDemoWizard(process, [&](bench::DemoStage stage, HWND window) {
        switch (stage) {
        case bench::DemoStage::Bootstrap:
            probe.Probe(window, kBootstrapPhase);
            bootstrapProbed = true;
            break;
        case bench::DemoStage::TasksStarted:
            probe.Probe(window, kTasksPhase);
            break;
        case bench::DemoStage::LanguageDialog:
        case bench::DemoStage::FinishPage:
            probe.Probe(nullptr, -1);
            break;
        default:
            break;
        }
    });
    if (!walked || !bootstrapProbed)
        return false;
    double longest[kPhaseCount] = {};
    for (const bench::ReplyProbe::Reply& reply : probe.Take()) {
        if (reply.phase < 0 || reply.phase >= kPhaseCount)
            continue;
        measured.replies[reply.phase].push_back(reply);
        longest[reply.phase] = std::max(longest[reply.phase], reply.seconds);
    }
    for (int phase = 0; phase < kPhaseCount; ++phase)
        measured.longestPerRun[phase].push_back(longest[phase]);
    return true;
}

void AddFigures(bench::Table& table, const Measured& measured)
{
    for (int phase = 0; phase < kPhaseCount; ++phase) {
        const std::vector<bench::ReplyProbe::Reply>& replies = measured.replies[phase];
        std::vector<double> seconds;
        int unanswered = 0;
        for (const bench::ReplyProbe::Reply& reply : replies) {
            seconds.push_back(reply.seconds);
            unanswered += reply.answered ? 0 : 1;
        }
        std::sort(seconds.begin(), seconds.end());
        const std::string name = measured.label + ", " + kPhaseNames[phase];
        table.Section(name + ": " + std::to_string(seconds.size()) + " replies, " + std::to_string(unanswered) +
                      " without reply within 1 s");
        table.Figure("  median reply", Percentile(seconds, 0.5), {}, "s");
        table.Figure("  90th percentile", Percentile(seconds, 0.9), {}, "s");
        table.Figure("  99th percentile", Percentile(seconds, 0.99), {}, "s");
        const double longest = seconds.empty() ? 0.0 : seconds.back();
        table.Figure("  longest reply (runs: longest of each)", longest, measured.longestPerRun[phase], "s");
        table.Ceiling("  longest reply, goal", longest, kStallGoal, "s");
        // Where the longest replies came, to find the handler that held the
        // thread.
        std::vector<bench::ReplyProbe::Reply> worst = replies;
        std::sort(worst.begin(), worst.end(), [](const auto& a, const auto& b) { return a.seconds > b.seconds; });
        std::string where = "  longest replies:";
        for (size_t i = 0; i < worst.size() && i < 3; ++i)
            where += bench::Format(" %.3f s", worst[i].seconds) + bench::Format(" at %+.2f s;", worst[i].at);
        table.Section(where + " (into the phase)");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    if (!bench::UsesOwnPort("responsiveness"))
        return 1;
    testing_support::TempFolder root(L"bench-responsiveness");
    const bench::DemoFiles demo = bench::ReadDemoFiles(root.Path(), "responsiveness");
    if (demo.database.empty())
        return 1;
    std::vector<testing_support::ZipItem> items{testing_support::ZipItem::File("resources.db", demo.database)};
    for (int entry = 0; entry < kPaddingEntries; ++entry)
        items.push_back(testing_support::ZipItem::File("padding-" + std::to_string(entry + 1) + ".bin",
                                                       bench::MixedBytes(kPaddingEntrySize, 11 + entry)));
    using testing_support::LoopbackHttpServer;
    LoopbackHttpServer::Reply archive = LoopbackHttpServer::Body(testing_support::BuildSignedZip(items));
    archive.pieceSize = kArchivePiece;
    archive.pauseMs = kArchivePauseMs;
    LoopbackHttpServer::Reply installers = LoopbackHttpServer::Body(demo.installer);
    installers.pieceSize = kInstallerPiece;
    installers.pauseMs = kInstallerPauseMs;
    const double archiveBytes = static_cast<double>(archive.body->size());
    LoopbackHttpServer server(testing_support::ArchivePort());
    server.Serve(testing_support::ArchivePath(), archive);
    server.Serve("/KestrafinInstaller.exe", installers);
    server.Serve("/PartnerInstaller.exe", installers);

    std::vector<Measured> programs{{testing_support::BuildPath(L"KestrafinSetup.exe"), "program", {}, {}}};
    if (argc > 2)
        programs.push_back({testing_support::Widen(argv[2]), "other", {}, {}});
    for (int run = 0; run < runs; ++run) {
        for (size_t index = 0; index < programs.size(); ++index) {
            const std::wstring temp =
                bench::NewFolder(root.Path(), L"run-" + std::to_wstring(run) + L"-" + std::to_wstring(index));
            if (!MeasureRun(programs[index], temp)) {
                std::printf("responsiveness: run %d of %s did not go through the wizard to its end\n", run + 1,
                            testing_support::Narrow(programs[index].program).c_str());
                return 1;
            }
            testing_support::RemoveTree(temp);  // 40 MiB extracted per run
        }
        std::printf("responsiveness: run %d of %d done\n", run + 1, runs);
        std::fflush(stdout);
    }

    bench::Table table("Responsiveness: the user-interface thread's replies to WM_NULL every 50 ms (seconds)");
    table.Note("archive " + bench::Megabytes(archiveBytes) + " (resources.db and 4 entries of 10 MiB), sent in " +
               "pieces of 256 KiB 20 ms apart; installers 0.8 MB each in pieces of 32 KiB 50 ms apart");
    table.Note("SendMessageTimeout(WM_NULL, SMTO_ABORTIFHUNG, 1 s) to the current dialog from a thread of this "
               "benchmark; " + std::to_string(runs) + " runs, figures over all replies");
    if (programs.size() > 1)
        table.Note("other: " + testing_support::Narrow(programs[1].program) + ", its runs alternating with these");
    for (const Measured& measured : programs)
        AddFigures(table, measured);
    table.Print();
    return 0;
}
