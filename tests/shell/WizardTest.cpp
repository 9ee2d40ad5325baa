// The wizard of the real product, driven as a user would: welcome, offer,
// the setup tasks, finished; skip, going back, cancel and close.

#include "WizardFixture.h"

namespace {
constexpr DWORD kExitMinusOne = 0xFFFFFFFF;
}

using WizardTest = WizardFixture;

TEST_F(WizardTest, AcceptingTheOfferRunsBothInstallersAndFinishes)
{
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(PageText(wizard, Title), L"Welcome to Kestrafin");
    EXPECT_EQ(PageText(wizard, Subtitle), L"Subtitle");
    EXPECT_EQ(PageText(wizard, Body), L"Body 1033");
    EXPECT_EQ(VisibleButtons(wizard), (std::vector<int>{Next, Cancel}));
    EXPECT_EQ(winauto::ExtendedStyle(wizard) & WS_EX_LAYOUTRTL, 0);

    winauto::Click(wizard, Next);
    ASSERT_TRUE(winauto::WaitUntil([&] { return winauto::ControlText(wizard, Next) == L"Accept"; }, kTimeoutMs));
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
    // The offer's chain runs before the product's.
    const auto log = Log();
    std::vector<std::string> started;
    bool setupTasks = false;  // the bootstrap's own tasks come first
    for (const auto& record : log) {
        setupTasks = setupTasks || record.message == "Starting a new Task";
        if (setupTasks && record.function == "AbstractTaskBase::Start")
            started.push_back(record.message);
    }
    ASSERT_EQ(started.size(), 4u);
    EXPECT_NE(started[0].find("PartnerInstaller.exe"), std::string::npos);
    EXPECT_EQ(started[1].rfind("[ExecProgramTask]", 0), 0u);
    EXPECT_NE(started[2].find("KestrafinInstaller.exe"), std::string::npos);
    EXPECT_EQ(started[3].rfind("[ExecProgramTask]", 0), 0u);

    // The run's story, in order, from start to end.
    size_t at = 0;
    for (const char* expected :
         {"Setup Started", "Aquiring resource Database", "Resource File is ", "Resources aquired",
          "Display Setup Language Selection Dialog.", "Language Selected :English", "Adding Setup Step GenericMessage",
          "Adding Setup Step ProductOffer", "Adding Setup Step ExecuteSetupTasks", "Starting a new Task",
          "[DownloadTask] URL: ", "Starting a new Task", "[ExecProgramTask] ", "Starting a new Task",
          "[DownloadTask] URL: ", "Starting a new Task", "[ExecProgramTask] ", "All Setup Tasks Done.",
          "Program treminated with code:0"}) {
        while (at < log.size() && log[at].message.rfind(expected, 0) != 0)
            ++at;
        ASSERT_LT(at, log.size()) << "missing, or out of order: " << expected;
        ++at;
    }
    const bool exitCodeLogged = std::any_of(log.begin(), log.end(), [](const auto& record) {
        return record.function == "ExecProgramTask::OnStart" && record.message.find(" Exit code: 0") != std::string::npos;
    });
    EXPECT_TRUE(exitCodeLogged);
}

TEST_F(WizardTest, SkippingTheOfferRunsOnlyTheProduct)
{
    for (const int skip : {Skip, SkipAll}) {
        SCOPED_TRACE(skip == Skip ? "skip" : "skip all");
        const HWND wizard = StartWizard();
        ASSERT_NE(wizard, nullptr);
        winauto::Click(wizard, Next);
        ASSERT_TRUE(winauto::WaitUntil([&] { return winauto::IsControlVisible(wizard, skip); }, kTimeoutMs));
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

TEST_F(WizardTest, GoingBackAndAcceptingAgainQueuesTheOfferOnce)
{
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    winauto::Click(wizard, Next);
    ASSERT_TRUE(winauto::WaitUntil([&] { return winauto::IsControlVisible(wizard, Previous); }, kTimeoutMs));
    winauto::Click(wizard, Previous);
    ASSERT_TRUE(winauto::WaitUntil([&] { return !winauto::IsControlVisible(wizard, Previous); }, kTimeoutMs));
    EXPECT_EQ(VisibleButtons(wizard), (std::vector<int>{Next, Cancel}));
    EXPECT_EQ(winauto::ControlText(wizard, Next), L"Next >") << "the offer's captions are given back";
    EXPECT_EQ(PageText(wizard, Title), L"Welcome to Kestrafin");

    winauto::Click(wizard, Next);
    ASSERT_TRUE(winauto::WaitUntil([&] { return winauto::ControlText(wizard, Next) == L"Accept"; }, kTimeoutMs));
    winauto::Click(wizard, Next);
    ASSERT_TRUE(WaitForFinish(wizard));
    EXPECT_EQ(CountRecords("Starting a new Task"), 4u) << "the offer's pair once, not twice";
    winauto::Click(wizard, Next);
    EXPECT_TRUE(m_product->Wait(kTimeoutMs));
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
        ASSERT_TRUE(winauto::WaitUntil([&] { return PageText(wizard, Title) == L"Cancel the setup?"; }, kTimeoutMs));
        EXPECT_EQ(PageText(wizard, Body), L"Not installed yet");
        EXPECT_EQ(VisibleButtons(wizard), (std::vector<int>{Next, Close}));
        const RECT next = winauto::ControlRect(wizard, Next);
        EXPECT_EQ(next.left, cancelPlace.left);
        EXPECT_EQ(next.top, cancelPlace.top);

        winauto::Click(wizard, Next);
        ASSERT_TRUE(winauto::WaitUntil([&] { return PageText(wizard, Title) == L"Welcome to Kestrafin"; }, kTimeoutMs));
        EXPECT_EQ(VisibleButtons(wizard), (std::vector<int>{Next, Cancel}));
    }
    EXPECT_EQ(CountRecords("Setup Suspended at Step #0:GenericMessage"), 3u);
    EXPECT_EQ(CountRecords("Setup resumed to Step #0:GenericMessage"), 3u);

    winauto::Click(wizard, Cancel);
    ASSERT_TRUE(winauto::WaitUntil([&] { return winauto::IsControlVisible(wizard, Close); }, kTimeoutMs));
    winauto::Click(wizard, Close);
    ASSERT_TRUE(m_product->Wait(kTimeoutMs));
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
    winauto::Click(wizard, Next);
    ASSERT_TRUE(winauto::WaitUntil([&] { return winauto::IsControlVisible(wizard, Skip); }, kTimeoutMs));
    winauto::Click(wizard, Skip);
    ASSERT_TRUE(winauto::WaitUntil([&] { return winauto::IsControlVisible(wizard, TaskCancel); }, kTimeoutMs));

    EXPECT_EQ(VisibleButtons(wizard), (std::vector<int>{Cancel, TaskCancel}));
    EXPECT_FALSE(winauto::IsControlEnabled(wizard, Cancel));
    EXPECT_EQ(winauto::ControlText(wizard, Cancel), L"Finish");
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
    winauto::Click(wizard, Next);
    ASSERT_TRUE(winauto::WaitUntil([&] { return winauto::IsControlVisible(wizard, SkipAll); }, kTimeoutMs));
    winauto::Click(wizard, SkipAll);
    ExpectBoxAndConfirm(*m_product, L"Installer",
                        L"An error occured while downloading the file : error code = 0x80190194");
    ASSERT_TRUE(m_product->Wait(kTimeoutMs));
    EXPECT_EQ(m_product->ExitCode(), kExitMinusOne);
    EXPECT_EQ(ProductRecord(), "");
    EXPECT_EQ(CountRecords("[ExecProgramTask]"), 0u) << "nothing was launched";
}

TEST_F(WizardTest, RightToLeftLanguageMirrorsTheWizard)
{
    // The list holds Deutsch, English, Hebrew (by code).
    const HWND wizard = StartWizard(2);
    ASSERT_NE(wizard, nullptr);
    EXPECT_NE(winauto::ExtendedStyle(wizard) & WS_EX_LAYOUTRTL, 0);
    winauto::Click(wizard, Cancel);
    ASSERT_TRUE(winauto::WaitUntil([&] { return winauto::IsControlVisible(wizard, Close); }, kTimeoutMs));
    winauto::Click(wizard, Close);
    EXPECT_TRUE(m_product->Wait(kTimeoutMs));
    const auto log = Log();
    EXPECT_EQ(CountRecords("Language Selected :Hebrew"), 1u);
}

TEST_F(WizardTest, ConfirmedLanguageBecomesCurrentAndTheStepsAreCreated)
{
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    winauto::Click(wizard, Cancel);
    ASSERT_TRUE(winauto::WaitUntil([&] { return winauto::IsControlVisible(wizard, Close); }, kTimeoutMs));
    winauto::Click(wizard, Close);
    ASSERT_TRUE(m_product->Wait(kTimeoutMs));

    const auto log = Log();
    const auto chosen = std::find_if(log.begin(), log.end(),
                                     [](const auto& record) { return record.function == "SelectLangDialog::OnOK"; });
    ASSERT_NE(chosen, log.end());
    EXPECT_EQ(chosen->message, ::GetUserDefaultUILanguage() == 1031 ? "Language Selected :German"
                                                                     : "Language Selected :English");
    std::vector<std::string> added;
    for (auto record = chosen; record != log.end(); ++record) {
        if (record->function == "StepsManager::AddStep")
            added.push_back(record->message);
    }
    EXPECT_EQ(added, (std::vector<std::string>{"Adding Setup Step GenericMessage", "Adding Setup Step ProductOffer",
                                               "Adding Setup Step ExecuteSetupTasks"}));
    const auto product = std::find_if(log.begin(), log.end(),
                                      [](const auto& record) { return record.message.rfind("Product: ", 0) == 0; });
    ASSERT_NE(product, log.end());
    EXPECT_EQ(product->message, "Product: Kestrafin version 1.0.0.0");
    EXPECT_EQ(product->function, "SelectLangDialog::OnInitDialog");
}

TEST_F(WizardTest, OfferCaptionsFollowTheOfferAndHeadersStayHidden)
{
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    for (const int header : {1051, 1052}) {
        EXPECT_FALSE(winauto::IsControlVisible(wizard, header));
        EXPECT_EQ(winauto::ControlText(wizard, header), L"");
    }
    winauto::Click(wizard, Next);
    ASSERT_TRUE(winauto::WaitUntil([&] { return winauto::ControlText(wizard, Next) == L"Accept"; }, kTimeoutMs));

    // Cancel on the offer gives the ordinary captions back; resuming shows the offer's again.
    winauto::Click(wizard, Cancel);
    ASSERT_TRUE(winauto::WaitUntil([&] { return PageText(wizard, Title) == L"Cancel the setup?"; }, kTimeoutMs));
    EXPECT_EQ(winauto::ControlText(wizard, Next), L"Next >");
    EXPECT_EQ(winauto::ControlText(wizard, Skip), L"Skip");
    for (const int header : {1051, 1052})
        EXPECT_FALSE(winauto::IsControlVisible(wizard, header));
    winauto::Click(wizard, Next);
    ASSERT_TRUE(winauto::WaitUntil([&] { return winauto::ControlText(wizard, Next) == L"Accept"; }, kTimeoutMs));
    EXPECT_EQ(winauto::ControlText(wizard, Skip), L"Decline");
    EXPECT_EQ(CountRecords("Setup resumed to Step #1:ProductOffer"), 1u);

    winauto::Click(wizard, Cancel);
    ASSERT_TRUE(winauto::WaitUntil([&] { return winauto::IsControlVisible(wizard, Close); }, kTimeoutMs));
    winauto::Click(wizard, Close);
    ASSERT_TRUE(m_product->Wait(kTimeoutMs));
    EXPECT_EQ(m_product->ExitCode(), 0u);
}
