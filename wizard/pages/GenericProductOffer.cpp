#include "GenericProductOffer.h"

#include "InstallerDigest.h"
#include "framework/ComPtr.h"
#include "framework/MemoryStream.h"
#include "res/resource.h"
#include "resources/ResourceManager.h"
#include "tasks/DownloadTask.h"
#include "tasks/ExecProgramTask.h"
#include "wizard/MainDialog.h"
#include "wizard/StepsManager.h"

namespace {
constexpr int kBrowserBorder = 2;  // pixels

const HCURSOR kWaitCursor = ::LoadCursorW(nullptr, IDC_WAIT);
const HCURSOR kArrowCursor = ::LoadCursorW(nullptr, IDC_ARROW);

std::string RawText(ResourceManager& resources, int id)
{
    std::vector<unsigned char> data;
    if (!resources.fetchBlob(resources.currentLanguage().code, id, RESOURCE_TEXT, data))
        return std::string();
    return std::string(data.begin(), data.end());
}

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

    ResourceManager& resources = GenericSingleton<ResourceManager>::instance();
    tutorial.offerTag = RawText(resources, Resource::OFFER_TAG);
    tutorial.imageId = Resource::PICTURE_OFFER;
    tutorial.jsonTextId = Resource::OFFER_DESCRIPTION;
    tutorial.templateId = Resource::OFFER_TEMPLATE;
    tutorial.BuildHtml();
    LoadHtml(tutorial.html);

    offerUrl = resources.getString(resources.currentLanguage().code, Resource::kOfferInstaller.address);
    offerParams = resources.getLocalizedString(Resource::kOfferInstaller.parameters).str();
    m_offerDigest = InstallerDigest(resources, Resource::kOfferInstaller.digest);
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
    stepFrame->tasks.clear();
    auto download = std::make_shared<DownloadTask>(Win32xx::CString(offerUrl.c_str()));
    auto launch = std::make_shared<ExecProgramTask>(download);
    launch->SetParameters(offerParams.c_str());
    launch->SetExpectedDigest(m_offerDigest);
    stepFrame->tasks.push_back(download);
    stepFrame->tasks.push_back(launch);
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
    const std::wstring code = resources.currentLanguage().code;
    ::SetWindowTextW(main->GetDlgItem(IDC_MAIN_SKIP),
                     resources.getString(code, offer ? Resource::OFFER_BUTTON_DECLINE : Resource::BUTTON_SKIP).c_str());
    ::SetWindowTextW(main->GetDlgItem(IDC_MAIN_NEXT),
                     resources.getString(code, offer ? Resource::OFFER_BUTTON_ACCEPT : Resource::BUTTON_NEXT).c_str());
}
