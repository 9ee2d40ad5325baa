// The real wizard end to end (every key in every state: KeyboardTest; the layout, also mirrored: ScreenTest);
// the installers' digests decide what is launched: an altered installer ends the run fatally.

#include <algorithm>
#include <cctype>

#include "ShellFixture.h"
#include "support/BuildAddress.h"

class WizardTest : public ShellFixture {
protected:
    const std::vector<int> kWelcome{Next, Cancel}, kOffer{Skip, SkipAll, Next, Previous, Cancel},
        kQuestion{Next, Close};

    bool Shows(HWND wizard, int control, int picture)
    {
        return winauto::WaitUntil([&] { return ShownPicture(wizard, control) == picture; }, kTimeoutMs);
    }
    int VisibleLinks(HWND wizard)
    {
        return ::IsWindowVisible(winauto::FindDescendant(wizard, LeftLink)) +
               ::IsWindowVisible(winauto::FindDescendant(wizard, RightLink));
    }
    // Presses the key (with Alt: Alt+F4) and waits for the buttons it leads to.
    bool Press(HWND wizard, UINT key, const std::vector<int>& buttons)
    {
        key == VK_F4 ? winauto::PressAltKey(wizard, key) : winauto::PressKey(wizard, key);
        return winauto::WaitUntil([&] { return VisibleButtons(wizard) == buttons; }, kTimeoutMs);
    }
    void ExpectHeadersHidden(HWND wizard)
    {
        for (const int header : {1051, 1052})
            EXPECT_TRUE(!winauto::IsControlVisible(wizard, header) && winauto::ControlText(wizard, header).empty());
    }
};

// The captions and titles of each state, and back from the offer: KeyboardTest's looks.
TEST_F(WizardTest, WelcomeAndQuestionShowTheirExpandedTextsAndResumeKeepsNextInItsPlace)
{
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(PageText(wizard, Subtitle), L"Subtitle.");
    EXPECT_EQ(PageText(wizard, Body), L"Body 1033");
    EXPECT_EQ(PageText(wizard, LeftLink), L"<a href=\"http://127.0.0.1/privacy\">Privacy</a>");
    EXPECT_EQ(PageText(wizard, RightLink), L"<a href=\"http://127.0.0.1/license\">License</a>");
    EXPECT_EQ(VisibleLinks(wizard), 2);
    EXPECT_TRUE(Shows(wizard, Banner, 239) && Shows(wizard, Picture, 240) && Shows(wizard, Strip, 28));
    for (const int label : {Subtitle, Body})  // painted on the page's white, beside the text
        EXPECT_EQ(ShownColour(wizard, label, 2), RGB(255, 255, 255)) << label;
    ExpectHeadersHidden(wizard);

    ASSERT_TRUE(ShowOffer(wizard));
    EXPECT_TRUE(Shows(wizard, Strip, 27));
    const RECT next = winauto::ControlRect(wizard, Next);
    ASSERT_TRUE(Press(wizard, VK_ESCAPE, kQuestion));
    EXPECT_EQ(PageText(wizard, Body), L"Kestrafin is not installed yet");
    EXPECT_EQ(VisibleLinks(wizard), 0);
    EXPECT_EQ(ShownPicture(wizard, Strip), 27) << "suspended, the strip stays";
    ExpectHeadersHidden(wizard);
    ASSERT_TRUE(Press(wizard, VK_RETURN, kOffer));
    const RECT resumed = winauto::ControlRect(wizard, Next);
    EXPECT_TRUE(::EqualRect(&next, &resumed)) << "next is not back in its place";
}

// After going back the offer is accepted again: its pair runs once. Each installer is checked against its own digest.
TEST_F(WizardTest, AcceptedOfferRunsBothInstallersOnceAndFinishes)
{
    std::string upperCase = m_offerDigest;  // the language's own digest, in capitals
    std::transform(upperCase.begin(), upperCase.end(), upperCase.begin(), ::toupper);
    m_database.AddText("0", kProductDigest, m_servedDigest);
    m_database.AddText("1033", kOfferDigest, upperCase);
    const HWND wizard = StartWizard();
    ASSERT_TRUE(wizard && ShowOffer(wizard));
    winauto::Click(wizard, Previous);
    ASSERT_TRUE(winauto::WaitUntil([&] { return VisibleButtons(wizard) == kWelcome; }, kTimeoutMs));
    ASSERT_TRUE(Press(wizard, VK_RETURN, kOffer));
    ASSERT_TRUE(Press(wizard, VK_RETURN, {Next}));
    ASSERT_TRUE(winauto::WaitUntil([&] { return PageText(wizard, Title) == L"Kestrafin is set up"; }, kTimeoutMs));
    EXPECT_EQ(PageText(wizard, Body), L"Done in EN");
    EXPECT_EQ(PageText(wizard, Subtitle), L"");
    EXPECT_EQ(VisibleLinks(wizard), 0);
    EXPECT_TRUE(Shows(wizard, Strip, 25));
    const HWND tasksPage = ::GetParent(winauto::FindDescendant(wizard, TasksProgress));
    EXPECT_EQ(winauto::ProgressMaximum(tasksPage, TasksProgress), 400);
    // Each with its parameters (hidden, in the temporary folder: ExecProgramTaskTest, the product sets no folder).
    EXPECT_NE(OfferRecord().find("argument=/ABBR=EN"), std::string::npos) << OfferRecord();
    EXPECT_NE(ProductRecord().find("argument=/LANG=1033"), std::string::npos) << ProductRecord();

    ASSERT_TRUE(Press(wizard, VK_F4, {}));
    ASSERT_TRUE(m_product->Wait(kTimeoutMs));
    EXPECT_EQ(CountRecords("Starting a new Task"), 4u) << "the offer's pair once, not twice";
    // The run's story, in order: the offer's chain runs before the product's.
    const std::string download = "[DownloadTask] URL: " + testing_support::ArchiveServerUrl("/");
    ExpectRecordsInOrder({"Setup Started", "Aquiring resource Database", "Resource File is ", "Resources aquired",
                          "Product: Kestrafin version 1.0.0.0", "Display Setup Language Selection Dialog.",
                          "Language Selected :English", "Adding Setup Step GenericMessage",
                          "Adding Setup Step ProductOffer", "Adding Setup Step ExecuteSetupTasks",
                          "Starting a new Task", download + "PartnerInstaller.exe ", "Starting a new Task",
                          "[ExecProgramTask] ", "Starting a new Task", download + "KestrafinInstaller.exe ",
                          "Starting a new Task", "[ExecProgramTask] ", "All Setup Tasks Done.",
                          "Program treminated with code:0"});
    EXPECT_EQ(CountRecords(" Exit code: 0", "ExecProgramTask::OnStart"), 2u);
    EXPECT_EQ(CountRecords("PartnerInstaller.exe SHA-256 verified: " + m_offerDigest, kVerifier), 1u);
    EXPECT_EQ(CountRecords("KestrafinInstaller.exe SHA-256 verified: " + m_servedDigest, kVerifier), 1u);
}

// Its buttons, captions and keys: KeyboardTest.
TEST_F(WizardTest, TaskStepShowsItsProgressStatusAndStrip)
{
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    // A slow product download, the third task, keeps the task step on screen.
    m_installer.pieceSize = 8 * 1024;
    m_installer.pauseMs = 100;
    m_server.Serve("/KestrafinInstaller.exe", m_installer);
    ASSERT_TRUE(ShowOffer(wizard));
    winauto::Click(wizard, Next);
    const HWND page = ::GetParent(winauto::FindDescendant(wizard, TasksProgress));
    EXPECT_TRUE(winauto::WaitUntil([&] {
        const int position = winauto::ProgressPosition(page, TasksProgress);
        return position > 200 && position < 300;
    }, kTimeoutMs)) << "task 2 at its percent";
    EXPECT_EQ(PageText(wizard, TasksStatus), L"Installing $(^Name)") << "shown as stored";
    EXPECT_TRUE(Shows(wizard, Strip, 26));
}

// The neutral digest would match; the current language's own one does not. The fatal stop names the download.
TEST_F(WizardTest, LanguageOwnDigestWinsAndAMismatchStopsTheRunBeforeTheProduct)
{
    m_database.AddText("0", kOfferDigest, m_offerDigest);
    m_database.AddText("1033", kOfferDigest, std::string(64, '0'));
    const HWND wizard = StartWizard();
    ASSERT_TRUE(wizard && ShowOffer(wizard));
    winauto::Click(wizard, Next);
    ASSERT_NE(winauto::WaitForWindow(L"Installer", kTimeoutMs, m_product->Id()), nullptr);
    const std::wstring text = L"The downloaded file is damaged or has been altered :" +
                              DownloadedFile(L"PartnerInstaller.exe");
    ExpectFatalEnd(*m_product, text);
    EXPECT_EQ(CountRecords(testing_support::Narrow(text) + " exiting.", "Die"), 1u);
    EXPECT_EQ(OfferRecord() + ProductRecord(), "") << "the altered installer ran";
    EXPECT_EQ(m_server.RequestCount("/KestrafinInstaller.exe"), 0) << "the chain went on after the refusal";
}
