// The parts of the build's resource archive address (a loopback address in
// test builds), for the servers that tests and benchmarks start on it.
#pragma once

#include <string>

namespace testing_support {

// The port of the archive address ("http://127.0.0.1:PORT/..."; 80 if none).
unsigned short ArchivePort();
// The archive's path on its server ("/resources.zip").
std::string ArchivePath();
// `path` on the archive's server ("http://127.0.0.1:PORT" + path).
std::string ArchiveServerUrl(const std::string& path);

}  // namespace testing_support
