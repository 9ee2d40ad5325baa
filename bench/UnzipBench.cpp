// Extraction: UnzipTask run as the program runs it (Start, a notification
// window, the message loop until the finish message) against a bare
// extraction of the same archive with zlib in the same process, and beside
// them inflating into memory alone.
#include <cstdio>
#include <cstdlib>

#include "BenchSupport.h"
#include "TaskTestSupport.h"
#include "ZipBuilder.h"
#include "support/Files.h"
#include "tasks/UnzipTask.h"

namespace {

constexpr size_t kLargeEntrySize = 50u << 20;
constexpr int kLargeEntries = 6;
constexpr int kSmallFiles = 40;
constexpr double kMinimumArchiveBytes = 200.0 * (1u << 20);

std::vector<testing_support::ZipItem> ArchiveItems()
{
    using testing_support::ZipItem;
    std::vector<ZipItem> items;
    items.push_back(ZipItem::Folder("data/"));
    for (int index = 0; index < kLargeEntries; ++index)
        items.push_back(ZipItem::File("data/part-" + std::to_string(index + 1) + ".bin",
                                      bench::MixedBytes(kLargeEntrySize, 100 + index)));
    items.push_back(ZipItem::Folder("docs/"));
    for (int index = 0; index < kSmallFiles; ++index)
        items.push_back(ZipItem::File("docs/note-" + std::to_string(index + 1) + ".txt",
                                      testing_support::PatternBytes(2000 + 500 * index, 7 + index)));
    return items;
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    testing_support::TempFolder root(L"bench-unzip");
    // The task extracts into a fresh folder under the temporary folder.
    testing_support::SetTempVariables(root.Path() + L"\\");

    std::printf("extraction: building the archive...\n");
    std::fflush(stdout);
    const double buildBegin = bench::Now();
    std::string archiveBytes;
    unsigned long long uncompressed = 0;
    size_t entries = 0;
    {
        const std::vector<testing_support::ZipItem> items = ArchiveItems();
        for (const auto& item : items)
            uncompressed += item.content.size();
        entries = items.size();
        archiveBytes = testing_support::BuildZip(items);
    }
    const std::wstring archive = root / L"archive.zip";
    testing_support::WriteFileBytes(archive, archiveBytes);
    std::printf("extraction: archive of %s built in %.1f s\n", bench::Megabytes(archiveBytes.size()).c_str(),
                bench::Now() - buildBegin);
    if (archiveBytes.size() < kMinimumArchiveBytes) {
        std::printf("extraction: the archive is smaller than 200 MiB\n");
        return 1;
    }

    bench::TaskWindow window;
    std::vector<double> task, bare, bareFlushed, viaMinizip, memory;
    for (int run = 0; run < runs; ++run) {
        {
            UnzipTask unzip(&window);
            unzip.SetArchivePath(archive.c_str());
            const double seconds = bench::RunTask(unzip, window, 600000);
            testing_support::WaitForTask(unzip);
            const std::wstring folder = unzip.GetStringResult().c_str();
            if (seconds <= 0 || bench::FolderBytes(folder) != uncompressed) {
                std::printf("extraction: UnzipTask failed: %s\n", testing_support::Narrow(window.Error()).c_str());
                return 1;
            }
            task.push_back(uncompressed / seconds / 1e6);
            testing_support::RemoveTree(folder);
        }
        for (const bool flush : {false, true}) {
            const std::wstring folder = bench::NewFolder(root.Path(), L"bare");
            const double begin = bench::Now();
            const bench::BareResult result = bench::BareExtract(archive, folder, UnzipTask::kBufferSize, flush);
            const double seconds = bench::Now() - begin;
            if (!result.ok || result.bytes != uncompressed) {
                std::printf("extraction: the bare extraction failed\n");
                return 1;
            }
            (flush ? bareFlushed : bare).push_back(uncompressed / seconds / 1e6);
            testing_support::RemoveTree(folder);
        }
        {
            const std::wstring folder = bench::NewFolder(root.Path(), L"minizip");
            const double begin = bench::Now();
            const bench::BareResult result = bench::MinizipExtract(archive, folder, UnzipTask::kBufferSize);
            const double seconds = bench::Now() - begin;
            if (!result.ok || result.bytes != uncompressed) {
                std::printf("extraction: the minizip extraction failed\n");
                return 1;
            }
            viaMinizip.push_back(uncompressed / seconds / 1e6);
            testing_support::RemoveTree(folder);
        }
        {
            const double begin = bench::Now();
            const bench::BareResult result = bench::BareInflateToMemory(archiveBytes, UnzipTask::kBufferSize);
            const double seconds = bench::Now() - begin;
            if (!result.ok || result.bytes != uncompressed) {
                std::printf("extraction: inflating into memory failed\n");
                return 1;
            }
            memory.push_back(uncompressed / seconds / 1e6);
        }
        std::printf("extraction: run %d of %d done\n", run + 1, runs);
        std::fflush(stdout);
    }

    bench::Table table("Extraction: UnzipTask against bare zlib extraction (MB/s of uncompressed data, medians)");
    table.Note("archive " + bench::Megabytes(archiveBytes.size()) + ", " + bench::Megabytes(uncompressed) +
               " uncompressed, " + std::to_string(entries) + " entries; " + std::to_string(runs) +
               " runs each, alternating");
    table.Note("bare: archive mapped, local headers walked, zlib inflate through the task's " +
               std::to_string(UnzipTask::kBufferSize) + "-byte buffer, WriteFile, CRC checked, and like the");
    table.Note("task FlushFileBuffers before each file is closed (the same file writes)");
    table.Figure("UnzipTask (Start, window, message loop)", bench::Median(task), task, "MB/s");
    table.Figure("bare extraction (the limit)", bench::Median(bareFlushed), bareFlushed, "MB/s");
    table.Figure("bare extraction without the flushes (info)", bench::Median(bare), bare, "MB/s");
    table.Figure("minizip + WriteFile + flush, no task (info)", bench::Median(viaMinizip), viaMinizip, "MB/s");
    table.Figure("inflate into memory only", bench::Median(memory), memory, "MB/s");
    table.Ratio("ratio UnzipTask / bare", bench::Median(task) / bench::Median(bareFlushed), 0.9);
    table.Ratio("ratio UnzipTask / bare without flushes (info)", bench::Median(task) / bench::Median(bare), 0);
    table.Print();
    return 0;
}
