// Resource databases whose file is sound but whose rows are odd: invalid or
// unusual UTF-8, NULs inside texts, huge texts, NULL columns, data stored as
// numbers or text, values without their blob, languages whose codes repeat,
// are empty or are no valid UTF-8. Each comes with what the program must
// read from it.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "resources/LangDefinition.h"

namespace robustness {

struct StoredValue {
    std::string code;   // LANG_CODE's bytes
    int id = 0;
    std::string bytes;  // what the blob reads as
    bool dangling = false;  // the value names a blob that does not exist
};

struct OddDatabase {
    // The language table as the program must read it.
    std::map<std::wstring, LangDefinition> languages;
    // Each id's type: the first value stored under an id decides it.
    std::map<int, int> types;
    std::vector<StoredValue> values;

    // What fetchBlob(code, id, type) must give: the value in `code`, else in
    // the neutral language; nothing when neither has it.
    std::optional<std::string> Lookup(const std::wstring& code, int id, int type) const;
    // The ids that values use, and a few that none uses.
    std::vector<int> Ids() const;
};

OddDatabase BuildOddDatabase(const std::wstring& path, unsigned seed, const std::string& picture);

}  // namespace robustness
