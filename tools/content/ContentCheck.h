// Checks content against what the program needs of it: every resource the
// program reads resolves in every language (directly or through the neutral
// language) with the right type, pictures are JPEG files, texts are valid
// UTF-8 and hold only known macros, and the offer description parses and has
// every key that the offer template uses.
#pragma once

#include "Content.h"

#include <ostream>
#include <string>
#include <vector>

namespace content {

struct Fault {
    std::string language;  // the code of the language concerned
    std::string message;   // names the file and line where there is one
};

std::vector<Fault> checkContent(const Content& content);

// Prints the faults grouped by language (in the order of languages.tsv) and a
// summary line.
void printFaults(const Content& content, const std::vector<Fault>& faults, std::ostream& out);

}  // namespace content
