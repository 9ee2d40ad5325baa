// ExecProgramTask: launches a program (usually what a DownloadTask just
// fetched) hidden, waits until its process has ended, and keeps the exit
// code as its result (Any::Derived<unsigned long>).
#pragma once

#include <memory>

#include "AbstractTaskBase.h"

class ExecProgramTask : public AbstractTaskBase {
public:
    // With an input task, the program is that task's string result.
    explicit ExecProgramTask(std::shared_ptr<AbstractTaskBase> inputTask);
    ~ExecProgramTask() override;

    Win32xx::CString GetDescription() const override;
    void SetCommand(const Win32xx::CString& command) { m_command = command; }
    void SetParameters(const Win32xx::CString& parameters) { m_parameters = parameters; }
    // Empty: the temporary folder, filled in when the task runs.
    void SetLaunchFolder(const Win32xx::CString& folder) { m_launchFolder = folder; }
    const Win32xx::CString& GetCommand() const noexcept { return m_command; }
    const Win32xx::CString& GetParameters() const noexcept { return m_parameters; }
    const Win32xx::CString& GetLaunchFolder() const noexcept { return m_launchFolder; }

protected:
    BOOL OnStart() override;

private:
    // Opens the command through the shell, hidden; the new process's handle,
    // empty when no process was started.
    ScopedHandle Launch() const;

    Win32xx::CString m_command;
    Win32xx::CString m_parameters;
    Win32xx::CString m_launchFolder;
};
