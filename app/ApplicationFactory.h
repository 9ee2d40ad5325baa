#pragma once

#include <memory>

#include "SetupApp.h"

// Builds the application object that WinMain runs. The product defines it;
// so do the test programs that exercise the start-up sequence.
std::unique_ptr<CSetupApp> CreateApplication();
