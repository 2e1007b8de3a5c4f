// The catalog: the program's own sorted view of a folder, with a
// four-character type code for every entry, and the header and lines of a
// character-screen listing 40, 60 or 80 columns wide. Texts are UTF-8 whose
// characters below 256 are the program's codes (printed with t_Print).
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "runtime/types.h"

struct f_CatItem {
    std::string Name;  // the entry's name
    std::string Path;  // the folder that holds it, ending with "/"
    std::string Kind;  // "NSFileTypeRegular", "NSFileTypeDirectory", ...
    Int KindNum = 0;  // 0 other, 1 file, 2 folder, 3 link, 4 socket, 5 character device, 6 block device
    Int Size = 0;  // bytes
    std::string FileType;  // four characters: "CALC", "DIR ", "????", ...
    std::string FileCreator;
    bool ExtHidden = false;
    std::time_t Created = std::time(nullptr);
    std::string CreatedStr;
    std::time_t Modified = std::time(nullptr);
    std::string ModifiedStr;  // "dd.MM.yyyy HH:mm:ss"
    bool ReadOnly = false;  // locked
    bool Invisible = false;
    bool Alias = false;  // FileType "fdrp" or "SYM "
};

// What f_CatLoad found.
inline constexpr Int CatNotLoaded = 0, CatLoaded = 1, CatUnreadable = -1, CatNoFolder = -2;

struct CatalogState {
    std::vector<f_CatItem> CatList;
    Int CatStatus = CatNotLoaded;
    Int CatCount = 0;
    std::string CatFolder;
    std::string CatFileTypes;
};
CatalogState& Catalog();
// Empties the list before a load: f_CatLoad itself only appends.
void ResetCatalog();

// Appends the readable entries of a folder (ending with "/"), sorted by
// their lower-case names, that pass the flags and the type list; with
// `recursive` the entries of each folder follow it.
void f_CatLoad(const std::string& path, bool recursive, bool showInvisible, bool showAliases, const std::string& types);
f_CatItem f_FileAttributes(const std::string& path);

// The listing's header (with a rule under it) and one entry's line; `plain`
// uses ASCII instead of the program's own characters. Width 80, 40, or
// anything else for 60.
std::string f_CatHeader(bool withRule, Int width, bool plain);
std::string f_CatStr(const f_CatItem& item, Int width, bool plain);

bool typelistmatch(const std::string& type, const std::string& list);
bool invisiblename(const std::string& name);
std::string typeofextension(const std::string& extension);
std::string typecodetext(Int code);
std::string extensionofname(const std::string& name);
std::string namewithoutextension(const std::string& name);
std::string sizetext(Int size);
std::string repeattext(const std::string& text, Int count);
