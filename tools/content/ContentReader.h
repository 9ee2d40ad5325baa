// Reads a content folder (the format is described in content/README.md):
//   languages.tsv   code, native name, English name, abbreviation, rtl
//   resources.tsv   id, symbolic name, type (text or picture)
//   texts/CODE.txt  id, tab, UTF-8 text; one file per language
//   files.tsv       language, id, file: values kept as whole files
//                   (pictures, the offer template and descriptions)
//   digests.tsv     language, id, file: texts that are the SHA-256 of a file
//                   (the installers' digests)
//
// Only the form is checked here; what the program needs of the content is the
// business of ContentCheck.
#pragma once

#include "Content.h"

#include <filesystem>
#include <stdexcept>
#include <string>

namespace content {

// A malformed content folder. The text names the file and, where there is
// one, the line: "content/texts/1031.txt:12: ...".
class ContentError : public std::runtime_error {
public:
    ContentError(const Origin& origin, const std::string& message);
};

// A language code as the folder's files give it: the decimal Windows
// language identifier without leading zeros, or 0.
bool IsLanguageCode(const std::string& text);

// Reads the whole folder; throws ContentError on the first malformed line.
Content ReadContent(const std::filesystem::path& folder);

}  // namespace content
