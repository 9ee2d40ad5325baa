// The clean-up dialog of an unfinished wizard runs the clean-up tasks of the
// offer steps, in page order, skipped offers included. The resource database
// comes through the real bootstrap from a server on the build's address.

#include <gtest/gtest.h>

#include "LoopbackHttpServer.h"
#include "ArchiveSigner.h"
#include "framework/logging/Logger.h"
#include "resources/ResourceManager.h"
#include "support/BuildAddress.h"
#include "support/Files.h"
#include "tasks/CancelSetupProcessingDialog.h"
#include "tasks/ExecProgramTask.h"
#include "tests/resources/TestDatabase.h"
#include "wizard/StepFrameDialogBase.h"
#include "wizard/StepsManager.h"

namespace {

class PlainPage : public StepFrameDialogBase {
public:
    explicit PlainPage(StepFrame* owner) : StepFrameDialogBase(owner, 116) {}
};

class OfferPage : public PlainPage {
public:
    explicit OfferPage(StepFrame* owner) : PlainPage(owner) { owner->isOffer = 1; }
};

// A clean-up task: the recording program, which writes `record`.
std::shared_ptr<AbstractTaskBase> CleanUpTask(const std::wstring& record)
{
    auto task = std::make_shared<ExecProgramTask>(nullptr);
    task->SetCommand(testing_support::BuildPath(L"recorder.exe").c_str());
    task->SetParameters((L"--record \"" + record + L"\"").c_str());
    return task;
}

}  // namespace

TEST(CleanUpDialogTest, RunsTheOfferStepsCleanUpTasksInPageOrder)
{
    testing_support::TempFolder folder(L"cleanup");
    logging::InitFileLogger(logging::debug, folder / L"osi.log");
    {
        TestDatabase database(folder / L"resources.db");
        database.AddLanguage("0", "Neutral", "", "", 0);
        database.AddText("0", 7, "Please wait");
    }
    testing_support::LoopbackHttpServer server(testing_support::ArchivePort());
    server.Serve(testing_support::ArchivePath(),
                 testing_support::LoopbackHttpServer::Body(testing_support::BuildSignedZip(
                     {testing_support::ZipItem::File("resources.db",
                                                     testing_support::ReadFileBytes(folder / L"resources.db"))})));
    GenericSingleton<ResourceManager>::instance();  // the bootstrap runs here

    StepsManager& steps = GenericSingleton<StepsManager>::instance();
    steps.AddStep<PlainPage>(L"Welcome");
    StepFrame* first = steps.AddStep<OfferPage>(L"FirstOffer");
    StepFrame* second = steps.AddStep<OfferPage>(L"SecondOffer");
    StepFrame* tasks = steps.AddStep<PlainPage>(L"Tasks");
    first->cancelSetupTasks.push_back(CleanUpTask(folder / L"first.txt"));
    second->cancelSetupTasks.push_back(CleanUpTask(folder / L"second.txt"));
    second->active = 0;  // a skipped offer cleans up as well
    tasks->cancelSetupTasks.push_back(CleanUpTask(folder / L"not-an-offer.txt"));

    CancelSetupProcessingDialog dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);

    EXPECT_TRUE(testing_support::FileExists(folder / L"first.txt"));
    EXPECT_TRUE(testing_support::FileExists(folder / L"second.txt"));
    EXPECT_FALSE(testing_support::FileExists(folder / L"not-an-offer.txt")) << "only offer steps clean up";
    std::vector<std::string> records;
    for (const auto& record : testing_support::ReadLog(folder / L"osi.log")) {
        if (record.function.rfind("CancelSetupProcessingDialog::", 0) == 0)
            records.push_back(record.message);
    }
    EXPECT_EQ(records, (std::vector<std::string>{"Starting Cancel Setup Task #0", "Cancel Setup Task #0 Finished",
                                                 "Starting Cancel Setup Task #1", "Cancel Setup Task #1 Finished",
                                                 "All Cancel Setup Task are done."}));
}
