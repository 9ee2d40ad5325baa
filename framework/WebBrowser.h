// Win32xx::CWebBrowser: a window that hosts the platform's WebBrowser control
// and shows "about:blank" until a document is loaded into it.
#pragma once

#include <exdisp.h>
#include <oleidl.h>

#include <memory>

#include "BrowserSite.h"
#include "ComPtr.h"
#include "Wnd.h"

namespace Win32xx {

class CWebBrowser : public CWnd {
public:
    CWebBrowser();
    ~CWebBrowser() override;

    // Creates the browser control inside the existing dialog item.
    void AttachDlgItem(int id, HWND dialog);
    // Creates a child window of its own with the browser control inside.
    HWND Create(HWND parent);

    IWebBrowser2* GetIWebBrowser2() const noexcept { return m_browser.Get(); }

protected:
    // Runs once the browser control exists in a window that this object
    // created itself.
    virtual void OnBrowserCreated() {}
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateBrowserControl();
    void ReleaseBrowserControl();

    std::unique_ptr<BrowserSite> m_site;
    CComPtr<IOleObject> m_oleObject;
    CComPtr<IWebBrowser2> m_browser;
};

}  // namespace Win32xx
