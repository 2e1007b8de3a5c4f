// The character-screen file selectors, driven by queued keys on window 0.
#include "catalog/file_selector.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "catalog/catalog.h"
#include "input/events.h"
#include "input/file_events.h"
#include "platform/program_state.h"
#include "runtime/key_codes.h"
#include "screen/screen_fixture.h"

namespace {

constexpr Int Up = 11, Down = 10, Left = 8, Right = 21;

class FileSelectorTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        char pattern[] = "/tmp/tabrona-selector-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = std::string(pattern) + "/";
        for (const char* name : {"a.calc", "b.calc", "x.txt", "Ordner/c.calc", "Ordner/d.calc"}) {
            std::filesystem::create_directories(std::filesystem::path(folder_ + name).parent_path());
            std::ofstream(folder_ + name) << name;
        }
    }
    void TearDown() override {
        std::filesystem::remove_all(folder_);
        ScreenTest::TearDown();
    }

    std::string Open(bool folderChoice = false, Int width = 60) {
        return OpenFileSelector(0, folder_, "Calculation öffnen", "DIR,calc", 12, 8, width, folderChoice, false);
    }

    std::string folder_;
};

// Walking down, into a folder and out again, and picking; Esc picks nothing.
TEST_F(FileSelectorTest, OpenSelectorWalksFoldersAndPicks) {
    const struct {
        std::vector<Int> keys;
        bool folderChoice;
        std::string result;
    } cases[] = {
        {{ReturnKey}, false, "a.calc"},
        {{Down, Down, ReturnKey, Down, ReturnKey}, false, "Ordner/d.calc"},
        {{Down, Down, Right, Left, Down, ReturnKey}, false, "b.calc"},  // back out, the list starts again on top
        {{Down, EscapeKey}, false, ""},
        {{'o', ReturnKey}, true, "Ordner/"},  // a letter selects by the first character
        {{'Z', ReturnKey}, true, "Ordner/"},  // past every name: the last entry
        {{5, 2, 3, 18, ReturnKey}, false, "a.calc"},  // End, Home, Page Down, Page Up
    };
    for (const auto& c : cases) {
        Keys(c.keys);
        EXPECT_EQ(Open(c.folderChoice), c.result.empty() ? "" : folder_ + c.result) << c.result;
    }
}

// The box (the whole-program screens show it at width 80): a width of 50
// is 60; the box is cleared when the selector ends.
TEST_F(FileSelectorTest, BoxShowsFolderCountAndRows) {
    OpenFileSelector(0, folder_, "Calculation öffnen", "DIR,calc", 12, 8, 50, false, true);
    EXPECT_EQ(Row(15, 33, 40), "a.calc  ");
    EXPECT_EQ(Row(17, 33, 40), "Ordner  ");
    EXPECT_NE(Row(12, 31, 31), " ");  // the frame's left edge, at column 61 - 30
    EXPECT_EQ(Row(12, 30, 30), " ");
    Keys({EscapeKey});
    Open();
    EXPECT_EQ(Row(15), std::string(121, ' '));
}

// A click selects; two on the same entry within 249 ms open a folder, 300
// ms apart they only select it (on a clock the test moves).
TEST_F(FileSelectorTest, ClicksSelectAndDoubleClicksOpen) {
    std::atomic<double> now{1000};
    host->SetClock([&now] { return now.load(); });
    const auto click = [](Int column, Int line) { t_ClickTextCell(0, column, line); };
    click(40, 16);
    Keys({ReturnKey});
    EXPECT_EQ(Open(true), folder_ + "b.calc");
    click(40, 17), click(40, 17);
    Keys({ReturnKey});
    EXPECT_EQ(Open(true), folder_ + "Ordner/c.calc");
    click(40, 17);
    now = now + 0.3;
    click(40, 17);
    Keys({ReturnKey});
    EXPECT_EQ(Open(true), folder_ + "Ordner/");
    click(40, 13);  // the folder line: up to the parent
    Keys({EscapeKey});
    EXPECT_EQ(Open(true), "");
    EXPECT_EQ(Catalog().CatFolder, "/tmp/");
}

// A file the host asks to open while the selector runs is shown selected.
TEST_F(FileSelectorTest, OpenRequestSelectsTheFile) {
    f_FileEventHandler(folder_ + "Ordner/d.calc", 0);
    Keys({ReturnKey});
    EXPECT_EQ(Open(), folder_ + "Ordner/d.calc");
    EXPECT_EQ(Catalog().CatFolder, folder_ + "Ordner/");
    EXPECT_EQ(SelectedItemName() + "|" + SelectedItemFolder(), "d.calc|" + folder_ + "Ordner/");
    EXPECT_EQ(CatIndexOfName("c.calc"), 0);
    EXPECT_EQ(CatIndexOfName("fehlt"), -1);
}

// The save selector takes a typed name in the folder shown; Option with a
// list key moves in the list, Option with forward delete takes the
// selected name; Esc gives nothing. The name box alone likewise.
TEST_F(FileSelectorTest, SaveSelectorAndNamePrompt) {
    const auto save = [&] { return SaveFileSelector(0, folder_, "Sichern", "Name:", "", 10, 12, 60, false); };
    Keys({'n', 'e', 'u', ReturnKey});
    EXPECT_EQ(save(), folder_ + "neu");
    Keys({Down, Down}, true);
    Keys({Right}, true);
    Keys({Down}, true);
    Keys({7}, true);
    Keys({ReturnKey});
    EXPECT_EQ(save(), folder_ + "Ordner/d.calc");
    Keys({'x', EscapeKey});
    EXPECT_EQ(save(), "");
    Keys({'H', 'a', 'l', 'l', 'o', ReturnKey});
    EXPECT_EQ(NamePrompt(0, "Neuer Name:", "", 20, 40, false), "Hallo");
    Keys({EscapeKey});
    EXPECT_EQ(NamePrompt(0, "Neuer Name:", "alt", 20, 40, false), "");
}

}  // namespace
