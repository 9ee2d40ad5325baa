#include "GenericProductOffer.h"

#include "framework/ComPtr.h"
#include "framework/MemoryStream.h"
#include "res/resource.h"
#include "resources/ResourceManager.h"
#include "wizard/MainDialog.h"
#include "wizard/StepsManager.h"

namespace {
constexpr int kBrowserBorder = 2;  // pixels

const HCURSOR kWaitCursor = ::LoadCursorW(nullptr, IDC_WAIT);
const HCURSOR kArrowCursor = ::LoadCursorW(nullptr, IDC_ARROW);

}  // namespace

GenericProductOffer::GenericProductOffer(StepFrame* owner) : StepFrameDialogBase(owner, IDD_OFFER_PAGE)
{
    tutorial.LoadPlaceholders();
    owner->isOffer = 1;
}

BOOL GenericProductOffer::OnInitPage()
{
    ::SetCursor(kWaitCursor);
    browser.AttachDlgItem(IDC_OFFER_BROWSER, GetHwnd());
    PlaceBrowser();

    tutorial.BuildOfferHtml();
    LoadHtml(tutorial.html);
    m_installer = InstallerChain(GenericSingleton<ResourceManager>::instance(), Resource::kOfferInstaller);
    ::SetCursor(kArrowCursor);
    return TRUE;
}

void GenericProductOffer::PlaceBrowser()
{
    // The control's border lies outside the page on every side. Sized from
    // the page's own area: screen coordinates are negative on a monitor left
    // of or above the primary one, and would leave the offer unseen.
    RECT page;
    ::GetClientRect(GetHwnd(), &page);
    ::SetWindowPos(browser.GetHwnd(), nullptr, -kBrowserBorder, -kBrowserBorder, page.right + 2 * kBrowserBorder,
                   page.bottom + 2 * kBrowserBorder, SWP_NOZORDER | SWP_SHOWWINDOW);
}

BOOL GenericProductOffer::OnPageMessage(UINT message, WPARAM, LPARAM)
{
    if (message == WM_SIZE && browser.IsWindow())
        PlaceBrowser();
    return FALSE;
}

void GenericProductOffer::LoadHtml(const std::string& html)
{
    // Every failing step leaves the browser on its blank page.
    const Win32xx::CComPtr<IStream> stream = Win32xx::StreamOverCopy(html.data(), html.size());
    if (!stream)
        return;
    IWebBrowser2* control = browser.GetIWebBrowser2();
    Win32xx::CComPtr<IDispatch> document;
    if (!control || FAILED(control->get_Document(document.Receive())) || !document)
        return;
    Win32xx::CComPtr<IPersistStreamInit> persist;
    if (FAILED(document->QueryInterface(IID_IPersistStreamInit, persist.ReceiveVoid())))
        return;
    if (SUCCEEDED(persist->InitNew()))
        persist->Load(stream.Get());
}

bool GenericProductOffer::OnNext()
{
    stepFrame->tasks = m_installer.Tasks();
    SetOfferCaptions(false);
    return true;
}

void GenericProductOffer::OnStepShown()
{
    MainDialog* main = GenericSingleton<StepsManager>::instance().mainDialog;
    if (!main)
        return;
    ::RedrawWindow(main->GetHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    SetOfferCaptions(true);
}

bool GenericProductOffer::OnPrevious()
{
    SetOfferCaptions(false);
    return true;
}

void GenericProductOffer::SetOfferCaptions(bool offer)
{
    MainDialog* main = GenericSingleton<StepsManager>::instance().mainDialog;
    if (!main)
        return;
    ResourceManager& resources = GenericSingleton<ResourceManager>::instance();
    ::SetWindowTextW(main->GetDlgItem(IDC_MAIN_SKIP),
                     resources.getText(offer ? Resource::OFFER_BUTTON_DECLINE : Resource::BUTTON_SKIP));
    ::SetWindowTextW(main->GetDlgItem(IDC_MAIN_NEXT),
                     resources.getText(offer ? Resource::OFFER_BUTTON_ACCEPT : Resource::BUTTON_NEXT));
}
