// Start-up: the time from starting the program to its language dialog being
// visible, with a 1 MB resource archive served on the build's archive
// address, beside the time of a bare download and extraction of the same
// archive in this process.
#include <urlmon.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>

#include "Automation.h"
#include "BenchSupport.h"
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

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
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

    std::vector<double> product, bare;
    for (int run = 0; run < runs; ++run) {
        {
            // A temporary folder of its own per run: the program's log and
            // its downloads land there.
            const std::wstring temp = bench::NewFolder(root.Path(), L"run-" + std::to_wstring(run));
            testing_support::ChildProcess::Options options;
            options.environment = {{L"TMP", temp + L"\\"}, {L"TEMP", temp + L"\\"}};
            const double begin = bench::Now();
            testing_support::ChildProcess process(testing_support::BuildPath(L"KestrafinSetup.exe"), options);
            const HWND dialog = winauto::WaitForWindow(kLanguageDialog, 60000, process.Id());
            const double seconds = bench::Now() - begin;
            if (!dialog) {
                std::printf("start-up: the language dialog did not appear\n");
                return 1;
            }
            product.push_back(seconds);
            winauto::Click(dialog, IDCANCEL);
            if (!process.Wait(30000)) {
                std::printf("start-up: the program did not end after Cancel\n");
                return 1;
            }
        }
        {
            ::DeleteUrlCacheEntryW(url.c_str());
            const std::wstring folder = bench::NewFolder(root.Path(), L"bare-" + std::to_wstring(run));
            const std::wstring path = folder + L"\\resources.zip";
            const double begin = bench::Now();
            const HRESULT result = ::URLDownloadToFileW(nullptr, url.c_str(), path.c_str(), 0, nullptr);
            const bench::BareResult extracted =
                SUCCEEDED(result) ? bench::BareExtract(path, folder, UnzipTask::kBufferSize, false) : bench::BareResult{};
            const double seconds = bench::Now() - begin;
            if (!extracted.ok) {
                std::printf("start-up: the bare download and extraction failed (0x%lX)\n",
                            static_cast<unsigned long>(result));
                return 1;
            }
            bare.push_back(seconds);
            ::DeleteUrlCacheEntryW(url.c_str());
        }
        std::printf("start-up: run %d of %d done\n", run + 1, runs);
        std::fflush(stdout);
    }
    ::CoUninitialize();

    bench::Table table("Start-up: program start to visible language dialog (seconds, medians)");
    table.Note("archive " + bench::Megabytes(archive.size()) + " (resources.db and a padding file) on " +
               testing_support::Narrow(url) + "; " + std::to_string(runs) + " runs each, alternating");
    table.Note("the dialog is polled every 20 ms (winauto::WaitForWindow)");
    table.Figure("KestrafinSetup.exe to language dialog", bench::Median(product), product, "s");
    table.Figure("bare URLDownloadToFileW + extraction", bench::Median(bare), bare, "s");
    table.Figure("difference (process, dialogs, tasks)", bench::Median(product) - bench::Median(bare), {}, "s");
    table.Ratio("ratio bare / program (info)", bench::Median(bare) / bench::Median(product), 0);
    table.Print();
    return 0;
}
