// make_font: builds the program's 8 x 16 grey bitmap font.
//
// Printable ASCII and the Latin-1 upper half are rendered from DejaVu Sans Mono
// with FreeType; the program's own symbols (line drawing, frame pieces, the
// lock, folder and volume pictures, the visible blank) are drawn pixel by pixel
// so that they join exactly across neighbouring cells. The glyph table is
// LZW-compressed into the "oxfn" font file the runtime loads.
//
//   make_font --ttf PATH --out FILE [--png FILE] [--demo FILE]
//
// The output depends only on the TTF files and the FreeType version, so the
// committed font can be regenerated bit for bit.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "font_glyph.h"
#include "font_symbols.h"
#include "runtime/lzw.h"

#ifdef MAKE_FONT_WITH_PNG
#include "font_sheet.h"
#endif

namespace font_tool {
namespace {

constexpr int kPixelSize = 13;  // 14 px makes some Latin-1 glyphs wider than 8 px
constexpr int kBaseline = 13;   // bitmap_top is measured from this row

// ---------------------------------------------------------------------------
// Which character each rendered code shows. The upper half is Latin-1 except
// where the program converts another Unicode character to that code: the
// glyph must then show what the user typed or pasted (the euro sign on 164,
// "≤" on 197, ...). Codes 34 and 96 keep their ASCII quotes even though the
// curly quotes map there too, and the em dash code is a drawn rule.

const std::map<int, std::uint32_t>& ConvertedCharacters() {
    static const std::map<int, std::uint32_t> table = {
        {161, 0x2208}, {164, 0x20AC}, {168, 0x2122}, {170, 0x2074}, {173, 0x2260},
        {176, 0x02DA}, {180, 0x2019}, {181, 0x03BC}, {184, 0x2022}, {186, 0x2076},
        {188, 0x2079}, {189, 0x2020}, {191, 0x2026}, {197, 0x2264}, {198, 0x2265},
        {208, 0x220F}, {215, 0x2075}, {216, 0x2070}, {221, 0x2211}, {222, 0x222B},
        {229, 0x2077}, {230, 0x2078}, {240, 0x03C0}, {253, 0x221A}, {254, 0x2206},
        {255, 0x221E},
    };
    return table;
}

bool IsRenderedCode(int code) { return (code >= 32 && code <= 126) || (code >= 161 && code <= 255); }

std::uint32_t CharacterOfCode(int code) {
    const auto& table = ConvertedCharacters();
    const auto it = table.find(code);
    return it != table.end() ? it->second : static_cast<std::uint32_t>(code);
}

// ---------------------------------------------------------------------------
// FreeType rendering.

class FreeTypeLibrary {
public:
    FreeTypeLibrary() {
        if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    }
    ~FreeTypeLibrary() {
        for (FT_Face face : faces_) FT_Done_Face(face);
        if (library_) FT_Done_FreeType(library_);
    }
    FreeTypeLibrary(const FreeTypeLibrary&) = delete;
    FreeTypeLibrary& operator=(const FreeTypeLibrary&) = delete;

    bool Ok() const { return library_ != nullptr; }

    FT_Face Open(const std::string& path) {
        FT_Face face = nullptr;
        if (FT_New_Face(library_, path.c_str(), 0, &face) != 0) return nullptr;
        faces_.push_back(face);
        return face;
    }

private:
    FT_Library library_ = nullptr;
    std::vector<FT_Face> faces_;
};

struct Rendered {
    int width = 0;
    int rows = 0;
    int left = 0;
    int top = 0;
    int advance = 0;  // whole pixels
    std::vector<std::uint8_t> bitmap;  // width * rows grey bytes
};

std::optional<Rendered> RenderCharacter(FT_Face face, int pixelSize, std::uint32_t character) {
    const FT_UInt index = FT_Get_Char_Index(face, character);
    if (index == 0) return std::nullopt;
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) return std::nullopt;
    if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_LIGHT) != 0) return std::nullopt;
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) return std::nullopt;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY || bm.num_grays != 256) return std::nullopt;
    Rendered r;
    r.width = static_cast<int>(bm.width);
    r.rows = static_cast<int>(bm.rows);
    r.left = slot->bitmap_left;
    r.top = slot->bitmap_top;
    r.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    r.bitmap.resize(static_cast<std::size_t>(r.width * r.rows));
    for (int y = 0; y < r.rows; ++y) {
        const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
        std::memcpy(r.bitmap.data() + static_cast<std::size_t>(y * r.width), row,
                    static_cast<std::size_t>(r.width));
    }
    return r;
}

// Copies a rendered character into a cell with its left edge at x0 and its
// top at row y0; returns the number of inked pixels that fell outside.
int PlaceInCell(const Rendered& r, int x0, int y0, Glyph& cell) {
    int clipped = 0;
    for (int y = 0; y < r.rows; ++y) {
        for (int x = 0; x < r.width; ++x) {
            const std::uint8_t v = r.bitmap[static_cast<std::size_t>(y * r.width + x)];
            const int cx = x0 + x;
            const int cy = y0 + y;
            if (cx < 0 || cx >= kCellWidth || cy < 0 || cy >= kCellHeight) {
                if (v != 0) ++clipped;
                continue;
            }
            cell.Set(cx, cy, v);
        }
    }
    return clipped;
}

struct RenderLog {
    std::vector<std::string> fallbacks;
    std::vector<std::string> clipped;
    std::vector<std::string> missing;
};

std::string HexCode(std::uint32_t character) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(character));
    return buffer;
}

std::string Label(int code, std::uint32_t character) { return std::to_string(code) + " " + HexCode(character); }

// DejaVu Sans Mono is used as is; a character that does not fit the cell is
// logged and clipped.
std::optional<Glyph> RenderMono(FT_Face mono, int code, std::uint32_t character, RenderLog& log) {
    const auto r = RenderCharacter(mono, kPixelSize, character);
    if (!r) return std::nullopt;
    Glyph cell;
    const int clipped = PlaceInCell(*r, r->left, kBaseline - r->top, cell);
    if (clipped > 0 || r->advance != kCellWidth)
        log.clipped.push_back(Label(code, character) + ": " + std::to_string(clipped) + " pixels outside, advance " +
                              std::to_string(r->advance));
    return cell;
}

// A character DejaVu Sans Mono lacks comes from the proportional DejaVu Sans,
// shrunk until it fits the 8-pixel cell and centred in it.
std::optional<Glyph> RenderFallback(FT_Face fallback, int code, std::uint32_t character, RenderLog& log) {
    for (int size = kPixelSize; fallback && size >= 6; --size) {
        const auto r = RenderCharacter(fallback, size, character);
        if (!r) break;
        const int y0 = kBaseline - r->top;
        if (r->width > kCellWidth || y0 < 0 || y0 + r->rows > kCellHeight) continue;
        Glyph cell;
        PlaceInCell(*r, (kCellWidth - r->width) / 2, y0, cell);
        log.fallbacks.push_back(Label(code, character) + ": DejaVu Sans at " + std::to_string(size) + " px");
        return cell;
    }
    return std::nullopt;
}

// Renders every text code; fails at the first character neither font has.
bool RenderText(FT_Face mono, FT_Face fallback, GlyphTable& glyphs, RenderLog& log) {
    for (int code = 0; code < kGlyphCount; ++code) {
        if (!IsRenderedCode(code)) continue;
        const std::uint32_t character = CharacterOfCode(code);
        std::optional<Glyph> cell = RenderMono(mono, code, character, log);
        if (!cell) cell = RenderFallback(fallback, code, character, log);
        if (!cell) {
            log.missing.push_back(Label(code, character));
            return false;
        }
        glyphs[static_cast<std::size_t>(code)] = *cell;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Font file.

std::vector<std::uint8_t> GlyphData(const GlyphTable& glyphs) {
    std::vector<std::uint8_t> data;
    data.reserve(static_cast<std::size_t>(kGlyphCount * kGlyphBytes));
    for (const Glyph& g : glyphs) data.insert(data.end(), g.px.begin(), g.px.end());
    return data;
}

void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 24));
    out.push_back(static_cast<std::uint8_t>(v >> 16));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

// Picks the code width with the smallest stream (the narrowest on a tie) and
// checks that it decodes back to the same bytes.
bool CompressGlyphs(const std::vector<std::uint8_t>& data, std::vector<std::uint8_t>& best, int& bestWidth) {
    best.clear();
    bestWidth = 0;
    for (int width = 9; width <= 16; ++width) {
        std::vector<std::uint8_t> stream = lzw::Encode(data, width);
        if (stream.empty()) continue;
        if (best.empty() || stream.size() < best.size()) {
            best = std::move(stream);
            bestWidth = width;
        }
    }
    if (best.empty()) return false;
    const lzw::DecodeResult check = lzw::Decode(best.data(), best.size());
    return check.Status == lzw::DecodeStatus::Ok && check.Bytes == data;
}

std::vector<std::uint8_t> FontFile(const std::vector<std::uint8_t>& data, const std::vector<std::uint8_t>& compressed) {
    std::vector<std::uint8_t> file;
    file.push_back(16);  // header size
    for (char c : std::string_view("oxfn")) file.push_back(static_cast<std::uint8_t>(c));
    file.push_back(102);  // compressed grey
    PutBigEndian32(file, static_cast<std::uint32_t>(data.size()));
    file.push_back(0);    // first code
    file.push_back(255);  // last code
    file.push_back(kCellWidth);
    file.push_back(kCellHeight);
    file.push_back(0);
    file.push_back(0);
    file.insert(file.end(), compressed.begin(), compressed.end());
    return file;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// ---------------------------------------------------------------------------
// Command line.

struct Options {
    std::string ttf;
    std::string out;
    std::string png;
    std::string demo;
};

void Usage() {
    std::cerr << "usage: make_font --ttf PATH --out FILE [--png FILE] [--demo FILE]\n"
                 "  --ttf   DejaVu Sans Mono (DejaVuSans.ttf beside it supplies missing characters)\n"
                 "  --out   the font file to write\n"
                 "  --png   a picture of all 256 glyphs\n"
                 "  --demo  a picture of line-drawing combinations\n";
}

std::optional<Options> ParseArguments(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        std::string* target = arg == "--ttf"    ? &o.ttf
                              : arg == "--out"  ? &o.out
                              : arg == "--png"  ? &o.png
                              : arg == "--demo" ? &o.demo
                                                : nullptr;
        if (!target || i + 1 >= argc) return std::nullopt;
        *target = argv[++i];
    }
    if (o.ttf.empty() || o.out.empty()) return std::nullopt;
    return o;
}

// Renders the text codes from the TTF (and DejaVuSans.ttf beside it) and
// draws the symbols; false, after saying why, when a glyph is missing.
bool MakeGlyphs(const std::string& ttf, GlyphTable& glyphs) {
    FreeTypeLibrary freetype;
    if (!freetype.Ok()) {
        std::cerr << "make_font: FreeType could not be initialised\n";
        return false;
    }
    FT_Face mono = freetype.Open(ttf);
    if (!mono) {
        std::cerr << "make_font: cannot open font '" << ttf << "'\n";
        return false;
    }
    const std::filesystem::path fallbackPath = std::filesystem::path(ttf).parent_path() / "DejaVuSans.ttf";
    FT_Face fallback = freetype.Open(fallbackPath.string());

    RenderLog log;
    const bool complete = RenderText(mono, fallback, glyphs, log);
    for (const std::string& line : log.fallbacks) std::cerr << "make_font: fallback " << line << "\n";
    for (const std::string& line : log.clipped) std::cerr << "make_font: does not fit the cell: " << line << "\n";
    if (!complete) {
        for (const std::string& line : log.missing) std::cerr << "make_font: no glyph for " << line << "\n";
        return false;
    }
    DrawSymbols(glyphs);
    return true;
}

bool WriteFont(const GlyphTable& glyphs, const std::string& path) {
    const std::vector<std::uint8_t> data = GlyphData(glyphs);
    std::vector<std::uint8_t> compressed;
    int codeWidth = 0;
    if (!CompressGlyphs(data, compressed, codeWidth)) {
        std::cerr << "make_font: compressed glyph data does not decode back to the original\n";
        return false;
    }
    const std::vector<std::uint8_t> file = FontFile(data, compressed);
    if (!WriteFile(path, file)) {
        std::cerr << "make_font: cannot write '" << path << "'\n";
        return false;
    }
    std::cerr << "make_font: " << path << ": " << file.size() << " bytes, code width " << codeWidth << "\n";
    return true;
}

// Writes the pictures asked for; without libpng none can be asked for.
bool SavePictures([[maybe_unused]] const GlyphTable& glyphs, [[maybe_unused]] const Options& options) {
#ifdef MAKE_FONT_WITH_PNG
    if (!options.png.empty() && !SaveGlyphSheet(glyphs, options.png)) {
        std::cerr << "make_font: cannot write '" << options.png << "'\n";
        return false;
    }
    if (!options.demo.empty() && !SaveDemo(glyphs, options.demo)) {
        std::cerr << "make_font: cannot write '" << options.demo << "'\n";
        return false;
    }
#endif
    return true;
}

int Run(int argc, char** argv) {
    const std::optional<Options> options = ParseArguments(argc, argv);
    if (!options) {
        Usage();
        return 2;
    }
#ifndef MAKE_FONT_WITH_PNG
    if (!options->png.empty() || !options->demo.empty()) {
        std::cerr << "make_font: built without libpng, pictures are not available\n";
        return 2;
    }
#endif
    GlyphTable glyphs{};
    if (!MakeGlyphs(options->ttf, glyphs) || !WriteFont(glyphs, options->out) || !SavePictures(glyphs, *options))
        return 1;
    return 0;
}

}  // namespace
}  // namespace font_tool

int main(int argc, char** argv) { return font_tool::Run(argc, argv); }
