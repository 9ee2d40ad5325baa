// The parts of the build's archive address ("http://127.0.0.1:PORT/resources.zip"), for servers started on it.
#pragma once

#include <string>

namespace testing_support {

unsigned short ArchivePort();  // 80 when the address names none
std::string ArchivePath();     // "/resources.zip"
// `path` on the archive's server ("http://127.0.0.1:PORT" + path).
std::string ArchiveServerUrl(const std::string& path);

}  // namespace testing_support
