#include "TextRules.h"

#include <algorithm>
#include <array>

namespace content {

std::optional<std::size_t> FindInvalidUtf8(const std::string& text)
{
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t length;
        unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;   // overlong
            if (lead == 0xED) high = 0x9F;  // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;   // overlong
            if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
        } else {
            return i;
        }
        if (i + length > size) {
            return i;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char byte = static_cast<unsigned char>(text[i + k]);
            const unsigned char min = k == 1 ? low : 0x80, max = k == 1 ? high : 0xBF;
            if (byte < min || byte > max) {
                return i;
            }
        }
        i += length;
    }
    return std::nullopt;
}

bool IsKnownMacro(const std::string& macro)
{
    static const std::array<const char*, 7> known = {
        "$(^Name)", "${PRIMARY_SW_NAME}", "$(^LangAbrev)", "$(^LangID)", "$(^NextBtn)", "$\\r", "$\\n"};
    return std::find(known.begin(), known.end(), macro) != known.end();
}

std::vector<std::string> FindMacros(const std::string& text)
{
    std::vector<std::string> macros;
    std::size_t position = 0;
    while ((position = text.find('$', position)) != std::string::npos) {
        if (position + 1 >= text.size()) {
            break;
        }
        const char next = text[position + 1];
        std::size_t end;  // one past the macro
        if (next == '(' || next == '{') {
            std::size_t close = text.find(next == '(' ? ')' : '}', position + 2);
            end = close == std::string::npos ? text.size() : close + 1;
        } else if (next == '\\') {
            end = std::min(position + 3, text.size());
        } else {
            ++position;
            continue;
        }
        macros.push_back(text.substr(position, end - position));
        position = end;
    }
    return macros;
}

int LineOfOffset(const std::string& text, std::size_t offset)
{
    offset = std::min(offset, text.size());
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

}  // namespace content
