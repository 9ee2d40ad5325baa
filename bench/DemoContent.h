// The demo content as a benchmark serves it: the build's resources.db with
// the installers' addresses moved to the benchmark's own server.
#pragma once

#include <string>

namespace bench {

// What a benchmark serves for a whole demo run.
struct DemoFiles {
    // The demo's resources.db with the installer addresses (resources 56
    // and 61) on this build's archive server, at /KestrafinInstaller.exe and
    // /PartnerInstaller.exe; the installers' digests are the demo's.
    std::string database;
    // recorder.exe, served as both installers (the demo's digests are its).
    std::string installer;
};

// The demo files, `folder` holding the database's working copy; both empty,
// and a line naming `benchmark` printed, when either cannot be had.
DemoFiles ReadDemoFiles(const std::wstring& folder, const char* benchmark);

}  // namespace bench
