// Zip archives in memory, as xlsx and ods files are: members read by their
// exact name within bounds, and archives written whole into a string. Files
// from strangers may be zip bombs: the declared sizes, the compression ratio
// and the bytes actually inflated are all checked, and nothing is ever
// extracted to disk.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ZipLimits {
    std::uint64_t MemberBytes = std::uint64_t{64} << 20;  // one member, inflated
    std::uint64_t TotalBytes = std::uint64_t{64} << 20;   // all members read, inflated
    std::uint64_t Members = 10000;                        // entries in the archive
    // Inflated bytes per compressed byte, for members above RatioFreeBytes:
    // real documents stay far below it, bombs far above.
    std::uint64_t Ratio = 200;
    std::uint64_t RatioFreeBytes = std::uint64_t{1} << 20;
};

class ZipReader {
public:
    // The archive in bytes (copied); nullptr and why in `error` when it is
    // no zip archive or breaks a limit.
    static std::unique_ptr<ZipReader> Open(std::string_view bytes, std::string& error, const ZipLimits& limits = {});
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    bool Has(const std::string& name) const;
    // The member's inflated bytes; nullopt and why when it is missing,
    // damaged, encrypted or beyond a limit.
    std::optional<std::string> Read(const std::string& name, std::string& error);

private:
    struct Handle;
    ZipReader(std::string bytes, const ZipLimits& limits);
    std::string bytes_;
    ZipLimits limits_;
    std::unique_ptr<Handle> handle_;
    std::uint64_t inflated_ = 0;  // counted against TotalBytes
};

struct ZipMember {
    std::string Name;
    std::string Bytes;
    bool Stored = false;  // without compression (an ods file's "mimetype")
};

// The archive of the members, in their order; nullopt and why on failure.
std::optional<std::string> WriteZip(const std::vector<ZipMember>& members, std::string& error);

// A member path named inside the archive (a relationship's target) joined to
// the folder it is relative to: "xl/" + "worksheets/sheet1.xml", or "/xl/..."
// from the root. Empty when it would leave the archive ("..", past the root).
std::string ArchivePath(std::string_view folder, std::string_view target);
