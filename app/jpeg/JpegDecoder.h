// Decodes the window's JPEG pictures (the layout thumbnails) into plain RGB pixels.
// Plain C++ over libjpeg: the window turns the pixels into its own picture type.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace licytek {

// A decoded picture: 3 bytes per pixel (red, green, blue), rows from top to bottom, no
// padding between rows.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// Larger pictures are refused before any pixel memory is taken: a damaged or hostile header
// could otherwise ask for gigabytes.
inline constexpr int kMaxJpegSide = 4096;

// The picture held by `data`, converted to RGB (grey pictures too), or nothing when the data
// is empty, damaged, cut short, wider or higher than kMaxJpegSide, or in a colour space that
// cannot become RGB. Never ends the program and prints nothing.
std::optional<RgbImage> DecodeJpeg(const unsigned char* data, std::size_t size);

}  // namespace licytek
