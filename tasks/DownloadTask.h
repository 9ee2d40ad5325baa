// DownloadTask: downloads one URL into a new file inside a fresh GUID folder
// under the temporary folder, reports progress in percent, and leaves the
// file's full path as its string result.
#pragma once

#include <urlmon.h>

#include <memory>

#include "AbstractTaskBase.h"

class DownloadTask : public AbstractTaskBase {
public:
    class CallbackHandler;

    // `connectivityCheckUrl` is the address whose reachability decides,
    // before the download, whether a network exists at all.
    // For an owner that sets the URL (SetUrl) before it starts the task.
    DownloadTask(Win32xx::CWnd* notifyWindow, const Win32xx::CString& connectivityCheckUrl);
    // No window yet; the owner gives it one with SetNotifyWindow.
    DownloadTask(const Win32xx::CString& url, const Win32xx::CString& connectivityCheckUrl);
    ~DownloadTask() override;

    Win32xx::CString GetDescription() const override;
    void SetUrl(const Win32xx::CString& url) { WriteText(m_url, url); }
    Win32xx::CString GetUrl() const { return ReadText(m_url); }

protected:
    BOOL OnStart() override;

private:
    // The download proper, once the URL and the target path are known.
    // Returns S_OK or the failure's HRESULT; a failed download leaves no file.
    HRESULT Download(const Win32xx::CString& localPath);

    std::shared_ptr<CallbackHandler> m_callback;
    Win32xx::CString m_url;
    const Win32xx::CString m_checkUrl;
};

// Receives the platform download's progress on the worker thread and
// watches the HTTP response: urlmon reports success for an error status and
// for a response shorter than its Content-Length, so the handler records
// both and the task decides. A body in a content coding (gzip, deflate) is
// saved decoded, so its Content-Length does not give the file's size. COM
// reference counting plays no part: the task owns the handler and the
// download uses it only during the call.
class DownloadTask::CallbackHandler : public IBindStatusCallback, public IHttpNegotiate {
public:
    explicit CallbackHandler(DownloadTask* owner) : m_owner(owner) {}
    virtual ~CallbackHandler() = default;
    CallbackHandler(const CallbackHandler&) = delete;
    CallbackHandler& operator=(const CallbackHandler&) = delete;

    // Forgets the previous download's HTTP status and expected size.
    void BeginDownload();
    // The HTTP status of the last response, 0 before one arrived.
    DWORD GetHttpStatus() const noexcept { return m_httpStatus; }
    // The size the saved file must have: the last response's Content-Length
    // when its body was not encoded; -1 when it had none or was encoded.
    LONGLONG GetExpectedFileSize() const noexcept { return m_expectedFileSize; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    // IBindStatusCallback
    STDMETHODIMP OnStartBinding(DWORD, IBinding*) override { return E_NOTIMPL; }
    STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP OnLowResource(DWORD) override { return E_NOTIMPL; }
    // Sends each rising percent once (status codes 5 and 6 only); holds the
    // download while the task is suspended; aborts after an HTTP error status.
    STDMETHODIMP OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, LPCWSTR statusText) override;
    STDMETHODIMP OnStopBinding(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
    STDMETHODIMP OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }

    // IHttpNegotiate
    STDMETHODIMP BeginningTransaction(LPCWSTR url, LPCWSTR headers, DWORD reserved,
                                      LPWSTR* additionalHeaders) override;
    STDMETHODIMP OnResponse(DWORD responseCode, LPCWSTR responseHeaders, LPCWSTR requestHeaders,
                            LPWSTR* additionalRequestHeaders) override;

private:
    int m_lastPercent = 0;
    DownloadTask* m_owner;
    DWORD m_httpStatus = 0;
    LONGLONG m_expectedFileSize = -1;
};
