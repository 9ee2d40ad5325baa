#include "DownloadTask.h"

#include <shlwapi.h>
#include <wininet.h>

#include "BuildSettings.h"
#include "framework/ComApartment.h"
#include "TempFolders.h"
#include "WorkFolder.h"
#include "framework/ScopedHandle.h"
#include "framework/VisibleText.h"
#include "framework/logging/Logger.h"

namespace {

// An HTTP error status as an HRESULT of the HTTP facility (404 gives
// 0x80190194), so that the error text names the status.
HRESULT HttpStatusResult(DWORD status)
{
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_HTTP, status);
}

// The size of the file at `path`, -1 when it cannot be read.
LONGLONG FileSize(const Win32xx::CString& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

// Makes the download's file before urlmon writes to its path, opening a link
// found there itself, and tells whether it was reached through one. The
// folder is new and held, so a name that is already there was put there by
// someone else (a link, for urlmon to write through) and counts as one. A
// file that cannot be made otherwise is left to the download to report, as
// it always was.
bool FileWouldFollowLink(const WorkFolder& folder, const Win32xx::CString& name)
{
    const HANDLE created =
        ::CreateFileW((folder.Path() + L"\\" + name).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, nullptr,
                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (created == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    }
    const Win32xx::CScopedHandle file(created);
    return !folder.Holds(file.Get(), name);
}

}  // namespace

DownloadTask::DownloadTask(Win32xx::CWnd* notifyWindow, const Win32xx::CString& connectivityCheckUrl)
    : AbstractTaskBase(notifyWindow), m_callback(std::make_shared<CallbackHandler>(this)),
      m_checkUrl(connectivityCheckUrl)
{
}

DownloadTask::DownloadTask(const Win32xx::CString& url, const Win32xx::CString& connectivityCheckUrl)
    : AbstractTaskBase(nullptr), m_callback(std::make_shared<CallbackHandler>(this)), m_url(url),
      m_checkUrl(connectivityCheckUrl)
{
}

DownloadTask::~DownloadTask()
{
    LOG_INFO << GetDescription() << " Task dstructor : " << GetThreadId();
    Stop();
}

Win32xx::CString DownloadTask::GetDescription() const
{
    Win32xx::CString text;
    // The address comes from the resource database: its control characters
    // must not make a line of the log that reads as a record.
    text.Format(L"[DownloadTask] URL: %s ", Win32xx::VisibleText(GetUrl().str()).c_str());
    return text;
}

BOOL DownloadTask::OnStart()
{
    if (GetInputTask())
        SetUrl(GetInputTask()->GetStringResult());

    if (!::InternetCheckConnectionW(m_checkUrl.c_str(), FLAG_ICC_FORCE_CONNECTION, 0)) {
        OnError(L"Error downloading resource,Please check your internet connection!");
        return FALSE;
    }
    if (!::UrlIsW(m_url.c_str(), URLIS_URL)) {
        OnError((L"Invalid Url :" + m_url + L".").str());
        return FALSE;
    }
    const Win32xx::CString fileName = FileNameFromUrl(m_url);
    if (IsUnsafeFileName(fileName)) {
        OnError(L"Could not create a temporary filename.");
        return FALSE;
    }
    WorkFolder folder;
    if (!folder.Create()) {
        OnError(L"Could not create a temporary folder for the download.");
        return FALSE;
    }
    if (FileWouldFollowLink(folder, fileName)) {
        OnError(L"Could not create a temporary filename.");
        return FALSE;
    }
    const Win32xx::CString localPath = folder.Path() + L"\\" + fileName;
    const HRESULT result = Download(localPath);
    if (FAILED(result)) {
        Win32xx::CString text;
        text.Format(L"An error occured while downloading the file : error code = 0x%X", static_cast<unsigned>(result));
        OnError(text.str());
        return FALSE;
    }
    SetResult(std::make_unique<Any::Derived<Win32xx::CString>>(localPath));
    return TRUE;
}

HRESULT DownloadTask::Download(const Win32xx::CString& localPath)
{
    const Win32xx::CComApartment apartment;
    // A cached copy would be served instead of the server's current file.
    ::DeleteUrlCacheEntryW(m_url.c_str());

    IBindStatusCallback* callback = nullptr;
    m_callback->QueryInterface(IID_IBindStatusCallback, reinterpret_cast<void**>(&callback));
    m_callback->BeginDownload();
    HRESULT result = ::URLDownloadToFileW(nullptr, m_url.c_str(), localPath.c_str(), 0, callback);

    // urlmon reports success for an error status and for a response cut
    // short before its Content-Length; both count as failures here.
    const DWORD status = m_callback->GetHttpStatus();
    const LONGLONG expected = m_callback->GetExpectedFileSize();
    if (status >= 400)
        result = HttpStatusResult(status);
    else if (SUCCEEDED(result) && expected >= 0 && FileSize(localPath) != expected)
        result = INET_E_DATA_NOT_AVAILABLE;

    if (FAILED(result)) {
        ::DeleteFileW(localPath.c_str());
        // The platform keeps its own copy of whatever arrived.
        ::DeleteUrlCacheEntryW(m_url.c_str());
    }
    return result;
}
