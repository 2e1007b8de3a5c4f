#include "files/file_utilities.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/log.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::string FileErrorDescription(int error, const std::string& path) {
    return std::to_string(error) + " " + std::strerror(error) + ": " + path;
}

std::vector<std::uint8_t> getbinaryfromfile(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        LogLine("getbinaryfromfile: Error #" + FileErrorDescription(errno, path));
        return bytes;
    }
    std::uint8_t buffer[65536];
    while (true) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (n < sizeof buffer) break;
    }
    if (std::ferror(file.get())) {
        LogLine("getbinaryfromfile: Error #" + FileErrorDescription(errno, path));
        bytes.clear();
    }
    return bytes;
}
