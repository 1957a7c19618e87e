#include "app/jpeg/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE declared first

#include <jpeglib.h>

namespace licytek {
namespace {

// libjpeg's own error handler prints and calls exit(); ours jumps back to the decoder, which
// then reports "no picture".
struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf resume;
};

[[noreturn]] void JumpBackToDecoder(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->resume, 1);
}

// A warning from libjpeg means damaged data (most often a stream cut short, which libjpeg
// would pad with grey): such a picture is refused rather than shown half-drawn.
void RefuseOnWarning(j_common_ptr info, int level) {
    if (level < 0) {
        JumpBackToDecoder(info);
    }
}

void PrintNothing(j_common_ptr) {}

// Frees libjpeg's memory however decoding ended. Safe on a zeroed, never-created struct.
class DecompressGuard {
  public:
    explicit DecompressGuard(jpeg_decompress_struct& info) : info_(info) {}
    DecompressGuard(const DecompressGuard&) = delete;
    DecompressGuard& operator=(const DecompressGuard&) = delete;
    ~DecompressGuard() { jpeg_destroy_decompress(&info_); }

  private:
    jpeg_decompress_struct& info_;
};

bool FitsSideLimit(JDIMENSION width, JDIMENSION height) {
    const auto limit = static_cast<JDIMENSION>(kMaxJpegSide);
    return width > 0 && height > 0 && width <= limit && height <= limit;
}

// Runs libjpeg over the data into `image`. An error anywhere in libjpeg lands back here by
// longjmp, so this function holds no object with a destructor: everything that must be freed
// lives in the caller. Returns false for any error or warning.
bool RunLibjpeg(jpeg_decompress_struct& info, ErrorTrap& trap, const unsigned char* data,
                std::size_t size, RgbImage& image) {
    if (setjmp(trap.resume) != 0) {
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        return false;
    }
    if (!FitsSideLimit(info.image_width, info.image_height)) {
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3 || !FitsSideLimit(info.output_width, info.output_height)) {
        return false;
    }
    const std::size_t stride = std::size_t{info.output_width} * 3;
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    image.rgb.assign(stride * info.output_height, 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.rgb.data() + std::size_t{info.output_scanline} * stride;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

}  // namespace

std::optional<RgbImage> DecodeJpeg(const unsigned char* data, std::size_t size) {
    if (data == nullptr || size == 0) {
        return std::nullopt;
    }
    jpeg_decompress_struct info{};
    ErrorTrap trap{};
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = JumpBackToDecoder;
    trap.manager.emit_message = RefuseOnWarning;
    trap.manager.output_message = PrintNothing;
    const DecompressGuard guard(info);
    RgbImage image;
    if (!RunLibjpeg(info, trap, data, size, image)) {
        return std::nullopt;
    }
    return image;
}

}  // namespace licytek
