// Thousands of generated and damaged archives through the real extraction:
// UnzipTask started as the bootstrap starts it, with a notification window
// and a message loop. The archives hold small trees of folders and files
// under ordinary and hostile names (climbing, absolute, device names, stream
// names, names aimed at the folder around the extraction folder), then are
// often damaged: random bytes, header fields set to edge values, truncation.
// Each case extracts into a sandbox whose folders around the extraction
// folder are scanned afterwards.

#include <algorithm>
#include <iterator>
#include <random>

#include "Corpus.h"
#include "TaskTestSupport.h"
#include "ZipBuilder.h"
#include "tasks/UnzipTask.h"
#include "tasks/ZipReader.h"

using namespace testing_support;

namespace robustness {

namespace {

constexpr CorpusKind kArchives{"archives", 1000000, 1000, 30000};

struct ArchiveCase {
    std::string bytes;
    // The content of every entry that was generated (empty for folders):
    // whatever the task writes must be one of them, since a damaged entry
    // fails its CRC.
    std::vector<std::string> contents;
    std::string mutation;  // how the archive was damaged, for the counts
};

const char* const kOrdinaryFolders[] = {"data/", "data/sub/", "docs/", "caf\xC3\xA9/"};
const char* const kOrdinaryFiles[] = {"readme.txt", "data/a.bin", "data/sub/b.txt", "docs/c.html",
                                      "caf\xC3\xA9/\xE2\x82\xAC.txt", "resources.db", "UPPER.TXT", "upper.txt"};

std::vector<std::string> HostileNames(const std::string& escapeTarget)
{
    std::string forward = escapeTarget;
    for (char& ch : forward)
        ch = ch == '\\' ? '/' : ch;
    return {
        "../escaped.txt", "..\\escaped.txt", "a/../../escaped.txt", "a\\..\\..\\escaped.txt", "../../../escaped.txt",
        "/escaped.txt", "\\escaped.txt", "C:/escaped.txt", "C:escaped.txt", "C:..\\escaped.txt",
        "escaped.txt:stream", "data/x.txt::$DATA", "CON", "nul", "NUL.txt", "aux", "com1", "COM1.log", "lpt1",
        "prn.txt", "CONIN$", "CONOUT$", "nul .txt", "data/nul", "Con.", "...", "..", ". .", ".. ", "./x.txt",
        "a/./b.txt", " ", "", "/", "//", "a//b.txt", "x*.txt", "q?.txt", "<x>", "|", "\"q\"", "\x01" "ctl.txt",
        "\xFF\xFE" "bad.txt", "\xC0\xAF..\xC0\xAF" "escaped.txt", std::string("a\0../../escaped.txt", 19),
        std::string("..\0/x.txt", 9), "\\\\?\\C:\\escaped.txt", "\\\\.\\nul", "//?/C:/escaped.txt",
        "\\\\?\\" + escapeTarget + "\\escaped.txt", escapeTarget + "\\escaped.txt", forward + "/escaped.txt",
        escapeTarget.substr(2) + "\\escaped.txt", std::string(300, 'n') + ".txt", "dots.../x.txt", "trail. /x",
    };
}

std::string DeepName(std::mt19937& random)
{
    std::string name;
    for (size_t level = 0, depth = 1 + Below(random, 150); level < depth; ++level)
        name += "d/";
    return name + "f.txt";
}

std::string PickName(std::mt19937& random, const std::vector<std::string>& hostile)
{
    const size_t pick = Below(random, 10);
    if (pick < 2)
        return hostile[Below(random, hostile.size())];
    if (pick == 2)
        return kOrdinaryFolders[Below(random, std::size(kOrdinaryFolders))];
    return pick == 3 ? DeepName(random) : kOrdinaryFiles[Below(random, std::size(kOrdinaryFiles))];
}

ZipItem MakeItem(std::mt19937& random, const std::string& name, unsigned seed, size_t index)
{
    if (!name.empty() && name.back() == '/')
        return ZipItem::Folder(name);
    // Large entries span several decoding buffers; they are rare, as they are slow.
    const size_t size = Chance(random, 2) ? 500000 + Below(random, 700000) : Below(random, 3000);
    ZipItem item = ZipItem::File(name, PatternBytes(size, seed * 16 + static_cast<unsigned>(index)));
    if (Chance(random, 30))
        item.method = ZipItem::Stored;
    item.wrongCrc = Chance(random, 3);
    item.brokenDeflate = Chance(random, 3);
    item.encrypted = Chance(random, 3);
    return item;
}

// Adds a folder entry for each parent folder of `name` that has none yet.
void AddParentFolders(std::vector<ZipItem>& items, const std::string& name)
{
    for (size_t slash = name.find('/'); slash != std::string::npos && slash + 1 < name.size();
         slash = name.find('/', slash + 1)) {
        const std::string folder = name.substr(0, slash + 1);
        const bool listed = std::any_of(items.begin(), items.end(), [&](const ZipItem& item) { return item.name == folder; });
        if (!listed)
            items.push_back(ZipItem::Folder(folder));
    }
}

// The offsets of every record that starts with signature `kind` (1: central
// directory, 3: local header, 5: end record).
std::vector<size_t> Records(const std::string& bytes, char kind)
{
    std::vector<size_t> offsets;
    const std::string signature{'P', 'K', kind, static_cast<char>(kind + 1)};
    for (size_t at = bytes.find(signature); at != std::string::npos; at = bytes.find(signature, at + 1))
        offsets.push_back(at);
    return offsets;
}

// Sets one to three header fields to edge values: counts, sizes, offsets,
// name lengths, flags and methods, or a byte of a stored name.
void MutateHeaders(std::string& bytes, std::mt19937& random)
{
    struct Field {
        char record;
        size_t offset;
        size_t width;
    };
    static const Field kFields[] = {
        {1, 8, 2},  {1, 10, 2}, {1, 16, 4}, {1, 20, 4}, {1, 24, 4}, {1, 28, 2}, {1, 30, 2}, {1, 32, 2},
        {1, 34, 2}, {1, 42, 4}, {1, 46, 1}, {3, 6, 2},  {3, 8, 2},  {3, 18, 4}, {3, 22, 4}, {3, 26, 2},
        {3, 28, 2}, {5, 4, 2},  {5, 8, 2},  {5, 10, 2}, {5, 12, 4}, {5, 16, 4}, {5, 20, 2},
    };
    for (size_t change = 0, changes = 1 + Below(random, 3); change < changes; ++change) {
        const Field& field = kFields[Below(random, std::size(kFields))];
        const std::vector<size_t> records = Records(bytes, field.record);
        if (!records.empty())
            MutateField(bytes, records[Below(random, records.size())] + field.offset, field.width, random);
    }
}

std::string Damage(std::string& bytes, std::mt19937& random)
{
    const size_t pick = Below(random, 20);
    if (pick < 4)
        return "well-formed";
    if (pick < 11) {
        MutateBytes(bytes, random, 1 + static_cast<int>(Below(random, 8)));
        return "bytes changed";
    }
    if (pick < 17) {
        MutateHeaders(bytes, random);
        return "header fields changed";
    }
    if (pick == 17) {
        bytes.resize(Below(random, bytes.size() + 1));
        return "truncated";
    }
    const std::string noise = RandomBytes(random, 1 + Below(random, 300));
    bytes.insert(pick == 18 ? 0 : bytes.size(), noise);
    return pick == 18 ? "bytes in front" : "bytes after the end";
}

// The archive of `seed`. `escapeTarget` is the absolute path of a folder
// outside the extraction folder (UTF-8) that some hostile names aim at.
ArchiveCase MakeArchiveCase(unsigned seed, const std::string& escapeTarget)
{
    std::mt19937 random(seed);
    const std::vector<std::string> hostile = HostileNames(escapeTarget);
    std::vector<ZipItem> items;
    for (size_t index = 0, count = Below(random, 8); index < count; ++index) {
        const std::string name = PickName(random, hostile);
        // Mostly each folder comes before what it holds, as zip tools write it.
        if (Chance(random, 70))
            AddParentFolders(items, name);
        items.push_back(MakeItem(random, name, seed, index));
    }

    ArchiveCase archive;
    // A folder entry holds no data; a damaged name can make it a file.
    for (const ZipItem& item : items)
        archive.contents.push_back(item.content);
    archive.bytes = BuildZip(items);
    archive.mutation = Damage(archive.bytes, random);
    return archive;
}

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

struct TreeEntry {
    std::wstring path;  // full path
    bool folder = false;
};

// Every file and folder below `folder` (not `folder` itself), depth first.
void ListTree(const std::wstring& folder, std::vector<TreeEntry>& entries)
{
    for (const std::wstring& name : ListFolder(folder)) {
        const std::wstring path = folder + L"\\" + name;
        entries.push_back({path, FolderExists(path)});
        if (entries.back().folder)
            ListTree(path, entries);
    }
}

// True when `path` lies inside `folder` (below it, not the folder itself).
bool IsInside(const std::wstring& path, const std::wstring& folder)
{
    return !folder.empty() && path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == L'\\';
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

// Makes the case's sandbox: the task's temporary folder two levels below
// the folder that hostile names aim at. Returns the temporary folder.
std::wstring MakeSandbox(const std::wstring& sandbox)
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

void CheckOutcome(const UnzipTask& task, const TaskWindow& window)
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

// `created`: the folders that the task made in `temp`; `folder`: its result.
void CheckWhatWasWritten(const ArchiveCase& archive, const std::wstring& sandbox, const std::wstring& temp,
                         const std::vector<std::wstring>& created, const std::wstring& folder)
{
    ASSERT_LE(created.size(), 1u) << "more than one extraction folder";
    const std::wstring extraction = created.empty() ? std::wstring() : created[0];
    if (!folder.empty()) {
        EXPECT_EQ(folder, extraction);
    }
    std::vector<TreeEntry> entries;
    ListTree(sandbox, entries);
    for (const TreeEntry& entry : entries) {
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

void CheckEveryEntryIsAFile(const ArchiveCase& archive, const std::wstring& archivePath, const std::wstring& folder)
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

class ArchiveCorpusTest : public TaskTest {
protected:
    CaseResult RunCase(unsigned seed);

private:
    TempFolder m_archives{L"corpus-zips"};
};

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
        CheckWhatWasWritten(archive, sandbox, temp, GuidFolders(temp), folder);
        if (result.succeeded)
            CheckEveryEntryIsAFile(archive, archivePath, folder);
    }
    RemoveTree(sandbox);
    return result;
}

}  // namespace

TEST_F(ArchiveCorpusTest, DamagedAndHostileArchivesExtractInsideTheFolderOrFailClearly)
{
    RunCorpus(kArchives, [this](unsigned seed) { return RunCase(seed); });
}

}  // namespace robustness
