// Checks content against what the program needs of it: every resource the
// program reads resolves in every language (directly or through the neutral
// language) with the right type and name, pictures are JPEG files, texts are
// valid UTF-8 and hold only known macros, and the offer description parses
// and has every key that the offer template uses. An installer's digest must be 64
// hexadecimal digits; a link address is http://, https:// or mailto:; the
// offer template has no placeholder of a key that the program does not fill,
// its values no bare '&' or '<', and its "dir" is the language's. Warnings,
// which do not fail the check, name installer addresses that are plain
// http:// without a digest, empty texts, and translations made from an older
// source text.
#pragma once

#include "Content.h"

#include <ostream>
#include <string>
#include <vector>

namespace content {

struct Fault {
    std::string language;  // the code of the language concerned
    std::string message;   // names the file and line where there is one
    bool warning = false;  // worth knowing, but the content works
};

using ProgramResources = std::vector<Resource::Definition>;
// What the program states that it reads (resources/ResourceContract.h).
const ProgramResources& ProgramReads();

// In a release (`release`), plain http:// or loopback installer addresses,
// missing installer digests and empty texts are faults too.
std::vector<Fault> CheckContent(const Content& content, bool release = false,
                                const ProgramResources& read = ProgramReads());

// How many of the faults are not warnings: the check fails when any is.
std::size_t CountErrors(const std::vector<Fault>& faults);

// Prints the faults grouped by language (in the order of languages.tsv), the
// warnings marked as such, and a summary line.
// Prints the digests computed from files (digests.tsv), one line each.
void PrintDigests(const Content& content, std::ostream& out);

void PrintFaults(const Content& content, const std::vector<Fault>& faults, std::ostream& out);

}  // namespace content
