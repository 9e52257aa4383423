#include "platform/widgets/JpegDecoder.h"

#include <QColor>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace niv {
namespace {

// Encodes pixels (RGB, or one grey byte per pixel) as a baseline JPEG without chroma subsampling,
// so that flat 8x8 blocks keep their colour.
QByteArray encodeJpeg(int width, int height, int components, const std::vector<unsigned char>& pixels) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    for (int c = 0; c < cinfo.num_components; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(&pixels[cinfo.next_scanline * width * components]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray out(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return out;
}

struct Quadrant {
    int x, y;
    QColor colour;
};

const Quadrant quadrants[] = {
    {0, 0, QColor(255, 0, 0)},
    {8, 0, QColor(0, 255, 0)},
    {0, 8, QColor(0, 0, 255)},
    {8, 8, QColor(255, 255, 255)},
};

// A 16x16 picture of four flat 8x8 blocks: red, green / blue, white.
QByteArray fourColourJpeg() {
    std::vector<unsigned char> pixels(16 * 16 * 3);
    for (const Quadrant& q : quadrants)
        for (int y = q.y; y < q.y + 8; ++y)
            for (int x = q.x; x < q.x + 8; ++x) {
                unsigned char* p = &pixels[(y * 16 + x) * 3];
                p[0] = static_cast<unsigned char>(q.colour.red());
                p[1] = static_cast<unsigned char>(q.colour.green());
                p[2] = static_cast<unsigned char>(q.colour.blue());
            }
    return encodeJpeg(16, 16, 3, pixels);
}

void expectNear(const QColor& actual, const QColor& expected, const char* where) {
    constexpr int tolerance = 6;
    EXPECT_NEAR(actual.red(), expected.red(), tolerance) << where;
    EXPECT_NEAR(actual.green(), expected.green(), tolerance) << where;
    EXPECT_NEAR(actual.blue(), expected.blue(), tolerance) << where;
}

TEST(JpegDecoder, DecodesColoursAtTheirPlaces) {
    const QImage image = decodeJpeg(fourColourJpeg());
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 16);
    EXPECT_EQ(image.height(), 16);
    for (const Quadrant& q : quadrants) {
        // Every pixel of the block, corners included, so a row or column shift shows.
        for (int y = q.y; y < q.y + 8; ++y)
            for (int x = q.x; x < q.x + 8; ++x) {
                const std::string where = "pixel " + std::to_string(x) + "," + std::to_string(y);
                expectNear(image.pixelColor(x, y), q.colour, where.c_str());
            }
    }
}

TEST(JpegDecoder, DecodesANonSquarePictureRowByRow) {
    // 24 wide, 8 high: left third black, middle grey, right third yellow.
    const QColor thirds[] = {QColor(0, 0, 0), QColor(128, 128, 128), QColor(255, 255, 0)};
    std::vector<unsigned char> pixels(24 * 8 * 3);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 24; ++x) {
            const QColor& c = thirds[x / 8];
            unsigned char* p = &pixels[(y * 24 + x) * 3];
            p[0] = static_cast<unsigned char>(c.red());
            p[1] = static_cast<unsigned char>(c.green());
            p[2] = static_cast<unsigned char>(c.blue());
        }
    const QImage image = decodeJpeg(encodeJpeg(24, 8, 3, pixels));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(24, 8));
    expectNear(image.pixelColor(3, 4), thirds[0], "left");
    expectNear(image.pixelColor(11, 4), thirds[1], "middle");
    expectNear(image.pixelColor(20, 4), thirds[2], "right");
}

TEST(JpegDecoder, GreyPictureBecomesEqualChannels) {
    std::vector<unsigned char> pixels(8 * 8, 200);
    const QImage image = decodeJpeg(encodeJpeg(8, 8, 1, pixels));
    ASSERT_FALSE(image.isNull());
    expectNear(image.pixelColor(4, 4), QColor(200, 200, 200), "grey");
}

struct BadInput {
    const char* name;
    QByteArray (*make)();
};

QByteArray truncatedHalf() {
    const QByteArray good = fourColourJpeg();
    return good.left(good.size() / 2);
}

QByteArray truncatedScan() {
    // Cut in the middle of the compressed picture data, after complete headers.
    const QByteArray good = fourColourJpeg();
    const qsizetype sos = good.indexOf(QByteArray("\xFF\xDA", 2));
    return good.left(sos + (good.size() - sos) / 2);
}

QByteArray headerOnly() {
    // Everything up to the start of the scan data.
    const QByteArray good = fourColourJpeg();
    const qsizetype sos = good.indexOf(QByteArray("\xFF\xDA", 2));
    return good.left(sos);
}

QByteArray scrambledScan() {
    QByteArray data = fourColourJpeg();
    const qsizetype sos = data.indexOf(QByteArray("\xFF\xDA", 2));
    for (qsizetype i = sos + 20; i < data.size() - 2; ++i)
        data[i] = char(0xFF);
    return data;
}

QByteArray hugeDimensions() {
    // The frame header claims 60000 x 60000 pixels.
    QByteArray data = fourColourJpeg();
    const qsizetype sof = data.indexOf(QByteArray("\xFF\xC0", 2));
    data[sof + 5] = char(0xEA);
    data[sof + 6] = char(0x60);
    data[sof + 7] = char(0xEA);
    data[sof + 8] = char(0x60);
    return data;
}

QByteArray notAJpeg() {
    return QByteArray("\x89PNG\r\n\x1a\n0000000000000000", 24);
}
QByteArray empty() {
    return {};
}
QByteArray startMarkerOnly() {
    return QByteArray("\xFF\xD8", 2);
}

void PrintTo(const BadInput& input, std::ostream* out) {
    *out << input.name;
}

class JpegDecoderBadInput : public testing::TestWithParam<BadInput> {};

TEST_P(JpegDecoderBadInput, GivesANullImage) {
    const QByteArray data = GetParam().make();
    EXPECT_TRUE(decodeJpeg(data).isNull());
}

INSTANTIATE_TEST_SUITE_P(
    All, JpegDecoderBadInput,
    testing::Values(BadInput{"truncatedHalf", truncatedHalf}, BadInput{"truncatedScan", truncatedScan},
                    BadInput{"headerOnly", headerOnly}, BadInput{"scrambledScan", scrambledScan},
                    BadInput{"hugeDimensions", hugeDimensions}, BadInput{"notAJpeg", notAJpeg},
                    BadInput{"empty", empty}, BadInput{"startMarkerOnly", startMarkerOnly}),
    [](const testing::TestParamInfo<BadInput>& info) { return info.param.name; });

TEST(JpegDecoder, DecodesAgainAfterAFailure) {
    // A failed decode leaves nothing behind that spoils the next one.
    ASSERT_TRUE(decodeJpeg(truncatedHalf()).isNull());
    EXPECT_FALSE(decodeJpeg(fourColourJpeg()).isNull());
}

} // namespace
} // namespace niv
