#include "VisibleText.h"

namespace Win32xx {

namespace {

bool IsControl(wchar_t ch)
{
    return ch < 0x20 || (ch >= 0x7F && ch <= 0x9F) || ch == 0x2028 || ch == 0x2029;
}

}  // namespace

std::wstring VisibleText(const std::wstring& text)
{
    std::wstring visible;
    visible.reserve(text.size());
    for (const wchar_t ch : text) {
        if (!IsControl(ch)) {
            visible += ch;
            continue;
        }
        visible += L"\\u";
        for (int shift = 12; shift >= 0; shift -= 4)
            visible += L"0123456789ABCDEF"[(ch >> shift) & 0xF];
    }
    return visible;
}

}  // namespace Win32xx
