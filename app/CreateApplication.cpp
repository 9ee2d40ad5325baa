#include "ApplicationFactory.h"

std::unique_ptr<CSetupApp> CreateApplication()
{
    return std::make_unique<CSetupApp>();
}
