// The wizard on a monitor left of and above the primary one, where screen coordinates are negative: the offer's
// browser covers its page, the pages lie in the page area, suspended next stands where cancel stood; mirrored too.

#include "ShellFixture.h"

class ScreenTest : public ShellFixture {
protected:
    static constexpr int kOfferBrowser = 1037;

    // The browser's window covers the whole offer page (its border may lie outside).
    static void ExpectBrowserCoversItsPage(HWND wizard)
    {
        const HWND browser = winauto::FindDescendant(wizard, kOfferBrowser);
        RECT shown{}, page{};
        ::GetWindowRect(browser, &shown);
        ::GetWindowRect(::GetParent(browser), &page);
        EXPECT_TRUE(::IsWindowVisible(browser));
        EXPECT_TRUE(shown.left <= page.left && shown.top <= page.top && shown.right >= page.right &&
                    shown.bottom >= page.bottom)
            << "browser (" << shown.left << "," << shown.top << ")-(" << shown.right << "," << shown.bottom
            << ") on page (" << page.left << "," << page.top << ")-(" << page.right << "," << page.bottom << ")";
    }
};

TEST_F(ScreenTest, FrameAtNegativeCoordinatesShowsTheWholeOfferAndKeepsItsLayout)
{
    struct Case {
        const char* name;
        int language;  // Deutsch, English, Hebrew (by code); -1: the preselected English
        bool mirrored;
    };
    for (const Case& c : {Case{"left to right", -1, false}, Case{"mirrored", 2, true}}) {
        SCOPED_TRACE(c.name);
        m_program = L"shell_probe.exe";
        m_arguments = L"wizard-at -1200 -900";
        const HWND wizard = StartWizard(c.language);
        ASSERT_NE(wizard, nullptr);
        RECT frame{};
        ::GetWindowRect(wizard, &frame);
        ASSERT_TRUE(frame.right < 0 && frame.bottom < 0) << "the frame stands at negative coordinates";
        ExpectPagePlacement(wizard, c.mirrored);

        ASSERT_TRUE(ShowOffer(wizard));
        ExpectBrowserCoversItsPage(wizard);
        const RECT cancelPlace = winauto::ControlRect(wizard, Cancel);
        winauto::PressKey(wizard, VK_ESCAPE);
        ASSERT_TRUE(winauto::WaitUntil([&] { return VisibleButtons(wizard) == std::vector<int>{Next, Close}; },
                                       kTimeoutMs));
        ExpectNextInCancelsPlace(wizard, cancelPlace, c.mirrored);
        winauto::Click(wizard, Close);
        ASSERT_TRUE(m_product->Wait(kTimeoutMs));
    }
}
