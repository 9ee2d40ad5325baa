// Receives the embedded browser's events (DWebBrowserEvents2) and acts on
// none: BeforeNavigate2 among them, so no navigation is ever blocked or
// redirected. It lives inside its browser: Release never frees it.
#pragma once

#include <oaidl.h>

class WebBrowserEventSink : public IDispatch {
public:
    WebBrowserEventSink() = default;
    WebBrowserEventSink(const WebBrowserEventSink&) = delete;
    WebBrowserEventSink& operator=(const WebBrowserEventSink&) = delete;
    virtual ~WebBrowserEventSink() = default;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_count); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--m_count); }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return S_OK; }

private:
    long m_count = 1;
};
