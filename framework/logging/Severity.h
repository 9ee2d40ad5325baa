#pragma once

namespace logging {

// Lower values are more severe; a logger passes records up to its maximum.
enum Severity { none = 0, fatal = 1, error = 2, warning = 3, info = 4, debug = 5, verbose = 6 };

// "FATAL", "ERROR", "WARN", "INFO", "DEBUG", "VERB" or "NONE".
const wchar_t* SeverityName(Severity severity);

}  // namespace logging
