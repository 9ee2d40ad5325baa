#include "CWebBrowserEx.h"

#include <exdisp.h>
#include <ocidl.h>

#include "framework/ComPtr.h"

namespace {

// The event of a dispatch id, or EventCount when none.
CWebBrowserEx::Event EventOf(DISPID id)
{
    switch (id) {
    case 102: return CWebBrowserEx::StatusTextChange;
    case 104: return CWebBrowserEx::DownloadComplete;
    case 105: return CWebBrowserEx::CommandStateChange;
    case 106: return CWebBrowserEx::DownloadBegin;
    case 108: return CWebBrowserEx::ProgressChange;
    case 112: return CWebBrowserEx::PropertyChange;
    case 113: return CWebBrowserEx::TitleChange;
    case 251: return CWebBrowserEx::NewWindow2;
    case 252: return CWebBrowserEx::NavigateComplete2;
    case 259: return CWebBrowserEx::DocumentComplete;
    default: return CWebBrowserEx::EventCount;
    }
}

}  // namespace

CWebBrowserEx::~CWebBrowserEx()
{
    for (EventCallback& callback : m_callbacks)
        callback = nullptr;
}

void CWebBrowserEx::DispatchEvent(DISPID id, DISPPARAMS* parameters)
{
    const Event event = EventOf(id);
    if (event != EventCount && m_callbacks[event])
        m_callbacks[event](parameters);
}

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
