// ExecProgramTask: launches a program (usually what a DownloadTask just
// fetched) hidden, waits until its process has ended, and keeps the exit
// code as its result (Any::Derived<unsigned long>).
//
// With an expected SHA-256 digest, the program's file is opened so that no
// one may write, rename or delete it, checked against the digest and held
// open until its process exists: what was checked is what runs.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "AbstractTaskBase.h"
#include "framework/File.h"

class ExecProgramTask : public AbstractTaskBase {
public:
    // With an input task, the program is that task's string result.
    explicit ExecProgramTask(std::shared_ptr<AbstractTaskBase> inputTask);
    ~ExecProgramTask() override;

    Win32xx::CString GetDescription() const override;
    void SetCommand(const Win32xx::CString& command) { WriteText(m_command, command); }
    void SetParameters(const Win32xx::CString& parameters) { m_parameters = parameters; }
    // Empty: the temporary folder, filled in when the task runs.
    void SetLaunchFolder(const Win32xx::CString& folder) { WriteText(m_launchFolder, folder); }
    // The digest as the content gives it (64 hexadecimal digits). Nothing:
    // the program is launched unchecked. Any other text fails the task.
    void SetExpectedDigest(std::optional<std::string> digestText) { m_expectedDigest = std::move(digestText); }
    Win32xx::CString GetCommand() const { return ReadText(m_command); }
    const Win32xx::CString& GetParameters() const noexcept { return m_parameters; }
    Win32xx::CString GetLaunchFolder() const { return ReadText(m_launchFolder); }

protected:
    BOOL OnStart() override;

private:
    // Launches the command (`process` empty when no process started); with
    // an expected digest only if the file passes OpenVerified, else false.
    bool LaunchVerified(Win32xx::CScopedHandle& process) const;
    // Opens the command as `program`, denying writing and deleting, and
    // compares its digest. False, with a record of why, when it differs or
    // cannot be read; `program` may then be open or not.
    bool OpenVerified(Win32xx::CFile& program) const;
    // Opens the command through the shell, hidden; the new process's handle,
    // empty when no process was started.
    Win32xx::CScopedHandle Launch() const;

    Win32xx::CString m_command;
    Win32xx::CString m_parameters;
    Win32xx::CString m_launchFolder;
    std::optional<std::string> m_expectedDigest;
};
