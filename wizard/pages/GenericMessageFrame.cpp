#include "GenericMessageFrame.h"

#include "res/resource.h"
#include "resources/ResourceManager.h"
#include "wizard/MainDialog.h"
#include "wizard/StepsManager.h"

namespace {

constexpr Resource::Id kNoText = static_cast<Resource::Id>(-1);

struct ModeTexts {
    Resource::Id title;
    Resource::Id subtitle;
    Resource::Id body;
};
constexpr ModeTexts kModeTexts[] = {{Resource::WELCOME_TITLE, Resource::WELCOME_SUBTITLE, Resource::WELCOME_BODY},
                                   {Resource::FINISHED_TITLE, kNoText, Resource::FINISHED_BODY},
                                   {Resource::CANCEL_TITLE, kNoText, Resource::CANCEL_BODY}};

// Ends at the first NUL of either text, as the link control would.
Win32xx::CString LinkMarkup(const Win32xx::CString& address, const Win32xx::CString& text)
{
    return Win32xx::CString((L"<a href=\"" + address.str() + L"\">" + text.str() + L"</a>").c_str());
}

}  // namespace

GenericMessageFrame::GenericMessageFrame(StepFrame* owner) : StepFrameDialogBase(owner, IDD_MESSAGE_PAGE)
{
    owner->isOffer = 0;
    TakeModeTexts();
    Refresh();
}

PageKind GenericMessageFrame::Kind() const
{
    if (mode == Welcome)
        return PageKind::WelcomeMessage;
    return mode == Finished ? PageKind::FinishedMessage : PageKind::Message;
}

BOOL GenericMessageFrame::OnInitPage()
{
    titleLabel.AttachDlgItem(IDC_MESSAGE_TITLE, GetHwnd());
    bodyLabel.AttachDlgItem(IDC_MESSAGE_BODY, GetHwnd());
    subtitleLabel.AttachDlgItem(IDC_MESSAGE_SUBTITLE, GetHwnd());
    picture.AttachDlgItem(IDC_MESSAGE_PICTURE, GetHwnd());
    leftLink.AttachDlgItem(IDC_MESSAGE_LEFT_LINK, GetHwnd());
    rightLink.AttachDlgItem(IDC_MESSAGE_RIGHT_LINK, GetHwnd());
    Refresh();
    return TRUE;
}

void GenericMessageFrame::TakeModeTexts()
{
    if (mode < Welcome || mode > CancelRequested)
        return;
    titleId = kModeTexts[mode].title;
    subtitleId = kModeTexts[mode].subtitle;
    bodyId = kModeTexts[mode].body;
}

void GenericMessageFrame::OnStepEnter()
{
    if (MainDialog* main = GenericSingleton<StepsManager>::instance().mainDialog) {
        for (const int header : {IDC_MAIN_HEADER_TITLE, IDC_MAIN_HEADER_TEXT}) {
            ::SetWindowTextW(main->GetDlgItem(header), L"");
            ::ShowWindow(main->GetDlgItem(header), SW_HIDE);
        }
    }
    if (mode < Welcome || mode > CancelRequested)
        return;
    TakeModeTexts();
    Refresh();
}

void GenericMessageFrame::SetMode(int newMode)
{
    mode = newMode;
    TakeModeTexts();
    Refresh();
}

void GenericMessageFrame::Refresh()
{
    if (!IsWindow())
        return;
    ::LockWindowUpdate(GetHwnd());
    ResourceManager& resources = GenericSingleton<ResourceManager>::instance();
    pictureId = Resource::PICTURE_MESSAGE_PAGE;
    titleLabel.SetWindowText(resources.getText(titleId));
    subtitleLabel.SetWindowText(subtitleId != kNoText ? resources.getText(subtitleId) : Win32xx::CString());
    bodyLabel.SetWindowText(resources.getText(bodyId));
    resources.loadPicture(pictureId, picture);

    rightLink.SetWindowText(
        LinkMarkup(resources.getText(Resource::LINK_LICENSE_URL), resources.getText(Resource::LINK_LICENSE_TEXT)));
    leftLink.SetWindowText(
        LinkMarkup(resources.getText(Resource::LINK_PRIVACY_URL), resources.getText(Resource::LINK_PRIVACY_TEXT)));
    const int linkState = mode == Welcome ? SW_SHOW : SW_HIDE;
    leftLink.ShowWindow(linkState);
    rightLink.ShowWindow(linkState);

    if (IsWindow()) {
        ::InvalidateRect(GetHwnd(), nullptr, TRUE);
        ::UpdateWindow(GetHwnd());
    }
    ::LockWindowUpdate(nullptr);
}
