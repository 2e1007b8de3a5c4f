// Reading whole files as bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "files/file_utilities.h"
#include "platform/log.h"

namespace {

TEST(BinaryFile, ReadsEveryByteOrLogsWhyNot) {
    char pattern[] = "/tmp/tabrona-files-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    // Sizes around the 64 KiB reading step, with every byte value.
    for (std::size_t size : {0, 1, 65535, 65536, 65537, 200000}) {
        SCOPED_TRACE(size);
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 131 + 7);
        const std::string path = folder + "/Datei " + std::to_string(size);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
        LogCapture log;
        EXPECT_TRUE(getbinaryfromfile(path) == bytes);
        EXPECT_EQ(log.Text(), "");
    }
    for (const auto& [path, error] : {std::pair{folder + "/fehlt.calc", ENOENT}, {folder, EISDIR}}) {
        SCOPED_TRACE(path);
        LogCapture log;
        EXPECT_TRUE(getbinaryfromfile(path).empty());
        EXPECT_EQ(log.Lines(), std::vector<std::string>{"getbinaryfromfile: Error #" + std::to_string(error) + " " +
                                                        std::strerror(error) + ": " + path});
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
