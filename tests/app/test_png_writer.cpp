// Screenshots read back as the pixels written. (A path that cannot be written
// is checked through the runner, with its exit status.)
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

#include "app/png_writer.h"
#include "gtest/gtest.h"

namespace {

// The RGB bytes of a PNG file, row after row; empty when it cannot be read.
std::vector<std::uint8_t> ReadRgb(const std::string& path, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    return pixels;
}

TEST(PngWriterTest, PixelsReadBackAsWritten) {
    ArgbImage image;
    image.Width = 7;
    image.Height = 3;
    image.Bytes = std::make_unique<std::uint8_t[]>(image.Size());
    std::mt19937 random(5);
    std::vector<std::uint8_t> expected;
    for (std::size_t i = 0; i < image.Size(); ++i) {
        image.Bytes[i] = static_cast<std::uint8_t>(random());
        if (i % 4 != 0) expected.push_back(image.Bytes[i]);  // alpha is dropped
    }
    const std::string path = (std::filesystem::temp_directory_path() / "tabrona-png-test.png").string();
    ASSERT_TRUE(WritePng(image, path));
    int width = 0, height = 0;
    EXPECT_EQ(ReadRgb(path, width, height), expected);
    EXPECT_EQ(width * 10 + height, 73);
    std::remove(path.c_str());
}

}  // namespace
