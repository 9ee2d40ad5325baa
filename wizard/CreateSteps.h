#pragma once

// Creates the wizard's three steps in the steps manager, in their order:
// the message, offer and task pages' steps (each only once), named by their
// pages' kStepName.
void CreateWizardSteps();
