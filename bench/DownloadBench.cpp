// Download: DownloadTask run as the program runs it against a bare
// URLDownloadToFileW of the same file from the same loopback server, runs
// alternating. The server runs in a process of its own, as a real server
// does: inside the measured process its threads would take the cores from
// the download they serve, and the more so the more threads the download
// itself runs.
#include <urlmon.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "LoopbackHttpServer.h"
#include "TaskTestSupport.h"
#include "support/ChildProcess.h"
#include "support/Files.h"
#include "tasks/DownloadTask.h"
#include "framework/ScopedHandle.h"

namespace {

constexpr size_t kFileSize = 200u << 20;

unsigned long long FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A binding callback that does nothing: shows what urlmon's callback path
// costs by itself, apart from the task's own work in its callback.
class SilentCallback : public IBindStatusCallback {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = riid == IID_IUnknown || riid == IID_IBindStatusCallback ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    // Lives on the stack for the whole download.
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP OnStartBinding(DWORD, IBinding*) override { return S_OK; }
    STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP OnLowResource(DWORD) override { return S_OK; }
    STDMETHODIMP OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
    STDMETHODIMP OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
    STDMETHODIMP GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
    STDMETHODIMP OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return S_OK; }
    STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }
};

// MB/s of a bare URLDownloadToFileW of `url` with `callback` (null: none);
// 0 when it fails.
double BareDownload(const std::wstring& root, const std::wstring& url, IBindStatusCallback* callback)
{
    const std::wstring folder = bench::NewFolder(root, L"bare");
    const std::wstring path = folder + L"\\payload.bin";
    const double begin = bench::Now();
    const HRESULT result = ::URLDownloadToFileW(nullptr, url.c_str(), path.c_str(), 0, callback);
    const double seconds = bench::Now() - begin;
    const bool ok = SUCCEEDED(result) && FileSize(path) == kFileSize;
    if (!ok)
        std::printf("download: URLDownloadToFileW failed: 0x%lX\n", static_cast<unsigned long>(result));
    testing_support::RemoveTree(folder);
    ::DeleteUrlCacheEntryW(url.c_str());
    return ok ? kFileSize / seconds / 1e6 : 0;
}

// The name of the event by which the server process says that it listens.
std::wstring ReadyEventName(unsigned short port)
{
    return L"Local\\kt-bench-download-ready-" + std::to_wstring(port);
}

// The server process: serves the payload on `port` until the benchmark
// process `parentId` ends.
int Serve(unsigned short port, DWORD parentId)
{
    const Win32xx::CScopedHandle parent(::OpenProcess(SYNCHRONIZE, FALSE, parentId));
    if (!parent)
        return 1;
    testing_support::LoopbackHttpServer server(port);
    server.Serve("/payload.bin", testing_support::LoopbackHttpServer::Body(bench::MixedBytes(kFileSize, 42)));
    const Win32xx::CScopedHandle ready(::OpenEventW(EVENT_MODIFY_STATE, FALSE, ReadyEventName(port).c_str()));
    if (!ready)
        return 1;
    ::SetEvent(ready.Get());
    ::WaitForSingleObject(parent.Get(), INFINITE);
    return 0;
}

// Starts this program again as the server process on `port`; null when it
// does not come to listen within a minute.
std::unique_ptr<testing_support::ChildProcess> StartServer(unsigned short port)
{
    const Win32xx::CScopedHandle ready(::CreateEventW(nullptr, TRUE, FALSE, ReadyEventName(port).c_str()));
    wchar_t program[MAX_PATH];
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    testing_support::ChildProcess::Options options;
    options.arguments = L"--serve " + std::to_wstring(port) + L" " + std::to_wstring(::GetCurrentProcessId());
    auto server = std::make_unique<testing_support::ChildProcess>(program, options);
    bool listening = false;
    for (int waited = 0; waited < 600 && server->IsRunning() && !listening; ++waited)
        listening = ::WaitForSingleObject(ready.Get(), 100) == WAIT_OBJECT_0;
    return listening ? std::move(server) : nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 3 && std::string(argv[1]) == "--serve")
        return Serve(static_cast<unsigned short>(std::atoi(argv[2])), static_cast<DWORD>(std::atoll(argv[3])));
    const int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    testing_support::TempFolder root(L"bench-download");
    testing_support::SetTempVariables(root.Path() + L"\\");
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    const unsigned short port = testing_support::LoopbackHttpServer::UnusedPort();
    const auto server = StartServer(port);
    if (!server) {
        std::printf("download: the server process did not start\n");
        return 1;
    }
    const std::wstring address = L"http://127.0.0.1:" + std::to_wstring(port);
    const std::wstring url = address + L"/payload.bin";
    const Win32xx::CString checkUrl((address + L"/").c_str());
    std::printf("download: serving %s on %s\n", bench::Megabytes(kFileSize).c_str(),
                testing_support::Narrow(url).c_str());
    std::fflush(stdout);

    bench::TaskWindow window;
    std::vector<double> task, bare, bareWithCallback;
    const auto runTask = [&]() -> double {
        ::DeleteUrlCacheEntryW(url.c_str());
        DownloadTask download(&window, checkUrl);
        download.SetUrl(url.c_str());
        const double seconds = bench::RunTask(download, window, 600000);
        testing_support::WaitForTask(download);
        const std::wstring path = download.GetStringResult().c_str();
        if (seconds <= 0 || FileSize(path) != kFileSize) {
            std::printf("download: DownloadTask failed: %s\n", testing_support::Narrow(window.Error()).c_str());
            return 0;
        }
        testing_support::RemoveTree(path.substr(0, path.find_last_of(L'\\')));
        ::DeleteUrlCacheEntryW(url.c_str());
        return kFileSize / seconds / 1e6;
    };
    SilentCallback silent;
    struct Contender {
        std::function<double()> run;
        std::vector<double>* rates;
    };
    const Contender contenders[] = {
        {runTask, &task},
        {[&] { return BareDownload(root.Path(), url, nullptr); }, &bare},
        {[&] { return BareDownload(root.Path(), url, &silent); }, &bareWithCallback},
    };
    constexpr int kContenders = sizeof(contenders) / sizeof(contenders[0]);
    for (int run = 0; run < runs; ++run) {
        // Each run starts with the next contender, so that none always
        // follows the same one (the machine warms up across a run).
        for (int turn = 0; turn < kContenders; ++turn) {
            const Contender& contender = contenders[(run + turn) % kContenders];
            const double rate = contender.run();
            if (rate <= 0)
                return 1;
            contender.rates->push_back(rate);
        }
        std::printf("download: run %d of %d done\n", run + 1, runs);
        std::fflush(stdout);
    }

    bench::Table table("Download: DownloadTask against bare URLDownloadToFileW (MB/s, medians)");
    table.Note(bench::Megabytes(kFileSize) + " from a loopback server in a process of its own; " + std::to_string(runs) +
               " runs each, alternating, each run led by the next contender");
    table.Figure("DownloadTask (Start, window, message loop)", bench::Median(task), task, "MB/s");
    table.Figure("bare URLDownloadToFileW (the limit)", bench::Median(bare), bare, "MB/s");
    table.Figure("bare, with a callback that does nothing (info)", bench::Median(bareWithCallback), bareWithCallback,
                 "MB/s");
    table.Ratio("ratio DownloadTask / bare", bench::Median(task) / bench::Median(bare), 0.95);
    // The machine's speed drifts from run to run; a ratio within one run,
    // where the two downloads follow each other, is free of that drift.
    std::vector<double> withinRun;
    for (size_t run = 0; run < task.size(); ++run)
        withinRun.push_back(task[run] / bare[run]);
    table.Figure("ratio DownloadTask / bare within each run (info)", bench::Median(withinRun), withinRun, "");
    table.Ratio("ratio DownloadTask / bare with a callback (info)", bench::Median(task) / bench::Median(bareWithCallback),
                0);
    table.Print();
    ::CoUninitialize();
    return 0;
}
