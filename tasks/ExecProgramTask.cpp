#include "ExecProgramTask.h"

#include <shellapi.h>

#include <exception>

#include "framework/ComApartment.h"
#include "FileSha256.h"
#include "TempFolders.h"
#include "framework/Exception.h"
#include "framework/Utf8.h"
#include "framework/VisibleText.h"
#include "framework/logging/Logger.h"

ExecProgramTask::ExecProgramTask(std::shared_ptr<AbstractTaskBase> inputTask) : AbstractTaskBase(nullptr)
{
    SetInputTask(std::move(inputTask));
}

ExecProgramTask::~ExecProgramTask()
{
    Stop();
}

Win32xx::CString ExecProgramTask::GetDescription() const
{
    // The description's own line breaks stay; the parameters and paths, which
    // come from the resource database, show theirs escaped.
    const auto shown = [](const Win32xx::CString& text) { return Win32xx::CString(Win32xx::VisibleText(text.str())); };
    return L"[ExecProgramTask] \n PARAMETERS: " + shown(m_parameters) + L"\n COMMAND : " + shown(GetCommand()) +
           L"\n LAUNCHDIR : " + shown(GetLaunchFolder()) + L" ";
}

BOOL ExecProgramTask::OnStart()
{
    try {
        if (m_launchFolder.IsEmpty()) {
            Win32xx::CString temp;
            if (!GetTempFolderPath(temp)) {
                OnError(L"Can't Locate temp folder");
                return FALSE;
            }
            SetLaunchFolder(temp);
        }
        if (GetInputTask())
            SetCommand(GetInputTask()->GetStringResult());
        LOG_INFO << GetDescription();

        Win32xx::CScopedHandle process;
        if (!LaunchVerified(process)) {
            OnError((L"The downloaded file is damaged or has been altered :" + m_command).str());
            return FALSE;
        }
        // Without a process there is no exit code to wait for: the chain stops.
        if (!process) {
            OnError((L"Can't launch program :" + m_command).str());
            return FALSE;
        }
        ::WaitForSingleObject(process.Get(), INFINITE);
        DWORD exitCode = 0;
        ::GetExitCodeProcess(process.Get(), &exitCode);
        SetResult(std::make_unique<Any::Derived<unsigned long>>(exitCode));
        LOG_INFO << Win32xx::VisibleText(m_command.str()) << " Exit code: " << static_cast<unsigned long>(exitCode);
        return TRUE;
    } catch (const std::exception& exception) {
        OnError(Win32xx::Utf8ToWide(exception.what()));
        return FALSE;
    }
}

bool ExecProgramTask::LaunchVerified(Win32xx::CScopedHandle& process) const
{
    // Held from the check until the process exists, so that the file cannot
    // be swapped in between.
    Win32xx::CFile program;
    if (m_expectedDigest && !OpenVerified(program))
        return false;
    process = Launch();
    return true;
}

bool ExecProgramTask::OpenVerified(Win32xx::CFile& program) const
{
    const std::wstring shownCommand = Win32xx::VisibleText(m_command.str());
    try {
        // modeRead shares for reading only: writing, renaming and deleting
        // are refused while the file is open.
        program.Open(m_command, Win32xx::CFile::modeRead);
        const Sha256Digest digest = Sha256OfFile(program);
        if (Sha256TextMatches(*m_expectedDigest, digest)) {
            LOG_INFO << shownCommand << " SHA-256 verified: " << Sha256Text(digest);
            return true;
        }
        LOG_ERROR << shownCommand << " SHA-256 " << Sha256Text(digest) << " differs from the expected "
                  << Win32xx::VisibleText(Win32xx::Utf8ToWide(*m_expectedDigest));
    } catch (const Win32xx::CException& exception) {
        LOG_ERROR << shownCommand << " cannot be verified: " << (exception.GetText() ? exception.GetText() : L"")
                  << " (error " << exception.GetError() << ")";
    }
    return false;
}

Win32xx::CScopedHandle ExecProgramTask::Launch() const
{
    // A safe point: a suspended task must not start the program.
    WaitWhileSuspended();
    const Win32xx::CComApartment apartment;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpFile = m_command.c_str();
    info.lpParameters = m_parameters.c_str();
    info.lpDirectory = m_launchFolder.c_str();
    info.nShow = SW_HIDE;
    if (!::ShellExecuteExW(&info))
        return Win32xx::CScopedHandle();
    return Win32xx::CScopedHandle(info.hProcess);
}
