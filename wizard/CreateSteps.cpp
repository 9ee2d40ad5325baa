#include "CreateSteps.h"

#include "StepsManager.h"
#include "pages/GenericMessageFrame.h"
#include "pages/GenericProductOffer.h"
#include "pages/PerformTasks.h"

void CreateWizardSteps()
{
    StepsManager& steps = GenericSingleton<StepsManager>::instance();
    steps.AddStep<GenericMessageFrame>(GenericMessageFrame::kStepName);
    steps.AddStep<GenericProductOffer>(GenericProductOffer::kStepName);
    steps.AddStep<PerformTasks>(PerformTasks::kStepName);
}
