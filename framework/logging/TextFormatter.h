#pragma once

#include <string>

#include "Record.h"

namespace logging {

// One log line:
//   "2026-12-06 12:38:23.123 INFO  [1234] [WinMain@57] Setup Started\n"
// local date and time with milliseconds, the severity padded to 5, the thread
// id, the function and line, the message, a line feed.
std::wstring FormatRecord(const Record& record);

}  // namespace logging
