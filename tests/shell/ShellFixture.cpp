#include "ShellFixture.h"

#include "Automation.h"

using testing_support::ChildProcess;

std::unique_ptr<ChildProcess> ShellFixture::Start(const std::wstring& program, const std::wstring& arguments,
                                                 const std::map<std::wstring, std::wstring>& environment)
{
    ChildProcess::Options options;
    options.arguments = arguments;
    options.environment = {{L"TMP", m_temp.Path() + L"\\"}, {L"TEMP", m_temp.Path() + L"\\"}};
    for (const auto& [name, value] : environment)
        options.environment[name] = value;
    return std::make_unique<ChildProcess>(testing_support::BuildPath(program), options);
}

DWORD ShellFixture::RunToEnd(const std::wstring& program, const std::wstring& arguments)
{
    auto process = Start(program, arguments);
    EXPECT_TRUE(process->Wait(kTimeoutMs)) << "the program did not end";
    return process->ExitCode();
}

void ShellFixture::ExpectBoxAndConfirm(const ChildProcess& process, const std::wstring& caption,
                                       const std::wstring& text)
{
    const HWND box = winauto::WaitForWindow(caption, kTimeoutMs, process.Id());
    ASSERT_NE(box, nullptr) << "no message box captioned " << testing_support::Narrow(caption);
    EXPECT_EQ(testing_support::Narrow(winauto::MessageBoxText(box)), testing_support::Narrow(text));
    winauto::Click(box, IDOK);
    EXPECT_TRUE(winauto::WaitForWindowGone(caption, kTimeoutMs, process.Id()));
}
