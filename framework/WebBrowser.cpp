#include "WebBrowser.h"

namespace Win32xx {

CWebBrowser::CWebBrowser()
{
    ::OleInitialize(nullptr);
}

CWebBrowser::~CWebBrowser()
{
    ReleaseBrowserControl();
    Destroy();
    ::OleUninitialize();
}

void CWebBrowser::AttachDlgItem(int id, HWND dialog)
{
    CWnd::AttachDlgItem(id, dialog);
    CreateBrowserControl();
}

HWND CWebBrowser::Create(HWND parent)
{
    const HWND hwnd = CWnd::Create(parent);
    CreateBrowserControl();
    OnBrowserCreated();
    return hwnd;
}

void CWebBrowser::CreateBrowserControl()
{
    m_site = std::make_unique<BrowserSite>(GetHwnd());
    if (FAILED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                  m_oleObject.ReceiveVoid())))
        return;
    m_oleObject->SetClientSite(static_cast<IOleClientSite*>(m_site.get()));
    ::OleSetContainedObject(m_oleObject.Get(), TRUE);
    RECT client;
    ::GetClientRect(GetHwnd(), &client);
    m_oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(m_site.get()), 0,
                        GetHwnd(), &client);
    if (FAILED(m_oleObject->QueryInterface(IID_IWebBrowser2, m_browser.ReceiveVoid())))
        return;
    VARIANT empty;
    ::VariantInit(&empty);
    BSTR blank = ::SysAllocString(L"about:blank");
    m_browser->Navigate(blank, &empty, &empty, &empty, &empty);
    ::SysFreeString(blank);
}

void CWebBrowser::ReleaseBrowserControl()
{
    m_browser.Reset();
    if (m_oleObject) {
        CComPtr<IOleInPlaceObject> inPlace;
        if (SUCCEEDED(m_oleObject->QueryInterface(IID_IOleInPlaceObject, inPlace.ReceiveVoid())))
            inPlace->InPlaceDeactivate();
        m_oleObject->Close(OLECLOSE_NOSAVE);
        m_oleObject->SetClientSite(nullptr);
        m_oleObject.Reset();
    }
    m_site.reset();
}

LRESULT CWebBrowser::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SIZE && m_browser) {
        // The control follows its container's size.
        CComPtr<IOleInPlaceObject> inPlace;
        if (SUCCEEDED(m_oleObject->QueryInterface(IID_IOleInPlaceObject, inPlace.ReceiveVoid()))) {
            RECT client;
            ::GetClientRect(GetHwnd(), &client);
            inPlace->SetObjectRects(&client, &client);
        }
    }
    return WndProcDefault(message, wParam, lParam);
}

}  // namespace Win32xx
