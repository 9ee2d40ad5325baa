#include "CWebBrowserEx.h"

#include <exdisp.h>
#include <ocidl.h>

#include "framework/ComPtr.h"

void CWebBrowserEx::OnBrowserCreated()
{
    IWebBrowser2* browser = GetIWebBrowser2();
    if (!browser)
        return;
    Win32xx::CComPtr<IConnectionPointContainer> container;
    if (FAILED(browser->QueryInterface(IID_IConnectionPointContainer, container.ReceiveVoid())))
        return;
    Win32xx::CComPtr<IConnectionPoint> point;
    if (FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Receive())))
        return;
    point->Advise(&m_eventSink, &m_sinkCookie);
}
