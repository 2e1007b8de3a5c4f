#include "runtime/charset.h"

#include <utf8proc.h>

#include <cstdlib>
#include <memory>

#include "platform/log.h"

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

// utf8proc refuses malformed UTF-8; the text then goes on as it is.
String Normalized(const String& text, utf8proc_uint8_t* (*form)(const utf8proc_uint8_t*)) {
    std::unique_ptr<utf8proc_uint8_t, FreeDeleter> normal(form(reinterpret_cast<const utf8proc_uint8_t*>(text.c_str())));
    return normal ? String(reinterpret_cast<const char*>(normal.get())) : text;
}

String Composed(const String& text) { return Normalized(text, utf8proc_NFC); }

// The program's code (or short replacement text) for a scalar above 255;
// empty when there is none.
String MappedAbove255(char32_t s) {
    auto code = [](int c) { return Utf8(static_cast<char32_t>(c)); };
    switch (s) {
        case 0x0152: return "Oe";
        case 0x0153: return "oe";
        case 0x02DA: return code(176);
        case 0x03BC: return code(181);
        case 0x03C0: return code(240);
        case 0x2013: return "-";
        case 0x2014: return code(154);
        case 0x2018: return code(96);
        case 0x2019:
        case 0x201A: return code(180);
        case 0x201C:
        case 0x201D:
        case 0x201E: return code(34);
        case 0x2020: return code(189);
        case 0x2022: return code(184);
        case 0x2026: return code(191);
        case 0x2039: return "<";
        case 0x203A: return ">";
        case 0x2070: return code(216);
        case 0x2074: return code(170);
        case 0x2075: return code(215);
        case 0x2076: return code(186);
        case 0x2077: return code(229);
        case 0x2078: return code(230);
        case 0x2079: return code(188);
        case 0x20AC: return code(164);
        case 0x2122: return code(168);
        case 0x2206: return code(254);
        case 0x2208: return code(161);
        case 0x220F: return code(208);
        case 0x2211: return code(221);
        case 0x221A: return code(253);
        case 0x221E: return code(255);
        case 0x222B: return code(222);
        case 0x2260: return code(173);
        case 0x2264: return code(197);
        case 0x2265: return code(198);
        default: return {};
    }
}

String MappedBelow256(char32_t s) {
    switch (s) {
        case 0x0A: return Utf8(char32_t{13});
        case 0xC6: return "Ae";
        case 0xD8: return "0";
        case 0xE6: return "ae";
        default: return Utf8(s);
    }
}

// Look-alike text for a code of the font's line-drawing range 127-160.
char32_t ExportedLineDrawing(char32_t c) {
    switch (c) {
        case 127:
        case 129: return '#';
        case 128: return '*';
        case 130: return '<';
        case 131:
        case 159: return '=';
        case 132: return '>';
        case 133: return 'O';
        case 138:
        case 139:
        case 156:
        case 157: return '|';
        case 140:
        case 141:
        case 154:
        case 155: return '-';
        case 160: return 0x02FD;
        default: return '+';  // corners and junctions
    }
}

}  // namespace

String CompatibilityComposed(const String& text) { return Normalized(text, utf8proc_NFKC); }

ConvertResult t_ConvertUniCode(const String& text) {
    ConvertResult result{{}, 0};
    for (char32_t s : Scalars(Composed(text))) {
        if (s < 256) {
            result.Converted += MappedBelow256(s);
            continue;
        }
        const String mapped = MappedAbove255(s);
        if (!mapped.empty()) {
            result.Converted += mapped;
            continue;
        }
        LogLine("t_ConvertUniCode: Missing Unicode " + Utf8(s) + " = " + std::to_string(s));
        result.Converted += Utf8(char32_t{127});
        result.LastUnmapped = s;
    }
    return result;
}

char32_t ShownCharacter(UInt8 code) {
    const char32_t c = code >= 127 && code <= 160 ? ExportedLineDrawing(code) : code;
    return c < 32 ? c + 0x2400 : c;
}

String t_ExportText(const String& text) {
    std::u32string out = Scalars(text);
    for (char32_t& c : out)
        if (c >= 127 && c <= 160) c = ExportedLineDrawing(c);
    return Utf8(out);
}
