// The wizard of the real product, driven as a user would: welcome, offer,
// the setup tasks, finished; skip, going back, cancel and close; the
// keyboard alone; the mirrored frame.

#include "ShellFixture.h"
#include "support/BuildAddress.h"

class WizardTest : public ShellFixture {
protected:
    bool Shows(HWND wizard, int control, int picture)
    {
        return winauto::WaitUntil([&] { return ShownPicture(wizard, control) == picture; }, kTimeoutMs);
    }
    int VisibleLinks(HWND wizard)
    {
        return ::IsWindowVisible(winauto::FindDescendant(wizard, LeftLink)) +
               ::IsWindowVisible(winauto::FindDescendant(wizard, RightLink));
    }
    // The message page fills the frame's page area, its picture on the side
    // where reading starts.
    void ExpectPagePlacement(HWND wizard, bool mirrored)
    {
        EXPECT_EQ((winauto::ExtendedStyle(wizard) & WS_EX_LAYOUTRTL) != 0, mirrored);
        const HWND picture = winauto::FindDescendant(wizard, Picture);
        RECT page{}, shown{};
        ::GetWindowRect(::GetParent(picture), &page);
        ::GetWindowRect(picture, &shown);
        const RECT area = winauto::ControlRect(wizard, Pages);
        EXPECT_GE(page.left, area.left);
        EXPECT_LE(page.right, area.right);
        EXPECT_GT(page.right - page.left, (area.right - area.left) * 9 / 10);
        EXPECT_EQ(mirrored ? page.right - shown.right : shown.left - page.left, 0);
    }
    // Suspended, next stands where cancel stood: on its left edge, or on its
    // right one in a mirrored frame.
    void ExpectNextInCancelsPlace(HWND wizard, const RECT& cancel, bool mirrored)
    {
        winauto::WindowText(wizard);  // answered once the layout's handler has returned
        const RECT next = winauto::ControlRect(wizard, Next);
        EXPECT_EQ(mirrored ? next.right : next.left, mirrored ? cancel.right : cancel.left);
        EXPECT_EQ(next.top, cancel.top);
    }
    bool TabTo(HWND wizard, int control)
    {
        for (int presses = 0; presses < 20 && winauto::FocusedControl(wizard) != control; ++presses) {
            const int before = winauto::FocusedControl(wizard);
            winauto::PressKey(wizard, VK_TAB);
            winauto::WaitUntil([&] { return winauto::FocusedControl(wizard) != before; }, kTimeoutMs);
        }
        return winauto::FocusedControl(wizard) == control;
    }
};

TEST_F(WizardTest, AcceptingTheOfferRunsBothInstallersAndFinishes)
{
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(PageText(wizard, Title), L"Welcome to Kestrafin");
    EXPECT_EQ(PageText(wizard, Subtitle), L"Subtitle");
    EXPECT_EQ(PageText(wizard, Body), L"Body 1033");
    EXPECT_EQ(PageText(wizard, LeftLink), L"<a href=\"http://127.0.0.1/privacy\">Privacy</a>");
    EXPECT_EQ(PageText(wizard, RightLink), L"<a href=\"http://127.0.0.1/license\">License</a>");
    EXPECT_EQ(VisibleLinks(wizard), 2);
    EXPECT_EQ(VisibleButtons(wizard), (std::vector<int>{Next, Cancel}));
    EXPECT_TRUE(Shows(wizard, Banner, 239));
    EXPECT_TRUE(Shows(wizard, Picture, 240));
    EXPECT_TRUE(Shows(wizard, Strip, 28));
    ExpectPagePlacement(wizard, false);

    ASSERT_TRUE(ShowOffer(wizard));
    EXPECT_EQ(winauto::ControlText(wizard, Skip), L"Decline");
    EXPECT_EQ(VisibleButtons(wizard), (std::vector<int>{Skip, SkipAll, Next, Previous, Cancel}));
    EXPECT_TRUE(Shows(wizard, Strip, 27));

    winauto::Click(wizard, Next);
    ASSERT_TRUE(WaitForFinish(wizard));
    EXPECT_EQ(PageText(wizard, Subtitle), L"");
    EXPECT_EQ(VisibleLinks(wizard), 0);
    EXPECT_EQ(VisibleButtons(wizard), (std::vector<int>{Next}));
    EXPECT_EQ(winauto::ControlText(wizard, Next), L"Finish");
    EXPECT_TRUE(Shows(wizard, Strip, 25));
    EXPECT_EQ(winauto::ProgressMaximum(::GetAncestor(winauto::FindDescendant(wizard, TasksProgress), GA_PARENT),
                                       TasksProgress),
              400);

    // Both installers ran hidden in the temporary folder, with their parameters.
    for (const std::string& record : {OfferRecord(), ProductRecord()}) {
        EXPECT_NE(record.find("working-folder=" + testing_support::Narrow(m_temp.Path())), std::string::npos) << record;
        EXPECT_NE(record.find("show-window=0"), std::string::npos) << record;
    }
    EXPECT_NE(OfferRecord().find("argument=/ABBR=EN"), std::string::npos) << OfferRecord();
    EXPECT_NE(ProductRecord().find("argument=/LANG=1033"), std::string::npos) << ProductRecord();

    winauto::Click(wizard, Next);
    ASSERT_TRUE(m_product->Wait(kTimeoutMs));
    EXPECT_EQ(m_product->ExitCode(), 0u);
    EXPECT_EQ(CountRecords("Starting a new Task"), 4u);
    EXPECT_EQ(CountRecords("No Cancel Setup Tasks Are registred."), 0u) << "a finished setup needs no clean-up";
    // The run's story, in order: the offer's chain runs before the product's.
    const std::string download = "[DownloadTask] URL: " + testing_support::ArchiveServerUrl("/");
    ExpectRecordsInOrder({"Setup Started", "Aquiring resource Database", "Resource File is ", "Resources aquired",
                          "Display Setup Language Selection Dialog.", "Language Selected :English",
                          "Adding Setup Step GenericMessage", "Adding Setup Step ProductOffer",
                          "Adding Setup Step ExecuteSetupTasks", "Starting a new Task",
                          download + "PartnerInstaller.exe ", "Starting a new Task", "[ExecProgramTask] ",
                          "Starting a new Task", download + "KestrafinInstaller.exe ", "Starting a new Task",
                          "[ExecProgramTask] ", "All Setup Tasks Done.", "Program treminated with code:0"});
    EXPECT_EQ(CountRecordsFrom("ExecProgramTask::OnStart", " Exit code: 0"), 2u);
}

TEST_F(WizardTest, SkippingTheOfferRunsOnlyTheProduct)
{
    for (const int skip : {Skip, SkipAll}) {
        SCOPED_TRACE(skip == Skip ? "skip" : "skip all");
        const HWND wizard = StartWizard();
        ASSERT_NE(wizard, nullptr);
        ASSERT_TRUE(ShowOffer(wizard));
        winauto::Click(wizard, skip);
        ASSERT_TRUE(WaitForFinish(wizard));
        EXPECT_EQ(OfferRecord(), "");
        EXPECT_NE(ProductRecord(), "");
        winauto::Click(wizard, Next);
        ASSERT_TRUE(m_product->Wait(kTimeoutMs));
        testing_support::RemoveTree(m_temp / L"KestrafinInstaller.exe.record.txt");
    }
    EXPECT_EQ(CountRecords("Offer ProductOffer Ignored."), 1u);
    EXPECT_EQ(CountRecords("Ignore all offers clicked"), 1u);
    EXPECT_EQ(CountRecords("Starting a new Task"), 4u) << "two tasks in each run";
}

// The offer shows its own captions (Accept, Decline) and gives the ordinary
// ones back however it is left; the header labels stay cleared and hidden.
// Accepting after going back queues the offer's tasks once.
TEST_F(WizardTest, LeavingTheOfferRestoresTheCaptionsAndAcceptingAgainQueuesItOnce)
{
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    const auto expectHeadersHidden = [&] {
        for (const int header : {1051, 1052}) {
            EXPECT_FALSE(winauto::IsControlVisible(wizard, header));
            EXPECT_EQ(winauto::ControlText(wizard, header), L"");
        }
    };
    expectHeadersHidden();
    ASSERT_TRUE(ShowOffer(wizard));
    ASSERT_TRUE(Shows(wizard, Strip, 27));

    ASSERT_TRUE(AskToCancel(wizard));
    EXPECT_EQ(PageText(wizard, Title), L"Cancel the setup?");
    EXPECT_EQ(PageText(wizard, Body), L"Not installed yet");
    EXPECT_EQ(VisibleLinks(wizard), 0);
    EXPECT_EQ(ShownPicture(wizard, Strip), 27) << "suspended, the strip stays";
    EXPECT_EQ(winauto::ControlText(wizard, Next), L"Next >");
    EXPECT_EQ(winauto::ControlText(wizard, Skip), L"Skip");
    expectHeadersHidden();
    winauto::Click(wizard, Next);
    ASSERT_TRUE(winauto::WaitUntil([&] { return winauto::ControlText(wizard, Next) == L"Accept"; }, kTimeoutMs));
    EXPECT_EQ(winauto::ControlText(wizard, Skip), L"Decline");
    EXPECT_EQ(CountRecords("Setup resumed to Step #1:ProductOffer"), 1u);

    winauto::Click(wizard, Previous);
    ASSERT_TRUE(winauto::WaitUntil([&] { return !winauto::IsControlVisible(wizard, Previous); }, kTimeoutMs));
    EXPECT_EQ(VisibleButtons(wizard), (std::vector<int>{Next, Cancel}));
    EXPECT_EQ(winauto::ControlText(wizard, Next), L"Next >");
    EXPECT_EQ(PageText(wizard, Title), L"Welcome to Kestrafin");

    ASSERT_TRUE(ShowOffer(wizard));
    winauto::Click(wizard, Next);
    ASSERT_TRUE(WaitForFinish(wizard));
    EXPECT_EQ(CountRecords("Starting a new Task"), 4u) << "the offer's pair once, not twice";
    winauto::Click(wizard, Next);
    ASSERT_TRUE(m_product->Wait(kTimeoutMs));
    EXPECT_EQ(m_product->ExitCode(), 0u);
}

TEST_F(WizardTest, CancelOnTheWelcomePageAsksAndResumesOrCloses)
{
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    const RECT cancelPlace = winauto::ControlRect(wizard, Cancel);
    ASSERT_TRUE(AskToCancel(wizard));
    EXPECT_EQ(VisibleButtons(wizard), (std::vector<int>{Next, Close}));
    ExpectNextInCancelsPlace(wizard, cancelPlace, false);
    winauto::Click(wizard, Next);
    ASSERT_TRUE(WaitForTitle(wizard, L"Welcome to Kestrafin"));
    EXPECT_EQ(VisibleButtons(wizard), (std::vector<int>{Next, Cancel}));
    EXPECT_EQ(CountRecords("Setup Suspended at Step #0:GenericMessage"), 1u);
    EXPECT_EQ(CountRecords("Setup resumed to Step #0:GenericMessage"), 1u);

    CancelAndClose(wizard);
    EXPECT_EQ(m_product->ExitCode(), 0u);
    EXPECT_EQ(CountRecords("No Cancel Setup Tasks Are registred."), 1u);
}

// Keys as a user without a mouse presses them: Enter takes the focused
// button (next, after every change of step), Tab reaches the others, Escape
// and Alt+F4 ask to cancel, and Alt+F4 closes a finished setup.
TEST_F(WizardTest, KeyboardAloneGoesThroughEveryPage)
{
    enum Press { Enter, Escape, AltF4, TabToSkip = Skip, TabToClose = Close };
    const std::vector<int> welcome{Next, Cancel}, offer{Skip, SkipAll, Next, Previous, Cancel}, question{Next, Close},
        finished{Next}, ended{};
    struct Walk {
        std::vector<std::pair<Press, std::vector<int>>> presses;  // each with the buttons it leads to
        bool offerRan, productRan;
    };
    const Walk walks[] = {
        {{{AltF4, question}, {Enter, welcome}, {Enter, offer}, {Escape, question}, {Enter, offer}, {Enter, finished},
          {AltF4, ended}}, true, true},
        // The wizard opens with the focus on next, not on a link.
        {{{Enter, offer}, {TabToSkip, offer}, {Enter, finished}, {Enter, ended}}, false, true},
        {{{Escape, question}, {TabToClose, question}, {Enter, ended}}, false, false}};
    for (const Walk& walk : walks) {
        const HWND wizard = StartWizard();
        ASSERT_NE(wizard, nullptr);
        for (size_t step = 0; step < walk.presses.size(); ++step) {
            SCOPED_TRACE("press " + std::to_string(step));
            const auto& [press, buttons] = walk.presses[step];
            if (press > AltF4) {
                ASSERT_TRUE(TabTo(wizard, press));
            } else if (press == AltF4) {
                winauto::PressAltKey(wizard, VK_F4);
            } else {
                winauto::PressKey(wizard, press == Enter ? VK_RETURN : VK_ESCAPE);
            }
            if (!buttons.empty()) {
                ASSERT_TRUE(winauto::WaitUntil([&] { return VisibleButtons(wizard) == buttons; }, kTimeoutMs));
            }
        }
        ASSERT_TRUE(m_product->Wait(kTimeoutMs));
        EXPECT_EQ(m_product->ExitCode(), 0u);
        EXPECT_EQ(OfferRecord() != "", walk.offerRan);
        EXPECT_EQ(ProductRecord() != "", walk.productRan);
        testing_support::RemoveTree(m_temp / L"KestrafinInstaller.exe.record.txt");
        testing_support::RemoveTree(m_temp / L"PartnerInstaller.exe.record.txt");
    }
}

TEST_F(WizardTest, TaskStepShowsItsProgressAndOffersOnlyItsOwnCancel)
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
    // The step's cancel button takes its text last: once it reads "Finish",
    // the step's layout is complete.
    ASSERT_TRUE(winauto::WaitUntil([&] { return winauto::ControlText(wizard, Cancel) == L"Finish"; }, kTimeoutMs));
    EXPECT_EQ(VisibleButtons(wizard), (std::vector<int>{Cancel, TaskCancel}));
    EXPECT_FALSE(winauto::IsControlEnabled(wizard, Cancel));
    winauto::Close(wizard);
    EXPECT_FALSE(m_product->Wait(500)) << "the close box does nothing on the task step";
    EXPECT_EQ(CountRecords("Setup Suspended"), 0u);

    winauto::Click(wizard, TaskCancel);
    ASSERT_TRUE(m_product->Wait(kTimeoutMs));
    EXPECT_EQ(m_product->ExitCode(), 0u);
    EXPECT_EQ(CountRecords("No Cancel Setup Tasks Are registred."), 1u);
    EXPECT_EQ(ProductRecord(), "") << "the installer never ran";
}

TEST_F(WizardTest, FailingInstallerDownloadEndsTheRunFatally)
{
    m_installer = testing_support::LoopbackHttpServer::Body("gone", 404);
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    ASSERT_TRUE(ShowOffer(wizard));
    winauto::Click(wizard, SkipAll);
    ExpectFatalEnd(*m_product, L"An error occured while downloading the file : error code = 0x80190194");
    EXPECT_EQ(ProductRecord(), "");
    EXPECT_EQ(CountRecords("[ExecProgramTask]"), 0u) << "nothing was launched";
}

// The confirmed language becomes current and the three steps are created;
// a right-to-left one mirrors the wizard, pages and the suspended layout too.
TEST_F(WizardTest, ConfirmedRightToLeftLanguageCreatesTheStepsAndMirrorsTheWizard)
{
    // The list holds Deutsch, English, Hebrew (by code).
    const HWND wizard = StartWizard(2);
    ASSERT_NE(wizard, nullptr);
    ExpectPagePlacement(wizard, true);
    const RECT cancelPlace = winauto::ControlRect(wizard, Cancel);
    ASSERT_TRUE(AskToCancel(wizard));
    ExpectNextInCancelsPlace(wizard, cancelPlace, true);
    winauto::Click(wizard, Close);
    ASSERT_TRUE(m_product->Wait(kTimeoutMs));

    const auto log = Log();
    const auto chosen = std::find_if(log.begin(), log.end(),
                                     [](const auto& record) { return record.function == "SelectLangDialog::OnOK"; });
    ASSERT_NE(chosen, log.end());
    EXPECT_EQ(chosen->message, "Language Selected :Hebrew");
    EXPECT_EQ(CountRecords("Language Selected :"), 1u);
    std::vector<std::string> added;
    for (auto record = chosen; record != log.end(); ++record) {
        if (record->function == "StepsManager::AddStep")
            added.push_back(record->message);
    }
    EXPECT_EQ(added, (std::vector<std::string>{"Adding Setup Step GenericMessage", "Adding Setup Step ProductOffer",
                                               "Adding Setup Step ExecuteSetupTasks"}));
    const size_t product = FindRecord(log, "Product: ");
    ASSERT_LT(product, log.size());
    ExpectRecord(product, "INFO", "SelectLangDialog::OnInitDialog", "Product: Kestrafin version 1.0.0.0");
}
