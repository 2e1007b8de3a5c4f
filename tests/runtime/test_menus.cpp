// Menu-bar look-ups, the menu-action table and the start-up clean-up of the
// desktop's own menu entries.
#include <string>
#include <vector>

#include "platform/headless_platform.h"
#include "platform/log.h"
#include "runtime/memory.h"
#include "runtime/menus.h"
#include "runtime_fixture.h"

namespace {

class MenuBarTest : public RuntimeTest {
protected:
    std::vector<std::string> Items(const std::string& title) {
        for (const HeadlessPlatform::Menu& m : host->Menus())
            if (m.title == title) return m.items;
        ADD_FAILURE() << "no menu " << title;
        return {};
    }
};

TEST_F(MenuBarTest, ItemIndexAndTitleLookups) {
    host->AddMenu("Ablage", {"Neu", "Öffnen…", "", "Neu"});

    struct IndexCase {
        const char* menu;
        const char* item;
        Int index;
        std::vector<std::string> log;
    };
    const IndexCase indexCases[] = {
        {"Ablage", "Neu", 0, {}},  // the first of two equal titles
        {"Ablage", "Öffnen…", 1, {}},
        {"Ablage", "", 2, {}},
        {"Ablage", "Sichern", -1, {}},
        {"Ablage", "neu", -1, {}},
        {"Fehlt", "Neu", -2, {"t_MenuItemIndex: Menu not found."}},
    };
    for (const IndexCase& c : indexCases) {
        LogCapture log;
        EXPECT_EQ(t_MenuItemIndex(c.menu, c.item), c.index) << c.menu << " / " << c.item;
        EXPECT_EQ(log.Lines(), c.log) << c.menu << " / " << c.item;
    }

    struct TitleCase {
        const char* menu;
        Int index;
        const char* title;
        std::vector<std::string> log;
    };
    const TitleCase titleCases[] = {
        {"Ablage", 1, "Öffnen…", {}},
        {"Ablage", 0, "Neu", {}},
        {"Ablage", 65535, "Neu", {}},
        {"Ablage", 4, "", {"t_MenuItemTitle: Item position out of range"}},
        {"Ablage", -1, "", {"t_MenuItemTitle: Item position out of range"}},
        {"Fehlt", 0, "", {"t_MenuItemTitle: Menu not found."}},
    };
    for (const TitleCase& c : titleCases) {
        LogCapture log;
        EXPECT_EQ(t_MenuItemTitle(c.menu, c.index), c.title) << c.menu << " / " << c.index;
        EXPECT_EQ(log.Lines(), c.log) << c.menu << " / " << c.index;
    }
}

TEST_F(MenuBarTest, ItemDeletion) {
    host->AddMenu("Ablage", {"Neu", "Öffnen…", "", "Sichern"});
    host->AddMenu("Leer", {});

    struct Case {
        const char* menu;
        Int index;
        std::vector<std::string> items;  // of "Ablage" afterwards
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"Fehlt", 0, {"Neu", "Öffnen…", "", "Sichern"}, {"t_MenuItemDelete: Menu not found."}},
        {"Ablage", 4, {"Neu", "Öffnen…", "", "Sichern"}, {"t_MenuItemDelete: Item position out of range"}},
        {"Ablage", -1, {"Neu", "Öffnen…", "", "Sichern"}, {"t_MenuItemDelete: Item position out of range"}},
        {"Leer", 65535, {"Neu", "Öffnen…", "", "Sichern"}, {"t_MenuItemDelete: Item position out of range"}},
        {"Ablage", 65535, {"Neu", "Öffnen…", ""}, {}},
        {"Ablage", 0, {"Öffnen…", ""}, {}},
        {"Ablage", 1, {"Öffnen…"}, {}},
    };
    for (const Case& c : cases) {
        LogCapture log;
        t_MenuItemDelete(c.menu, c.index);
        EXPECT_EQ(Items("Ablage"), c.items) << c.menu << " / " << c.index;
        EXPECT_EQ(log.Lines(), c.log) << c.menu << " / " << c.index;
    }
}

TEST_F(MenuBarTest, MenuActionTableHoldsTheTaggedActions) {
    t_InitMemory();
    const std::vector<t_MenuAction>& table = Runtime().MenuActionTable;
    ASSERT_EQ(table.size(), 37u);
    std::vector<Int> tags;
    for (const t_MenuAction& a : table) {
        tags.push_back(a.Tag);
        EXPECT_EQ(a.Action, a.Tag);
        EXPECT_TRUE(a.Title.empty() && a.Note.empty() && a.FileName.empty() && a.FileTypes.empty() &&
                    a.FilePath.empty())
            << a.Tag;
    }
    std::vector<Int> expected;
    for (Int t = 200; t <= 231; ++t) expected.push_back(t);
    for (Int t = 110; t <= 114; ++t) expected.push_back(t);
    EXPECT_EQ(tags, expected);
}

TEST_F(MenuBarTest, StartUpRemovesDesktopEntriesFromEditAndWindowMenus) {
    host->AddMenu("Bearbeiten", {"Widerrufen", "Emoji & Symbole", "Kopieren", "Diktat starten …", ""});
    host->AddMenu("Edit", {"Undo", "", "", "Special Characters…", "Start Dictation…", "Emoji & Symbols"});
    host->AddMenu("Fenster", {"Minimieren", "Tile Window to Left of Screen", "Vollbildmodus", "Zoom"});
    host->AddMenu("Window", {"Tile Window to Right of Screen", "Bring All to Front"});
    host->AddMenu("Ablage", {"Special Characters…", "Vollbildmodus", ""});

    LogCapture log;
    t_InitMemory();

    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "t_InitMemory: Start.",
                               "*** Found Fenster Menu Item Tile Window to Left of Screen",
                               "*** Found Window Menu Item Tile Window to Right of Screen",
                               "*** Found Fenster Menu Item Vollbildmodus",
                               "t_InitMemory: End.",
                           }));
    // One trailing separator goes; a separator that is not last stays.
    EXPECT_EQ(Items("Bearbeiten"), (std::vector<std::string>{"Widerrufen", "Kopieren"}));
    EXPECT_EQ(Items("Edit"), (std::vector<std::string>{"Undo", ""}));
    EXPECT_EQ(Items("Fenster"), (std::vector<std::string>{"Minimieren", "Zoom"}));
    EXPECT_EQ(Items("Window"), (std::vector<std::string>{"Bring All to Front"}));
    // Other menus are not touched.
    EXPECT_EQ(Items("Ablage"), (std::vector<std::string>{"Special Characters…", "Vollbildmodus", ""}));
}

TEST_F(MenuBarTest, StartUpWithoutSuchMenusLeavesTheMenuBarAlone) {
    host->AddMenu("Ablage", {"Neu", ""});
    LogCapture log;
    t_InitMemory();
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"t_InitMemory: Start.", "t_InitMemory: End."}));
    EXPECT_EQ(Items("Ablage"), (std::vector<std::string>{"Neu", ""}));
    EXPECT_TRUE(Runtime().MemoryInitialized.Load());
}

}  // namespace
