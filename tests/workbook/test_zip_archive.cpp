// Archives written and read in memory, and every bound a stranger's file
// can break: sizes declared and inflated, the packing ratio, the number of
// members, paths that would leave the archive, damaged bytes.
#include "workbook/zip_archive.h"

#include <gtest/gtest.h>


namespace {

std::string Archive(const std::vector<ZipMember>& members) {
    std::string error;
    const std::optional<std::string> bytes = WriteZip(members, error);
    EXPECT_TRUE(bytes) << error;
    return bytes.value_or("");
}

TEST(ZipArchive, MembersComeBackByTheirExactNames) {
    const std::string zip = Archive({{"mimetype", "application/x", true}, {"xl/a.xml", "<a>Grüße</a>", false}});
    EXPECT_EQ(zip.substr(30, 8), "mimetype");  // first, and stored: the ods rule
    std::string error;
    const auto reader = ZipReader::Open(zip, error);
    ASSERT_TRUE(reader) << error;
    EXPECT_TRUE(reader->Has("xl/a.xml"));
    EXPECT_FALSE(reader->Has("XL/A.XML"));
    EXPECT_EQ(reader->Read("xl/a.xml", error).value_or(""), "<a>Grüße</a>");
    EXPECT_FALSE(reader->Read("b.xml", error));
    EXPECT_NE(error.find("no member b.xml"), std::string::npos);
}

TEST(ZipArchive, BoundsRefuseBombsAndHugeMembers) {
    const std::string zeros(std::size_t{8} << 20, '\0');  // packs about a thousand times
    const std::string zip = Archive({{"bomb", zeros, false}, {"small", "x", false}, {"other", std::string(600000, 'a'), false}});
    std::string error;
    ZipLimits ratio;  // the default: 64 MB, but packed 200 times at most
    auto reader = ZipReader::Open(zip, error, ratio);
    ASSERT_TRUE(reader);
    EXPECT_FALSE(reader->Read("bomb", error));
    EXPECT_NE(error.find("packed more than 200 times"), std::string::npos) << error;
    EXPECT_EQ(reader->Read("small", error).value_or(""), "x");

    ZipLimits size;
    size.MemberBytes = 1 << 20;
    size.Ratio = 1 << 30;
    reader = ZipReader::Open(zip, error, size);
    EXPECT_FALSE(reader->Read("bomb", error));
    EXPECT_NE(error.find("would take 8 MB unpacked"), std::string::npos) << error;

    ZipLimits total;  // each member alone fits, together they do not
    total.TotalBytes = 1 << 20;
    reader = ZipReader::Open(zip, error, total);
    EXPECT_TRUE(reader->Read("other", error));
    EXPECT_FALSE(reader->Read("other", error));

    ZipLimits members;
    members.Members = 2;
    EXPECT_FALSE(ZipReader::Open(zip, error, members));
    EXPECT_NE(error.find("3 members, more than 2"), std::string::npos) << error;
}

// A member that declares fewer bytes than it holds (the sizes in both of
// its headers lowered) is refused, whether libzip or the count notices.
TEST(ZipArchive, ADamagedArchiveSaysSoAndNothingElse) {
    std::string zip = Archive({{"a", std::string(100, 'a'), true}});
    std::string error;
    for (std::size_t at = zip.find(std::string("\x64\0\0\0", 4)); at != std::string::npos;
         at = zip.find(std::string("\x64\0\0\0", 4), at + 1))
        zip[at] = 10;
    const auto reader = ZipReader::Open(zip, error);
    EXPECT_TRUE(!reader || !reader->Read("a", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ZipReader::Open("PK\x03\x04 kein Archiv", error));
    EXPECT_FALSE(ZipReader::Open(Archive({{"a", "b", false}}).substr(0, 40), error));
    EXPECT_FALSE(ZipReader::Open("", error));
}

TEST(ZipArchive, PathsStayInsideTheArchive) {
    const std::pair<std::pair<const char*, const char*>, const char*> rows[] = {
        {{"xl/", "worksheets/sheet1.xml"}, "xl/worksheets/sheet1.xml"},
        {{"xl/", "/xl/worksheets/sheet1.xml"}, "xl/worksheets/sheet1.xml"},
        {{"xl/", "./a/../b.xml"}, "xl/b.xml"},
        {{"xl/", "../b.xml"}, "b.xml"},
        {{"xl/", "../../etc/passwd"}, ""},
        {{"xl/", "/../x"}, ""},
    };
    for (const auto& [in, out] : rows) EXPECT_EQ(ArchivePath(in.first, in.second), out) << in.second;
}

}  // namespace
