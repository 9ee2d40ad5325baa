#include "CreateSteps.h"

#include "StepsManager.h"
#include "pages/GenericMessageFrame.h"
#include "pages/GenericProductOffer.h"
#include "pages/PerformTasks.h"

void CreateWizardSteps()
{
    StepsManager& steps = GenericSingleton<StepsManager>::instance();
    steps.AddStep<GenericMessageFrame>(L"GenericMessage");
    steps.AddStep<GenericProductOffer>(L"ProductOffer");
    steps.AddStep<PerformTasks>(L"ExecuteSetupTasks");
}
