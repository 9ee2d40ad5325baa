// Runs the product (or the shell probe) as its own process with a temporary
// folder of the test's own, so that its osi.log is the test's to read.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "support/ChildProcess.h"
#include "support/Files.h"

class ShellFixture : public ::testing::Test {
protected:
    static constexpr DWORD kTimeoutMs = 20000;

    // Starts a program of the build with TMP and TEMP set to the test's folder,
    // and the environment variables given (which may replace TMP and TEMP).
    std::unique_ptr<testing_support::ChildProcess> Start(const std::wstring& program,
                                                         const std::wstring& arguments = L"",
                                                         const std::map<std::wstring, std::wstring>& environment = {});
    // Runs the program to its end and returns its exit code.
    DWORD RunToEnd(const std::wstring& program, const std::wstring& arguments = L"");
    // Waits for a message box of the process, checks its caption and text,
    // and presses its OK button.
    void ExpectBoxAndConfirm(const testing_support::ChildProcess& process, const std::wstring& caption,
                             const std::wstring& text);

    std::wstring LogPath() const { return m_temp / L"osi.log"; }
    std::vector<testing_support::LogRecord> Log() const { return testing_support::ReadLog(LogPath()); }

    testing_support::TempFolder m_temp{L"shell"};
};
