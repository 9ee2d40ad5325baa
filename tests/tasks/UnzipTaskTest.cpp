// The unzip task on archives that the tests build: trees, folders, empty
// files and archives, entries larger than the buffer, unsafe names, and
// archives that are damaged, encrypted, truncated or no zip at all.

#include "TaskTestSupport.h"
#include "ZipBuilder.h"
#include "tasks/UnzipTask.h"

using namespace testing_support;
using Win32xx::CString;

namespace {

class UnzipTaskTest : public TaskTest {
protected:
    // Writes the archive outside the temporary folder that the task fills.
    std::wstring WriteArchive(const std::string& bytes)
    {
        const std::wstring path = archives / L"archive.zip";
        WriteFileBytes(path, bytes);
        return path;
    }
    // Extracts `archivePath` to its end with a window.
    void Extract(UnzipTask& task, const std::wstring& archivePath)
    {
        task.SetArchivePath(archivePath.c_str());
        ASSERT_TRUE(task.Start());
        ASSERT_TRUE(WaitForTask(task, 60000));
    }
    // The one extraction folder that the task made.
    std::wstring ExtractionFolder() const
    {
        const std::vector<std::wstring> folders = GuidFolders(Temp().Path());
        return folders.size() == 1 ? folders[0] : std::wstring();
    }
    std::string FirstError() const { return window.Errors().empty() ? "" : Narrow(window.Errors()[0]); }

    TempFolder archives{L"zips"};
    int caseNumber = 0;
    TaskWindow window;
};

}  // namespace

TEST_F(UnzipTaskTest, ExtractsATreeAndReportsPercentOfEntries)
{
    UnzipTask task(&window);
    Extract(task, WriteArchive(BuildZip({ZipItem::Folder("a/"), ZipItem::File("a/b.txt", "bee"),
                                         ZipItem::File("c.txt", "sea")})));

    ASSERT_EQ(window.Count(UWM_TASK_FINISHED), 1) << FirstError();
    const std::wstring folder = ExtractionFolder();
    EXPECT_EQ(task.GetStringResult().str(), folder);
    EXPECT_EQ(ListFolder(folder), (std::vector<std::wstring>{L"a", L"c.txt"}));
    EXPECT_EQ(ReadFileBytes(folder + L"\\a\\b.txt"), "bee");
    EXPECT_EQ(ReadFileBytes(folder + L"\\c.txt"), "sea");
    EXPECT_EQ(window.Progress(), (std::vector<int>{0, 66, 100}));
    EXPECT_EQ(MessagesFrom("UnzipTask::OnStart"), std::vector<std::string>{"Finish un zip task"});
}

TEST_F(UnzipTaskTest, ExtractsEveryKindOfWellFormedArchive)
{
    struct Case {
        const char* name;
        std::vector<ZipItem> items;
        std::vector<std::pair<std::wstring, std::string>> files;  // path in the folder, content
        std::vector<int> progress;
    };
    ZipItem stored = ZipItem::File("stored.bin", PatternBytes(1200000, 5));
    stored.method = ZipItem::Stored;
    const std::string large = PatternBytes(1700000, 9);  // 3.4 buffers
    const Case cases[] = {
        {"climbing name is stripped", {ZipItem::File("../../evil.txt", "e")}, {{L"evil.txt", "e"}}, {0, 100}},
        {"zero-length file", {ZipItem::File("empty.txt", "")}, {{L"empty.txt", ""}}, {0, 100}},
        {"no entries", {}, {}, {0}},
        {"entry several buffers long", {ZipItem::File("big/../large.txt", large)}, {{L"large.txt", large}}, {0, 100}},
        {"stored entry longer than the buffer", {stored}, {{L"stored.bin", stored.content}}, {0, 100}},
        {"UTF-8 names", {ZipItem::File("caf\xC3\xA9/", ""), ZipItem::File("caf\xC3\xA9/\xE2\x82\xAC.txt", "euro")},
         {{L"caf\u00E9\\\u20AC.txt", "euro"}}, {0, 100}},
        {"drive and leading slash", {ZipItem::Folder("C:/d/"), ZipItem::File("/d/f.txt", "f")},
         {{L"d\\f.txt", "f"}}, {0, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TaskWindow progress;
        UnzipTask task(&progress);
        task.SetArchivePath(WriteArchive(BuildZip(c.items)).c_str());
        task.Start();
        ASSERT_TRUE(WaitForTask(task, 60000));
        ASSERT_EQ(progress.Count(UWM_TASK_FINISHED), 1) << (progress.Errors().empty() ? "" : Narrow(progress.Errors()[0]));
        const std::wstring folder = task.GetStringResult().str();
        EXPECT_TRUE(FolderExists(folder));
        for (const auto& [path, content] : c.files) {
            EXPECT_TRUE(FileExists(folder + L"\\" + path)) << Narrow(path);
            EXPECT_TRUE(ReadFileBytes(folder + L"\\" + path) == content) << Narrow(path);
        }
        if (c.files.empty()) {
            EXPECT_TRUE(ListFolder(folder).empty());
        }
        EXPECT_EQ(progress.Progress(), c.progress);
    }
}

TEST_F(UnzipTaskTest, FailuresOfTheLayoutKeepEarlierEntriesAndGiveNoResult)
{
    struct Case {
        const char* name;
        std::vector<ZipItem> items;
        std::wstring error;
        std::vector<std::wstring> left;  // what stays in the extraction folder
    };
    const Case cases[] = {
        {"folder listed twice", {ZipItem::Folder("a/"), ZipItem::File("a/x.txt", "x"), ZipItem::Folder("a/")},
         L"Can't create sub folder", {L"a"}},
        {"file before its folder", {ZipItem::File("first.txt", "1"), ZipItem::File("x/y.txt", "y")},
         L"Win32xx::CFileException", {L"first.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring own = UseNewTempFolder(L"layout-" + std::to_wstring(++caseNumber));
        TaskWindow failing;
        UnzipTask task(&failing);
        task.SetArchivePath(WriteArchive(BuildZip(c.items)).c_str());
        task.Start();
        ASSERT_TRUE(WaitForTask(task));
        EXPECT_EQ(failing.Errors(), std::vector<std::wstring>{c.error});
        EXPECT_EQ(failing.Count(UWM_TASK_FINISHED), 0);
        EXPECT_EQ(task.GetStringResult(), CString());
        const std::vector<std::wstring> folders = GuidFolders(own);
        ASSERT_EQ(folders.size(), 1u);
        EXPECT_EQ(ListFolder(folders[0]), c.left);
    }
}

TEST_F(UnzipTaskTest, UnsafeNamesFailBeforeAnythingOfTheEntryIsWritten)
{
    const char* const names[] = {"../", "x\\..\\..\\y.txt", "a/../..", "..\\up.txt", "/", "file.txt:stream",
                                 "dir/...", "a/.. /b.txt", "aux", "NUL.txt", "data/con"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const std::wstring own = UseNewTempFolder(L"unsafe-" + std::to_wstring(++caseNumber));
        TaskWindow failing;
        UnzipTask task(&failing);
        task.SetArchivePath(
            WriteArchive(BuildZip({ZipItem::File("ok.txt", "ok"), ZipItem::File(name, "payload")})).c_str());
        task.Start();
        ASSERT_TRUE(WaitForTask(task));
        EXPECT_EQ(failing.Errors(), std::vector<std::wstring>{L"Unsafe entry name in zip file :" + Widen(name)});
        const std::vector<std::wstring> folders = GuidFolders(own);
        ASSERT_EQ(folders.size(), 1u);
        EXPECT_EQ(ListFolder(folders[0]), std::vector<std::wstring>{L"ok.txt"});
        // Nothing escaped next to the extraction folder either.
        EXPECT_FALSE(FileExists(own + L"\\up.txt"));
        EXPECT_FALSE(FileExists(own + L"\\y.txt"));
    }
}

TEST_F(UnzipTaskTest, UndecodableEntriesFailAndLeaveNoPartialFile)
{
    const std::string content = PatternBytes(1100000, 4);  // more than two buffers
    struct Case {
        const char* name;
        ZipItem item;
    };
    ZipItem wrongCrc = ZipItem::File("bad.txt", content);
    wrongCrc.wrongCrc = true;
    ZipItem brokenDeflate = ZipItem::File("bad.txt", content);
    brokenDeflate.brokenDeflate = true;
    ZipItem encrypted = ZipItem::File("bad.txt", content);
    encrypted.encrypted = true;
    ZipItem storedWrongCrc = ZipItem::File("bad.txt", "short");
    storedWrongCrc.method = ZipItem::Stored;
    storedWrongCrc.wrongCrc = true;
    const Case cases[] = {
        {"corrupted CRC", wrongCrc},
        {"corrupted deflate data", brokenDeflate},
        {"encrypted entry", encrypted},
        {"stored entry with a wrong CRC", storedWrongCrc},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring own = UseNewTempFolder(L"corrupt-" + std::to_wstring(++caseNumber));
        TaskWindow failing;
        UnzipTask task(&failing);
        task.SetArchivePath(
            WriteArchive(BuildZip({ZipItem::File("good.txt", "good"), c.item, ZipItem::File("after.txt", "a")}))
                .c_str());
        task.Start();
        ASSERT_TRUE(WaitForTask(task));
        EXPECT_EQ(failing.Errors(), std::vector<std::wstring>{L"Can't extract zip entry :bad.txt"});
        EXPECT_EQ(failing.Count(UWM_TASK_FINISHED), 0);
        EXPECT_EQ(ThreadExitCode(task.GetThreadId()), 2u);
        const std::vector<std::wstring> folders = GuidFolders(own);
        ASSERT_EQ(folders.size(), 1u);
        EXPECT_EQ(ListFolder(folders[0]), std::vector<std::wstring>{L"good.txt"});
    }
}

TEST_F(UnzipTaskTest, WhatIsNoReadableArchiveFailsToOpenAndMakesNoFolder)
{
    const std::string whole = BuildZip({ZipItem::File("a.txt", PatternBytes(5000))});
    struct Case {
        const char* name;
        std::string bytes;
        bool write;
    };
    const Case cases[] = {
        {"missing file", "", false},
        {"not a zip", "MZ this is a program, not an archive", true},
        {"truncated archive", whole.substr(0, whole.size() / 2), true},
        {"empty file", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TaskWindow failing;
        UnzipTask task(&failing);
        const std::wstring path = archives / L"input.zip";
        ::DeleteFileW(path.c_str());
        if (c.write)
            WriteFileBytes(path, c.bytes);
        Extract(task, path);
        EXPECT_EQ(failing.Errors(), std::vector<std::wstring>{L"Can't opne zip file"});
        EXPECT_EQ(task.GetStringResult(), CString());
        EXPECT_TRUE(GuidFolders(Temp().Path()).empty());
        const std::vector<std::string> errors = MessagesFrom("AbstractTaskBase::OnError");
        ASSERT_FALSE(errors.empty());
        EXPECT_EQ(errors.back(), Narrow(L"[UnzipTask] File: " + path + L" Task Error :Can't opne zip file"));
    }
}

TEST_F(UnzipTaskTest, NoTemporaryFolderFailsTheExtraction)
{
    const std::wstring archive = WriteArchive(BuildZip({ZipItem::File("a.txt", "a")}));
    SetTempVariables(TempPath() + std::wstring(270, L'x'));
    UnzipTask task(&window);
    Extract(task, archive);
    EXPECT_EQ(window.Errors(), std::vector<std::wstring>{L"Can't create extraction folder"});
}

TEST_F(UnzipTaskTest, DestructorRecordNamesTheArchiveAndTheThread)
{
    {
        UnzipTask idle(nullptr);
        idle.SetArchivePath(L"C:\\a.zip");
    }
    EXPECT_EQ(MessagesFrom("UnzipTask::~UnzipTask"),
              std::vector<std::string>{"[UnzipTask] File: C:\\a.zip  Task dstructor : 4294967295"});
}
