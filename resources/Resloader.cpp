#include "Resloader.h"

#include <shlwapi.h>

#include <memory>
#include <string>
#include <typeinfo>

#include "ResourceContract.h"
#include "resources/ArchiveAddress.h"
#include "tasks/TrustedArchiveKeys.h"
#include "app/Die.h"
#include "framework/logging/Logger.h"
#include "res/Messages.h"
#include "res/resource.h"

namespace {
constexpr int kDownloadShare = 100;  // the bar's end for the download; the extraction fills the rest

// The name is plain ASCII: it widens byte by byte.
Win32xx::CString DatabaseFileName()
{
    const std::string name = Resource::kDatabaseFileName;
    return Win32xx::CString(std::wstring(name.begin(), name.end()).c_str());
}
}  // namespace

// The task handlers below speak for the dialog's message procedure.
#define LOG_HANDLER(severity) LOG_NAMED(severity, "Resloader::DialogProc")

Resloader::Resloader()
    : CDialog(IDD_RESOURCE_LOADER), m_unzipTask(this), m_downloadTask(this, ConnectivityCheckAddress()), m_sequence(*this)
{
    m_sequence.Reset({TaskSequence::Unowned(m_downloadTask), TaskSequence::Unowned(m_unzipTask)});
    m_sequence.onProgress = [this](WPARAM threadId, int percent) { OnTaskProgress(threadId, percent); };
    m_sequence.onError = [](const std::wstring* text) { OnTaskError(text); };
    m_sequence.onTaskEnded = [this](int index) { return index != 0 || OnDownloadFinished(); };
    m_sequence.onFinished = [this] { OnExtractionFinished(); };
}

BOOL Resloader::OnInitDialog()
{
    m_progressBar.AttachDlgItem(IDC_LOADER_PROGRESS, GetHwnd());
    m_progressBar.SetRange(0, 2 * kDownloadShare);
    m_downloadTask.SetNotifyWindow(this);
    const Win32xx::CString address = ResourceArchiveAddress();
    ::PostMessageW(GetHwnd(), UWM_ATTACH_BROWSER, 0, 0);
    m_downloadTask.SetUrl(address);
    LOG_INFO << "Aquiring resource Database";
    m_sequence.Start(0);
    return TRUE;
}

INT_PTR Resloader::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_sequence.OnMessage(message, wParam, lParam))
        return 1;
    switch (message) {
    case UWM_ATTACH_BROWSER:
        // The dialog manager shows a modal dialog only once its message
        // queue first runs empty, which this posted message precedes: show
        // and paint it here, so that it is on screen before the browser,
        // whose creation takes longer than everything else before it.
        ::ShowWindow(GetHwnd(), SW_SHOWNORMAL);
        ::UpdateWindow(GetHwnd());
        m_browser.AttachDlgItem(IDC_LOADER_BROWSER, GetHwnd());
        return 1;
    case WM_CLOSE:
        return 0;  // the user cannot cancel the bootstrap
    default:
        return DialogProcDefault(message, wParam, lParam);
    }
}

void Resloader::OnTaskProgress(WPARAM threadId, int percent)
{
    const bool fromDownload = threadId == m_downloadTask.GetThreadId();
    m_progressBar.SetPos(fromDownload ? percent : percent + kDownloadShare);
}

void Resloader::OnTaskError(const std::wstring* text)
{
    if (text)
        ::MessageBoxW(nullptr, text->c_str(), L"", MB_OK);
    LOG_HANDLER(logging::fatal) << "Fatal error Error Occured While Preparing Setup Resource File.";
    Die();
}

bool Resloader::OnDownloadFinished()
{
    const Any::Base* result = m_downloadTask.GetResult();
    const Win32xx::CString* downloaded = result ? result->As<Win32xx::CString>() : nullptr;
    if (!downloaded)
        throw std::bad_cast();
    const Win32xx::CString path = *downloaded;
    LOG_HANDLER(logging::info) << "Setup Resource Archive downloaded to " << path;
    if (!::PathFileExistsW(path.c_str())) {
        LOG_HANDLER(logging::fatal) << "Cannot locate Setup Resource Archive" << path;
        ::MessageBoxW(nullptr, L"Cannot locate Setup Resource Archive", L"Fatal Error", MB_OK);
        Die();
        return false;
    }
    m_unzipTask.SetNotifyWindow(this);
    m_unzipTask.SetArchivePath(path);
    m_unzipTask.SetTrustedKeys(TrustedArchiveKeys());
    LOG_HANDLER(logging::info) << "Start Extracting Resource Archive.";
    return true;
}

void Resloader::OnExtractionFinished()
{
    LOG_HANDLER(logging::info) << "Extracting Resource Archive Done.";
    m_resourceFilePath = m_unzipTask.GetStringResult() + L"\\" + DatabaseFileName();
    if (::PathFileExistsW(m_resourceFilePath.c_str())) {
        LOG_HANDLER(logging::info) << "Resource File is " << m_resourceFilePath;
        EndDialog(0);
        return;
    }
    LOG_HANDLER(logging::fatal) << "Resource File " << m_resourceFilePath << " Not Found.";
    ::MessageBoxW(nullptr, L"Cannot locate Setup Resource File", L"Error", MB_OK);
    Die();
}
