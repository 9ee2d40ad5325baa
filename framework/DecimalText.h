// DecimalText: an integer as decimal text, exactly as std::to_wstring writes
// it. std::to_wstring formats through the C library's swprintf, which links
// MinGW's whole standard printf (with its floating-point conversions, about
// 30 KB) into every program that logs a number.
#pragma once

#include <string>
#include <type_traits>

namespace Win32xx {

template <typename Integer>
std::wstring DecimalText(Integer value)
{
    static_assert(std::is_integral_v<Integer>, "DecimalText writes integers only");
    if constexpr (std::is_same_v<Integer, bool>) {
        return value ? L"1" : L"0";
    } else {
        using Unsigned = std::make_unsigned_t<Integer>;
        // The magnitude in unsigned arithmetic, so that the most negative
        // value needs no larger type.
        Unsigned magnitude = value < 0 ? static_cast<Unsigned>(Unsigned{0} - static_cast<Unsigned>(value))
                                       : static_cast<Unsigned>(value);
        wchar_t digits[24];  // 20 digits of 2^64, a sign
        wchar_t* const end = digits + sizeof digits / sizeof digits[0];
        wchar_t* first = end;
        do {
            *--first = static_cast<wchar_t>(L'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (value < 0)
            *--first = L'-';
        return std::wstring(first, end);
    }
}

}  // namespace Win32xx
