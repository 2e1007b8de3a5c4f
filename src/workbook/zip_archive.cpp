#include "workbook/zip_archive.h"

#include <zip.h>

#include <vector>

namespace {

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct FileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
struct SourceFreer {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;
using MemberFile = std::unique_ptr<zip_file_t, FileCloser>;
using Source = std::unique_ptr<zip_source_t, SourceFreer>;

// libzip's error record, released however the function is left.
struct ErrorRecord {
    zip_error_t Value;
    ErrorRecord() { zip_error_init(&Value); }
    ~ErrorRecord() { zip_error_fini(&Value); }
    ErrorRecord(const ErrorRecord&) = delete;
    ErrorRecord& operator=(const ErrorRecord&) = delete;
    std::string Text() { return zip_error_strerror(&Value); }
};

std::string MB(std::uint64_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

}  // namespace

struct ZipReader::Handle {
    Archive Zip;
};

ZipReader::ZipReader(std::string bytes, const ZipLimits& limits)
    : bytes_(std::move(bytes)), limits_(limits), handle_(std::make_unique<Handle>()) {}

ZipReader::~ZipReader() = default;

std::unique_ptr<ZipReader> ZipReader::Open(std::string_view bytes, std::string& error, const ZipLimits& limits) {
    std::unique_ptr<ZipReader> reader(new ZipReader(std::string(bytes), limits));
    ErrorRecord record;
    Source source(zip_source_buffer_create(reader->bytes_.data(), reader->bytes_.size(), 0, &record.Value));
    if (!source) {
        error = "the archive cannot be read: " + record.Text();
        return nullptr;
    }
    // The archive takes the source over only when it opens.
    Archive zip(zip_open_from_source(source.get(), ZIP_RDONLY | ZIP_CHECKCONS, &record.Value));
    if (!zip) {
        error = "not a zip archive, or a damaged one (" + record.Text() + ")";
        return nullptr;
    }
    source.release();
    const zip_int64_t entries = zip_get_num_entries(zip.get(), 0);
    if (entries == 0) {
        error = "an empty archive";
        return nullptr;
    }
    if (entries < 0 || static_cast<std::uint64_t>(entries) > limits.Members) {
        error = "the archive has " + std::to_string(entries) + " members, more than " + std::to_string(limits.Members);
        return nullptr;
    }
    reader->handle_->Zip = std::move(zip);
    return reader;
}

bool ZipReader::Has(const std::string& name) const { return zip_name_locate(handle_->Zip.get(), name.c_str(), 0) >= 0; }

std::optional<std::string> ZipReader::Read(const std::string& name, std::string& error) {
    zip_t* zip = handle_->Zip.get();
    const zip_int64_t index = zip_name_locate(zip, name.c_str(), 0);
    if (index < 0) {
        error = "the archive has no member " + name;
        return std::nullopt;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(zip, static_cast<zip_uint64_t>(index), 0, &stat) != 0 ||
        (stat.valid & (ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE)) != (ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE)) {
        error = name + " is damaged: " + zip_strerror(zip);
        return std::nullopt;
    }
    // The sizes the archive declares, before anything is inflated.
    if (stat.size > limits_.MemberBytes || inflated_ + stat.size > limits_.TotalBytes) {
        error = name + " would take " + MB(stat.size) + " unpacked, more than the " + MB(limits_.MemberBytes) +
                " allowed";
        return std::nullopt;
    }
    if (stat.size > limits_.RatioFreeBytes && stat.size / std::max<zip_uint64_t>(stat.comp_size, 1) > limits_.Ratio) {
        error = name + " is packed more than " + std::to_string(limits_.Ratio) + " times: no document is";
        return std::nullopt;
    }
    MemberFile file(zip_fopen_index(zip, static_cast<zip_uint64_t>(index), 0));
    if (!file) {
        error = name + " cannot be unpacked: " + zip_strerror(zip);
        return std::nullopt;
    }
    // Counted while inflating too: a damaged archive may declare too little.
    std::string out;
    out.reserve(static_cast<std::size_t>(stat.size));
    std::vector<char> block(1 << 16);
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), block.data(), block.size());
        if (n < 0) {
            error = name + " is damaged: " + zip_file_strerror(file.get());
            return std::nullopt;
        }
        if (n == 0) break;
        out.append(block.data(), static_cast<std::size_t>(n));
        if (out.size() > stat.size || out.size() > limits_.MemberBytes ||
            inflated_ + out.size() > limits_.TotalBytes) {
            error = name + " unpacks to more than it declares or is allowed";
            return std::nullopt;
        }
    }
    inflated_ += out.size();
    return out;
}

std::optional<std::string> WriteZip(const std::vector<ZipMember>& members, std::string& error) {
    ErrorRecord record;
    Source buffer(zip_source_buffer_create(nullptr, 0, 0, &record.Value));
    if (!buffer) {
        error = record.Text();
        return std::nullopt;
    }
    // Kept past the archive's close, which writes into it.
    zip_source_keep(buffer.get());
    Archive zip(zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &record.Value));
    if (!zip) {
        zip_source_free(buffer.get());
        error = record.Text();
        return std::nullopt;
    }
    for (const ZipMember& member : members) {
        zip_source_t* source = zip_source_buffer(zip.get(), member.Bytes.data(), member.Bytes.size(), 0);
        const zip_int64_t index =
            source ? zip_file_add(zip.get(), member.Name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (source) zip_source_free(source);
            error = zip_strerror(zip.get());
            return std::nullopt;
        }
        if (member.Stored) zip_set_file_compression(zip.get(), static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    if (zip_close(zip.get()) != 0) {
        error = zip_strerror(zip.get());
        return std::nullopt;
    }
    zip.release();  // closed: nothing left to discard
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(buffer.get(), &stat) != 0 || zip_source_open(buffer.get()) != 0) {
        error = "the archive written cannot be read back";
        return std::nullopt;
    }
    std::string out(static_cast<std::size_t>(stat.size), '\0');
    const zip_int64_t n = zip_source_read(buffer.get(), out.data(), out.size());
    zip_source_close(buffer.get());
    if (n != static_cast<zip_int64_t>(out.size())) {
        error = "the archive written cannot be read back";
        return std::nullopt;
    }
    return out;
}

std::string ArchivePath(std::string_view folder, std::string_view target) {
    std::string joined = !target.empty() && target[0] == '/' ? std::string(target.substr(1))
                                                              : std::string(folder) + std::string(target);
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= joined.size()) {
        std::size_t end = joined.find('/', start);
        if (end == std::string::npos) end = joined.size();
        const std::string part = joined.substr(start, end - start);
        if (part == "..") {
            if (parts.empty()) return {};
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string path;
    for (const std::string& part : parts) path += (path.empty() ? "" : "/") + part;
    return path;
}
