#include "app/jpeg/JpegDecoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace licytek {
namespace {

using Bytes = std::vector<unsigned char>;

struct Rgb {
    int red;
    int green;
    int blue;
};

constexpr Rgb kWhite{0xFF, 0xFF, 0xFF};
constexpr Rgb kNavy{0x1F, 0x3A, 0x73};
constexpr Rgb kLightBlue{0xBF, 0xD3, 0xF2};

Rgb PixelAt(const RgbImage& image, int x, int y) {
    const auto at = (std::size_t(y) * std::size_t(image.width) + std::size_t(x)) * 3;
    return {image.rgb[at], image.rgb[at + 1], image.rgb[at + 2]};
}

bool Near(Rgb actual, Rgb expected, int tolerance = 24) {
    return std::abs(actual.red - expected.red) <= tolerance &&
           std::abs(actual.green - expected.green) <= tolerance &&
           std::abs(actual.blue - expected.blue) <= tolerance;
}

std::optional<RgbImage> Decode(const Bytes& bytes) {
    return DecodeJpeg(bytes.data(), bytes.size());
}

enum class Variant { kBaseline444, kBaseline420, kProgressive };

// Encodes `pixels` (components bytes per pixel) with libjpeg, the way a foreign tool might.
Bytes Encode(int width, int height, J_COLOR_SPACE space, int components, const Bytes& pixels,
             Variant variant = Variant::kBaseline444) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = components;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (variant != Variant::kBaseline420) {
        for (int index = 0; index < info.num_components; ++index) {
            info.comp_info[index].h_samp_factor = 1;
            info.comp_info[index].v_samp_factor = 1;
        }
    }
    if (variant == Variant::kProgressive) {
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    const auto stride = std::size_t(width) * std::size_t(components);
    while (info.next_scanline < info.image_height) {
        auto row = const_cast<JSAMPROW>(pixels.data() + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes result(buffer, buffer + size);
    std::free(buffer);
    return result;
}

// Four quadrants: red, green / blue, white; tells channel order and row order apart.
Bytes QuadrantPicture(int side) {
    Bytes pixels;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const bool top = y < side / 2;
            const bool left = x < side / 2;
            const Rgb colour =
                top ? (left ? Rgb{255, 0, 0} : Rgb{0, 255, 0}) : (left ? Rgb{0, 0, 255} : kWhite);
            pixels.insert(pixels.end(), {static_cast<unsigned char>(colour.red),
                                         static_cast<unsigned char>(colour.green),
                                         static_cast<unsigned char>(colour.blue)});
        }
    }
    return pixels;
}

Bytes SmallColourJpeg() {
    return Encode(16, 16, JCS_RGB, 3, QuadrantPicture(16));
}

Bytes ReadThumbnail(int layout) {
    const std::string path =
        std::string(LICYTEK_THUMBNAILS_DIR) + "/layout" + std::to_string(layout) + ".jpg";
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// --- The committed thumbnails -------------------------------------------------------------

struct Landmark {
    int x;
    int y;
    Rgb colour;
};

struct ThumbnailCase {
    int layout;
    std::vector<Landmark> landmarks;  // points that tell this layout from the other seven
};

class Thumbnail : public testing::TestWithParam<ThumbnailCase> {};

TEST_P(Thumbnail, DecodesToASketchOfItsLayout) {
    const auto& param = GetParam();
    const auto image = Decode(ReadThumbnail(param.layout));
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, 50);
    EXPECT_GE(image->height, 37);
    EXPECT_LE(image->height, 41);
    ASSERT_EQ(image->rgb.size(), std::size_t(image->width * image->height * 3));
    EXPECT_TRUE(Near(PixelAt(*image, 25, 3), kNavy)) << "auction header across the top";
    EXPECT_TRUE(Near(PixelAt(*image, 0, 0), kWhite)) << "white page";
    for (const auto& mark : param.landmarks) {
        const Rgb pixel = PixelAt(*image, mark.x, mark.y);
        EXPECT_TRUE(Near(pixel, mark.colour))
            << "at " << mark.x << "," << mark.y << ": " << pixel.red << " " << pixel.green << " "
            << pixel.blue;
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllEight, Thumbnail,
    testing::Values(
        // Rows with the label cell on the left, on the right, then zig-zag.
        ThumbnailCase{1, {{8, 11, kNavy}, {30, 11, kLightBlue}, {9, 13, kWhite}, {8, 15, kNavy}}},
        ThumbnailCase{2, {{8, 11, kLightBlue}, {40, 11, kNavy}, {40, 13, kWhite}}},
        ThumbnailCase{3, {{8, 11, kNavy}, {8, 15, kLightBlue}, {40, 15, kNavy}, {25, 13, kWhite}}},
        // Side columns of boxes beside the description.
        ThumbnailCase{4, {{5, 32, kLightBlue}, {11, 20, kWhite}, {45, 30, kLightBlue}}},
        ThumbnailCase{5, {{5, 32, kLightBlue}, {37, 20, kWhite}, {44, 12, kLightBlue}}},
        // Rows joined by connectors on the left, then on the right.
        ThumbnailCase{6, {{8, 11, kNavy}, {9, 13, kNavy}, {40, 13, kWhite}}},
        ThumbnailCase{7, {{40, 11, kNavy}, {40, 13, kNavy}, {9, 13, kWhite}}},
        // Both side columns, the description in the middle.
        ThumbnailCase{8,
                      {{5, 12, kLightBlue},
                       {44, 12, kLightBlue},
                       {25, 30, kLightBlue},
                       {5, 32, kWhite},
                       {45, 32, kWhite}}}),
    [](const testing::TestParamInfo<ThumbnailCase>& test) {
        return "Layout" + std::to_string(test.param.layout);
    });

// --- Pictures the decoder must read ---------------------------------------------------------

TEST(DecodeJpeg, KeepsChannelAndRowOrderForEveryEncoding) {
    for (const auto variant :
         {Variant::kBaseline444, Variant::kBaseline420, Variant::kProgressive}) {
        const auto image = Decode(Encode(16, 16, JCS_RGB, 3, QuadrantPicture(16), variant));
        ASSERT_TRUE(image.has_value());
        ASSERT_EQ(image->width, 16);
        ASSERT_EQ(image->height, 16);
        EXPECT_TRUE(Near(PixelAt(*image, 3, 3), {255, 0, 0}, 40));
        EXPECT_TRUE(Near(PixelAt(*image, 12, 3), {0, 255, 0}, 40));
        EXPECT_TRUE(Near(PixelAt(*image, 3, 12), {0, 0, 255}, 40));
        EXPECT_TRUE(Near(PixelAt(*image, 12, 12), kWhite, 40));
    }
}

TEST(DecodeJpeg, TurnsGreyIntoEqualRgbChannels) {
    Bytes grey;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 32; ++x) {
            grey.push_back(static_cast<unsigned char>(x * 8));
        }
    }
    const auto image = Decode(Encode(32, 8, JCS_GRAYSCALE, 1, grey));
    ASSERT_TRUE(image.has_value());
    ASSERT_EQ(image->rgb.size(), std::size_t(32 * 8 * 3));
    for (int x = 0; x < 32; ++x) {
        const Rgb pixel = PixelAt(*image, x, 4);
        EXPECT_EQ(pixel.red, pixel.green);
        EXPECT_EQ(pixel.green, pixel.blue);
        EXPECT_NEAR(pixel.red, x * 8, 12) << "column " << x;
    }
}

TEST(DecodeJpeg, AcceptsSidesUpToTheLimitAndRefusesLarger) {
    const auto strip = [](int width, int height) {
        return Encode(width, height, JCS_GRAYSCALE, 1, Bytes(std::size_t(width * height), 128));
    };
    EXPECT_TRUE(Decode(strip(kMaxJpegSide, 8)).has_value());
    EXPECT_TRUE(Decode(strip(8, kMaxJpegSide)).has_value());
    EXPECT_FALSE(Decode(strip(kMaxJpegSide + 1, 8)).has_value());
    EXPECT_FALSE(Decode(strip(8, kMaxJpegSide + 1)).has_value());
}

// --- Data the decoder must refuse without crashing -----------------------------------------

// The offset of the frame header's height field (after the SOF0 marker, length and precision).
std::size_t FrameSizeOffset(const Bytes& jpeg) {
    for (std::size_t at = 2; at + 8 < jpeg.size(); ++at) {
        if (jpeg[at] == 0xFF && jpeg[at + 1] == 0xC0) {
            return at + 5;
        }
    }
    return 0;
}

Bytes WithFrameSize(Bytes jpeg, int width, int height) {
    const std::size_t at = FrameSizeOffset(jpeg);
    jpeg[at] = static_cast<unsigned char>(height >> 8);
    jpeg[at + 1] = static_cast<unsigned char>(height & 0xFF);
    jpeg[at + 2] = static_cast<unsigned char>(width >> 8);
    jpeg[at + 3] = static_cast<unsigned char>(width & 0xFF);
    return jpeg;
}

TEST(DecodeJpeg, RefusesEmptyAndForeignData) {
    const unsigned char one = 0xFF;
    EXPECT_FALSE(DecodeJpeg(nullptr, 0).has_value());
    EXPECT_FALSE(DecodeJpeg(nullptr, 10).has_value());
    EXPECT_FALSE(DecodeJpeg(&one, 0).has_value());
    const std::vector<Bytes> foreign = {
        {0xFF},
        {0xFF, 0xD8},
        {0xFF, 0xD8, 0xFF, 0xD9},
        {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0x0D},
        Bytes(4096, 0x00),
        Bytes(4096, 0xFF),
    };
    for (const auto& bytes : foreign) {
        EXPECT_FALSE(Decode(bytes).has_value()) << "size " << bytes.size();
    }
    const std::string text = "<html>not a picture</html>";
    EXPECT_FALSE(DecodeJpeg(reinterpret_cast<const unsigned char*>(text.data()), text.size()));
}

TEST(DecodeJpeg, RefusesEveryCutShortThumbnail) {
    const Bytes whole = ReadThumbnail(1);
    ASSERT_TRUE(Decode(whole).has_value());
    for (std::size_t size = 1; size < whole.size(); ++size) {
        EXPECT_FALSE(DecodeJpeg(whole.data(), size).has_value()) << "first " << size << " bytes";
    }
}

TEST(DecodeJpeg, RefusesDamagedFrameHeaders) {
    const Bytes good = SmallColourJpeg();
    ASSERT_NE(FrameSizeOffset(good), 0u);
    EXPECT_FALSE(Decode(WithFrameSize(good, 0, 16)).has_value());
    EXPECT_FALSE(Decode(WithFrameSize(good, 16, 0)).has_value());
    // Declared sizes far above the limit are refused before any pixel memory is taken.
    EXPECT_FALSE(Decode(WithFrameSize(good, 5000, 5000)).has_value());
    EXPECT_FALSE(Decode(WithFrameSize(good, 65535, 65535)).has_value());

    Bytes noFrame = good;
    noFrame[FrameSizeOffset(good) - 4] = 0xC8;  // a frame kind libjpeg does not support
    EXPECT_FALSE(Decode(noFrame).has_value());
}

TEST(DecodeJpeg, RefusesColourSpacesThatCannotBecomeRgb) {
    const Bytes cmyk(std::size_t(16 * 16 * 4), 100);
    EXPECT_FALSE(Decode(Encode(16, 16, JCS_CMYK, 4, cmyk)).has_value());
}

// Every single damaged byte either gives a picture of a sane shape or nothing; the sanitizer
// build turns any read or write out of bounds into a failure here.
TEST(DecodeJpeg, SurvivesADamagedByteAnywhere) {
    const Bytes good = ReadThumbnail(8);
    for (std::size_t at = 0; at < good.size(); ++at) {
        Bytes damaged = good;
        damaged[at] ^= 0x5A;
        const auto image = Decode(damaged);
        if (image) {
            EXPECT_GT(image->width, 0);
            EXPECT_LE(image->width, kMaxJpegSide);
            EXPECT_LE(image->height, kMaxJpegSide);
            EXPECT_EQ(image->rgb.size(),
                      std::size_t(image->width) * std::size_t(image->height) * 3);
        }
    }
}

}  // namespace
}  // namespace licytek
