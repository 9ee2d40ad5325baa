#pragma once

// Creates the wizard's three steps in the steps manager, in their order:
// "GenericMessage", "ProductOffer", "ExecuteSetupTasks" (each only once).
void CreateWizardSteps();
