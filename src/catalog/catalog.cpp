#include "catalog/catalog.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <memory>
#include <set>
#include <utility>

#include "files/file_utilities.h"
#include "platform/current_platform.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/charset.h"
#include "runtime/text.h"

namespace {

ProgramState<CatalogState> state;

constexpr char32_t LineCharacter = 156;
constexpr char32_t LockCharacter = 128;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Blanks(std::size_t count) { return std::string(count, ' '); }

// Padded with blanks on the right and cut, both in characters.
std::string Column(const std::string& text, std::size_t width) {
    std::u32string scalars = Scalars(text);
    scalars.resize(width, U' ');
    return Utf8(scalars);
}

// Right-aligned: blanks in front, and only the last `width` characters.
std::string RightAligned(const std::string& text, std::size_t width) {
    const std::string padded = Blanks(width) + text;
    return padded.substr(padded.size() - width);
}

std::string DateText(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%d.%m.%Y %H:%M:%S", &local);
    return buffer;
}

struct KindRow {
    mode_t Type;
    const char* Kind;
    Int Number;
    const char* FileType;
};

constexpr KindRow Kinds[] = {
    {S_IFREG, "NSFileTypeRegular", 1, nullptr},         {S_IFDIR, "NSFileTypeDirectory", 2, "DIR "},
    {S_IFLNK, "NSFileTypeSymbolicLink", 3, "SYM "},     {S_IFSOCK, "NSFileTypeSocket", 4, "SOC "},
    {S_IFCHR, "NSFileTypeCharacterSpecial", 5, "CHR "}, {S_IFBLK, "NSFileTypeBlockSpecial", 6, "BLK "},
};

struct ExtensionRow {
    const char* Type;
    std::initializer_list<const char*> Extensions;
};

const ExtensionRow ExtensionTypes[] = {
    {"VOLU", {"vol", "dsk", "hdv", "oxfs"}},
    {"TEXT", {"txt", "ppd",   "xml", "htm", "html", "php", "css", "plist", "log", "conf", "cfg",
              "ini", "cshrc", "mac", "sub", "pas",  "bak", "dta", "msg",   "for", "ovr"}},
    {"A65 ", {"a65"}},
    {"RTF ", {"rtf"}},
    {"PDF ", {"pdf"}},
    {"PNGf", {"png"}},
    {"JPEG", {"jpg", "jpeg"}},
    {"TIFF", {"tif", "tiff"}},
    {"8BPS", {"psd"}},
    {"GIFf", {"gif"}},
    {"BMP ", {"bmp"}},
    {"AIFC", {"aif", "aiff", "aifc"}},
    {"WXBN", {"docx"}},
    {"XLSX", {"xlsx"}},
    {"ODS ", {"ods"}},
    {"CSV ", {"csv"}},
    {"PPTX", {"pptx"}},
    {"PPSX", {"ppsx"}},
    {"W8BN", {"doc"}},
    {"XLS8", {"xls"}},
    {"SLD8", {"ppt"}},
    {"PPSS", {"pps"}},
    {"sfnt", {"ttf", "otf"}},
    {"ZIP ", {"zip"}},
    {"devi", {"dmg"}},
    {"BIN ", {"bin"}},
    {"OBJ ", {"obj"}},
    {"FONT", {"fnt", "font"}},
    {"GRPH", {"gr", "grph", "graphic"}},
    {"FBAS", {"fpbas"}},
    {"BAS ", {"bas"}},
    {"ASM ", {"asm"}},
    {"CALC", {"calc"}},
    {"WORD", {"word"}},
    {"DATB", {"db", "datb", "database"}},
};

// The creation time where the file system keeps one, else the last change.
std::time_t CreationTime(const std::string& path, std::time_t modified) {
    struct statx info {};
    if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BTIME, &info) == 0 && (info.stx_mask & STATX_BTIME))
        return static_cast<std::time_t>(info.stx_btime.tv_sec);
    return modified;
}

// The names in a folder; false with errno set when it cannot be read.
bool FolderNames(const std::string& path, std::vector<std::string>& names) {
    std::unique_ptr<DIR, int (*)(DIR*)> folder(opendir(path.c_str()), closedir);
    if (!folder) return false;
    while (const dirent* entry = readdir(folder.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    return true;
}

// A folder's identity, so that a link back up the tree is not followed again.
using FolderId = std::pair<dev_t, ino_t>;

void Load(const std::string& path, bool recursive, bool showInvisible, bool showAliases, const std::string& types,
          std::set<FolderId>& visited) {
    CatalogState& s = *state;
    if (filekind(path) != KindFolder) {
        LogLine("f_CatLoad: Path '" + path + "' does not exist.");
        s.CatStatus = CatNoFolder;
        return;
    }
    struct stat folder {};
    if (stat(path.c_str(), &folder) == 0 && !visited.insert({folder.st_dev, folder.st_ino}).second) return;
    std::vector<std::string> names;
    if (!FolderNames(path, names)) {
        LogLine("f_CatLoad: Error #" + FileErrorDescription(errno, path));
        s.CatStatus = CatUnreadable;
        return;
    }
    // Each name is lower-cased once, not at every comparison.
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names) keyed.emplace_back(Lower(name), std::move(name));
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < names.size(); ++i) names[i] = std::move(keyed[i].second);
    const std::string volumes = CurrentPlatform().Folder(StandardFolder::Volumes);
    for (const std::string& name : names) {
        if (access((path + name).c_str(), R_OK) != 0) continue;
        const f_CatItem item = f_FileAttributes(path + name);
        const bool folderLike = item.KindNum == 2 || item.KindNum == 3;
        if (item.Path == volumes) {
            const std::string what = "f_CatLoad: Volume „" + item.Name + "“ of type „" + item.FileType + "“ ";
            LogLine(what + (folderLike ? "added to list" : "ignored"));
            if (folderLike) s.CatList.push_back(item);
        } else if ((showAliases || !item.Alias) && (showInvisible || !item.Invisible) &&
                   typelistmatch(item.FileType, types)) {
            s.CatList.push_back(item);
        }
        if (recursive && folderLike) Load(path + name + "/", true, showInvisible, showAliases, types, visited);
    }
    s.CatFileTypes = types;
    s.CatFolder = path;
    s.CatCount = static_cast<Int>(s.CatList.size());
    s.CatStatus = CatLoaded;
}

}  // namespace

CatalogState& Catalog() { return *state; }

void ResetCatalog() {
    CatalogState& s = *state;
    s.CatList.clear();
    s.CatStatus = CatNotLoaded;
    s.CatCount = 0;
}

void f_CatLoad(const std::string& path, bool recursive, bool showInvisible, bool showAliases,
               const std::string& types) {
    std::set<FolderId> visited;
    Load(path, recursive, showInvisible, showAliases, types, visited);
}

f_CatItem f_FileAttributes(const std::string& path) {
    f_CatItem item;
    item.Name = nameofpath(path);
    item.Path = folderofpath(path);
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        LogLine("f_FileAttributes: Error #" + FileErrorDescription(errno, path));
        return item;
    }
    item.Size = static_cast<Int>(info.st_size);
    const mode_t type = info.st_mode & S_IFMT;
    const KindRow* kind =
        std::find_if(std::begin(Kinds), std::end(Kinds), [type](const KindRow& k) { return k.Type == type; });
    item.Kind = kind != std::end(Kinds) ? kind->Kind : "NSFileTypeUnknown";
    item.KindNum = kind != std::end(Kinds) ? kind->Number : 0;
    // Linux keeps no type and creator codes: files are typed by extension.
    if (item.KindNum == 1) {
        item.FileType = typeofextension(extensionofname(path));
        item.FileCreator = "????";
    } else {
        item.FileType = kind != std::end(Kinds) ? kind->FileType : "ILL ";
        item.FileCreator = "----";
    }
    item.Modified = info.st_mtime;
    item.Created = CreationTime(path, info.st_mtime);
    item.ModifiedStr = DateText(item.Modified);
    item.CreatedStr = DateText(item.Created);
    item.ReadOnly = item.KindNum == 1 && FileLocked(path);
    item.Invisible = invisiblename(item.Name);
    item.Alias = item.FileType == "fdrp" || item.FileType == "SYM ";
    return item;
}

std::string f_CatHeader(bool withRule, Int width, bool plain) {
    std::string header;
    if (width == 80)
        header = " Name" + Blanks(47) + "Typ  " + (plain ? " Groesse   Aenderung" : "   Größe    Änderung");
    else if (width == 40)
        header = " Name" + Blanks(12) + "Typ  " + (plain ? " Gr.  Aenderung" : " Größe Änderung");
    else
        header = " Name" + Blanks(29) + "Typ  " + (plain ? "Groesse  Aenderung" : "  Größe   Änderung");
    if (!withRule) return header;
    const Int rule = (width == 80 || width == 40 ? width : 60) - 3;
    return header + "\r" + repeattext(plain ? "-" : Utf8(LineCharacter), rule);
}

std::string f_CatStr(const f_CatItem& item, Int width, bool plain) {
    std::string name = item.Name;
    if (item.ExtHidden) {
        if (ScalarCount(extensionofname(item.Name)) < 7)
            name = namewithoutextension(item.Name);
        else
            LogLine("f_CatStr: Extension too long to hide.");
    }
    name = t_ConvertUniCode(name).Converted;
    std::string type = item.FileType;
    if (item.FileType == "DIR " || item.FileType == "SYM ") {
        const bool volume = item.Path == CurrentPlatform().Folder(StandardFolder::Volumes);
        if (volume)
            type = plain ? "VOL " : Utf8(U"\u0081\u0083\u0083\u0084");
        else if (!plain)
            type = Utf8(U"\u0082\u0083\u0083\u0084");
    }
    const std::string lock = item.ReadOnly ? (plain ? "*" : Utf8(LockCharacter)) : " ";
    const std::string size = item.KindNum == 1 ? sizetext(item.Size) : "";
    const std::string& date = item.ModifiedStr;
    if (width == 80)
        return lock + Column(name, 49) + " " + type + "  " + RightAligned(size, 8) + "  " + date.substr(0, 10);
    if (width == 40)
        return lock + Column(name, 15) + " " + type + " " + RightAligned(size, 6) + " " + date.substr(0, 6) +
               date.substr(std::min<std::size_t>(8, date.size()), 2);
    return lock + Column(name, 32) + " " + type + " " + RightAligned(size, 7) + " " + date.substr(0, 10);
}

bool typelistmatch(const std::string& type, const std::string& list) {
    if (list.empty()) return true;
    const std::string lowerType = Lower(type);
    const std::string lowerList = Lower(list);
    std::size_t start = 0;
    while (start <= lowerList.size()) {
        const std::size_t comma = std::min(lowerList.find(',', start), lowerList.size());
        const std::string piece = lowerList.substr(start, comma - start);
        if (!piece.empty() && lowerType.find(piece) != std::string::npos) return true;
        start = comma + 1;
    }
    return false;
}

bool invisiblename(const std::string& name) {
    return name.starts_with('.') || Lower(name) == "thumbs.db" || name == "Icon\r" || name == "mach_kernel" ||
           name == "Synchronize! Volume ID";
}

std::string typeofextension(const std::string& extension) {
    const std::string lower = Lower(extension);
    for (const ExtensionRow& row : ExtensionTypes)
        for (const char* known : row.Extensions)
            if (lower == known) return row.Type;
    return "????";
}

std::string typecodetext(Int code) {
    std::u32string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto byte = static_cast<char32_t>((static_cast<std::uint64_t>(code) >> shift) & 0xFF);
        text += byte < 32 ? U'?' : byte;
    }
    return Utf8(text);
}

std::string extensionofname(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string namewithoutextension(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string sizetext(Int size) {
    constexpr Int KB = 1024, MB = KB * 1024, GB = MB * 1024, TB = GB * 1024;
    if (size < KB) return std::to_string(size) + " B ";
    if (size < MB) return std::to_string(size / KB) + " KB";
    if (size < GB) return std::to_string(size / MB) + " MB";
    if (size > TB - 1) return std::to_string(size / TB) + " TB";
    return std::to_string(size / GB) + " GB";
}

std::string repeattext(const std::string& text, Int count) {
    if (text.empty() || count < 1 || count > 32767) return {};
    std::string out;
    out.reserve(text.size() * static_cast<std::size_t>(count));
    for (Int i = 0; i < count; ++i) out += text;
    return out;
}
