// The unzip task on archives that the tests build: trees, unsafe names, damaged archives, signatures.

#include <cctype>
#include <optional>

#include "ArchiveSigner.h"
#include "TaskTestSupport.h"
#include "support/ChildProcess.h"
#include "support/EntryNames.h"
#include "tasks/ArchiveSignatureLayout.h"
#include "tasks/TrustedArchiveKeys.h"
#include "tasks/UnzipTask.h"

using namespace testing_support;
using Win32xx::CString;

namespace {

class UnzipTaskTest : public TaskTest {
protected:
    // Writes `bytes` as the archive, outside the temporary folder that the task fills, and extracts it.
    bool Extract(UnzipTask& task, const std::string& bytes)
    {
        WriteFileBytes(ArchivePath(), bytes);
        task.SetArchivePath(ArchivePath().c_str());
        return RunToEnd(task, nullptr, 60000);
    }
    std::wstring ArchivePath() const { return archives / L"archive.zip"; }
    std::wstring NextCase() { return StartCase(L"case-" + std::to_wstring(++caseNumber)); }

    TempFolder archives{L"zips"};
    int caseNumber = 0;
};

}  // namespace

// Folders count in the percent, but only files report. While its entries are extracted the archive cannot be changed
// (tried at each report).
TEST_F(UnzipTaskTest, ExtractsWellFormedArchivesHeldAndReportsPercentOfEntries)
{
    struct Case {
        const char* name;
        std::vector<ZipItem> items;
        std::vector<std::wstring> top;                            // what the extraction folder holds
        std::vector<std::pair<std::wstring, std::string>> files;  // path in the folder, content
        std::vector<int> progress;
    };
    const std::string large = PatternBytes(1700000, 9);  // 3.4 buffers
    const Case cases[] = {
        {"tree, climbing name stripped",
         {ZipItem::Folder("a/"), ZipItem::File("a/b.txt", "bee"), ZipItem::File("../../c.txt", "")}, {L"a", L"c.txt"},
         {{L"a\\b.txt", "bee"}, {L"c.txt", ""}}, {0, 66, 100}},
        {"no entries", {}, {}, {}, {0}},
        {"entry several buffers long", {ZipItem::File("large.txt", large)}, {L"large.txt"}, {{L"large.txt", large}},
         {0, 100}},
        {"UTF-8 names", {ZipItem::File("caf\xC3\xA9/", ""), ZipItem::File("caf\xC3\xA9/\xE2\x82\xAC.txt", "euro")},
         {L"caf\u00E9"}, {{L"caf\u00E9\\\u20AC.txt", "euro"}}, {0, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring temp = NextCase();
        TaskWindow window;
        UnzipTask task(&window);
        // Held from its signature check to its last entry: nobody may write the archive meanwhile.
        window.onMessage = [&](const TaskMessage& message) {
            if (message.id == UWM_TASK_PROGRESS && message.value > 0) {
                EXPECT_FALSE(CanOpenForWriting(ArchivePath())) << "at " << message.value << "%";
            }
        };
        ASSERT_TRUE(Extract(task, BuildZip(c.items)));
        EXPECT_TRUE(CanOpenForWriting(ArchivePath())) << "still held after the extraction";
        ASSERT_EQ(window.Errors(), std::vector<std::wstring>{});
        ASSERT_EQ(window.Count(UWM_TASK_FINISHED), 1);
        const std::vector<std::wstring> folders = GuidFolders(temp);
        ASSERT_EQ(folders.size(), 1u);
        EXPECT_EQ(task.GetStringResult().str(), folders[0]);
        EXPECT_EQ(ListFolder(folders[0]), c.top);
        ExpectHeldPrivateFolder(folders[0]);
        for (const auto& [path, content] : c.files)
            EXPECT_TRUE(ReadFileBytes(folders[0] + L"\\" + path) == content) << Narrow(path);
        EXPECT_EQ(window.Progress(), c.progress);
        EXPECT_EQ(MessagesFrom("UnzipTask::OnStart"), std::vector<std::string>{"Finish un zip task"});
    }
}

// The entries before the one that fails stay; nothing of that one is written.
TEST_F(UnzipTaskTest, EntryThatCannotBeExtractedFailsTheTaskAndKeepsTheEntriesBefore)
{
    struct Case {
        std::string name;
        std::string zip;
        std::wstring error;
        std::vector<std::wstring> left;  // what stays in the extraction folder
    };
    std::vector<Case> cases = {
        {"folder listed twice",
         BuildZip({ZipItem::Folder("a/"), ZipItem::File("a/x.txt", "x"), ZipItem::Folder("a/")}),
         L"Can't create sub folder", {L"a"}},
        {"file before its folder", BuildZip({ZipItem::File("first.txt", "1"), ZipItem::File("x/y.txt", "y")}),
         L"Win32xx::CFileException", {L"first.txt"}},
    };
    for (const auto& [unsafe, verdict] : kEntryNames) {
        std::wstring shown;  // as the box and the record show it: a control character as \u00XX
        for (const wchar_t ch : Widen(unsafe))
            shown += ch < 0x20 ? std::wstring{'\\', 'u', '0', '0', L"01"[ch >> 4], L"0123456789ABCDEF"[ch & 15]}
                               : std::wstring(1, ch);
        if (verdict == kRefused)
            cases.push_back({unsafe, BuildZip({ZipItem::File("ok.txt", "ok"), ZipItem::File(unsafe, "payload")}),
                             L"Unsafe entry name in zip file :" + shown, {L"ok.txt"}});
    }

    // Undecodable entries (a wrong CRC, broken deflate data, encrypted, shorter than declared), each more than two
    // buffers long but the last; and one whose data lies far past the archive's end.
    const std::string content = PatternBytes(1100000, 4);
    const ZipItem::Method deflated = ZipItem::Deflated;
    for (const ZipItem& undecodable : {ZipItem{"bad.txt", content, deflated, true, false, false},
                                       ZipItem{"bad.txt", content, deflated, false, true, false},
                                       ZipItem{"bad.txt", content, deflated, false, false, true},
                                       ZipItem{"bad.txt", content, deflated, false, false, false, true},
                                       ZipItem{"bad.txt", "short", ZipItem::Stored, true, false, false}})
        cases.push_back({"undecodable",
                         BuildZip({ZipItem::File("good.txt", "good"), undecodable, ZipItem::File("after.txt", "a")}),
                         L"Can't extract zip entry :bad.txt", {L"good.txt"}});
    std::string pastEnd = BuildZip({ZipItem::File("good.txt", "good"), ZipItem::File("bad.txt", content)});
    pastEnd.replace(pastEnd.rfind("PK\1\2") + 42, 4, "\0\0\0\xF0", 4);  // the last entry's local header offset
    cases.push_back({"data past the end", pastEnd, L"Can't extract zip entry :bad.txt", {L"good.txt"}});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring temp = NextCase();
        TaskWindow window;
        UnzipTask task(&window);
        ASSERT_TRUE(Extract(task, c.zip));
        ExpectFailure(task, window, c.error);
        const std::vector<std::wstring> folders = GuidFolders(temp);
        ASSERT_EQ(folders.size(), 1u);
        EXPECT_EQ(ListFolder(folders[0]), c.left);
        // Nothing escaped next to the extraction folder either.
        EXPECT_EQ(ListFolder(temp), std::vector<std::wstring>{folders[0].substr(temp.size() + 1)});
    }
}

// Wine makes no Windows link, but follows one made on the Linux side, which only the final path shows: such a link
// made while the first entry is held, at the next entry's own name or on its way, fails the extraction.
TEST_F(UnzipTaskTest, EntryReachedThroughALinkFailsTheExtraction)
{
    const std::tuple<std::wstring, std::wstring, ZipItem, std::wstring> cases[] = {  // link, target, next entry, error
        {L"p", L"..", ZipItem::Folder("p/d/"), L"Can't create sub folder"},
        {L"f.txt", L"../f.txt", ZipItem::File("f.txt", "x"), L"Win32xx::CFileException"}};
    for (const auto& [link, target, entry, error] : cases) {
        const std::wstring temp = NextCase();  // where the links lead
        WriteFileBytes(temp + L"\\f.txt", "");
        TaskWindow window;
        UnzipTask task(&window);
        window.onMessage = [&task](const TaskMessage& message) {
            if (message.id == UWM_TASK_PROGRESS && message.value == 0)
                task.Suspend();  // the first entry's file, made and checked, waits for its bytes
        };
        WriteFileBytes(ArchivePath(), BuildZip({ZipItem::File("first.txt", "1"), entry}));
        task.SetArchivePath(ArchivePath().c_str());
        task.Start();
        std::vector<std::wstring> made;  // the extraction folder, once it holds the first entry
        auto held = [&] { return (made = GuidFolders(temp)).size() == 1 && FileExists(made[0] + L"\\first.txt"); };
        ASSERT_TRUE(PumpUntil(held, 30000));
        // Wine starts a Linux program without a process to wait for: the link is there once it leads somewhere.
        ChildProcess(L"Z:\\bin\\ln", {L"-s " + target + L" " + link, made[0], {}});
        ASSERT_TRUE(PumpUntil([&] { return ::GetFileAttributesW((made[0] + L"\\" + link).c_str()) != ~0u; }, 30000));
        task.Resume();
        ASSERT_TRUE(WaitForTask(task));
        ExpectFailure(task, window, error);
        // Removed on the Linux side too: Wine's own removal would follow a link to a folder.
        ChildProcess(L"Z:\\bin\\rm", {link, made[0], {}});
        ASSERT_TRUE(PumpUntil([&] { return ::GetFileAttributesW((made[0] + L"\\" + link).c_str()) == ~0u; }, 30000));
    }
}

TEST_F(UnzipTaskTest, ExtractionThatCannotBeginFailsAndMakesNoFolder)
{
    const std::string whole = BuildZip({ZipItem::File("a.txt", PatternBytes(5000))});
    // The archive's bytes (none: no file), and the error.
    const std::pair<std::optional<std::string>, std::wstring> cases[] = {
        {std::nullopt, L"Can't opne zip file"}, {whole.substr(0, whole.size() / 2), L"Can't opne zip file"},
        {whole, L"Can't create extraction folder"},  // with a temporary folder too long to use
    };
    for (const auto& [bytes, error] : cases) {
        SCOPED_TRACE(Narrow(error));
        const std::wstring temp = NextCase();
        if (bytes == whole)
            SetTempVariables(TempPath() + std::wstring(270, L'x'));
        ::DeleteFileW(ArchivePath().c_str());
        TaskWindow window;
        UnzipTask task(&window);
        task.SetArchivePath(ArchivePath().c_str());
        ASSERT_TRUE(bytes ? Extract(task, *bytes) : RunToEnd(task, nullptr));
        ExpectFailure(task, window, error);
        EXPECT_TRUE(GuidFolders(temp).empty());
        EXPECT_EQ(MessagesFrom("AbstractTaskBase::OnError"),
                  std::vector<std::string>{Narrow(L"[UnzipTask] File: " + ArchivePath() + L" Task Error :" + error)});
    }
}

TEST_F(UnzipTaskTest, OnlyAnArchiveSignedWithATrustedKeyIsExtractedAsTheBuildsOwnIs)
{
    const ArchiveSigner trusted = ArchiveSigner::NewKey();
    const ArchiveSigner alsoTrusted = ArchiveSigner::NewKey();
    const std::string zip = BuildZip({ZipItem::File("resources.db", "database")});
    const std::string signedZip = trusted.Sign(zip);
    // The central directory ends where the end record begins.
    const size_t endRecord = signedZip.size() - kArchiveSignatureCommentSize - 22;
    // A change that no zip reader notices: a byte of the central directory, a hexadecimal digit.
    const auto changed = [&](size_t at) {
        std::string bytes = signedZip;
        bytes[at] = bytes[at] == '1' ? '2' : '1';
        return bytes;
    };
    // One spelling of the signature's digits only.
    std::string upperCase = signedZip;
    for (size_t at = upperCase.size() - 128; at < upperCase.size(); ++at)
        upperCase[at] = static_cast<char>(std::toupper(static_cast<unsigned char>(upperCase[at])));
    // With the keys that the program embeds: the content tool's archive, one that the openssl command line signed
    // from the documented layout alone, and the latter with a byte of its signed range changed.
    const std::string opensslSigned = ReadFileBytes(BuildPath(L"openssl-signed.zip"));
    std::string altered = opensslSigned;
    altered.at(10) ^= 1;  // the entry's time
    const std::string contentTools = ReadFileBytes(BuildPath(L"content\\resources.zip"));
    struct Case {
        const char* name;
        std::string bytes;
        bool extracted;
        bool buildsKeys = false;  // checked with the keys that the program embeds
    };
    const Case cases[] = {
        {"signed", signedZip, true},
        {"signed with the other trusted key", alsoTrusted.Sign(zip), true},
        {"unsigned", zip, false},
        {"the central directory changed", changed(endRecord - 5), false},
        {"the signature changed", changed(signedZip.size() - 1), false},
        {"signed with another key", ArchiveSigner::NewKey().Sign(zip), false},
        {"signature cut short", signedZip.substr(0, signedZip.size() - 2), false},
        {"signature in upper-case digits", upperCase, false},
        {"content tool", contentTools, true, true},
        {"openssl", opensslSigned, true, true},
        {"openssl, altered", altered, false, true},
    };
    // In the form the build embeds them; a key that the platform refuses is skipped, the others are tried.
    unsigned char embedded[3][64] = {};
    std::copy_n(trusted.PublicKey().begin(), 64, embedded[1]);
    std::copy_n(alsoTrusted.PublicKey().begin(), 64, embedded[2]);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring temp = NextCase();
        TaskWindow window;
        UnzipTask task(&window);
        task.SetTrustedKeys(c.buildsKeys ? TrustedArchiveKeys() : ArchiveKeysOf(embedded, 3));
        ASSERT_TRUE(Extract(task, c.bytes));
        if (c.extracted) {
            EXPECT_EQ(window.Errors(), std::vector<std::wstring>{});
            EXPECT_EQ(ReadFileBytes(task.GetStringResult().str() + L"\\resources.db").substr(0, 8),
                      c.bytes == contentTools ? "SQLite f" : "database");  // the content tool's: a real database
        } else {
            ExpectFailure(task, window, L"The downloaded file is damaged or has been altered :" + ArchivePath());
            EXPECT_TRUE(GuidFolders(temp).empty());
        }
        const auto refused = MessagesFrom("ArchiveSignatureVerifies");
        EXPECT_TRUE(c.buildsKeys || !c.extracted ||
                    (refused.size() == 1 && refused[0].rfind("Trusted archive key 1 of 3 (0000000000000000...) refused", 0) == 0));
    }
}

