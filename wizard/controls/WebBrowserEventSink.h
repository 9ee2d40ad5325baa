// Receives the embedded browser's events (DWebBrowserEvents2) and passes them
// to its owner. It lives inside its owner: Release never frees it.
#pragma once

#include <oaidl.h>

class CWebBrowserEx;

class WebBrowserEventSink : public IDispatch {
public:
    explicit WebBrowserEventSink(CWebBrowserEx* owner) : m_owner(owner) {}
    WebBrowserEventSink(const WebBrowserEventSink&) = delete;
    WebBrowserEventSink& operator=(const WebBrowserEventSink&) = delete;
    virtual ~WebBrowserEventSink() = default;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_count); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--m_count); }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*,
                        UINT*) override;

private:
    long m_count = 1;
    CWebBrowserEx* m_owner;
};
