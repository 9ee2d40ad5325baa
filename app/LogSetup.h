#pragma once

// Sets up the process-wide log: "osi.log" in the user's temporary folder.
// Returns false, silently, when the temporary folder cannot be determined;
// every record is then dropped.
bool SetUpLogging();
