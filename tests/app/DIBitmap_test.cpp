// BMP reading: every depth the module reads, bottom-up and top-down rows, palettes, bit fields, and
// files that are not bitmaps or are cut short.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdint>
#include <fstream>
#include <functional>
#include <vector>

#include "app/DIBitmap.h"

namespace {

using ksx::CDIBitmap;
using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void Put32(Bytes& b, unsigned v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

struct BmpSpec {
    int width = 0;
    int height = 0;
    int bits = 24;
    bool topDown = false;
    std::vector<QRgb> palette;                    // 8 bits or fewer
    unsigned compression = 0;                     // 3: bit fields
    std::vector<unsigned> masks;                  // red, green, blue for compression 3
    std::function<unsigned(int x, int y)> pixel;  // index, or the raw pixel value for deeper pictures
};

// A BMP file as a writer other than ours would lay it out (y counted from the top of the picture).
Bytes MakeBmp(const BmpSpec& s) {
    const int row = ((s.width * s.bits + 31) / 32) * 4;
    Bytes masks;
    for (unsigned m : s.masks) {
        Put32(masks, m);
    }
    const unsigned offBits = 14 + 40 + static_cast<unsigned>(masks.size() + 4 * s.palette.size());
    Bytes b{'B', 'M'};
    Put32(b, offBits + row * s.height);
    Put32(b, 0);
    Put32(b, offBits);
    Put32(b, 40);
    Put32(b, s.width);
    Put32(b, static_cast<unsigned>(s.topDown ? -s.height : s.height));
    Put16(b, 1);
    Put16(b, s.bits);
    Put32(b, s.compression);
    Put32(b, row * s.height);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, static_cast<unsigned>(s.palette.size()));
    Put32(b, 0);
    b.insert(b.end(), masks.begin(), masks.end());
    for (QRgb c : s.palette) {
        b.push_back(qBlue(c));
        b.push_back(qGreen(c));
        b.push_back(qRed(c));
        b.push_back(0);
    }
    for (int i = 0; i < s.height; ++i) {
        const int y = s.topDown ? i : s.height - 1 - i;
        Bytes line(row, 0);
        for (int x = 0; x < s.width; ++x) {
            const unsigned v = s.pixel(x, y);
            if (s.bits < 8) {
                const int perByte = 8 / s.bits;
                line[x / perByte] |= static_cast<std::uint8_t>(v << (8 - s.bits * (x % perByte + 1)));
            } else {
                for (int k = 0; k < s.bits / 8; ++k) {
                    line[x * (s.bits / 8) + k] = (v >> (8 * k)) & 0xFF;
                }
            }
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    return b;
}

class DIBitmapTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const Bytes& data) {
        const std::string path = m_dir.path().toStdString() + "/" + name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), data.size());
        return path;
    }
    QTemporaryDir m_dir;
};

std::vector<QRgb> Palette16() {
    std::vector<QRgb> p;
    for (int i = 0; i < 16; ++i) {
        p.push_back(qRgb(i * 16, 255 - i * 16, (i * 37) % 256));
    }
    return p;
}

TEST_F(DIBitmapTest, FourBitPictureKeepsItsSixteenColourTableAndPalette) {
    BmpSpec s;
    s.width = 5;  // odd: the last byte holds one pixel
    s.height = 3;
    s.bits = 4;
    s.palette = Palette16();
    s.pixel = [](int x, int y) { return static_cast<unsigned>((x + 5 * y) % 16); };
    CDIBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromFile(Write("four.bmp", MakeBmp(s))));
    EXPECT_EQ(bmp.GetBitCount(), 4);
    EXPECT_EQ(bmp.GetNumColors(), 16);
    EXPECT_EQ(bmp.GetHeader().size(), 40u + 16 * 4);
    ASSERT_NE(bmp.GetPalette(), nullptr);
    EXPECT_EQ(bmp.GetPalette()->GetEntryCount(), 16);
    EXPECT_EQ(bmp.GetPalette()->Entries()[3], s.palette[3]);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(bmp.PixelAt(x, y), s.palette[(x + 5 * y) % 16]) << x << "," << y;
        }
    }
}

TEST_F(DIBitmapTest, OneAndEightBitPictures) {
    BmpSpec one;
    one.width = 11;
    one.height = 2;
    one.bits = 1;
    one.palette = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    one.pixel = [](int x, int y) { return static_cast<unsigned>((x + y) % 2); };
    CDIBitmap a;
    ASSERT_TRUE(a.LoadFromFile(Write("one.bmp", MakeBmp(one))));
    EXPECT_EQ(a.GetNumColors(), 2);
    EXPECT_EQ(a.PixelAt(10, 0), qRgb(0, 0, 0));
    EXPECT_EQ(a.PixelAt(10, 1), qRgb(255, 255, 255));

    // An 8-bit file with a short table (used-colour count 3): the table is padded to 256 entries.
    BmpSpec eight;
    eight.width = 3;
    eight.height = 2;
    eight.bits = 8;
    eight.palette = {qRgb(10, 20, 30), qRgb(40, 50, 60), qRgb(70, 80, 90)};
    eight.pixel = [](int x, int) { return static_cast<unsigned>(x); };
    CDIBitmap b;
    ASSERT_TRUE(b.LoadFromFile(Write("eight.bmp", MakeBmp(eight))));
    EXPECT_EQ(b.GetBitCount(), 8);
    EXPECT_EQ(b.GetNumColors(), 256);
    EXPECT_EQ(b.GetPalette()->GetEntryCount(), 256);
    EXPECT_EQ(b.PixelAt(2, 1), qRgb(70, 80, 90));
    EXPECT_EQ(b.GetRowBytes(), 4);
}

TEST_F(DIBitmapTest, TwentyFourBitPictureHasNoColourTable) {
    BmpSpec s;
    s.width = 3;  // 9 bytes a row, padded to 12
    s.height = 2;
    s.pixel = [](int x, int y) { return static_cast<unsigned>(qRgb(x * 100, y * 200, 7)) & 0xFFFFFF; };
    CDIBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromFile(Write("rgb.bmp", MakeBmp(s))));
    EXPECT_EQ(bmp.GetBitCount(), 24);
    EXPECT_EQ(bmp.GetColorTable(), nullptr);
    EXPECT_EQ(bmp.GetPalette(), nullptr);
    EXPECT_EQ(bmp.GetNumColors(), 0);
    EXPECT_EQ(bmp.PixelAt(2, 1), qRgb(200, 200, 7));
    EXPECT_EQ(bmp.PixelAt(0, 0), qRgb(0, 0, 7));
    EXPECT_EQ(bmp.GetBits().size(), 24u);
}

TEST_F(DIBitmapTest, ThirtyTwoBitPicturesAreHeldAsTwentyFourBits) {
    BmpSpec s;
    s.width = 2;
    s.height = 2;
    s.bits = 32;
    s.topDown = true;
    s.pixel = [](int x, int y) {
        return 0xFF000000u | (static_cast<unsigned>(qRgb(x ? 255 : 0, 128, y ? 9 : 0)) & 0xFFFFFF);
    };
    CDIBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromFile(Write("argb.bmp", MakeBmp(s))));
    EXPECT_EQ(bmp.GetBitCount(), 24);
    EXPECT_EQ(bmp.GetPalette(), nullptr);
    EXPECT_EQ(bmp.PixelAt(1, 0), qRgb(255, 128, 0));  // top-down rows come out the right way up
    EXPECT_EQ(bmp.PixelAt(0, 1), qRgb(0, 128, 9));

    // Bit fields: 10-bit channels in an unusual order.
    BmpSpec f;
    f.width = 1;
    f.height = 1;
    f.bits = 32;
    f.compression = 3;
    f.masks = {0x000003FFu, 0x000FFC00u, 0x3FF00000u};  // red low, blue high
    f.pixel = [](int, int) { return 0x3FFu | (0u << 10) | (0x200u << 20); };
    CDIBitmap g;
    ASSERT_TRUE(g.LoadFromFile(Write("fields.bmp", MakeBmp(f))));
    EXPECT_EQ(qRed(g.PixelAt(0, 0)), 255);
    EXPECT_EQ(qGreen(g.PixelAt(0, 0)), 0);
    EXPECT_NEAR(qBlue(g.PixelAt(0, 0)), 128, 1);

    // 16 bits, 5-5-5.
    BmpSpec h;
    h.width = 1;
    h.height = 1;
    h.bits = 16;
    h.pixel = [](int, int) { return (31u << 10) | (0u << 5) | 31u; };
    CDIBitmap k;
    ASSERT_TRUE(k.LoadFromFile(Write("sixteen.bmp", MakeBmp(h))));
    EXPECT_EQ(k.GetBitCount(), 24);
    EXPECT_EQ(k.PixelAt(0, 0), qRgb(255, 0, 255));
}

TEST_F(DIBitmapTest, FailedLoadsKeepTheOldPicture) {
    BmpSpec s;
    s.width = 4;
    s.height = 4;
    s.pixel = [](int, int) { return 0x00FF00u; };
    const Bytes good = MakeBmp(s);
    CDIBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromFile(Write("good.bmp", good)));

    EXPECT_FALSE(bmp.LoadFromFile(""));
    EXPECT_FALSE(bmp.LoadFromFile(m_dir.path().toStdString() + "/missing.bmp"));
    Bytes cut(good.begin(), good.end() - 5);  // fewer rows than the height
    EXPECT_FALSE(bmp.LoadFromFile(Write("cut.bmp", cut)));
    EXPECT_FALSE(bmp.LoadFromFile(Write("text.bmp", Bytes{'h', 'e', 'l', 'l', 'o'})));
    Bytes huge = good;
    huge[18] = 0xFF, huge[19] = 0xFF, huge[20] = 0xFF, huge[21] = 0x7F;  // width 2^31 - 1
    EXPECT_FALSE(bmp.LoadFromFile(Write("huge.bmp", huge)));
    Bytes zero = good;
    zero[18] = zero[19] = zero[20] = zero[21] = 0;
    EXPECT_FALSE(bmp.LoadFromFile(Write("zero.bmp", zero)));
    Bytes offset = good;
    offset[10] = 0xF0, offset[11] = 0xFF, offset[12] = 0xFF, offset[13] = 0xFF;  // pixels past the end
    EXPECT_FALSE(bmp.LoadFromFile(Write("offset.bmp", offset)));
    Bytes rle = good;
    rle[30] = 1;  // run-length compression
    EXPECT_FALSE(bmp.LoadFromFile(Write("rle.bmp", rle)));

    ASSERT_FALSE(bmp.IsEmpty());
    EXPECT_EQ(bmp.GetWidth(), 4);
    EXPECT_EQ(bmp.PixelAt(3, 3), qRgb(0, 255, 0));
}

TEST_F(DIBitmapTest, DrawingStretchesAndAnEmptyPictureDrawsNothing) {
    BmpSpec s;
    s.width = 2;
    s.height = 1;
    s.pixel = [](int x, int) { return x == 0 ? 0xFF0000u : 0x0000FFu; };
    CDIBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromFile(Write("two.bmp", MakeBmp(s))));
    QImage target(20, 10, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
        QPainter p(&target);
        bmp.StretchDraw(&p, 0, 0, 20, 10);
        CDIBitmap empty;
        empty.StretchDraw(&p, 0, 0, 20, 10);  // leaves the picture as it is
        bmp.DrawAt(&p, 18, 9);
    }
    EXPECT_EQ(target.pixel(2, 5), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(15, 5), qRgb(0, 0, 255));
    EXPECT_EQ(target.pixel(18, 9), qRgb(255, 0, 0));  // natural size at (18, 9)

    bmp.Release();
    EXPECT_TRUE(bmp.IsEmpty());
    EXPECT_EQ(bmp.GetPalette(), nullptr);
    EXPECT_EQ(bmp.GetWidth(), 0);
}

}  // namespace
