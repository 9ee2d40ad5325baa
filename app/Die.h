// The two fatal stops. Each logs a fatal record, tells the user in a message
// box captioned "Installer" and posts the quit request with -1, then returns
// to its caller: the modal dialogs that run unwind on the quit request.
#pragma once

#include "framework/CString.h"

void Die();
void Die(const Win32xx::CString& message);

// True once either fatal stop has run: the process then ends with -1,
// whatever exit code a later quit request carries.
bool FatalStopRequested() noexcept;
// Makes the run end with -1 as after a fatal stop, for a stop that has told
// the user and the log itself.
void MarkFatalStop() noexcept;
