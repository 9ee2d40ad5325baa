// The build: content folder to OUT_DIR/resources.db and OUT_DIR/resources.zip.
#pragma once

#include "Content.h"

#include <filesystem>
#include <functional>
#include <string>

namespace content {

// Writes the database and the archive of content read before under
// temporary names in `outFolder` and renames both only when both are
// complete, so that a failed build leaves earlier outputs as they were and no
// partial file behind. Throws std::runtime_error (or a subclass) on failure.
//
// `sign`, when given, turns the archive's bytes into the bytes that are
// written (the archive with its signature).
using ArchiveSigner = std::function<std::string(const std::string& archive)>;
void BuildContent(const Content& content, const std::filesystem::path& outFolder, const ArchiveSigner& sign = {});

// Writes a make rule that names every input of the content as a prerequisite
// of `target` (a build system's depfile), so that a changed installer whose
// digest the content carries builds the archive again.
void WriteDependencies(const Content& content, const std::filesystem::path& target,
                       const std::filesystem::path& depfile);

// The whole file at `path`; throws std::runtime_error when it cannot be read.
std::string ReadAll(const std::filesystem::path& path);

// Signs the archive at `archivePath` in place: the signed archive replaces
// it only once it has been written whole.
void SignArchiveFile(const std::filesystem::path& archivePath, const ArchiveSigner& sign);

}  // namespace content
