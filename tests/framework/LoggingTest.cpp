// The logger: line layout, the file's byte order mark, sharing, threads,
// function names, and records that are never built.

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "framework/logging/FileAppender.h"
#include "support/Files.h"

using logging::FileAppender;
using logging::Record;
using testing_support::ReadFileBytes;
using testing_support::TempFolder;

// Each line is the local time "YYYY-MM-DD hh:mm:ss.mmm " and then the exact
// rest: severity padded to five, thread, function@line, message.
TEST(LoggingTest, LineLayoutIsExactInUtf8)
{
    TempFolder folder(L"log");
    {
        FileAppender appender(folder / L"osi.log");
        appender.Write(Record(logging::info, "BOOL AbstractTaskBase::Start()", 42).ref()
                       << L"Gr\u00F6\u00DFe " << "\xD7\xA9" << 7 << L' ' << -3 << L' ' << 4294967295ul);
        appender.Write(Record(logging::error, "int WinMain(HINSTANCE, HINSTANCE, LPSTR, int)", 9).ref() << "e");
        appender.Write(Record(logging::warning, "void f()", 3).ref() << "w");
        appender.Write(Record(logging::fatal, "void Die()", 1).ref() << static_cast<const wchar_t*>(nullptr));
    }
    const std::string bytes = ReadFileBytes(folder / L"osi.log");
    ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    const std::string thread = " [" + std::to_string(::GetCurrentThreadId()) + "] ";
    const std::string expected[] = {
        "INFO " + thread + "[AbstractTaskBase::Start@42] Gr\xC3\xB6\xC3\x9F" "e \xD7\xA9" "7 -3 4294967295",
        "ERROR" + thread + "[WinMain@9] e", "WARN " + thread + "[f@3] w", "FATAL" + thread + "[Die@1] (null)"};
    std::istringstream lines(bytes.substr(3));
    std::string line;
    for (const std::string& rest : expected) {
        ASSERT_TRUE(std::getline(lines, line)) << "missing: " << rest;
        EXPECT_TRUE(std::regex_match(line.substr(0, 24), std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )")))
            << line;
        EXPECT_EQ(line.substr(24), rest);
    }
    EXPECT_FALSE(std::getline(lines, line)) << "each record is one line: " << line;
    EXPECT_EQ(bytes.back(), '\n');
}

TEST(LoggingTest, ByteOrderMarkOnlyOnAnEmptyFileAndRecordsAppend)
{
    TempFolder folder(L"log");
    for (int run = 0; run < 2; ++run) {
        FileAppender appender(folder / L"osi.log");
        appender.Write(Record(logging::info, "int WinMain()", 1).ref() << "run " << run);
    }
    const std::string bytes = ReadFileBytes(folder / L"osi.log");
    EXPECT_EQ(bytes.find("\xEF\xBB\xBF"), 0u);
    EXPECT_EQ(bytes.find("\xEF\xBB\xBF", 1), std::string::npos);
    EXPECT_LT(bytes.find("run 0\n"), bytes.find("run 1\n"));
}

TEST(LoggingTest, FileIsSharedForReadingButNotForWriting)
{
    TempFolder folder(L"log");
    FileAppender appender(folder / L"osi.log");
    appender.Write(Record(logging::info, "void f()", 1).ref() << "open");

    const std::wstring path = folder / L"osi.log";
    const HANDLE reader = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    ::CloseHandle(reader);
    const HANDLE writer = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE)
        ::CloseHandle(writer);
}

TEST(LoggingTest, FileThatCannotBeOpenedDropsEveryRecordWithoutRetrying)
{
    TempFolder folder(L"log");
    const std::wstring path = folder / L"osi.log";
    const HANDLE holder = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    FileAppender appender(path);
    appender.Write(Record(logging::info, "void f()", 1).ref() << "lost");
    ::CloseHandle(holder);
    appender.Write(Record(logging::info, "void f()", 2).ref() << "also lost");
    EXPECT_EQ(ReadFileBytes(path), "");
}

TEST(LoggingTest, TwoThreadsWritingAtOnceGiveWholeLines)
{
    TempFolder folder(L"log");
    constexpr int kRecordsPerThread = 2000;
    {
        FileAppender appender(folder / L"osi.log");
        auto writer = [&](const char* name) {
            for (int i = 0; i < kRecordsPerThread; ++i)
                appender.Write(Record(logging::info, "void Writer::Run()", i).ref()
                               << name << std::string(40, name[0]) << i);
        };
        std::thread a(writer, "alpha"), b(writer, "bravo");
        a.join();
        b.join();
    }
    const auto records = testing_support::ReadLog(folder / L"osi.log");
    ASSERT_EQ(records.size(), 2u * kRecordsPerThread);
    const std::regex whole("(alpha|bravo)(a{40}|b{40})\\d+");
    for (const auto& record : records)
        ASSERT_TRUE(std::regex_match(record.message, whole)) << record.message;
}

TEST(LoggingTest, QualifiedFunctionNamesFromSignatures)
{
    using logging::QualifiedFunctionName;
    EXPECT_EQ(QualifiedFunctionName("int WinMain(HINSTANCE, HINSTANCE, LPSTR, int)"), "WinMain");
    EXPECT_EQ(QualifiedFunctionName("void Die(const Win32xx::CString&)"), "Die");
    EXPECT_EQ(QualifiedFunctionName("virtual DownloadTask::~DownloadTask()"), "DownloadTask::~DownloadTask");
    EXPECT_EQ(QualifiedFunctionName("ResourceManager::ResourceManager()"), "ResourceManager::ResourceManager");
    EXPECT_EQ(QualifiedFunctionName("static unsigned int AbstractTaskBase::Run(void*)"), "AbstractTaskBase::Run");
    EXPECT_EQ(QualifiedFunctionName("Win32xx::CString AbstractTaskBase::GetStringResult() const"),
              "AbstractTaskBase::GetStringResult");
    EXPECT_EQ(QualifiedFunctionName("std::map<int, int> Foo::Get(int)"), "Foo::Get");
    EXPECT_EQ(QualifiedFunctionName("static T* GenericSingleton<T>::instance() [with T = ResourceManager]"),
              "GenericSingleton<T>::instance");
}

namespace {
int g_evaluations = 0;
int Counted()
{
    return ++g_evaluations;
}
}  // namespace

TEST(LoggingTest, MessageIsNotBuiltWithoutLoggerOrWhenFilteredOut)
{
    ASSERT_EQ(logging::GetLogger(), nullptr) << "this test must run before any logger exists";
    LOG_INFO << Counted();
    EXPECT_EQ(g_evaluations, 0);

    TempFolder folder(L"log");
    logging::InitFileLogger(logging::debug, folder / L"osi.log");
    LOG_INFO << Counted();
    LOG_(logging::verbose) << Counted();
    EXPECT_EQ(g_evaluations, 1);
}
