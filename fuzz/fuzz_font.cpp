// Hostile font files: parsing, decompression and drawing every glyph of the
// result must neither crash, leak, hang nor touch memory it does not own.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/current_platform.h"
#include "platform/headless_platform.h"
#include "platform/log.h"
#include "screen/font.h"
#include "screen/glyph.h"
#include "screen/memory.h"
#include "screen/window.h"

namespace {

bool Setup() {
    InstallPlatform(std::make_unique<HeadlessPlatform>());
    SetLogToStdout(false);
    t_InitMemory();
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = Setup();
    (void)ready;
    const std::vector<UInt8> file(data, data + size);
    const t_Font font = FontFromFileBytes(file);
    if (!font.HasGlyphs()) return 0;
    // A small window keeps each run quick; glyphs larger than it are refused.
    const Int depth = size > 20 ? std::vector<Int>{1, 4, 8, 16, 24, 32}[data[16] % 6] : 24;
    t_InitWindow(0, depth, false, 64, 48, 0, 0, font, true);
    for (int c = 0; c < 256; ++c) {
        t_PrintSymbol(0, static_cast<UInt8>(c), static_cast<UInt8>(c), 1, 1);
        t_PrintSymbol(0, static_cast<UInt8>(c), static_cast<UInt8>(255 - c), 2, 2);
    }
    Screen().WindowTable[0].Visible = true;
    t_WindowImage(0);
    return 0;
}
