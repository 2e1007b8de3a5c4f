#include "runtime/menus.h"

#include "runtime_fixture.h"
#include "screen/memory.h"

namespace {

using Lines = std::vector<std::string>;

class MenuBarTest : public RuntimeTest {
protected:
    Lines Items(const std::string& title) {
        for (const HeadlessPlatform::Menu& m : host->Menus())
            if (m.Title == title) return m.Items;
        return {"(no such menu)"};
    }
};

TEST_F(MenuBarTest, LookUpAndDeleteItems) {
    host->AddMenu("Ablage", {"Neu", "Öffnen…", "", "Neu"});
    for (const auto& [item, index] : {std::pair{"Neu", 0}, {"", 2}, {"Sichern", -1}, {"neu", -1}})
        EXPECT_EQ(t_MenuItemIndex("Ablage", item), index) << item;
    for (const auto& [index, title] : {std::pair{Int{0}, "Neu"}, {1, "Öffnen…"}, {65535, "Neu"}, {4, ""}, {-1, ""}})
        EXPECT_EQ(t_MenuItemTitle("Ablage", index), title) << index;
    t_MenuItemDelete("Ablage", 4);
    t_MenuItemDelete("Ablage", -1);
    EXPECT_EQ(Items("Ablage"), (Lines{"Neu", "Öffnen…", "", "Neu"}));
    t_MenuItemDelete("Ablage", 65535);
    t_MenuItemDelete("Ablage", 0);
    EXPECT_EQ(Items("Ablage"), (Lines{"Öffnen…", ""}));
    LogCapture log;
    EXPECT_EQ(t_MenuItemIndex("Fehlt", "Neu"), -2);
    EXPECT_EQ(t_MenuItemTitle("Fehlt", 0), "");
    t_MenuItemDelete("Fehlt", 0);
    t_MenuItemDelete("Ablage", 2);
    EXPECT_EQ(t_MenuItemTitle("Ablage", 2), "");
    EXPECT_EQ(log.Lines(), (Lines{"t_MenuItemIndex: Menu not found.", "t_MenuItemTitle: Menu not found.", "t_MenuItemDelete: Menu not found.",
                                  "t_MenuItemDelete: Item position out of range", "t_MenuItemTitle: Item position out of range"}));
}

TEST_F(MenuBarTest, StartUpRemovesDesktopEntriesFromEditAndWindowMenus) {
    host->AddMenu("Bearbeiten", {"Widerrufen", "Emoji & Symbole", "Kopieren", "Diktat starten …", ""});
    host->AddMenu("Edit", {"Undo", "", "", "Special Characters…", "Start Dictation…", "Emoji & Symbols"});
    host->AddMenu("Fenster", {"Minimieren", "Tile Window to Left of Screen", "Vollbildmodus", "Zoom"});
    host->AddMenu("Window", {"Tile Window to Right of Screen", "Bring All to Front"});
    LogCapture log;
    t_InitMemory();
    EXPECT_EQ(log.Lines(), (Lines{"t_InitMemory: Start.", "*** Found Fenster Menu Item Tile Window to Left of Screen",
                                  "*** Found Window Menu Item Tile Window to Right of Screen",
                                  "*** Found Fenster Menu Item Vollbildmodus", "t_InitMemory: End."}));
    // One trailing separator goes; a separator that is not last stays.
    EXPECT_EQ(Items("Bearbeiten"), (Lines{"Widerrufen", "Kopieren"}));
    EXPECT_EQ(Items("Edit"), (Lines{"Undo", ""}));
    EXPECT_EQ(Items("Fenster"), (Lines{"Minimieren", "Zoom"}));
    EXPECT_EQ(Items("Window"), (Lines{"Bring All to Front"}));
}

}  // namespace
