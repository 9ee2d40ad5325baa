#include "Jpeg.h"

namespace content {

std::optional<JpegFrame> ReadJpegFrame(const std::string& bytes)
{
    auto byte = [&](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
    if (bytes.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8) {
        return std::nullopt;
    }
    std::size_t at = 2;
    while (at + 4 <= bytes.size()) {
        if (byte(at) != 0xFF) {
            return std::nullopt;
        }
        const unsigned char marker = byte(at + 1);
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) {  // end of image, or image data before any frame
            return std::nullopt;
        }
        const std::size_t length = (byte(at + 2) << 8) | byte(at + 3);
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 7 || at + 2 + length > bytes.size()) {
                return std::nullopt;
            }
            JpegFrame result;
            result.height = (byte(at + 5) << 8) | byte(at + 6);
            result.width = (byte(at + 7) << 8) | byte(at + 8);
            result.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            return result;
        }
        at += 2 + length;
    }
    return std::nullopt;
}

}  // namespace content
