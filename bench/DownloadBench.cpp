// Download: DownloadTask run as the program runs it against a bare
// URLDownloadToFileW of the same file from the same loopback server in the
// same process, runs alternating.
#include <urlmon.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>

#include "BenchSupport.h"
#include "LoopbackHttpServer.h"
#include "support/Files.h"
#include "tasks/DownloadTask.h"

namespace {

constexpr size_t kFileSize = 200u << 20;

unsigned long long FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    testing_support::TempFolder root(L"bench-download");
    ::SetEnvironmentVariableW(L"TMP", (root.Path() + L"\\").c_str());
    ::SetEnvironmentVariableW(L"TEMP", (root.Path() + L"\\").c_str());
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    testing_support::LoopbackHttpServer server;
    server.Serve("/payload.bin", testing_support::LoopbackHttpServer::Body(bench::MixedBytes(kFileSize, 42)));
    const std::wstring url = server.Url("/payload.bin");
    DownloadTask::SetConnectivityCheckUrl(server.Url("/").c_str());
    std::printf("download: serving %s on %s\n", bench::Megabytes(kFileSize).c_str(),
                testing_support::Narrow(url).c_str());
    std::fflush(stdout);

    bench::TaskWindow window;
    std::vector<double> task, bare;
    for (int run = 0; run < runs; ++run) {
        {
            ::DeleteUrlCacheEntryW(url.c_str());
            DownloadTask download(&window);
            download.SetUrl(url.c_str());
            const double seconds = bench::RunTask(download, window, 600000);
            bench::WaitForWorker(download);
            const std::wstring path = download.GetStringResult().c_str();
            if (seconds <= 0 || FileSize(path) != kFileSize) {
                std::printf("download: DownloadTask failed: %s\n", testing_support::Narrow(window.Error()).c_str());
                return 1;
            }
            task.push_back(kFileSize / seconds / 1e6);
            testing_support::RemoveTree(path.substr(0, path.find_last_of(L'\\')));
            ::DeleteUrlCacheEntryW(url.c_str());
        }
        {
            const std::wstring folder = bench::NewFolder(root.Path(), L"bare");
            const std::wstring path = folder + L"\\payload.bin";
            const double begin = bench::Now();
            const HRESULT result = ::URLDownloadToFileW(nullptr, url.c_str(), path.c_str(), 0, nullptr);
            const double seconds = bench::Now() - begin;
            if (FAILED(result) || FileSize(path) != kFileSize) {
                std::printf("download: URLDownloadToFileW failed: 0x%lX\n", static_cast<unsigned long>(result));
                return 1;
            }
            bare.push_back(kFileSize / seconds / 1e6);
            testing_support::RemoveTree(folder);
            ::DeleteUrlCacheEntryW(url.c_str());
        }
        std::printf("download: run %d of %d done\n", run + 1, runs);
        std::fflush(stdout);
    }

    bench::Table table("Download: DownloadTask against bare URLDownloadToFileW (MB/s, medians)");
    table.Note(bench::Megabytes(kFileSize) + " from a loopback server in this process; " + std::to_string(runs) +
               " runs each, alternating");
    table.Figure("DownloadTask (Start, window, message loop)", bench::Median(task), task, "MB/s");
    table.Figure("bare URLDownloadToFileW (the limit)", bench::Median(bare), bare, "MB/s");
    table.Ratio("ratio DownloadTask / bare", bench::Median(task) / bench::Median(bare), 0.95);
    table.Print();
    ::CoUninitialize();
    return 0;
}
