// The picture, link and browser controls, attached to a real dialog.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <ocidl.h>
#include <olectl.h>
#include <shlwapi.h>

#include <functional>

#include "Automation.h"
#include "ControlsTestDialog.h"
#include "framework/Dialog.h"
#include "support/Files.h"
#include "wizard/controls/CJPEGStatic.h"
#include "wizard/controls/CWebBrowserEx.h"
#include "wizard/controls/SysLinkControl.h"

namespace {

// Lets the dialog handle what is queued (paints, notifications).
void PumpMessages(DWORD milliseconds = 100)
{
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    MSG msg;
    while (::GetTickCount64() < end) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    }
}

IPicture* LoadTestPicture()
{
    const std::string bytes = testing_support::ReadFileBytes(testing_support::BuildPath(L"red-blue.jpg"));
    IStream* stream = ::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
    IPicture* picture = nullptr;
    ::OleLoadPicture(stream, static_cast<LONG>(bytes.size()), FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
    stream->Release();
    return picture;
}

bool IsReddish(COLORREF colour) { return GetRValue(colour) > 150 && GetBValue(colour) < 100; }
bool IsBluish(COLORREF colour) { return GetBValue(colour) > 150 && GetRValue(colour) < 100; }

class TestDialog : public Win32xx::CDialog {
public:
    TestDialog() : CDialog(IDD_CONTROLS_TEST) {}
};

}  // namespace

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LINK_CLASS | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&controls);
        m_dialog.Create(nullptr);
    }

    // The colour at (x, y) of a control, in left-to-right coordinates.
    COLORREF PixelAt(HWND control, int x, int y)
    {
        const HDC dc = ::GetDC(control);
        ::SetLayout(dc, 0);
        const COLORREF colour = ::GetPixel(dc, x, y);
        ::ReleaseDC(control, dc);
        return colour;
    }

    TestDialog m_dialog;
};

// In a mirrored (right-to-left) dialog too, the picture keeps its own left
// and right.
TEST_F(ControlsTest, PictureIsStretchedOverTheWholeControlAndNeverMirrored)
{
    for (const bool mirrored : {false, true}) {
        SCOPED_TRACE(mirrored ? "right-to-left dialog" : "left-to-right dialog");
        TestDialog dialog;  // a fresh one: nothing painted before
        dialog.Create(nullptr);
        if (mirrored)
            ::SetWindowLongPtrW(dialog, GWL_EXSTYLE, ::GetWindowLongPtrW(dialog, GWL_EXSTYLE) | WS_EX_LAYOUTRTL);
        CJPEGStatic picture;
        picture.AttachDlgItem(IDC_TEST_PICTURE, dialog);
        picture.SetPicture(LoadTestPicture());
        ::InvalidateRect(picture.GetHwnd(), nullptr, TRUE);
        ::UpdateWindow(picture.GetHwnd());
        PumpMessages();

        RECT client;
        ::GetClientRect(picture.GetHwnd(), &client);
        ASSERT_GT(client.right, 100);
        // The 2:1 picture in a 3:1 control: stretched, not letterboxed.
        EXPECT_TRUE(IsReddish(PixelAt(picture.GetHwnd(), 2, 2)));
        EXPECT_TRUE(IsReddish(PixelAt(picture.GetHwnd(), client.right / 4, client.bottom - 2)));
        EXPECT_TRUE(IsBluish(PixelAt(picture.GetHwnd(), client.right * 3 / 4, 2)));
        EXPECT_TRUE(IsBluish(PixelAt(picture.GetHwnd(), client.right - 2, client.bottom - 2)));
    }
}

TEST_F(ControlsTest, PictureControlKeepsItsPictureUntilReplaced)
{
    CJPEGStatic picture;
    EXPECT_EQ(picture.GetPicture(), nullptr);
    IPicture* first = LoadTestPicture();
    picture.SetPicture(first);
    EXPECT_EQ(picture.GetPicture(), first);
    IPicture* second = LoadTestPicture();
    picture.SetPicture(second);
    EXPECT_EQ(picture.GetPicture(), second);
}

TEST_F(ControlsTest, LinkOpensItsAddressWithTheShellOnClickAndOnEnter)
{
    // The shell's "open" of a program starts it.
    wchar_t system[MAX_PATH];
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring target = std::wstring(system) + L"\\notepad.exe";
    const std::wstring editorCaption = L"Untitled - Notepad";

    SysLinkControl link;
    link.AttachDlgItem(IDC_TEST_LINK, m_dialog.GetHwnd());
    LITEM item{};
    item.mask = LIF_ITEMINDEX | LIF_URL;
    item.iLink = 0;
    wcsncpy(item.szUrl, target.c_str(), L_MAX_URL_LENGTH - 1);
    ::SendMessageW(link.GetHwnd(), LM_SETITEM, 0, reinterpret_cast<LPARAM>(&item));

    const auto expectEditorOpens = [&](const char* way, const std::function<void()>& use) {
        use();
        PumpMessages(300);
        const HWND editor = winauto::WaitForWindow(editorCaption, 15000);
        ASSERT_NE(editor, nullptr) << way << " did not open the link";
        ::PostMessageW(editor, WM_CLOSE, 0, 0);
        ASSERT_TRUE(winauto::WaitForWindowGone(editorCaption, 10000));
    };
    expectEditorOpens("a click", [&] {
        ::PostMessageW(link.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ::PostMessageW(link.GetHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    });
    expectEditorOpens("Enter", [&] {
        ::SetFocus(link.GetHwnd());
        ::SendMessageW(link.GetHwnd(), WM_KEYDOWN, VK_RETURN, 0);
    });
}

TEST_F(ControlsTest, BrowserHostAnswersWithoutContextMenuAndWithItsFlags)
{
    Win32xx::BrowserSite site(m_dialog.GetHwnd());
    DOCHOSTUIINFO info{};
    EXPECT_EQ(site.GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, 0x45A74012u);
    POINT point{};
    EXPECT_EQ(site.ShowContextMenu(0, &point, nullptr, nullptr), S_OK);
    EXPECT_EQ(site.GetExternal(nullptr), E_NOTIMPL);
    IDocHostUIHandler* handler = nullptr;
    EXPECT_EQ(site.QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&handler)), S_OK);
    EXPECT_EQ(handler, static_cast<IDocHostUIHandler*>(&site));
}

TEST_F(ControlsTest, BrowserAttachedToAnItemStartsOnTheBlankPage)
{
    CWebBrowserEx browser;
    browser.AttachDlgItem(IDC_TEST_BROWSER, m_dialog.GetHwnd());
    IWebBrowser2* control = browser.GetIWebBrowser2();
    ASSERT_NE(control, nullptr);
    PumpMessages(200);
    BSTR location = nullptr;
    ASSERT_EQ(control->get_LocationURL(&location), S_OK);
    EXPECT_STREQ(location, L"about:blank");
    ::SysFreeString(location);
}

TEST(WebBrowserEventSinkTest, DispatchesOnlyTheBrowserEventsOfItsTable)
{
    CWebBrowserEx owner;
    int completed = 0;
    DISPPARAMS* seen = nullptr;
    owner.SetEventCallback(CWebBrowserEx::DocumentComplete, [&](DISPPARAMS* parameters) {
        ++completed;
        seen = parameters;
    });
    WebBrowserEventSink sink(&owner);
    DISPPARAMS parameters{};
    EXPECT_EQ(sink.Invoke(259, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(completed, 1);
    EXPECT_EQ(seen, &parameters);
    for (DISPID ignored : {250, 253, 0, -1})
        EXPECT_EQ(sink.Invoke(ignored, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(sink.Invoke(252, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr), S_OK)
        << "an event without a callback";
    EXPECT_EQ(completed, 1);
}

TEST(WebBrowserEventSinkTest, CountsReferencesButIsNeverFreedAndAnswersOnlyDispatch)
{
    WebBrowserEventSink sink(nullptr);
    EXPECT_EQ(sink.Release(), 0u);
    EXPECT_EQ(sink.AddRef(), 1u);
    void* object = &sink;
    EXPECT_EQ(sink.QueryInterface(IID_IOleClientSite, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(sink.QueryInterface(IID_IDispatch, nullptr), E_POINTER);
    EXPECT_EQ(sink.QueryInterface(IID_IDispatch, &object), S_OK);
    EXPECT_EQ(object, static_cast<IDispatch*>(&sink));
    EXPECT_EQ(sink.AddRef(), 3u);
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"Navigate");
    EXPECT_EQ(sink.GetIDsOfNames(IID_NULL, &name, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    EXPECT_EQ(sink.GetTypeInfoCount(nullptr), E_NOTIMPL);
    EXPECT_EQ(sink.Invoke(259, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr), S_OK)
        << "no owner: nothing to dispatch to";
}
