// Generated, often damaged archives with ordinary, unsafe and escaping names, extracted in a sandbox.

#include <algorithm>
#include <functional>

#include "Corpus.h"
#include "TaskTestSupport.h"
#include "ZipBuilder.h"
#include "support/EntryNames.h"
#include "tasks/UnzipTask.h"

using namespace testing_support;

namespace robustness {

namespace {

constexpr CorpusKind kArchives{"archives", 1000000, 120, 1000, 30000};
const char* const kOrdinaryNames[] = {"readme.txt", "data/", "data/a.bin", "data/sub/b.txt", "docs/c.html",
                                      "caf\xC3\xA9/\xE2\x82\xAC.txt", "UPPER.TXT", "upper.txt"};
const std::wstring kFailedEntry = L"Can't extract zip entry :";

struct ArchiveCase {
    std::string bytes, damage;
    std::vector<std::string> contents;  // of the entries: a file holds one of them
    std::vector<std::string> files;     // the ordinary names of the file entries, as written
};

std::string Damage(std::string& bytes, std::mt19937& random)
{
    const size_t pick = Below(random, 20);
    const char kind = "\1\3\5"[Below(random, 3)];  // a central, local or end record
    const size_t record = bytes.rfind(std::string{'P', 'K', kind, static_cast<char>(kind + 1)});
    if (pick < 4)
        return "well-formed";
    if (pick < 11 || record == std::string::npos)
        MutateBytes(bytes, random, 1 + static_cast<int>(Below(random, 8)));
    else if (pick < 17)  // counts, sizes, offsets, lengths, flags
        MutateField(bytes, record + 4 + 2 * Below(random, 20), Chance(random, 50) ? 2 : 4, random);
    else
        bytes.insert(pick == 17 ? 0 : bytes.size(), RandomBytes(random, 1 + Below(random, 300)));
    return pick < 11 ? "bytes changed" : pick < 17 ? "header field changed" : "bytes around";
}

// `target`: the sandbox (UTF-8), at which some names aim.
ArchiveCase MakeArchiveCase(unsigned seed, const std::string& target)
{
    std::mt19937 random(seed);
    ArchiveCase archive;
    std::vector<std::string> hostile{"../../../escaped.txt", target + "\\escaped.txt", target.substr(2) + "/x.txt",
                                     "\\\\?\\" + target + "\\escaped.txt", std::string(300, 'n') + ".txt"};
    for (const EntryNameCase& entry : kEntryNames)
        hostile.push_back(entry.name);
    std::vector<ZipItem> items;
    for (size_t index = 0, count = 1 + Below(random, 7); index < count; ++index) {
        const bool ordinary = !Chance(random, 30);
        std::string name = ordinary ? Pick(random, kOrdinaryNames) : hostile[Below(random, hostile.size())];
        for (size_t depth = Chance(random, 10) ? 1 + Below(random, 150) : 0; depth > 0; --depth)
            name = "d/" + name;
        // Mostly each folder comes before what it holds, as zip tools write it.
        const bool withFolders = Chance(random, 70);
        for (size_t end = name.find('/'); withFolders && end < name.size() - 1; end = name.find('/', end + 1)) {
            const std::string folder = name.substr(0, end + 1);
            if (std::none_of(items.begin(), items.end(), [&](const ZipItem& item) { return item.name == folder; }))
                items.push_back(ZipItem::Folder(folder));
        }
        // Large entries span several decoding buffers; they are slow, so rare.
        const size_t size = Chance(random, 2) ? 500000 + Below(random, 700000) : 1 + Below(random, 3000);
        ZipItem item = ZipItem::File(name, PatternBytes(size, seed * 16 + static_cast<unsigned>(index)));
        item.method = Chance(random, 30) ? ZipItem::Stored : ZipItem::Deflated;
        item.wrongCrc = Chance(random, 3), item.brokenDeflate = Chance(random, 3), item.encrypted = Chance(random, 3);
        const bool folder = !name.empty() && name.back() == '/';
        items.push_back(folder ? ZipItem::Folder(name) : item);
        if (ordinary && !folder)
            archive.files.push_back(name);
    }
    archive.bytes = BuildZip(items);
    archive.damage = Damage(archive.bytes, random);
    for (const ZipItem& item : items)
        archive.contents.push_back(item.content);  // a folder's is empty: damage can make a folder a file
    return archive;
}

// A disk file (not a device) that holds an entry's content.
bool HoldsAnEntry(const ArchiveCase& archive, const std::wstring& path)
{
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const bool onDisk = file != INVALID_HANDLE_VALUE && ::GetFileType(file) == FILE_TYPE_DISK;
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    return onDisk && std::count(archive.contents.begin(), archive.contents.end(), ReadFileBytes(path));
}

// Every file found in the folder holds an entry's content; when the damage left the names as written, each file
// entry of an ordinary name is such a file.
void ExpectEveryEntryAFile(const ArchiveCase& archive, const std::wstring& folder)
{
    const std::function<void(const std::wstring&)> walk = [&](const std::wstring& path) {
        for (const std::wstring& name : ListFolder(path)) {
            const std::wstring inner = path + L"\\" + name;
            const DWORD attributes = ::GetFileAttributesW(inner.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                walk(inner);
            else
                EXPECT_TRUE(HoldsAnEntry(archive, inner)) << Narrow(inner) << " holds no entry (" << archive.damage << ")";
        }
    };
    walk(folder);
    if (archive.damage != "well-formed" && archive.damage != "bytes around")
        return;
    for (std::string name : archive.files) {
        std::replace(name.begin(), name.end(), '/', '\\');
        EXPECT_TRUE(HoldsAnEntry(archive, folder + L"\\" + Widen(name)))
            << "entry \"" << name << "\" did not become its file (" << archive.damage << ")";
    }
}

class ArchiveCorpusTest : public TaskTest {
protected:
    std::string RunCase(unsigned seed);
    TempFolder m_archives{L"corpus-zips"};
};

std::string ArchiveCorpusTest::RunCase(unsigned seed)
{
    // Three levels of folders around the extraction's; one length, as names hold the path and damage their size.
    std::wstring sandbox = Temp().Path() + L"\\s" + std::to_wstring(seed) + L"-";
    sandbox.append(120 - std::min<size_t>(120, sandbox.size()), L'x');
    const std::wstring levels[] = {sandbox, sandbox + L"\\outer", sandbox + L"\\outer\\inner",
                                   sandbox + L"\\outer\\inner\\temp"};
    for (const std::wstring& level : levels)
        ::CreateDirectoryW(level.c_str(), nullptr);
    SetTempVariables(levels[3] + L"\\");
    const ArchiveCase archive = MakeArchiveCase(seed, Narrow(sandbox));
    const std::wstring archivePath = m_archives / L"case.zip";
    WriteFileBytes(archivePath, archive.bytes);

    TaskWindow window;
    UnzipTask task(&window);
    task.SetArchivePath(archivePath.c_str());
    EXPECT_TRUE(task.Start() && WaitForTask(task, kArchives.caseTimeoutMs - 5000));
    // Finished with its folder, or failed once with one of its own texts and no folder; never both.
    const std::wstring error = window.Errors().empty() ? L"" : window.Errors()[0];
    const std::wstring folder = task.GetStringResult().str();
    const bool finished = window.Count(UWM_TASK_FINISHED) == 1;
    EXPECT_EQ(window.Count(UWM_TASK_FINISHED) + window.Errors().size(), 1u) << archive.damage;
    EXPECT_EQ(folder.empty(), !finished) << archive.damage;
    std::string outcome = finished ? "extracted" : "";
    for (const wchar_t* known : {L"Can't opne zip file", L"Can't create extraction folder", L"Can't create sub folder",
                                 L"Can't close zip file", L"Win32xx::CFileException", kFailedEntry.c_str(),
                                 L"Unsafe entry name in zip file :"})
        outcome = !finished && error.rfind(known, 0) == 0 ? Narrow(known) : outcome;
    EXPECT_NE(outcome, "") << "an unclear failure: " << Narrow(error);

    // Nothing beside the folders around the one extraction folder.
    for (size_t level = 0; level < 3; ++level)
        EXPECT_EQ(ListFolder(levels[level]).size(), 1u) << "written beside " << Narrow(levels[level]);
    const std::vector<std::wstring> extraction = GuidFolders(levels[3]);
    EXPECT_EQ(ListFolder(levels[3]).size(), extraction.size()) << "written beside the extraction folder";
    EXPECT_TRUE(extraction.size() <= 1 && (folder.empty() || folder == extraction[0]));
    if (finished)
        ExpectEveryEntryAFile(archive, folder);
    if (!extraction.empty() && outcome == Narrow(kFailedEntry) && error.size() > kFailedEntry.size()) {
        EXPECT_FALSE(FileExists(extraction[0] + L"\\" + error.substr(kFailedEntry.size())))
            << "the entry that failed left a partial file: " << Narrow(error);
    }
    RemoveTree(sandbox);
    return outcome;
}

}  // namespace

TEST_F(ArchiveCorpusTest, DamagedAndHostileArchivesExtractInsideTheFolderOrFailClearly)
{
    RunCorpus(kArchives, [this](unsigned seed) { return RunCase(seed); });
}

}  // namespace robustness
