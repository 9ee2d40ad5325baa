#include "Base64.h"

namespace robustness {

std::string Base64(const std::string& bytes)
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t at = 0; at < bytes.size(); at += 3) {
        const size_t count = std::min<size_t>(3, bytes.size() - at);
        unsigned long group = 0;
        for (size_t i = 0; i < 3; ++i)
            group = (group << 8) | (i < count ? static_cast<unsigned char>(bytes[at + i]) : 0u);
        for (size_t i = 0; i < 4; ++i)
            out += i <= count ? kAlphabet[(group >> (18 - 6 * i)) & 0x3F] : '=';
    }
    return out;
}

}  // namespace robustness
