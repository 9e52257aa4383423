#include "platform/widgets/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace niv {

namespace {

// Larger pictures are refused rather than risk an allocation that ends the program.
constexpr qint64 maxImageBytes = qint64(256) * 1024 * 1024;

// libjpeg reports errors by calling back; the default handler exits the process, ours jumps back
// to the decoder.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void onError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void onMessage(j_common_ptr cinfo, int level) {
    // Level -1 is a warning about corrupt data (a truncated file among them).
    if (level < 0) onError(cinfo);
}

// Holds no object with a destructor, so the jump out of libjpeg skips nothing.
bool decodeInto(jpeg_decompress_struct& cinfo, ErrorManager& errors, const QByteArray& data, QImage& out) {
    if (setjmp(errors.jump)) return false;
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3) return false;
    if (qint64(cinfo.output_width) * cinfo.output_height * 3 > maxImageBytes) return false;
    out = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB888);
    if (out.isNull()) return false;
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

} // namespace

QImage decodeJpeg(const QByteArray& data) {
    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.emit_message = onMessage;
    QImage image;
    const bool ok = decodeInto(cinfo, errors, data, image);
    jpeg_destroy_decompress(&cinfo);
    return ok ? image : QImage();
}

} // namespace niv
