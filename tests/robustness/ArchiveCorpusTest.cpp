// Thousands of generated and damaged archives through the real extraction:
// UnzipTask started as the bootstrap starts it, with a notification window
// and a message loop. Each case extracts into a sandbox whose folders around
// the extraction folder are scanned afterwards.

#include <algorithm>

#include "ArchiveCases.h"
#include "Corpus.h"
#include "SandboxScan.h"
#include "TaskTestSupport.h"
#include "tasks/UnzipTask.h"
#include "tasks/ZipReader.h"

using namespace testing_support;

namespace robustness {

namespace {

constexpr CorpusKind kArchives{"archives", 1000000, 1000, 30000};

// The texts with which the task reports a failure: the fixed ones, and those
// that name the entry after them.
const wchar_t* const kKnownErrors[] = {
    L"Can't opne zip file",        L"Can't create extraction folder", L"Can't create sub folder",
    L"Can't close zip file",       L"Win32xx::CFileException",
};
const wchar_t* const kKnownErrorPrefixes[] = {L"Can't extract zip entry :", L"Unsafe entry name in zip file :"};

// The label of a known error text, or empty for an unknown one.
std::string KnownError(const std::wstring& text)
{
    for (const wchar_t* known : kKnownErrors)
        if (text == known)
            return Narrow(known);
    for (const wchar_t* prefix : kKnownErrorPrefixes)
        if (text.rfind(prefix, 0) == 0)
            return Narrow(prefix) + "...";
    return std::string();
}

bool IsGeneratedContent(const ArchiveCase& archive, const std::string& bytes)
{
    return std::find(archive.contents.begin(), archive.contents.end(), bytes) != archive.contents.end();
}

// The bytes of the disk file at `path`; false when it is no file on disk
// (a device, a pipe, the console) or cannot be read.
bool ReadDiskFile(const std::wstring& path, std::string& bytes)
{
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool onDisk = ::GetFileType(file) == FILE_TYPE_DISK;
    ::CloseHandle(file);
    if (onDisk)
        bytes = ReadFileBytes(path);
    return onDisk;
}

// The case's sandbox folder, padded to one length: hostile names hold its
// path, and the archive's damage is drawn from its size, so that a replay in
// another run (another temporary folder) damages the same places.
std::wstring SandboxPath(const std::wstring& parent, unsigned seed)
{
    constexpr size_t kLength = 120;
    std::wstring path = parent + L"\\s" + std::to_wstring(seed) + L"-";
    if (path.size() < kLength)
        path.append(kLength - path.size(), L'x');
    return path;
}

class ArchiveCorpusTest : public TaskTest {
protected:
    CaseResult RunCase(unsigned seed);

private:
    // Makes the case's sandbox: the task's temporary folder two levels below
    // the folder that hostile names aim at. Returns the temporary folder.
    std::wstring MakeSandbox(const std::wstring& sandbox);
    void CheckOutcome(const UnzipTask& task, const TaskWindow& window);
    void CheckWhatWasWritten(const ArchiveCase& archive, const std::wstring& sandbox, const std::wstring& temp,
                             const std::wstring& folder);
    void CheckEveryEntryIsAFile(const ArchiveCase& archive, const std::wstring& archivePath,
                                const std::wstring& folder);

    TempFolder m_archives{L"corpus-zips"};
};

std::wstring ArchiveCorpusTest::MakeSandbox(const std::wstring& sandbox)
{
    std::wstring temp = sandbox;
    ::CreateDirectoryW(temp.c_str(), nullptr);
    for (const wchar_t* level : {L"outer", L"inner", L"temp"}) {
        temp += L"\\";
        temp += level;
        ::CreateDirectoryW(temp.c_str(), nullptr);
    }
    SetTempVariables(temp + L"\\");
    return temp;
}

CaseResult ArchiveCorpusTest::RunCase(unsigned seed)
{
    const std::wstring sandbox = SandboxPath(Temp().Path(), seed);
    const std::wstring temp = MakeSandbox(sandbox);
    const ArchiveCase archive = MakeArchiveCase(seed, Narrow(sandbox));
    const std::wstring archivePath = m_archives / L"case.zip";
    WriteFileBytes(archivePath, archive.bytes);

    TaskWindow window;
    CaseResult result;
    {
        UnzipTask task(&window);
        task.SetArchivePath(archivePath.c_str());
        EXPECT_TRUE(task.Start());
        if (!WaitForTask(task, kArchives.caseTimeoutMs - 5000)) {
            ADD_FAILURE() << "the extraction did not end (" << archive.mutation << ")";
            return result;
        }
        CheckOutcome(task, window);
        result.succeeded = window.Count(UWM_TASK_FINISHED) == 1;
        result.label = result.succeeded ? "extracted" : KnownError(window.Errors().empty() ? L"" : window.Errors()[0]);
        const std::wstring folder = task.GetStringResult().str();
        CheckWhatWasWritten(archive, sandbox, temp, folder);
        if (result.succeeded)
            CheckEveryEntryIsAFile(archive, archivePath, folder);
    }
    RemoveTree(sandbox);
    return result;
}

void ArchiveCorpusTest::CheckOutcome(const UnzipTask& task, const TaskWindow& window)
{
    const std::vector<std::wstring> errors = window.Errors();
    if (window.Count(UWM_TASK_FINISHED) == 1) {
        EXPECT_TRUE(errors.empty()) << "finished and failed: " << Narrow(errors[0]);
        EXPECT_FALSE(task.GetStringResult().IsEmpty()) << "finished without its folder";
        return;
    }
    EXPECT_EQ(window.Count(UWM_TASK_FINISHED), 0);
    ASSERT_EQ(errors.size(), 1u) << "a failure is reported exactly once";
    EXPECT_NE(KnownError(errors[0]), "") << "unclear error text: \"" << Narrow(errors[0]) << "\"";
    EXPECT_TRUE(task.GetStringResult().IsEmpty()) << "failed, yet left a result";
}

void ArchiveCorpusTest::CheckWhatWasWritten(const ArchiveCase& archive, const std::wstring& sandbox,
                                            const std::wstring& temp, const std::wstring& folder)
{
    const std::vector<std::wstring> created = GuidFolders(temp);
    ASSERT_LE(created.size(), 1u) << "more than one extraction folder";
    const std::wstring extraction = created.empty() ? std::wstring() : created[0];
    if (!folder.empty()) {
        EXPECT_EQ(folder, extraction);
    }
    for (const TreeEntry& entry : ListTree(sandbox)) {
        const bool around =
            entry.folder && (entry.path == extraction || entry.path == temp || IsInside(temp, entry.path));
        if (!around && !IsInside(entry.path, extraction)) {
            ADD_FAILURE() << "written outside the extraction folder: " << Narrow(entry.path) << " ("
                          << archive.mutation << ")";
            continue;
        }
        if (!entry.folder) {
            EXPECT_TRUE(IsGeneratedContent(archive, ReadFileBytes(entry.path)))
                << "a file holds bytes that no entry held (partly decoded?): " << Narrow(entry.path) << " ("
                << ReadFileBytes(entry.path).size() << " bytes)";
        }
    }
}

void ArchiveCorpusTest::CheckEveryEntryIsAFile(const ArchiveCase& archive, const std::wstring& archivePath,
                                               const std::wstring& folder)
{
    // The archive is read again with the program's reading layer: after a
    // success, every file entry must have become a disk file in the folder.
    const ZipArchivePtr zip(OpenZip(archivePath.c_str()));
    ZipEntry count;
    ASSERT_TRUE(zip && GetZipItem(zip.get(), -1, count) == ZIP_OK);
    for (int index = 0; index < count.index; ++index) {
        ZipEntry entry;
        ASSERT_EQ(GetZipItem(zip.get(), index, entry), ZIP_OK);
        if (entry.name.empty() || entry.name.back() == L'/')
            continue;
        std::wstring path = entry.name;
        std::replace(path.begin(), path.end(), L'/', L'\\');
        std::string bytes;
        EXPECT_TRUE(ReadDiskFile(folder + L"\\" + path, bytes))
            << "entry \"" << Narrow(entry.storedName) << "\" did not become a file in the extraction folder";
        EXPECT_TRUE(IsGeneratedContent(archive, bytes))
            << "entry \"" << Narrow(entry.storedName) << "\" holds " << bytes.size() << " bytes that no entry held";
    }
}

}  // namespace

TEST_F(ArchiveCorpusTest, DamagedAndHostileArchivesExtractInsideTheFolderOrFailClearly)
{
    RunCorpus(kArchives, [this](unsigned seed) { return RunCase(seed); });
}

}  // namespace robustness
