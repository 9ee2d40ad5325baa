// Footprint: the size of KestrafinSetup.exe and the peak working set of a
// whole run of it with the demo content: language, welcome, offer accepted,
// both installers downloaded and run, finished. The peak is read from
// outside, from the running process, the way Task Manager shows it.
#include <windows.h>

#include <psapi.h>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "Automation.h"
#include "BenchSupport.h"
#include "LoopbackHttpServer.h"
#include "ZipBuilder.h"
#include "support/BuildAddress.h"
#include "support/ChildProcess.h"
#include "support/Files.h"

namespace {

constexpr double kSizeGoal = 1.2e6;          // bytes
constexpr double kWorkingSetGoal = 40e6;     // bytes
constexpr DWORD kStepTimeoutMs = 60000;
constexpr wchar_t kLanguageDialog[] = L"Kestrafin";
constexpr wchar_t kWizard[] = L"Kestrafin Setup (V3.2)";
constexpr int kNextButton = 1009;

// The demo's resources.db with the installer addresses (resources 56 and 61)
// moved to this benchmark's server; empty on failure.
std::string DatabaseForServer(const std::wstring& folder)
{
    const std::wstring path = folder + L"\\resources.db";
    testing_support::WriteFileBytes(
        path, testing_support::ReadFileBytes(testing_support::BuildPath(L"content\\resources.db")));
    sqlite3* database = nullptr;
    bool ok = sqlite3_open(testing_support::Narrow(path).c_str(), &database) == SQLITE_OK;
    const char* const update =
        "UPDATE BLOB SET DATA = CAST(?1 AS BLOB) WHERE BLOB_ID IN "
        "(SELECT BLOB_ID FROM RESOURCE_VALUE WHERE RES_DEF_ID = ?2)";
    for (const auto& [id, name] : {std::pair{56, "/KestrafinInstaller.exe"}, std::pair{61, "/PartnerInstaller.exe"}}) {
        sqlite3_stmt* statement = nullptr;
        const std::string url = testing_support::ArchiveServerUrl(name);
        ok = ok && sqlite3_prepare_v2(database, update, -1, &statement, nullptr) == SQLITE_OK &&
             sqlite3_bind_text(statement, 1, url.c_str(), -1, SQLITE_TRANSIENT) == SQLITE_OK &&
             sqlite3_bind_int(statement, 2, id) == SQLITE_OK && sqlite3_step(statement) == SQLITE_DONE &&
             sqlite3_changes(database) > 0;
        sqlite3_finalize(statement);
    }
    sqlite3_close(database);
    return ok ? testing_support::ReadFileBytes(path) : std::string();
}

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

bool WaitForNextCaption(HWND wizard, const std::wstring& caption)
{
    return winauto::WaitUntil([&] { return winauto::ControlText(wizard, kNextButton) == caption; }, kStepTimeoutMs);
}

// One whole run through the wizard; returns the peak working set in bytes,
// 0 when the run did not go as the demo's does.
size_t MeasureRun(const std::wstring& temp)
{
    testing_support::ChildProcess::Options options;
    options.environment = {{L"TMP", temp + L"\\"}, {L"TEMP", temp + L"\\"}};
    testing_support::ChildProcess process(testing_support::BuildPath(L"KestrafinSetup.exe"), options);
    PeakSampler sampler(process.Id());
    const HWND languages = winauto::WaitForWindow(kLanguageDialog, kStepTimeoutMs, process.Id());
    if (!languages)
        return 0;
    winauto::Click(languages, IDOK);
    const HWND wizard = winauto::WaitForWindow(kWizard, kStepTimeoutMs, process.Id());
    if (!wizard)
        return 0;
    winauto::Click(wizard, kNextButton);
    if (!WaitForNextCaption(wizard, L"Accept"))
        return 0;
    winauto::Click(wizard, kNextButton);
    if (!WaitForNextCaption(wizard, L"Finish"))
        return 0;
    ::Sleep(200);  // a last reading with every task done
    winauto::Click(wizard, kNextButton);
    if (!process.Wait(kStepTimeoutMs) || process.ExitCode() != 0)
        return 0;
    return sampler.Peak();
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    if (!bench::UsesOwnPort("footprint"))
        return 1;
    testing_support::TempFolder root(L"bench-footprint");
    const std::string database = DatabaseForServer(root.Path());
    const std::string installer = testing_support::ReadFileBytes(testing_support::BuildPath(L"recorder.exe"));
    if (database.empty() || installer.empty()) {
        std::printf("footprint: content\\resources.db or recorder.exe missing or unusable\n");
        return 1;
    }
    using testing_support::LoopbackHttpServer;
    LoopbackHttpServer server(testing_support::ArchivePort());
    server.Serve(testing_support::ArchivePath(), LoopbackHttpServer::Body(
        testing_support::BuildZip({testing_support::ZipItem::File("resources.db", database)})));
    server.Serve("/KestrafinInstaller.exe", LoopbackHttpServer::Body(installer));
    server.Serve("/PartnerInstaller.exe", LoopbackHttpServer::Body(installer));

    std::vector<double> peaks;
    for (int run = 0; run < runs; ++run) {
        const size_t peak = MeasureRun(bench::NewFolder(root.Path(), L"run-" + std::to_wstring(run)));
        if (peak == 0) {
            std::printf("footprint: run %d did not go through the wizard to its end\n", run + 1);
            return 1;
        }
        peaks.push_back(peak / 1e6);
        std::printf("footprint: run %d of %d done\n", run + 1, runs);
        std::fflush(stdout);
    }

    const double size = static_cast<double>(
        testing_support::ReadFileBytes(testing_support::BuildPath(L"KestrafinSetup.exe")).size());
    bench::Table table("Footprint: size of KestrafinSetup.exe and peak working set of a whole run");
    table.Note("demo content, offer accepted, both installers downloaded and run; MB = 10^6 bytes");
    table.Note("peak working set: PeakWorkingSetSize of the running process, read every 20 ms from outside");
    table.Figure("peak working set (median of runs)", bench::Median(peaks), peaks, "MB");
    table.Ceiling("KestrafinSetup.exe size", size / 1e6, kSizeGoal / 1e6, "MB");
    table.Ceiling("peak working set (largest run)", *std::max_element(peaks.begin(), peaks.end()),
                  kWorkingSetGoal / 1e6, "MB");
    table.Print();
    return 0;
}
