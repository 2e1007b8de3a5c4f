#include "app/png_writer.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "files/file_utilities.h"
#include "platform/log.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

bool WritePng(const ArgbImage& image, const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        LogLine("WritePng: Error #" + FileErrorDescription(errno, path));
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        LogLine("WritePng: Could not create the PNG writer.");
        return false;
    }
    std::vector<png_byte> row(static_cast<std::size_t>(image.Width) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        LogLine("WritePng: Could not write " + path);
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.Width), static_cast<png_uint_32>(image.Height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::uint8_t* src = image.Bytes.get();
    for (int y = 0; y < image.Height; ++y) {
        for (int x = 0; x < image.Width; ++x, src += 4) {
            row[static_cast<std::size_t>(x) * 3] = src[1];
            row[static_cast<std::size_t>(x) * 3 + 1] = src[2];
            row[static_cast<std::size_t>(x) * 3 + 2] = src[3];
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
