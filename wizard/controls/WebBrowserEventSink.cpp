#include "WebBrowserEventSink.h"

#include "CWebBrowserEx.h"
#include "framework/ProcedureBoundary.h"

STDMETHODIMP WebBrowserEventSink::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IDispatch || iid == IID_IUnknown) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP WebBrowserEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID* ids)
{
    if (ids)
        ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP WebBrowserEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*,
                                         EXCEPINFO*, UINT*)
{
    return Win32xx::CallAtBoundary<HRESULT>(E_UNEXPECTED, [&] {
        if (m_owner)
            m_owner->DispatchEvent(id, parameters);
        return S_OK;
    });
}
