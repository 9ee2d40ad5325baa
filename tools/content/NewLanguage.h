// A new language for translators: the files it needs, made from the
// language it is translated from.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace content {

// Adds language `code` to the content folder, to be translated from the
// listed language `from`: its line in languages.tsv (names to be given),
// texts/CODE.txt with each of FROM's own texts noted as its source
// ("#from FROM<TAB>TEXT") above a commented line to translate, and FROM's
// offer description copied to offer/CODE.json and listed in files.tsv.
// Throws ContentError when the language exists or a file would be replaced.
// Returns what the translator has to do, one line each.
std::vector<std::string> AddLanguage(const std::filesystem::path& folder, const std::string& code,
                                     const std::string& from);

}  // namespace content
