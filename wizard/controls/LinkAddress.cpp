#include "LinkAddress.h"

#include <cwctype>
#include <initializer_list>

namespace {

bool StartsWithIgnoringCase(const wchar_t* text, const wchar_t* prefix)
{
    for (; *prefix; ++text, ++prefix) {
        if (static_cast<wchar_t>(std::towlower(*text)) != *prefix)
            return false;
    }
    return true;
}

}  // namespace

bool IsOpenableLinkAddress(const wchar_t* address)
{
    if (!address)
        return false;
    for (const wchar_t* scheme : {L"http://", L"https://", L"mailto:"}) {
        if (StartsWithIgnoringCase(address, scheme))
            return true;
    }
    return false;
}
