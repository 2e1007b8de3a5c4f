// Reading whole files as bytes.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/file_utilities.h"
#include "platform/log.h"

namespace {

class BinaryFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetLogToStdout(false);
        char pattern[] = "/tmp/tabrona-files-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        SetLogToStdout(true);
    }

    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = folder_ + "/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    std::string folder_;
};

TEST_F(BinaryFileTest, ReadsEveryByteOfFilesOfAnySize) {
    // Sizes around the 64 KiB reading step, and bytes a text reader would change.
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{65535}, std::size_t{65536},
                             std::size_t{65537}, std::size_t{200000}}) {
        SCOPED_TRACE(size);
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>((i * 131 + 7) & 0xFF);
        if (size > 0) bytes[0] = 0;
        if (size > 3) {
            bytes[1] = '\r';
            bytes[2] = '\n';
            bytes[3] = 0x1A;
        }
        const std::string path = Write("Datei " + std::to_string(size) + ".bin", bytes);
        LogCapture log;
        EXPECT_TRUE(getbinaryfromfile(path) == bytes);
        EXPECT_TRUE(log.Lines().empty());
    }
}

TEST_F(BinaryFileTest, UnreadablePathsGiveNoBytesAndAnErrorLine) {
    struct Case {
        std::string path;
        int error;
    };
    const Case cases[] = {
        {folder_ + "/fehlt.calc", ENOENT},
        {folder_ + "/kein Ordner/datei", ENOENT},
        {folder_, EISDIR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        LogCapture log;
        EXPECT_TRUE(getbinaryfromfile(c.path).empty());
        const std::vector<std::string> lines = log.Lines();
        ASSERT_EQ(lines.size(), 1u);
        const std::string head = "getbinaryfromfile: Error #";
        EXPECT_EQ(lines[0].substr(0, head.size()), head);
        EXPECT_NE(lines[0].find(std::strerror(c.error)), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find(c.path), std::string::npos) << lines[0];
    }
}

}  // namespace
