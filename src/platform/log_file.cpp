#include "platform/log_file.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/current_platform.h"

std::shared_ptr<std::FILE> OpenStateLogFile() {
    const std::string folder = CurrentPlatform().Folder(StandardFolder::State);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::string path = folder + "tabrona.log";
    if (std::filesystem::file_size(path, error) > LogFileLimit && !error)
        std::filesystem::rename(path, path + ".1", error);
    std::FILE* file = std::fopen(path.c_str(), "a");
    if (!file) return nullptr;
    return std::shared_ptr<std::FILE>(file, [](std::FILE* f) { std::fclose(f); });
}
