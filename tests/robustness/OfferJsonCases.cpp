#include "OfferJsonCases.h"

#include <iterator>

#include "Corpus.h"
#include "Mutations.h"

namespace robustness {

const char* const kOfferKeys[12] = {"h", "i", "t1", "d1", "t2", "b1", "b2", "b3", "b4", "f", "i2", "dir"};
const char kPictureKey[] = "i2";

namespace {

struct JsonString {
    std::string encoded;  // with quotes and escapes
    std::string decoded;  // the value text
};

// Strings whose decoded text holds no '[' (so no value holds a placeholder).
JsonString MakeString(std::mt19937& random)
{
    static const JsonString kPieces[] = {
        {"Kestrafin ", "Kestrafin "}, {"<b>bold</b>", "<b>bold</b>"}, {"\\\"", "\""}, {"\\\\", "\\"},
        {"\\n", "\n"}, {"\\t", "\t"}, {"\\/", "/"}, {"\\u00e9", "\xC3\xA9"}, {"\\uD834\\uDD1E", "\xF0\x9D\x84\x9E"},
        {"\\u0000", std::string(1, '\0')}, {"\xD7\xA2\xD7\x91", "\xD7\xA2\xD7\x91"}, {"%OFFER%", "%OFFER%"},
        {"$1", "$1"}, {"]]", "]]"},
    };
    JsonString text{"\"", ""};
    const size_t pieces = Chance(random, 2) ? 100000 + Below(random, 300000) : Below(random, 12);
    for (size_t i = 0; i < pieces; ++i) {
        const JsonString& piece = kPieces[Below(random, std::size(kPieces))];
        text.encoded += piece.encoded;
        text.decoded += piece.decoded;
    }
    text.encoded += "\"";
    return text;
}

std::string Nested(std::mt19937& random, size_t depth)
{
    const bool arrays = Chance(random, 50);
    std::string text;
    for (size_t level = 0; level < depth; ++level)
        text += arrays ? "[" : "{\"k\":";
    text += "1";
    for (size_t level = 0; level < depth; ++level)
        text += arrays ? "]" : "}";
    return text;
}

// A JSON value that is no string.
std::string OtherValue(std::mt19937& random)
{
    static const char* const kValues[] = {"42", "-0.5e3", "true", "false", "null", "[]", "{}", "[\"x\"]",
                                          "{\"h\":\"inner\"}", "1e308"};
    if (Chance(random, 10))
        return Nested(random, 1 + Below(random, 200000));
    return kValues[Below(random, std::size(kValues))];
}

OfferJsonCase WellFormed(std::mt19937& random)
{
    OfferJsonCase offer{"{", std::map<std::string, std::string>(), "well-formed"};
    bool first = true;
    auto member = [&](const std::string& name, const std::string& value) {
        offer.json += (first ? "" : ",") + std::string(Chance(random, 20) ? "\n  " : "") + "\"" + name + "\":" + value;
        first = false;
    };
    for (const char* key : kOfferKeys) {
        if (Chance(random, 25))
            continue;
        const bool isString = Chance(random, 80);
        const JsonString text = MakeString(random);
        member(key, isString ? text.encoded : OtherValue(random));
        offer.values->emplace(key, isString ? text.decoded : std::string());
        // A member given twice: the first one counts.
        if (Chance(random, 5))
            member(key, MakeString(random).encoded);
    }
    if (Chance(random, 30))
        member("x", OtherValue(random));
    offer.json += "}";
    return offer;
}

OfferJsonCase Damaged(std::mt19937& random)
{
    OfferJsonCase offer = WellFormed(random);
    offer.values.reset();
    switch (Below(random, 8)) {
    case 0:
    case 1:
    case 2:
        MutateBytes(offer.json, random, 1 + static_cast<int>(Below(random, 6)));
        offer.kind = "bytes changed";
        break;
    case 3:
        offer.json.resize(Below(random, offer.json.size() + 1));
        offer.kind = "truncated";
        break;
    case 4:
        offer.json = Nested(random, 1 + Below(random, 400000));
        if (Chance(random, 50))
            offer.json.resize(offer.json.size() / 2);
        offer.kind = "deep nesting";
        break;
    case 5: {
        static const char* const kRoots[] = {"[]", "\"h\"", "42", "null", "true", "[{\"h\":\"x\"}]", ""};
        offer.json = kRoots[Below(random, std::size(kRoots))];
        offer.kind = "root of another type";
        break;
    }
    case 6:
        offer.json.insert(Below(random, offer.json.size() + 1), RandomBytes(random, 1 + Below(random, 8)));
        offer.kind = "random bytes inserted";
        break;
    default:
        offer.json = "\xEF\xBB\xBF" + offer.json + (Chance(random, 50) ? std::string(1, '\0') + "{}" : "");
        offer.kind = "byte order mark or NUL";
        break;
    }
    return offer;
}

}  // namespace

OfferJsonCase MakeOfferJsonCase(unsigned seed)
{
    std::mt19937 random(seed);
    return Chance(random, 40) ? WellFormed(random) : Damaged(random);
}

}  // namespace robustness
