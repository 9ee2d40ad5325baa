// Reads the frame header of a JPEG file: enough to tell whether the Windows
// picture loader can show it and at what size.
#pragma once

#include <optional>
#include <string>

namespace content {

struct JpegFrame {
    int width = 0;
    int height = 0;
    bool progressive = false;  // not shown by every Windows picture loader
};

// The frame of a JPEG file (starts with the SOI marker, has a frame header
// before the image data); nothing when the bytes are not such a file.
std::optional<JpegFrame> ReadJpegFrame(const std::string& bytes);

}  // namespace content
