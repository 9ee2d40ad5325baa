// Writes content into a new SQLite file with the tables that the program
// reads: LANGUAGE, RESOURCE_DEF, RESOURCE_VALUE and BLOB.
#pragma once

#include "Content.h"

#include <filesystem>
#include <stdexcept>

namespace content {

class DatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Creates the database at `path`, which must not exist yet. Identical values
// share one BLOB row. Throws DatabaseError; the caller removes the file then.
void WriteDatabase(const Content& content, const std::filesystem::path& path);

}  // namespace content
