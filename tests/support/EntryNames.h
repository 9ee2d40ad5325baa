// Entry names that a downloaded archive may hold, with what the name rules must make of each.
#pragma once

#include <string>

namespace testing_support {

enum EntryVerdict {
    kRefused,              // unsafe as it stands, and as a stored name once stripped (MakeEntryNameSafe)
    kRefusedUntilStripped,  // unsafe as it stands; stripping makes the stored name safe
    kSafe,
};

struct EntryNameCase {
    std::string name;  // as stored: UTF-8, NULs included
    EntryVerdict verdict;
};

inline const EntryNameCase kEntryNames[] = {
    // Climbing out: "..", and dots followed by blanks or dots, which the platform trims.
    {"", kRefused}, {"..", kRefused}, {"../", kRefused}, {"../x", kRefused}, {"..\\x", kRefused},
    {"..\\up.txt", kRefused}, {"a/..", kRefused}, {"a\\..", kRefused}, {"a/../..", kRefused}, {"a/../../b", kRefused},
    {"x\\..\\..\\y.txt", kRefused}, {"/..", kRefused}, {"/", kRefused}, {"C:..\\f", kRefused}, {"...", kRefused},
    {"dir/...", kRefused}, {"a/.../b", kRefused}, {".. /x", kRefused}, {"a/.. /b.txt", kRefused},
    // Absolute or on a drive: the rules strip the front of a stored name.
    {"/x", kRefusedUntilStripped}, {"\\x", kRefusedUntilStripped}, {"a:b", kRefusedUntilStripped},
    // Alternate data streams.
    {"file.txt:stream", kRefused}, {"dir/file.txt:stream", kRefused}, {"data/x.txt::$DATA", kRefused},
    // Devices, in any component, case, with an extension or trailing blanks and dots.
    {"CON", kRefused}, {"con", kRefused}, {"Nul", kRefused}, {"aux", kRefused}, {"aux.txt", kRefused},
    {"NUL.txt", kRefused}, {"prn.tar.gz", kRefused}, {"COM1", kRefused}, {"com9.log", kRefused}, {"LPT1", kRefused},
    {"lpt0", kRefused}, {"CONIN$", kRefused}, {"conout$", kRefused}, {"nul .txt", kRefused}, {"Aux .", kRefused},
    {"NUL ", kRefused}, {"data/nul", kRefused}, {"data/con", kRefused}, {"nul/x.txt", kRefused},
    {"a/Com\xC2\xB9", kRefused},
    // Control characters: a NUL ends the path that the platform sees ("nul\0.txt" is "nul").
    {std::string("nul\0.txt", 8), kRefused}, {"bell\a.txt", kRefused}, {"tab\t.txt", kRefused},
    {"unit\x1F.txt", kRefused},
    // Safe, however close to the above.
    {"a", kSafe}, {"a/", kSafe}, {"a/b.txt", kSafe}, {"a\\b.txt", kSafe}, {"..a", kSafe}, {"a..", kSafe},
    {"a/.hidden", kSafe}, {"./a", kSafe}, {"x..y/z", kSafe}, {"space\x20.txt", kSafe}, {"delete\x7F.txt", kSafe},
    {"console", kSafe}, {"null.txt", kSafe}, {"auxiliary/x", kSafe}, {"COM10", kSafe}, {"LPT", kSafe}, {"com", kSafe},
    {"xnul", kSafe}, {"a.nul", kSafe}, {"CONIN", kSafe}, {"data/con-1.txt", kSafe},
};

}  // namespace testing_support
