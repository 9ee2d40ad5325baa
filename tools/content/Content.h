// The content of a resource database as read from a content folder: the
// languages, the declared resources and their values per language. Every
// value remembers where it was written, so that faults can name the file and
// line.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "resources/ResourceContract.h"

namespace content {

// The language whose values serve every language that lacks its own.
inline const std::string kNeutralLanguage = "0";

using ResourceType = ::ResourceType;

const char* TypeName(ResourceType type);

// A place in the content folder: a file relative to the folder and a line
// (0 when the whole file is meant).
struct Origin {
    std::string file;
    int line = 0;

    std::string Describe() const;  // "texts/1031.txt:12" or "offer/de.json"
};

struct Language {
    std::string code;  // decimal Windows language identifier, "0" for neutral
    std::string nativeName;
    std::string englishName;
    std::string abbreviation;
    bool rtl = false;  // right-to-left
    Origin origin;
};

struct ResourceDef {
    std::int32_t id = 0;
    std::string name;  // symbolic name, RES_NAME
    ResourceType type = RESOURCE_TEXT;
    Origin origin;
};

// The text that a translation was made from, as the translator saw it.
struct TranslationSource {
    std::string language;
    std::string text;
};

struct Value {
    std::string bytes;  // UTF-8 text without terminator, or the picture file
    Origin origin;      // the line that gives the value
    std::string file;   // for a value kept as a whole file: that file; else empty
    std::string digestOf;  // for a digest computed from a file: that file; else empty
    std::optional<TranslationSource> translates;  // recorded beside a translated text

    // Where to look for the value's bytes: the file (at a line of it, when
    // one is given) or the line of the text file.
    std::string Place(int lineInFile = 0) const;
};

struct Content {
    std::vector<Language> languages;              // in file order
    std::map<std::int32_t, ResourceDef> resources;  // by id
    // values[language code][resource id]
    std::map<std::string, std::map<std::int32_t, Value>> values;
    // Every file and folder that the values were read from, installers whose
    // digests are computed included: what a build of the content depends on.
    std::vector<std::string> inputs;

    const Language* FindLanguage(const std::string& code) const;
    const ResourceDef* FindResource(std::int32_t id) const;
    // The value that the program would read for a language: its own, else the
    // neutral language's. Null when neither exists.
    const Value* Resolve(const std::string& code, std::int32_t id) const;
};

}  // namespace content
