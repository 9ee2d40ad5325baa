// The picture, link and browser controls, attached to a real dialog.

#include <windows.h>
#include <commctrl.h>
#include <ocidl.h>
#include <olectl.h>

#include "ControlsTestDialog.h"
#include "TaskTestSupport.h"
#include "resources/ResourceManager.h"
#include "tests/resources/TestDatabase.h"
#include "framework/BrowserSite.h"
#include "framework/Dialog.h"
#include "wizard/controls/CJPEGStatic.h"
#include "wizard/controls/CWebBrowserEx.h"
#include "wizard/controls/LinkAddress.h"
#include "wizard/controls/SysLinkControl.h"

namespace {

bool IsReddish(COLORREF colour) { return GetRValue(colour) > 150 && GetBValue(colour) < 100; }
bool IsBluish(COLORREF colour) { return GetBValue(colour) > 150 && GetRValue(colour) < 100; }

struct TestDialog : Win32xx::CDialog {
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

// In a dialog mirrored from its creation, as the right-to-left wizard is, the picture keeps its left and right. Loaded
// by the resource database, it stays after a load that fails.
TEST_F(ControlsTest, PictureIsStretchedOverTheWholeControlAndNeverMirrored)
{
    const testing_support::TempFolder folder(L"pictures");
    TestDatabase database(folder / L"resources.db");
    database.AddLanguages();
    database.AddPicture("0", 239, testing_support::ReadFileBytes(testing_support::BuildPath(L"red-blue.jpg")));
    database.AddPicture("0", 25, "not a picture");
    ResourceManager resources((folder / L"resources.db").c_str());
    for (const bool mirrored : {false, true}) {
        SCOPED_TRACE(mirrored ? "right-to-left dialog" : "left-to-right dialog");
        TestDialog dialog;
        ::SetProcessDefaultLayout(mirrored ? LAYOUT_RTL : 0);
        dialog.Create(nullptr);
        ::SetProcessDefaultLayout(0);
        CJPEGStatic picture;
        picture.AttachDlgItem(IDC_TEST_PICTURE, dialog);
        ASSERT_EQ((::GetWindowLongPtrW(picture.GetHwnd(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0, mirrored);
        EXPECT_FALSE(resources.loadPicture(26, picture)) << "no such picture";
        ASSERT_TRUE(resources.loadPicture(239, picture));
        EXPECT_FALSE(resources.loadPicture(25, picture));
        ::InvalidateRect(picture.GetHwnd(), nullptr, TRUE);
        ::UpdateWindow(picture.GetHwnd());
        testing_support::PumpFor(100);

        RECT client;
        ::GetClientRect(picture.GetHwnd(), &client);
        ASSERT_GT(client.right, 100);
        // The 2:1 picture in a 3:1 control: stretched to both corners, not letterboxed.
        EXPECT_TRUE(IsReddish(PixelAt(picture.GetHwnd(), 2, 2)));
        EXPECT_TRUE(IsBluish(PixelAt(picture.GetHwnd(), client.right - 2, client.bottom - 2)));
    }
}

TEST(LinkAddressTest, OnlyWebAndMailAddressesAreOpened)
{
    for (const wchar_t* address : {L"http://127.0.0.1/a", L"HTTPS://127.0.0.1/", L"MailTo:help@127.0.0.1"})
        EXPECT_TRUE(IsOpenableLinkAddress(address)) << testing_support::Narrow(address);
    for (const wchar_t* address : {L"file:///C:/Windows/System32/cmd.exe", L"C:\\Windows\\notepad.exe", L"notepad",
                                   L"\\\\server\\share\\x.exe", L" http://x", L"http:/x", L"ftp://x", L"javascript:x",
                                   L"shell:startup", L"mailto", L""})
        EXPECT_FALSE(IsOpenableLinkAddress(address)) << testing_support::Narrow(address);
    EXPECT_FALSE(IsOpenableLinkAddress(nullptr));
}

// The shell's "open" of an http address starts the recording program until the machine's own comes back.
class HttpHandlerForTest {
public:
    explicit HttpHandlerForTest(const std::wstring& command)
    {
        m_hadCommand = !::RegGetValueW(HKEY_CLASSES_ROOT, kKey, nullptr, RRF_RT_REG_SZ, nullptr, m_saved, &m_size);
        ::RegSetKeyValueW(HKEY_CLASSES_ROOT, kKey, nullptr, REG_SZ, command.c_str(),
                          static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }
    ~HttpHandlerForTest()
    {
        m_hadCommand ? void(::RegSetKeyValueW(HKEY_CLASSES_ROOT, kKey, nullptr, REG_SZ, m_saved, m_size))
                     : void(::RegDeleteKeyValueW(HKEY_CLASSES_ROOT, kKey, nullptr));
    }
    HttpHandlerForTest(const HttpHandlerForTest&) = delete;
    HttpHandlerForTest& operator=(const HttpHandlerForTest&) = delete;

private:
    static constexpr const wchar_t* kKey = L"http\\shell\\open\\command";
    wchar_t m_saved[1024] = {};
    DWORD m_size = sizeof(m_saved);
    bool m_hadCommand = false;
};

// The process runs elevated: a program path in a link would start as administrator on a click.
TEST_F(ControlsTest, LinkOpensWebAddressesOnClickAndOnEnterAndNothingElse)
{
    testing_support::TempFolder folder(L"link");
    const std::wstring record = folder / L"opened.txt";
    const std::wstring recorder = testing_support::BuildPath(L"recorder.exe");
    const HttpHandlerForTest handler(L"\"" + recorder + L"\" --record \"" + record + L"\" \"%1\"");
    const std::wstring address = L"http://127.0.0.1/offer";

    SysLinkControl link;
    link.AttachDlgItem(IDC_TEST_LINK, m_dialog.GetHwnd());
    const auto open = [&](const std::wstring& target, bool click, const std::function<bool()>& done) {
        LITEM item{};
        item.mask = LIF_ITEMINDEX | LIF_URL;
        wcsncpy(item.szUrl, target.c_str(), L_MAX_URL_LENGTH - 1);
        ::SendMessageW(link.GetHwnd(), LM_SETITEM, 0, reinterpret_cast<LPARAM>(&item));
        if (click) {
            ::PostMessageW(link.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            ::PostMessageW(link.GetHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        } else {
            ::SetFocus(link.GetHwnd());
            ::SendMessageW(link.GetHwnd(), WM_KEYDOWN, VK_RETURN, 0);
        }
        return testing_support::PumpUntil(done, 15000);
    };
    for (const bool click : {true, false}) {
        SCOPED_TRACE(click ? "a click" : "Enter");
        const size_t knownRecords = testing_support::ReadLog(testing_support::TestLogPath()).size();
        open(recorder, click, [&] { return testing_support::ReadLog(testing_support::TestLogPath()).size() > knownRecords; });
        const auto records = testing_support::ReadLog(testing_support::TestLogPath());
        ASSERT_EQ(records.size(), knownRecords + 1) << "the program path was not refused";
        EXPECT_EQ(records.back().severity, "WARN");
        EXPECT_EQ(records.back().message, "Link not opened, not a web or mail address: " + testing_support::Narrow(recorder));

        const std::string opened = "argument=" + testing_support::Narrow(address);
        EXPECT_TRUE(open(address, click, [&] { return testing_support::ReadFileBytes(record).find(opened) != std::string::npos; }))
            << "the web address was not opened";
        ::DeleteFileW(record.c_str());
    }
}

TEST_F(ControlsTest, BrowserAttachedToAnItemStartsOnTheBlankPage)
{
    CWebBrowserEx browser;
    browser.AttachDlgItem(IDC_TEST_BROWSER, m_dialog.GetHwnd());
    IWebBrowser2* control = browser.GetIWebBrowser2();
    ASSERT_NE(control, nullptr);
    testing_support::PumpFor(200);
    BSTR location = nullptr;
    ASSERT_EQ(control->get_LocationURL(&location), S_OK);
    EXPECT_STREQ(location, L"about:blank");
    ::SysFreeString(location);
}

TEST(WebBrowserEventSinkTest, IsADispatchThatIsNeverFreed)
{
    WebBrowserEventSink sink;
    EXPECT_EQ(sink.Release(), 0u) << "freed: the sink lives in its browser";
    sink.AddRef();
    void* object = &sink;
    EXPECT_EQ(sink.QueryInterface(IID_IOleClientSite, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(sink.QueryInterface(IID_IDispatch, &object), S_OK);
    EXPECT_EQ(object, static_cast<IDispatch*>(&sink));
    EXPECT_EQ(sink.Release(), 1u) << "the interface handed out was not counted";
}

// What the browser asks its host: no context menu, and the host flags that shape the page.
TEST(BrowserSiteTest, ShowsNoContextMenuAndGivesItsHostFlags)
{
    Win32xx::BrowserSite site(nullptr);
    DOCHOSTUIINFO info{};
    ASSERT_EQ(site.GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, 0x45A74012u) << "no help menu, no 3-D border, forms, in-place navigation, DPI-aware...";
    EXPECT_EQ(site.ShowContextMenu(0, nullptr, nullptr, nullptr), S_OK);
}
