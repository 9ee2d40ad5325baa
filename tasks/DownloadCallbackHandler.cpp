#include <cwctype>
#include <new>
#include <string>

#include "DownloadTask.h"

namespace {

// The value of the header `name` (lower case) in a block of response headers
// ("Name: value" lines separated by CRLF), in lower case without the blanks
// around it; false when there is no such header.
bool HeaderValue(const wchar_t* headers, const std::wstring& name, std::wstring& value)
{
    if (!headers)
        return false;
    std::wstring text = L"\n" + std::wstring(headers);
    for (wchar_t& ch : text)
        ch = static_cast<wchar_t>(std::towlower(ch));
    const std::wstring key = L"\n" + name + L":";
    const size_t position = text.find(key);
    if (position == std::wstring::npos)
        return false;
    const size_t begin = position + key.size();
    // Up to the line's end, or the text's end for the last line.
    value = text.substr(begin, text.find_first_of(L"\r\n", begin) - begin);
    value.erase(0, value.find_first_not_of(L" \t"));
    value.erase(value.find_last_not_of(L" \t") + 1);
    return true;
}

// The Content-Length of a response, -1 when it has none.
LONGLONG ContentLength(const wchar_t* headers)
{
    std::wstring value;
    if (!HeaderValue(headers, L"content-length", value))
        return -1;
    wchar_t* end = nullptr;
    const long long length = std::wcstoll(value.c_str(), &end, 10);
    return end == value.c_str() || length < 0 ? -1 : length;
}

// Whether the body was sent in a content coding (gzip, deflate, ...): the
// platform saves such a body decoded, while Content-Length counts the bytes
// as sent. "identity" is the absence of a coding.
bool IsContentEncoded(const wchar_t* headers)
{
    std::wstring coding;
    return HeaderValue(headers, L"content-encoding", coding) && !coding.empty() && coding != L"identity";
}

}  // namespace

void DownloadTask::CallbackHandler::BeginDownload()
{
    m_httpStatus = 0;
    m_expectedFileSize = -1;
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
    // No exception may reach urlmon, which calls this method.
    try {
        // The size of a decoded body is known only when it arrived; the
        // length of an encoded one says nothing about the file.
        m_expectedFileSize = IsContentEncoded(responseHeaders) ? -1 : ContentLength(responseHeaders);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}
