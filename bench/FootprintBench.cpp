// Footprint: the size of KestrafinSetup.exe and the peak working set of a
// whole run of it with the demo content: language, welcome, offer accepted,
// both installers downloaded and run, finished. The peak is read from
// outside, from the running process, the way Task Manager shows it; the
// working set is also read at each page, to show where the peak comes from.
// The size is broken down by what the linker put into the program, from the
// map file that the Release build writes beside it.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "BenchSupport.h"
#include "DemoContent.h"
#include "DemoWizard.h"
#include "LinkerMap.h"
#include "LoopbackHttpServer.h"
#include "ArchiveSigner.h"
#include "support/BuildAddress.h"
#include "support/ChildProcess.h"
#include "support/Files.h"

namespace {

constexpr double kSizeGoal = 1.2e6;          // bytes
constexpr double kWorkingSetGoal = 40e6;     // bytes

// Follows a process's peak working set until stopped; the last reading
// before the process ends is its peak.
class PeakSampler {
public:
    explicit PeakSampler(DWORD processId)
        : m_process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId)),
          m_thread([this] { Run(); })
    {
    }
    ~PeakSampler()
    {
        m_stop = true;
        m_thread.join();
        if (m_process)
            ::CloseHandle(m_process);
    }
    PeakSampler(const PeakSampler&) = delete;
    PeakSampler& operator=(const PeakSampler&) = delete;

    size_t Peak() const noexcept { return m_peak; }

    // The working set now and the peak so far, in bytes; zeros when the
    // process cannot be read.
    std::pair<size_t, size_t> Now() const
    {
        PROCESS_MEMORY_COUNTERS counters{};
        if (!m_process || !::GetProcessMemoryInfo(m_process, &counters, sizeof counters))
            return {0, 0};
        return {counters.WorkingSetSize, counters.PeakWorkingSetSize};
    }

private:
    void Run()
    {
        while (!m_stop && m_process) {
            PROCESS_MEMORY_COUNTERS counters{};
            if (::GetProcessMemoryInfo(m_process, &counters, sizeof counters))
                m_peak = std::max<size_t>(m_peak, counters.PeakWorkingSetSize);
            ::Sleep(20);
        }
    }

    HANDLE m_process;
    std::atomic<bool> m_stop{false};
    std::atomic<size_t> m_peak{0};
    std::thread m_thread;
};

// The stages of a run at which the working set is read, in their order.
enum Stage { kLanguageStage, kWelcomePage, kOfferPage, kFinishPage, kStageCount };
constexpr const char* kStageNames[kStageCount] = {"language dialog (after download and extraction)", "welcome page",
                                                 "offer page (browser control)",
                                                 "finish page (after both installers)"};

// The working set (current, peak so far) in MB at each stage of the runs.
struct StageReadings {
    std::vector<double> current[kStageCount];
    std::vector<double> peak[kStageCount];

    void Read(Stage stage, const PeakSampler& sampler)
    {
        ::Sleep(300);  // the page has been drawn, its start-up work is done
        const auto [now, peakSoFar] = sampler.Now();
        current[stage].push_back(now / 1e6);
        peak[stage].push_back(peakSoFar / 1e6);
    }
};

// The figures of one program.
struct Measured {
    std::wstring program;
    std::vector<double> peaks;  // MB
    StageReadings stages;
};

// The per-stage rows and the median peak of one program.
void AddFigures(bench::Table& table, const Measured& measured, const std::string& suffix)
{
    for (int stage = 0; stage < kStageCount; ++stage)
        table.Figure(std::string(kStageNames[stage]) + suffix + " (peak " +
                         bench::Format("%.1f", bench::Median(measured.stages.peak[stage])) + ")",
                     bench::Median(measured.stages.current[stage]), measured.stages.current[stage], "MB");
    table.Figure("peak working set" + suffix + " (median of runs)", bench::Median(measured.peaks), measured.peaks,
                 "MB");
}

// One whole run through the wizard; returns the peak working set in bytes,
// 0 when the run did not go as the demo's does.
size_t MeasureRun(const std::wstring& program, const std::wstring& temp, StageReadings& stages)
{
    testing_support::ChildProcess::Options options;
    options.environment = {{L"TMP", temp + L"\\"}, {L"TEMP", temp + L"\\"}};
    testing_support::ChildProcess process(program, options);
    PeakSampler sampler(process.Id());
    const bool walked = bench::WalkDemoWizard(process, [&](bench::DemoStage stage, HWND) {
        switch (stage) {
        case bench::DemoStage::LanguageDialog: stages.Read(kLanguageStage, sampler); break;
        case bench::DemoStage::WelcomePage: stages.Read(kWelcomePage, sampler); break;
        case bench::DemoStage::OfferPage: stages.Read(kOfferPage, sampler); break;
        // Also a last reading with every task done.
        case bench::DemoStage::FinishPage: stages.Read(kFinishPage, sampler); break;
        default: break;
        }
    });
    return walked ? sampler.Peak() : 0;
}

// The program's size by library or object file, from the linker's map.
void PrintContributors()
{
    const std::string map = testing_support::ReadFileBytes(testing_support::BuildPath(L"KestrafinSetup.map"));
    if (map.empty()) {
        std::printf("\nNo KestrafinSetup.map: the Release build writes it.\n");
        return;
    }
    std::printf("\nKestrafinSetup.exe by contributor (linker map; code and data, before stripping and signing)\n");
    size_t total = 0, small = 0;
    for (const auto& [name, bytes] : bench::LinkerMapContributors(map)) {
        total += bytes;
        if (bytes >= 4000)
            std::printf("  %9.1f KB  %s\n", bytes / 1e3, name.c_str());
        else
            small += bytes;
    }
    std::printf("  %9.1f KB  the rest (each below 4 KB)\n  %9.1f KB  in all\n", small / 1e3, total / 1e3);
}

}  // namespace

// bench_footprint.exe [RUNS] [OTHER_PROGRAM]: OTHER_PROGRAM, another build's
// KestrafinSetup.exe for the same archive address, is measured beside it.
int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    if (!bench::UsesOwnPort("footprint"))
        return 1;
    testing_support::TempFolder root(L"bench-footprint");
    const bench::DemoFiles demo = bench::ReadDemoFiles(root.Path(), "footprint");
    if (demo.database.empty())
        return 1;
    using testing_support::LoopbackHttpServer;
    LoopbackHttpServer server(testing_support::ArchivePort());
    server.Serve(testing_support::ArchivePath(), LoopbackHttpServer::Body(
        testing_support::BuildSignedZip({testing_support::ZipItem::File("resources.db", demo.database)})));
    server.Serve("/KestrafinInstaller.exe", LoopbackHttpServer::Body(demo.installer));
    server.Serve("/PartnerInstaller.exe", LoopbackHttpServer::Body(demo.installer));

    // This build's program, and another build's (a comparison) when named:
    // their runs alternate.
    std::vector<Measured> programs{{testing_support::BuildPath(L"KestrafinSetup.exe"), {}, {}}};
    if (argc > 2)
        programs.push_back({testing_support::Widen(argv[2]), {}, {}});
    for (int run = 0; run < runs; ++run) {
        for (size_t index = 0; index < programs.size(); ++index) {
            Measured& measured = programs[index];
            const std::wstring temp =
                bench::NewFolder(root.Path(), L"run-" + std::to_wstring(run) + L"-" + std::to_wstring(index));
            const size_t peak = MeasureRun(measured.program, temp, measured.stages);
            if (peak == 0) {
                std::printf("footprint: run %d of %s did not go through the wizard to its end\n", run + 1,
                            testing_support::Narrow(measured.program).c_str());
                return 1;
            }
            measured.peaks.push_back(peak / 1e6);
        }
        std::printf("footprint: run %d of %d done\n", run + 1, runs);
        std::fflush(stdout);
    }
    const std::vector<double>& peaks = programs[0].peaks;

    const double size = static_cast<double>(
        testing_support::ReadFileBytes(testing_support::BuildPath(L"KestrafinSetup.exe")).size());
    bench::Table table("Footprint: size of KestrafinSetup.exe and peak working set of a whole run");
    table.Note("demo content, offer accepted, both installers downloaded and run; MB = 10^6 bytes");
    table.Note("peak working set: PeakWorkingSetSize of the running process, read every 20 ms from outside");
    table.Note("per stage: the working set there, and in brackets the peak up to there");
    AddFigures(table, programs[0], "");
    if (programs.size() > 1) {
        table.Note("[other]: " + testing_support::Narrow(programs[1].program) + ", its runs alternating with these");
        AddFigures(table, programs[1], " [other]");
    }
    table.Ceiling("KestrafinSetup.exe size", size / 1e6, kSizeGoal / 1e6, "MB");
    table.Ceiling("peak working set (largest run)", *std::max_element(peaks.begin(), peaks.end()),
                  kWorkingSetGoal / 1e6, "MB");
    table.Print();
    PrintContributors();
    return 0;
}
