#include "Base64.h"

namespace Win32xx {

std::string Base64Encode(const unsigned char* bytes, std::size_t count)
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((count + 2) / 3 * 4);
    std::size_t index = 0;
    for (; index + 3 <= count; index += 3) {
        const unsigned group = bytes[index] << 16 | bytes[index + 1] << 8 | bytes[index + 2];
        text += kAlphabet[group >> 18 & 63];
        text += kAlphabet[group >> 12 & 63];
        text += kAlphabet[group >> 6 & 63];
        text += kAlphabet[group & 63];
    }
    // The last one or two bytes: two or three characters and the padding.
    const std::size_t left = count - index;
    if (left > 0) {
        const unsigned group = bytes[index] << 16 | (left == 2 ? bytes[index + 1] << 8 : 0);
        text += kAlphabet[group >> 18 & 63];
        text += kAlphabet[group >> 12 & 63];
        text += left == 2 ? kAlphabet[group >> 6 & 63] : '=';
        text += '=';
    }
    return text;
}

}  // namespace Win32xx
