// Generated and damaged archives through the real extraction, started as the
// bootstrap starts it: small trees under ordinary and hostile names (those of
// the entry name table, names aimed at the folders around the extraction
// folder), often damaged afterwards. Each case extracts into a sandbox that is
// scanned afterwards.

#include <algorithm>
#include <iterator>

#include "Corpus.h"
#include "TaskTestSupport.h"
#include "ZipBuilder.h"
#include "support/EntryNames.h"
#include "tasks/UnzipTask.h"
#include "tasks/ZipReader.h"

using namespace testing_support;

namespace robustness {

namespace {

constexpr CorpusKind kArchives{"archives", 1000000, 120, 1000, 30000};

struct ArchiveCase {
    std::string bytes;
    std::vector<std::string> contents;  // of every entry: a file must hold one of them
    std::string damage;
};

const char* const kOrdinaryNames[] = {"readme.txt", "data/", "data/a.bin", "data/sub/b.txt", "docs/c.html",
                                      "caf\xC3\xA9/\xE2\x82\xAC.txt", "UPPER.TXT", "upper.txt"};

// The table's names, and names aimed at `target` (UTF-8), a folder around the extraction folder.
std::vector<std::string> HostileNames(const std::string& target)
{
    std::string forward = target;
    std::replace(forward.begin(), forward.end(), '\\', '/');
    std::vector<std::string> names{"../escaped.txt", "a/../../escaped.txt", target + "\\escaped.txt",
                                   forward + "/escaped.txt", "\\\\?\\" + target + "\\escaped.txt",
                                   target.substr(2) + "\\escaped.txt", std::string(300, 'n') + ".txt"};
    for (const EntryNameCase& entry : kEntryNames)
        names.push_back(entry.name);
    return names;
}

ZipItem MakeItem(std::mt19937& random, const std::string& name, unsigned seed, size_t index)
{
    if (!name.empty() && name.back() == '/')
        return ZipItem::Folder(name);
    // Large entries span several decoding buffers; they are rare, as they are slow.
    const size_t size = Chance(random, 2) ? 500000 + Below(random, 700000) : 1 + Below(random, 3000);
    ZipItem item = ZipItem::File(name, PatternBytes(size, seed * 16 + static_cast<unsigned>(index)));
    item.method = Chance(random, 30) ? ZipItem::Stored : ZipItem::Deflated;
    item.wrongCrc = Chance(random, 3);
    item.brokenDeflate = Chance(random, 3);
    item.encrypted = Chance(random, 3);
    return item;
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
    if (pick < 17) {  // a field of a central, local or end record: counts, sizes, offsets, lengths, flags
        const char kind = "\1\3\5"[Below(random, 3)];
        const size_t at = bytes.rfind(std::string{'P', 'K', kind, static_cast<char>(kind + 1)});
        if (at != std::string::npos)
            MutateField(bytes, at + 4 + 2 * Below(random, 20), Chance(random, 50) ? 2 : 4, random);
        return "header field changed";
    }
    if (pick == 17) {
        bytes.resize(Below(random, bytes.size() + 1));
        return "truncated";
    }
    bytes.insert(pick == 18 ? 0 : bytes.size(), RandomBytes(random, 1 + Below(random, 300)));
    return "bytes around";
}

ArchiveCase MakeArchiveCase(unsigned seed, const std::string& target)
{
    std::mt19937 random(seed);
    const std::vector<std::string> hostile = HostileNames(target);
    std::vector<ZipItem> items;
    for (size_t index = 0, count = Below(random, 8); index < count; ++index) {
        std::string name = Chance(random, 25) ? hostile[Below(random, hostile.size())]
                                              : kOrdinaryNames[Below(random, std::size(kOrdinaryNames))];
        if (Chance(random, 10))  // deep trees
            for (size_t depth = 1 + Below(random, 150); depth > 0; --depth)
                name = "d/" + name;
        // Mostly each folder comes before what it holds, as zip tools write it.
        const bool withFolders = Chance(random, 70);
        for (size_t end = name.find('/'); withFolders && end < name.size() - 1; end = name.find('/', end + 1)) {
            const std::string folder = name.substr(0, end + 1);
            if (std::none_of(items.begin(), items.end(), [&](const ZipItem& item) { return item.name == folder; }))
                items.push_back(ZipItem::Folder(folder));
        }
        items.push_back(MakeItem(random, name, seed, index));
    }
    ArchiveCase archive{BuildZip(items), {}, {}};
    for (const ZipItem& item : items)
        archive.contents.push_back(item.content);
    archive.damage = Damage(archive.bytes, random);
    // A folder holds no data: damage can make it an empty file. Undamaged, an empty file is a partial one.
    if (archive.damage != "well-formed")
        archive.contents.push_back(std::string());
    return archive;
}

// The label of one of the task's own failure texts, or empty.
std::string KnownError(const std::wstring& text)
{
    for (const wchar_t* known : {L"Can't opne zip file", L"Can't create extraction folder", L"Can't create sub folder",
                                 L"Can't close zip file", L"Win32xx::CFileException", L"Can't extract zip entry :",
                                 L"Unsafe entry name in zip file :"})
        if (text.rfind(known, 0) == 0)
            return Narrow(known);
    return std::string();
}

// Every file and folder below `folder`, depth first.
void ListTree(const std::wstring& folder, std::vector<std::wstring>& paths)
{
    for (const std::wstring& name : ListFolder(folder)) {
        const std::wstring path = folder + L"\\" + name;
        paths.push_back(path);
        if (FolderExists(path))
            ListTree(path, paths);
    }
}

bool IsInside(const std::wstring& path, const std::wstring& folder)
{
    return !folder.empty() && path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == L'\\';
}

// True when `path` is a disk file (not a device, a pipe or the console) whose
// bytes are the content of one of the case's entries.
bool HoldsAnEntry(const ArchiveCase& archive, const std::wstring& path)
{
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool onDisk = ::GetFileType(file) == FILE_TYPE_DISK;
    ::CloseHandle(file);
    const auto& contents = archive.contents;
    return onDisk && std::find(contents.begin(), contents.end(), ReadFileBytes(path)) != contents.end();
}

// The sandbox holds the extraction's temporary folder three levels down; its
// path has one length, as names hold it and the damage depends on the size.
std::wstring MakeSandbox(const std::wstring& parent, unsigned seed, std::wstring& temp)
{
    std::wstring sandbox = parent + L"\\s" + std::to_wstring(seed) + L"-";
    sandbox.append(120 - std::min<size_t>(120, sandbox.size()), L'x');
    temp = sandbox;
    ::CreateDirectoryW(temp.c_str(), nullptr);
    for (const wchar_t* level : {L"\\outer", L"\\inner", L"\\temp"})
        ::CreateDirectoryW((temp += level).c_str(), nullptr);
    SetTempVariables(temp + L"\\");
    return sandbox;
}

// A success leaves each file entry, as the program's reader lists it, as a
// disk file in the folder.
void ExpectEveryEntryAFile(const ArchiveCase& archive, const std::wstring& archivePath, const std::wstring& folder)
{
    const ZipArchivePtr zip(OpenZip(archivePath.c_str()));
    ZipEntry count;
    ASSERT_TRUE(zip && GetZipItem(zip.get(), -1, count) == ZIP_OK);
    for (int index = 0; index < count.index; ++index) {
        ZipEntry entry;
        ASSERT_EQ(GetZipItem(zip.get(), index, entry), ZIP_OK);
        std::replace(entry.name.begin(), entry.name.end(), L'/', L'\\');
        if (!entry.name.empty() && entry.name.back() != L'\\') {
            EXPECT_TRUE(HoldsAnEntry(archive, folder + L"\\" + entry.name))
                << "entry \"" << Narrow(entry.storedName) << "\" did not become its file (" << archive.damage << ")";
        }
    }
}

class ArchiveCorpusTest : public TaskTest {
protected:
    std::string RunCase(unsigned seed);

private:
    TempFolder m_archives{L"corpus-zips"};
};

std::string ArchiveCorpusTest::RunCase(unsigned seed)
{
    std::wstring temp;
    const std::wstring sandbox = MakeSandbox(Temp().Path(), seed, temp);
    const ArchiveCase archive = MakeArchiveCase(seed, Narrow(sandbox));
    const std::wstring archivePath = m_archives / L"case.zip";
    WriteFileBytes(archivePath, archive.bytes);

    TaskWindow window;
    UnzipTask task(&window);
    task.SetArchivePath(archivePath.c_str());
    EXPECT_TRUE(task.Start());
    if (!WaitForTask(task, kArchives.caseTimeoutMs - 5000)) {
        ADD_FAILURE() << "the extraction did not end";
        return "hang";
    }
    // Finished, with its folder, or failed once with one of its own texts and no folder: never both.
    const std::vector<std::wstring> errors = window.Errors();
    const std::wstring folder = task.GetStringResult().str();
    const bool finished = window.Count(UWM_TASK_FINISHED) == 1;
    EXPECT_EQ(window.Count(UWM_TASK_FINISHED) + errors.size(), 1u) << archive.damage;
    EXPECT_EQ(folder.empty(), !finished) << archive.damage;
    const std::string outcome = finished ? "extracted" : errors.empty() ? "" : KnownError(errors[0]);
    EXPECT_NE(outcome, "") << "an unclear failure: " << (errors.empty() ? "none" : Narrow(errors[0]));

    // Nothing outside the one extraction folder, and no file that holds what no entry held (partly written).
    const std::vector<std::wstring> created = GuidFolders(temp);
    EXPECT_LE(created.size(), 1u);
    const std::wstring extraction = created.empty() ? std::wstring() : created[0];
    EXPECT_TRUE(folder.empty() || folder == extraction);
    std::vector<std::wstring> paths;
    ListTree(sandbox, paths);
    for (const std::wstring& path : paths) {
        if (IsInside(temp, path) || path == temp || path == extraction)
            continue;
        EXPECT_TRUE(IsInside(path, extraction)) << "written outside: " << Narrow(path) << " (" << archive.damage << ")";
        EXPECT_TRUE(FolderExists(path) || HoldsAnEntry(archive, path)) << "a partial file: " << Narrow(path);
    }
    if (finished)
        ExpectEveryEntryAFile(archive, archivePath, folder);
    // An entry that failed to extract leaves nothing under its name.
    const std::wstring failedEntry = L"Can't extract zip entry :";
    if (!errors.empty() && errors[0].size() > failedEntry.size() && errors[0].rfind(failedEntry, 0) == 0) {
        std::wstring path = extraction + L"\\" + errors[0].substr(failedEntry.size());
        std::replace(path.begin(), path.end(), L'/', L'\\');
        EXPECT_FALSE(FileExists(path)) << "a partial file: " << Narrow(path);
    }
    RemoveTree(sandbox);
    return archive.damage + ": " + outcome;
}

}  // namespace

TEST_F(ArchiveCorpusTest, DamagedAndHostileArchivesExtractInsideTheFolderOrFailClearly)
{
    RunCorpus(kArchives, [this](unsigned seed) { return RunCase(seed); });
}

}  // namespace robustness
