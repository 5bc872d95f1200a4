// libFuzzer target over the BMP reader: the input is the file. A picture read must be consistent: its
// rows cover its height, every pixel can be read, and the image it is drawn from has its size.
#include <cstddef>
#include <cstdint>

#include "app/DIBitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ksx::CPictureBudget budget(16LL << 20);  // small enough that huge headers are refused quickly
    ksx::CDIBitmap bmp;
    if (!bmp.LoadFromMemory(data, size)) {
        if (!bmp.IsEmpty()) {
            __builtin_trap();
        }
        return 0;
    }
    const int w = bmp.GetWidth();
    const int h = bmp.GetHeight();
    if (w <= 0 || h <= 0 || bmp.Image().width() != w || bmp.Image().height() != h ||
        bmp.GetBits().size() < static_cast<size_t>(bmp.GetRowBytes()) * static_cast<size_t>(h)) {
        __builtin_trap();
    }
    volatile unsigned sum = 0;
    for (int y = 0; y < h; y += 1 + h / 16) {
        for (int x = 0; x < w; x += 1 + w / 16) {
            sum = sum + bmp.PixelAt(x, y);
        }
    }
    bmp.PixelAt(-1, 0);
    bmp.PixelAt(w, h);
    if (const ksx::CBmpPalette* palette = bmp.GetPalette()) {
        if (palette->GetEntryCount() > 256) {
            __builtin_trap();
        }
    }
    return 0;
}
