// The wizard of the real product, driven as a user would: welcome, offer,
// the setup tasks, finished; skip, going back, cancel and close.

#include "ShellFixture.h"
#include "support/BuildAddress.h"

using WizardTest = ShellFixture;

TEST_F(WizardTest, AcceptingTheOfferRunsBothInstallersAndFinishes)
{
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(PageText(wizard, Title), L"Welcome to Kestrafin");
    EXPECT_EQ(PageText(wizard, Subtitle), L"Subtitle");
    EXPECT_EQ(PageText(wizard, Body), L"Body 1033");
    EXPECT_EQ(VisibleButtons(wizard), (std::vector<int>{Next, Cancel}));
    EXPECT_EQ(winauto::ExtendedStyle(wizard) & WS_EX_LAYOUTRTL, 0);

    ASSERT_TRUE(ShowOffer(wizard));
    EXPECT_EQ(winauto::ControlText(wizard, Skip), L"Decline");
    EXPECT_EQ(VisibleButtons(wizard), (std::vector<int>{Skip, SkipAll, Next, Previous, Cancel}));

    winauto::Click(wizard, Next);
    ASSERT_TRUE(WaitForFinish(wizard));
    EXPECT_EQ(PageText(wizard, Subtitle), L"");
    EXPECT_EQ(VisibleButtons(wizard), (std::vector<int>{Next}));
    EXPECT_EQ(winauto::ControlText(wizard, Next), L"Finish");
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
    EXPECT_EQ(CountRecords("All Setup Tasks Done."), 1u);
    EXPECT_EQ(CountRecords("No Cancel Setup Tasks Are registred."), 0u) << "a finished setup needs no clean-up";
    // The run's story, in order, from start to end: the offer's chain runs
    // before the product's.
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

    winauto::Click(wizard, Cancel);
    ASSERT_TRUE(WaitForTitle(wizard, L"Cancel the setup?"));
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
    const std::function<void()> ways[] = {[&] { winauto::Click(wizard, Cancel); },
                                          [&] { winauto::PressKey(wizard, VK_ESCAPE); },
                                          [&] { winauto::Close(wizard); }};
    for (const auto& cancel : ways) {
        cancel();
        ASSERT_TRUE(WaitForTitle(wizard, L"Cancel the setup?"));
        EXPECT_EQ(PageText(wizard, Body), L"Not installed yet");
        EXPECT_EQ(VisibleButtons(wizard), (std::vector<int>{Next, Close}));
        const RECT next = winauto::ControlRect(wizard, Next);
        EXPECT_EQ(next.left, cancelPlace.left);
        EXPECT_EQ(next.top, cancelPlace.top);

        winauto::Click(wizard, Next);
        ASSERT_TRUE(WaitForTitle(wizard, L"Welcome to Kestrafin"));
        EXPECT_EQ(VisibleButtons(wizard), (std::vector<int>{Next, Cancel}));
    }
    EXPECT_EQ(CountRecords("Setup Suspended at Step #0:GenericMessage"), 3u);
    EXPECT_EQ(CountRecords("Setup resumed to Step #0:GenericMessage"), 3u);

    CancelAndClose(wizard);
    EXPECT_EQ(m_product->ExitCode(), 0u);
    EXPECT_EQ(CountRecords("No Cancel Setup Tasks Are registred."), 1u);
}

TEST_F(WizardTest, TaskStepOffersOnlyItsOwnCancel)
{
    // A slow installer download keeps the task step on screen.
    m_installer.pieceSize = 16 * 1024;
    m_installer.pauseMs = 100;
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    ASSERT_TRUE(ShowOffer(wizard));
    winauto::Click(wizard, Skip);
    // The step's buttons are shown first and the cancel button's text is set
    // last: once it reads "Finish", the step's layout is complete.
    ASSERT_TRUE(winauto::WaitUntil([&] { return winauto::IsControlVisible(wizard, TaskCancel) &&
                                                winauto::ControlText(wizard, Cancel) == L"Finish"; },
                                   kTimeoutMs));

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
// a right-to-left one mirrors the wizard.
TEST_F(WizardTest, ConfirmedRightToLeftLanguageCreatesTheStepsAndMirrorsTheWizard)
{
    // The list holds Deutsch, English, Hebrew (by code).
    const HWND wizard = StartWizard(2);
    ASSERT_NE(wizard, nullptr);
    EXPECT_NE(winauto::ExtendedStyle(wizard) & WS_EX_LAYOUTRTL, 0);
    CancelAndClose(wizard);

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
