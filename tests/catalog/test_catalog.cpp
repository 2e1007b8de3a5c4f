// The catalog: loading a folder (order, flags, type lists, a link back up
// the tree), the type codes, and the listing's header and lines.
#include "catalog/catalog.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/text.h"

namespace {

using Names = std::vector<std::string>;

class CatalogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        SetLogToStdout(false);
        char pattern[] = "/tmp/tabrona-catalog-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = std::string(pattern) + "/";
        for (const char* name : {"b.calc", "A.txt", ".versteckt", "Thumbs.DB", "Sub/c.CALC", "Sub/tief/d.calc"}) {
            std::filesystem::create_directories(std::filesystem::path(folder_ + name).parent_path());
            std::ofstream(folder_ + name) << name;
        }
        std::filesystem::create_directory_symlink(folder_, folder_ + "Sub/zurueck");  // back up the tree
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    Names Load(bool recursive, bool invisible, bool aliases, const std::string& types) {
        ResetCatalog();
        f_CatLoad(folder_, recursive, invisible, aliases, types);
        Names names;
        for (const f_CatItem& item : Catalog().CatList) names.push_back(item.Path.substr(folder_.size()) + item.Name);
        return names;
    }

    std::string folder_;
};

TEST_F(CatalogTest, LoadingSortsFiltersAndStopsAtLinksBackUp) {
    EXPECT_EQ(Load(false, false, false, ""), (Names{"A.txt", "b.calc", "Sub"}));
    EXPECT_EQ(Load(false, true, false, ""), (Names{".versteckt", "A.txt", "b.calc", "Sub", "Thumbs.DB"}));
    EXPECT_EQ(Load(false, false, false, "DIR,calc"), (Names{"b.calc", "Sub"}));
    EXPECT_EQ(Load(false, false, false, "DIR,calc,"), (Names{"b.calc", "Sub"}));
    EXPECT_EQ(Load(false, false, false, ","), Names{});
    LogCapture quiet;  // a recursive load goes into folders and links only
    EXPECT_EQ(Load(true, false, true, "DIR,calc,sym"),
              (Names{"b.calc", "Sub", "Sub/c.CALC", "Sub/tief", "Sub/tief/d.calc", "Sub/zurueck"}));
    EXPECT_EQ(quiet.Text(), "");
    const CatalogState& c = Catalog();
    EXPECT_EQ(std::tuple(c.CatStatus, c.CatCount, c.CatFolder, c.CatFileTypes),
              std::tuple(CatLoaded, Int{6}, folder_, std::string("DIR,calc,sym")));
    LogCapture log;
    ResetCatalog();
    f_CatLoad(folder_ + "fehlt/", false, false, false, "");
    EXPECT_EQ(Catalog().CatStatus, CatNoFolder);
    EXPECT_TRUE(log.Contains("f_CatLoad: Path '" + folder_ + "fehlt/' does not exist."));
    const f_CatItem sub = f_FileAttributes(folder_ + "Sub");
    EXPECT_EQ(std::tuple(sub.Kind, sub.KindNum, sub.FileType, sub.FileCreator),
              std::tuple(std::string("NSFileTypeDirectory"), Int{2}, std::string("DIR "), std::string("----")));
}

TEST(CatalogTypesTest, CodesListsSizesAndNames) {
    const std::pair<const char*, const char*> extensions[] = {{"JPG", "JPEG"},  {"calc", "CALC"},     {"", "????"},
                                                              {"Html", "TEXT"}, {"database", "DATB"}, {"xyz", "????"}};
    for (const auto& [extension, type] : extensions) EXPECT_EQ(typeofextension(extension), type) << extension;
    const std::tuple<const char*, const char*, bool> lists[] = {
        {"DIR ", "DIR,calc", true}, {"CALC", "DIR,calc", true}, {"TEXT", "DIR,calc", false},     {"TEXT", "txt", false},
        {"TEXT", "", true},         {"CALC", ",", false},       {"????", "DIR,txt,text", false}, {"", "", true}};
    for (const auto& [type, list, admitted] : lists) EXPECT_EQ(typelistmatch(type, list), admitted) << type << list;
    const std::pair<Int, const char*> sizes[] = {
        {0, "0 B "},          {1023, "1023 B "},          {1024, "1 KB"},
        {1048575, "1023 KB"}, {1048576, "1 MB"},          {1073741823, "1023 MB"},
        {1073741824, "1 GB"}, {1099511627775, "1023 GB"}, {1099511627776, "1 TB"}};
    for (const auto& [size, text] : sizes) EXPECT_EQ(sizetext(size), text) << size;
    EXPECT_EQ(repeattext("ab", 3) + "|" + repeattext("ab", 0) + repeattext("", 3) + repeattext("x", 32768), "ababab|");
    EXPECT_EQ(typecodetext(0) + typecodetext(0x43414C43) + typecodetext(0x44495220), "????CALCDIR ");
    for (const char* name : {".x", "thumbs.db", "THUMBS.DB", "Icon\r", "mach_kernel", "Synchronize! Volume ID"})
        EXPECT_TRUE(invisiblename(name)) << name;
    for (const char* name : {"Icon", "x.", "thumbs.db2"}) EXPECT_FALSE(invisiblename(name)) << name;
    EXPECT_EQ(extensionofname("/a.b/c.tar.gz") + "|" + namewithoutextension("c.tar.gz") + "|" + extensionofname("c") +
                  "|" + namewithoutextension("c"),
              "gz|c.tar||c");
}

TEST(CatalogListingTest, HeaderAndLinesLineUpAtEachWidth) {
    SetLogToStdout(false);
    f_CatItem file;
    file.Name = "Umsatz 2026.calc";
    file.Path = "/home/x/";
    file.KindNum = 1;
    file.FileType = "CALC";
    file.Size = 123456789;
    file.ModifiedStr = "07.12.2026 09:15:00";
    file.ReadOnly = true;
    f_CatItem folder = file;
    folder.Name = "Ordner";
    folder.KindNum = 2;
    folder.FileType = "DIR ";
    folder.ReadOnly = false;
    const std::tuple<Int, std::size_t, const char*, const char*> widths[] = {
        {80, 77, "*Umsatz 2026.calc                                  CALC    117 MB  07.12.2026",
         " Ordner                                            DIR             07.12.2026"},
        {40, 37, "*Umsatz 2026.cal CALC 117 MB 07.12.26", " Ordner          DIR         07.12.26"},
        {50, 57, "*Umsatz 2026.calc                 CALC  117 MB 07.12.2026",
         " Ordner                           DIR          07.12.2026"},
    };
    for (const auto& [width, length, fileLine, folderLine] : widths) {
        for (const bool plain : {true, false}) {
            EXPECT_EQ(ScalarCount(f_CatHeader(false, width, plain)), length) << width;
            EXPECT_EQ(ScalarCount(f_CatStr(file, width, plain)), length) << width;
        }
        EXPECT_EQ(f_CatStr(file, width, true), fileLine);
        EXPECT_EQ(f_CatStr(folder, width, true), folderLine);
    }
    EXPECT_EQ(f_CatHeader(true, 40, true), " Name            Typ   Gr.  Aenderung\r" + std::string(37, '-'));
    EXPECT_EQ(f_CatStr(folder, 40, false).substr(17, 8), "\xC2\x82\xC2\x83\xC2\x83\xC2\x84");  // folder picture
    file.Size = 12345678901;  // "11 GB" fits 40 columns' six places
    file.ExtHidden = true;
    EXPECT_EQ(f_CatStr(file, 40, true), "*Umsatz 2026     CALC  11 GB 07.12.26");
    file.Name = "lang.extension";
    LogCapture log;
    EXPECT_EQ(f_CatStr(file, 40, true).substr(0, 16), "*lang.extension ");
    EXPECT_TRUE(log.Contains("f_CatStr: Extension too long to hide."));
}

}  // namespace
