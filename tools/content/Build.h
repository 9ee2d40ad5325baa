// The build: content folder to OUT_DIR/resources.db and OUT_DIR/resources.zip.
#pragma once

#include <filesystem>

namespace content {

// Reads the content (ContentError on malformed input, before anything is
// written), writes the database and the archive under temporary names in
// `outFolder` and renames both only when both are complete, so that a failed
// build leaves earlier outputs as they were and no partial file behind.
// Throws std::runtime_error (or a subclass) on failure.
void buildContent(const std::filesystem::path& contentFolder, const std::filesystem::path& outFolder);

}  // namespace content
