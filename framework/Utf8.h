// Conversions between UTF-8 and UTF-16.
#pragma once

#include <cstddef>
#include <string>

namespace Win32xx {

// Decodes UTF-8 into UTF-16; code points above U+FFFF become surrogate pairs.
// Each invalid sequence (a stray or missing continuation byte, an overlong
// form, a surrogate code point, a value above U+10FFFF) becomes one U+FFFD.
std::wstring Utf8ToWide(const char* bytes, size_t length);
inline std::wstring Utf8ToWide(const std::string& text) { return Utf8ToWide(text.data(), text.size()); }

// Encodes UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string WideToUtf8(const wchar_t* text, size_t length);
inline std::string WideToUtf8(const std::wstring& text) { return WideToUtf8(text.data(), text.size()); }

}  // namespace Win32xx
