// Draws the eight layout thumbnails that the window shows below its layout buttons:
// layout1.jpg to layout8.jpg, 50 by 39 pixels, each a small wireframe of its page layout.
// Dark navy stands for header and label cells, light blue for content cells, on white.
//
// Not part of the main build; the JPEG files it writes are kept in app/thumbnails/.
// Build and run from this folder (needs g++ and libjpeg's development files):
//
//     g++ -std=c++20 -O2 -Wall -Wextra draw_thumbnails.cpp -ljpeg -o draw_thumbnails
//     ./draw_thumbnails ../../app/thumbnails
//
// or with CMake: cmake -S . -B /tmp/thumbnails && cmake --build /tmp/thumbnails
// and then /tmp/thumbnails/draw_thumbnails ../../app/thumbnails

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

constexpr int kWidth = 50;
constexpr int kHeight = 39;
constexpr int kQuality = 95;

struct Colour {
    unsigned char red;
    unsigned char green;
    unsigned char blue;
};

constexpr Colour kWhite{0xFF, 0xFF, 0xFF};
constexpr Colour kNavy{0x1F, 0x3A, 0x73};       // header bar, label cells, box titles
constexpr Colour kLightBlue{0xBF, 0xD3, 0xF2};  // content cells

class Canvas {
  public:
    Canvas() : pixels_(std::size_t{kWidth} * kHeight * 3) {
        Fill(0, 0, kWidth - 1, kHeight - 1, kWhite);
    }

    // Fills the rectangle from (left, top) to (right, bottom), both corners included.
    void Fill(int left, int top, int right, int bottom, Colour colour) {
        for (int y = top; y <= bottom; ++y) {
            for (int x = left; x <= right; ++x) {
                Set(x, y, colour);
            }
        }
    }

    const std::vector<unsigned char>& Pixels() const { return pixels_; }

  private:
    void Set(int x, int y, Colour colour) {
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) {
            return;
        }
        const std::size_t at = (std::size_t(y) * kWidth + std::size_t(x)) * 3;
        pixels_[at] = colour.red;
        pixels_[at + 1] = colour.green;
        pixels_[at + 2] = colour.blue;
    }

    std::vector<unsigned char> pixels_;
};

// Every layout opens with the auction header: a navy box 95% wide.
constexpr int kHeaderTop = 1;
constexpr int kHeaderBottom = 6;

void DrawAuctionHeader(Canvas& canvas) {
    canvas.Fill(1, kHeaderTop, 48, kHeaderBottom, kNavy);
}

// The thin bar under the header of layouts 1 to 5 and 8: its middle 60% is coloured.
void DrawLowerBar(Canvas& canvas) {
    canvas.Fill(10, 8, 39, 8, kNavy);
}

// Information rows: 80% wide and centred, a label cell of a quarter beside the content.
constexpr int kRowLeft = 5;
constexpr int kRowRight = 44;
constexpr int kLabelWidth = 10;
constexpr int kRowHeight = 3;
constexpr int kFirstRowTop = 10;
constexpr int kRowPitch = 4;  // a row and the one-pixel gap below it
constexpr int kRowCount = 5;

enum class LabelSide { kLeft, kRight };

int RowTop(int index) {
    return kFirstRowTop + index * kRowPitch;
}

void DrawRow(Canvas& canvas, int top, LabelSide side) {
    const int bottom = top + kRowHeight - 1;
    canvas.Fill(kRowLeft, top, kRowRight, bottom, kLightBlue);
    if (side == LabelSide::kLeft) {
        canvas.Fill(kRowLeft, top, kRowLeft + kLabelWidth - 1, bottom, kNavy);
    } else {
        canvas.Fill(kRowRight - kLabelWidth + 1, top, kRowRight, bottom, kNavy);
    }
}

// The description: a navy header cell above a light blue body, down to the last pixel row
// but one.
void DrawDescription(Canvas& canvas, int left, int right, int top) {
    canvas.Fill(left, top, right, top + 1, kNavy);
    canvas.Fill(left, top + 2, right, kHeight - 2, kLightBlue);
}

constexpr int kDescriptionTopBelowRows = kFirstRowTop + kRowCount * kRowPitch;

// Layouts 1 to 3: one column of rows, then the description.
void DrawRowLayout(Canvas& canvas, const std::array<LabelSide, kRowCount>& sides) {
    DrawAuctionHeader(canvas);
    DrawLowerBar(canvas);
    for (int index = 0; index < kRowCount; ++index) {
        DrawRow(canvas, RowTop(index), sides[std::size_t(index)]);
    }
    DrawDescription(canvas, 1, 48, kDescriptionTopBelowRows);
}

// Side columns of boxes (layouts 4, 5 and 8): each box a navy title above a light blue body.
constexpr int kColumnTop = 10;
constexpr int kBoxPitch = 5;  // a one-pixel title, a three-pixel body and a one-pixel gap

void DrawBoxColumn(Canvas& canvas, int left, int right, int boxCount) {
    for (int index = 0; index < boxCount; ++index) {
        const int top = kColumnTop + index * kBoxPitch;
        canvas.Fill(left, top, right, top, kNavy);
        canvas.Fill(left, top + 1, right, top + 3, kLightBlue);
    }
}

// Layouts 6 and 7: the rows hang on a chain of navy connectors beside their label cells.
struct ConnectorPlace {
    int barLeft;  // the thin bar under the header
    int barRight;
    int stubLeft;    // the connectors, 9% of the width
    LabelSide side;  // where the label cells stand
};

void DrawConnectedLayout(Canvas& canvas, const ConnectorPlace& place) {
    constexpr int kStubWidth = 5;
    const int stubRight = place.stubLeft + kStubWidth - 1;
    DrawAuctionHeader(canvas);
    canvas.Fill(place.barLeft, 8, place.barRight, 8, kNavy);
    canvas.Fill(place.stubLeft, 9, stubRight, kFirstRowTop - 1, kNavy);
    for (int index = 0; index < kRowCount; ++index) {
        const int top = RowTop(index);
        DrawRow(canvas, top, place.side);
        const int gap = top + kRowHeight;  // the connector below this row
        canvas.Fill(place.stubLeft, gap, stubRight, gap, kNavy);
    }
    DrawDescription(canvas, 1, 48, kDescriptionTopBelowRows);
}

Canvas DrawLayout(int layout) {
    using enum LabelSide;
    Canvas canvas;
    switch (layout) {
        case 1:
            DrawRowLayout(canvas, {kLeft, kLeft, kLeft, kLeft, kLeft});
            break;
        case 2:
            DrawRowLayout(canvas, {kRight, kRight, kRight, kRight, kRight});
            break;
        case 3:
            DrawRowLayout(canvas, {kLeft, kRight, kLeft, kRight, kLeft});
            break;
        case 4:  // boxes on the left, the wide description on the right
            DrawAuctionHeader(canvas);
            DrawLowerBar(canvas);
            DrawBoxColumn(canvas, 1, 10, 5);
            DrawDescription(canvas, 13, 48, kColumnTop);
            break;
        case 5:  // the wide description on the left, boxes on the right
            DrawAuctionHeader(canvas);
            DrawLowerBar(canvas);
            DrawDescription(canvas, 1, 36, kColumnTop);
            DrawBoxColumn(canvas, 39, 48, 5);
            break;
        case 6:
            DrawConnectedLayout(canvas, {7, 39, 7, kLeft});
            break;
        case 7:
            DrawConnectedLayout(canvas, {10, 42, 38, kRight});
            break;
        case 8:  // boxes on both sides, the description in the middle
            DrawAuctionHeader(canvas);
            DrawLowerBar(canvas);
            DrawBoxColumn(canvas, 1, 9, 3);
            DrawDescription(canvas, 12, 37, kColumnTop);
            DrawBoxColumn(canvas, 40, 48, 3);
            break;
        default:
            break;
    }
    return canvas;
}

// Writes the picture as a baseline JPEG without chroma subsampling, so that one-pixel lines
// keep their colour.
bool WriteJpeg(const Canvas& canvas, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kQuality, TRUE);
    for (int component = 0; component < info.num_components; ++component) {
        info.comp_info[component].h_samp_factor = 1;
        info.comp_info[component].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(std::size_t{kWidth} * 3);
    const auto& pixels = canvas.Pixels();
    while (info.next_scanline < info.image_height) {
        const auto* start = pixels.data() + std::size_t{info.next_scanline} * kWidth * 3;
        row.assign(start, start + row.size());
        JSAMPROW rowPointer = row.data();
        jpeg_write_scanlines(&info, &rowPointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    for (int layout = 1; layout <= 8; ++layout) {
        const std::string path = folder + "/layout" + std::to_string(layout) + ".jpg";
        if (!WriteJpeg(DrawLayout(layout), path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}
