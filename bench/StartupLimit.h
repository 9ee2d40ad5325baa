// The start-up limit program's dialog and its caption, which the benchmark
// looks for.
#pragma once

#define IDD_STARTUP_LIMIT 100
#define STARTUP_LIMIT_CAPTION "Start-up Limit"
