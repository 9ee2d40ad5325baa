#pragma once

#include "framework/Exception.h"

// Shows a framework exception to the user: its text in a message box whose
// caption is the exception's type description.
void ShowExceptionBox(const Win32xx::CException& e);
