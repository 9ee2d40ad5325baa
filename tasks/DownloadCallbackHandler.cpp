#include <cwctype>
#include <string>

#include "DownloadTask.h"

namespace {

// The value of the Content-Length header in a block of response headers
// ("Name: value" lines separated by CRLF), -1 when there is none.
LONGLONG ContentLength(const wchar_t* headers)
{
    if (!headers)
        return -1;
    std::wstring text(headers);
    for (wchar_t& ch : text)
        ch = static_cast<wchar_t>(std::towlower(ch));
    static const std::wstring kName = L"\ncontent-length:";
    const size_t position = (L"\n" + text).find(kName);
    if (position == std::wstring::npos)
        return -1;
    // The search ran on the text with a line feed in front.
    const wchar_t* value = text.c_str() + position + kName.size() - 1;
    wchar_t* end = nullptr;
    const long long length = std::wcstoll(value, &end, 10);
    return end == value || length < 0 ? -1 : length;
}

}  // namespace

void DownloadTask::CallbackHandler::BeginDownload()
{
    m_httpStatus = 0;
    m_announcedLength = -1;
}

STDMETHODIMP DownloadTask::CallbackHandler::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IBindStatusCallback) {
        *object = static_cast<IBindStatusCallback*>(this);
        return S_OK;
    }
    if (riid == IID_IHttpNegotiate) {
        *object = static_cast<IHttpNegotiate*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP DownloadTask::CallbackHandler::OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, LPCWSTR)
{
    // The response failed: urlmon ignores a failure from OnResponse, but
    // aborting here, before data arrives, stops it.
    if (m_httpStatus >= 400)
        return E_ABORT;
    // A safe point: the worker holds no lock of its own here.
    m_owner->WaitWhileSuspended();

    if (statusCode != BINDSTATUS_DOWNLOADINGDATA && statusCode != BINDSTATUS_ENDDOWNLOADDATA)
        return S_OK;
    // Without a known total there is no percent to report.
    if (progressMax == 0)
        return S_OK;
    const double quotient = progress * 100.0 / progressMax;
    const int percent = quotient >= 100.0 ? 100 : static_cast<int>(quotient);
    if (percent <= m_lastPercent)
        return S_OK;
    m_owner->SendProgress(percent);
    m_lastPercent = percent;
    return S_OK;
}

STDMETHODIMP DownloadTask::CallbackHandler::BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additionalHeaders)
{
    if (additionalHeaders)
        *additionalHeaders = nullptr;
    return S_OK;
}

STDMETHODIMP DownloadTask::CallbackHandler::OnResponse(DWORD responseCode, LPCWSTR responseHeaders, LPCWSTR,
                                                       LPWSTR* additionalRequestHeaders)
{
    if (additionalRequestHeaders)
        *additionalRequestHeaders = nullptr;
    m_httpStatus = responseCode;
    m_announcedLength = ContentLength(responseHeaders);
    return S_OK;
}
