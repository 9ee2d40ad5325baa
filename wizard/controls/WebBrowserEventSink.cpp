#include "WebBrowserEventSink.h"

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
