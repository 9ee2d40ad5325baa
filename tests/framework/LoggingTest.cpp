#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <sstream>
#include <thread>

#include "framework/logging/FileAppender.h"
#include "support/Files.h"

using logging::FileAppender;
using logging::Record;
using testing_support::ReadFileBytes;
using testing_support::TempFolder;
using testing_support::WriteFileBytes;

// Local time, severity padded to five, thread, function@line, message; a second appender appends, without a BOM.
TEST(LoggingTest, LineLayoutIsExactInUtf8AndTheByteOrderMarkComesOnce)
{
    TempFolder folder(L"log");
    for (int run = 0; run < 2; ++run) {
        FileAppender appender(folder / L"osi.log");
        appender.Write(Record(logging::info, "BOOL AbstractTaskBase::Start()", 42).ref()
                       << L"Gr\u00F6\u00DFe " << "\xD7\xA9" << 7 << L' ' << -3 << L' ' << 4294967295ul);
        appender.Write(Record(logging::error, "int WinMain(HINSTANCE, HINSTANCE, LPSTR, int)", 9).ref() << "e");
        appender.Write(Record(logging::warning, "std::map<int, std::function<void(int)>> Foo::Get(int)", 3).ref() << "w");
        appender.Write(Record(logging::fatal, "static T* GenericSingleton<T>::instance() [with T = Manager]", 1).ref()
                       << static_cast<const wchar_t*>(nullptr));
    }
    const std::string bytes = ReadFileBytes(folder / L"osi.log");
    ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    const std::string thread = " [" + std::to_string(::GetCurrentThreadId()) + "] ";
    const std::string expected[] = {
        "INFO " + thread + "[AbstractTaskBase::Start@42] Gr\xC3\xB6\xC3\x9F" "e \xD7\xA9" "7 -3 4294967295",
        "ERROR" + thread + "[WinMain@9] e", "WARN " + thread + "[Foo::Get@3] w",
        "FATAL" + thread + "[GenericSingleton<T>::instance@1] (null)"};
    std::istringstream lines(bytes.substr(3));
    std::string line;
    for (int index = 0; index < 8; ++index) {
        ASSERT_TRUE(std::getline(lines, line)) << "missing: " << expected[index % 4];
        EXPECT_TRUE(std::regex_match(line.substr(0, 24), std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )")))
            << line;
        EXPECT_EQ(line.substr(24), expected[index % 4]);
    }
    EXPECT_FALSE(std::getline(lines, line)) << "each record is one line: " << line;
}

// Readers may look while the program runs, other writers may not; an unopenable file drops every record for good.
TEST(LoggingTest, FileIsSharedForReadingOnlyAndAnUnopenableOneDropsEverything)
{
    TempFolder folder(L"log");
    const std::wstring path = folder / L"osi.log";
    {
        FileAppender appender(path);
        appender.Write(Record(logging::info, "void f()", 1).ref() << "open");
        EXPECT_NE(ReadFileBytes(path).find("open"), std::string::npos);
        EXPECT_EQ(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr),
                  INVALID_HANDLE_VALUE);
    }
    const HANDLE holder = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    FileAppender appender(path);
    appender.Write(Record(logging::info, "void f()", 1).ref() << "lost");
    ::CloseHandle(holder);
    appender.Write(Record(logging::info, "void f()", 2).ref() << "also lost");
    EXPECT_EQ(ReadFileBytes(path), "");
}

// A log with another name is a link to a file elsewhere: that name goes, its file keeps its bytes, a new log begins.
TEST(LoggingTest, ALogThatIsAHardLinkIsReplacedAndWhatItLinkedToKeepsItsBytes)
{
    TempFolder folder(L"log");
    WriteFileBytes(folder / L"elsewhere.txt", "not the log's\n");
    ASSERT_TRUE(::CreateHardLinkW((folder / L"osi.log").c_str(), (folder / L"elsewhere.txt").c_str(), nullptr));
    FileAppender(folder / L"osi.log").Write(Record(logging::info, "void f()", 1).ref() << "fresh");
    EXPECT_EQ(ReadFileBytes(folder / L"elsewhere.txt"), "not the log's\n");
    EXPECT_EQ(ReadFileBytes(folder / L"osi.log").substr(0, 3), "\xEF\xBB\xBF");
    const auto records = testing_support::ReadLog(folder / L"osi.log");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].message, "fresh");
}

// Both start together, so that their first records also meet where the file is opened.
TEST(LoggingTest, TwoThreadsWritingAtOnceGiveWholeLines)
{
    TempFolder folder(L"log");
    {
        FileAppender appender(folder / L"osi.log");
        std::atomic<int> waiting{2};
        auto writer = [&](char letter) {
            for (--waiting; waiting > 0;) {}
            for (int i = 0; i < 2000; ++i)
                appender.Write(Record(logging::info, "void f()", i).ref() << std::string(40, letter) << i);
        };
        std::thread a(writer, 'a'), b(writer, 'b');
        a.join(), b.join();
    }
    const auto records = testing_support::ReadLog(folder / L"osi.log");
    ASSERT_EQ(records.size(), 4000u);
    for (const auto& record : records)
        ASSERT_TRUE(std::regex_match(record.message, std::regex("(a{40}|b{40})\\d+"))) << record.message;
}

// Records written before the logger exists are dropped without being built.
TEST(LoggingTest, RecordsBeforeTheLoggerExistsAreNotBuilt)
{
    ASSERT_EQ(logging::GetLogger(), nullptr) << "this test must run before any logger exists";
    int evaluations = 0;
    LOG_INFO << ++evaluations;
    EXPECT_EQ(evaluations, 0);
}
