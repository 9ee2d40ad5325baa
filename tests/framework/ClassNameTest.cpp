#include <gtest/gtest.h>

#include <utility>

#include "framework/ClassName.h"

TEST(ClassNameTest, WritesClassNamesAsTheDemanglerDoes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"St9bad_alloc", "std::bad_alloc"}, {"N7Win32xx14CFileExceptionE", "Win32xx::CFileException"},
        {"NSt8ios_base7failureB5cxx11E", "std::ios_base::failure[abi:cxx11]"},
        {"N12_GLOBAL__N_15ErrorE", "(anonymous namespace)::Error"}, {"5Local", "Local"},
        // Beyond plain and nested names, or cut short: the name as it is.
        {"St12system_errorI1AE", "St12system_errorI1AE"}, {"N5Outer5Inner", "N5Outer5Inner"}, {"9short", "9short"},
        {"St", "St"}, {"", ""},
    };
    for (const auto& [mangled, expected] : cases)
        EXPECT_EQ(Win32xx::ClassName(mangled), expected) << mangled;
}
