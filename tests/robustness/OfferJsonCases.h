// Offer descriptions (JSON) for the offer corpus. A case is either a
// well-formed object, with the value text that each placeholder must then
// receive, or a damaged text: bytes changed, truncated, nested very deeply,
// a root of the wrong type, invalid UTF-8, huge strings.
#pragma once

#include <map>
#include <optional>
#include <random>
#include <string>

namespace robustness {

// The twelve keys of an offer's placeholders.
extern const char* const kOfferKeys[12];
extern const char kPictureKey[];  // "i2"

struct OfferJsonCase {
    std::string json;
    // For a well-formed object: each present key's value text (a non-string
    // member gives the empty text; "i2" takes the picture when there is one).
    // Nothing for a damaged text.
    std::optional<std::map<std::string, std::string>> values;
    std::string kind;  // for the counts
};

OfferJsonCase MakeOfferJsonCase(unsigned seed);

}  // namespace robustness
