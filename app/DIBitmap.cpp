#include "app/DIBitmap.h"

#include <QPainter>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace ksx {

namespace {

// Pictures larger than this are refused rather than allocated.
constexpr std::int64_t kMaxPixels = 64LL * 1024 * 1024;

thread_local CPictureBudget* t_currentBudget = nullptr;

std::uint32_t U16(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8);
}
std::uint32_t U32(const std::uint8_t* p) {
    return U16(p) | (U16(p + 2) << 16);
}
void Put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
    Put16(p, v & 0xFFFFu);
    Put16(p + 2, v >> 16);
}

int RowBytes(int width, int bits) {
    return static_cast<int>(((static_cast<std::int64_t>(width) * bits + 31) / 32) * 4);
}

// One colour channel taken through a bit-field mask and scaled to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit Channel(std::uint32_t m = 0) : mask(m) {
        if (m == 0) {
            return;
        }
        while (((m >> shift) & 1u) == 0) {
            ++shift;
        }
        while (shift + bits < 32 && ((m >> (shift + bits)) & 1u) != 0) {
            ++bits;
        }
    }
    std::uint8_t Get(std::uint32_t px) const {
        if (bits == 0) {
            return 0;
        }
        const std::uint32_t v = (px & mask) >> shift;
        const std::uint32_t max = (bits >= 32) ? 0xFFFFFFFFu : ((1u << bits) - 1u);
        return static_cast<std::uint8_t>((static_cast<std::uint64_t>(v) * 255u + max / 2) / max);
    }
};

// One pixel (x from the left, y from the top) of held rows and their header; 0 outside the picture.
QRgb Pixel(const std::vector<std::uint8_t>& header, const std::vector<std::uint8_t>& bitsHeld, int x, int y) {
    const int w = static_cast<int>(U32(header.data() + 4));
    const int h = static_cast<int>(U32(header.data() + 8));
    if (x < 0 || y < 0 || x >= w || y >= h) {
        return 0;
    }
    const int bits = static_cast<int>(U16(header.data() + 14));
    const std::uint8_t* row = bitsHeld.data() + static_cast<std::size_t>(h - 1 - y) * RowBytes(w, bits);
    if (bits > 8) {
        const std::uint8_t* p = row + 3 * x;
        return qRgb(p[2], p[1], p[0]);
    }
    const int perByte = 8 / bits;
    const int shift = 8 - bits * (x % perByte + 1);
    const int index = (row[x / perByte] >> shift) & ((1 << bits) - 1);
    const std::uint8_t* q = header.data() + CDIBitmap::kHeaderSize + 4 * index;
    return qRgb(q[2], q[1], q[0]);
}

}  // namespace

CBmpPalette::CBmpPalette(const CDIBitmap& picture) {
    const std::uint8_t* table = picture.GetColorTable();
    const int count = picture.GetNumColors();
    if (table == nullptr || count <= 0) {
        return;
    }
    const std::size_t available = (picture.GetHeader().size() - CDIBitmap::kHeaderSize) / 4;
    const int n = std::min<int>(count, static_cast<int>(available));
    m_entries.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const std::uint8_t* q = table + 4 * i;  // blue, green, red, reserved
        m_entries.push_back(qRgb(q[2], q[1], q[0]));
    }
}

CPictureBudget::CPictureBudget(std::int64_t bytes) : m_left(bytes), m_previous(t_currentBudget) {
    t_currentBudget = this;
}

CPictureBudget::~CPictureBudget() {
    t_currentBudget = m_previous;
}

CPictureBudget* CPictureBudget::Current() {
    return t_currentBudget;
}

CDIBitmap::~CDIBitmap() = default;

bool CDIBitmap::LoadFromFile(const std::string& fileName) {
    if (fileName.empty()) {
        return false;
    }
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    // A file longer than a picture may take decoded holds no picture that would be accepted.
    if (size <= 0 || size > CPictureBudget::kPictureBytes) {
        if (size > 0 && CPictureBudget::Current() != nullptr) {
            CPictureBudget::Current()->Refuse(fileName + ": file too large");
        }
        return false;
    }
    try {
        in.seekg(0, std::ios::beg);
        std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
        if (!in.read(reinterpret_cast<char*>(data.data()), size)) {
            return false;
        }
        return Decode(data.data(), data.size(), fileName);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CDIBitmap::LoadFromMemory(const std::uint8_t* data, std::size_t size) {
    try {
        return Decode(data, size, "picture");
    } catch (const std::bad_alloc&) {
        return false;  // its memory could not be had: refused like a picture too large
    }
}

bool CDIBitmap::Decode(const std::uint8_t* data, std::size_t size, const std::string& name) {
    if (data == nullptr || size < 14 + 12 || data[0] != 'B' || data[1] != 'M') {
        return false;
    }
    const std::uint32_t offBits = U32(data + 10);
    const std::uint8_t* ih = data + 14;
    const std::uint32_t ihSize = U32(ih);
    if (ihSize < 12 || 14 + static_cast<std::uint64_t>(ihSize) > size) {
        return false;
    }
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t planes = 1;
    std::uint32_t bits = 0;
    std::uint32_t compression = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t masks[3] = {0, 0, 0};
    int paletteEntrySize = 4;
    if (ihSize == 12) {  // OS/2 core header
        width = U16(ih + 4);
        height = static_cast<std::int16_t>(U16(ih + 6));
        planes = U16(ih + 8);
        bits = U16(ih + 10);
        paletteEntrySize = 3;
    } else {
        if (ihSize < 40) {
            return false;
        }
        width = static_cast<std::int32_t>(U32(ih + 4));
        height = static_cast<std::int32_t>(U32(ih + 8));
        planes = U16(ih + 12);
        bits = U16(ih + 14);
        compression = U32(ih + 16);
        clrUsed = U32(ih + 32);
        if (compression == 3 || compression == 6) {  // bit fields: in the header or right after it
            const std::uint8_t* m = (ihSize >= 52) ? ih + 40 : ih + ihSize;
            if (m + 12 > data + size) {
                return false;
            }
            for (int i = 0; i < 3; ++i) {
                masks[i] = U32(m + 4 * i);
            }
        }
    }
    const bool topDown = height < 0;
    if (topDown) {
        height = -height;
    }
    if (width <= 0 || height <= 0 || width * height > kMaxPixels) {
        return false;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return false;
    }
    if (compression != 0 && !((compression == 3 || compression == 6) && (bits == 16 || bits == 32))) {
        return false;  // run-length and embedded JPEG/PNG pictures are not read
    }
    if (compression == 0 && bits == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (compression == 0 && bits == 32) {
        masks[0] = 0x00FF0000;
        masks[1] = 0x0000FF00;
        masks[2] = 0x000000FF;
    }

    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    const int srcRow = RowBytes(w, static_cast<int>(bits));
    if (offBits > size || static_cast<std::uint64_t>(srcRow) * h > size - offBits) {
        return false;  // fewer rows in the file than the height
    }
    const std::uint8_t* pixels = data + offBits;

    // Colour table of the file (pictures of 8 bits or fewer).
    const int colours = (bits <= 8) ? (1 << bits) : 0;
    std::vector<std::uint8_t> header(kHeaderSize + 4 * static_cast<std::size_t>(colours), 0);
    if (colours > 0) {
        const std::uint8_t* table = ih + ihSize;
        int inFile = (clrUsed != 0 && clrUsed < static_cast<std::uint32_t>(colours))
                         ? static_cast<int>(clrUsed)
                         : colours;
        const std::uint8_t* tableEnd = table + static_cast<std::size_t>(inFile) * paletteEntrySize;
        if (table > data + size || tableEnd > data + size) {
            inFile = static_cast<int>((data + size - std::min(table, data + size)) / paletteEntrySize);
        }
        for (int i = 0; i < inFile; ++i) {
            const std::uint8_t* q = table + static_cast<std::size_t>(i) * paletteEntrySize;
            std::uint8_t* d = header.data() + kHeaderSize + 4 * i;
            d[0] = q[0];
            d[1] = q[1];
            d[2] = q[2];
            d[3] = 0;
        }
    }

    const int outBits = (bits <= 8) ? static_cast<int>(bits) : 24;
    const int outRow = RowBytes(w, outBits);
    // What the picture takes once decoded: its rows and the 32-bit image it is drawn from.
    const std::int64_t cost = static_cast<std::int64_t>(outRow) * h + width * height * 4;
    CPictureBudget* budget = CPictureBudget::Current();
    if (cost > CPictureBudget::kPictureBytes || (budget != nullptr && !budget->Fits(cost))) {
        if (budget != nullptr) {
            budget->Refuse(name + ": " + std::to_string(w) + " x " + std::to_string(h) +
                           (cost > CPictureBudget::kPictureBytes ? " is too large"
                                                                 : " passes the panel's picture budget"));
        }
        return false;
    }
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(outRow) * h, 0);
    const Channel red(masks[0]);
    const Channel green(masks[1]);
    const Channel blue(masks[2]);
    for (int y = 0; y < h; ++y) {
        // Held bottom-up: row 0 is the picture's bottom line.
        const int srcY = topDown ? (h - 1 - y) : y;
        const std::uint8_t* s = pixels + static_cast<std::size_t>(srcY) * srcRow;
        std::uint8_t* d = rows.data() + static_cast<std::size_t>(y) * outRow;
        if (bits <= 8) {
            std::memcpy(d, s, static_cast<std::size_t>(outRow));
        } else if (bits == 24) {
            std::memcpy(d, s, static_cast<std::size_t>(w) * 3);
        } else {
            for (int x = 0; x < w; ++x) {
                const std::uint32_t px = (bits == 16) ? U16(s + 2 * x) : U32(s + 4 * x);
                d[3 * x] = blue.Get(px);
                d[3 * x + 1] = green.Get(px);
                d[3 * x + 2] = red.Get(px);
            }
        }
    }

    std::uint8_t* hd = header.data();
    Put32(hd, kHeaderSize);
    Put32(hd + 4, static_cast<std::uint32_t>(w));
    Put32(hd + 8, static_cast<std::uint32_t>(h));
    Put16(hd + 12, planes);
    Put16(hd + 14, static_cast<std::uint32_t>(outBits));
    Put32(hd + 16, 0);
    Put32(hd + 20, static_cast<std::uint32_t>(rows.size()));

    // The image is built before anything is replaced: a picture whose memory cannot be had leaves the
    // old one in place.
    QImage image = BuildImage(header, rows);
    if (image.isNull()) {
        return false;
    }
    std::unique_ptr<CBmpPalette> palette;
    m_header.swap(header);
    m_bits.swap(rows);
    if (outBits <= 8) {
        palette = std::make_unique<CBmpPalette>(*this);
    }
    m_palette = std::move(palette);
    m_image = std::move(image);
    if (budget != nullptr) {
        budget->Take(cost);
    }
    return true;
}

QImage CDIBitmap::BuildImage(const std::vector<std::uint8_t>& header, const std::vector<std::uint8_t>& bits) {
    const int w = static_cast<int>(U32(header.data() + 4));
    const int h = static_cast<int>(U32(header.data() + 8));
    QImage img(w, h, QImage::Format_RGB32);
    if (!img.isNull()) {
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < w; ++x) {
                line[x] = Pixel(header, bits, x, y);
            }
        }
    }
    return img;
}

const std::uint8_t* CDIBitmap::GetColorTable() const {
    if (m_header.size() <= static_cast<std::size_t>(kHeaderSize)) {
        return nullptr;
    }
    return m_header.data() + kHeaderSize;
}

int CDIBitmap::GetWidth() const {
    return m_header.empty() ? 0 : static_cast<int>(U32(m_header.data() + 4));
}
int CDIBitmap::GetHeight() const {
    return m_header.empty() ? 0 : static_cast<int>(U32(m_header.data() + 8));
}
int CDIBitmap::GetBitCount() const {
    return m_header.empty() ? 0 : static_cast<int>(U16(m_header.data() + 14));
}
int CDIBitmap::GetNumColors() const {
    if (m_header.empty()) {
        return 0;
    }
    const std::uint32_t used = U32(m_header.data() + 32);
    if (used != 0) {
        return static_cast<int>(used);
    }
    const int bits = GetBitCount();
    return bits <= 8 ? (1 << bits) : 0;
}
int CDIBitmap::GetRowBytes() const {
    return RowBytes(GetWidth(), GetBitCount());
}

QRgb CDIBitmap::PixelAt(int x, int y) const {
    if (IsEmpty()) {
        return 0;
    }
    return Pixel(m_header, m_bits, x, y);
}

void CDIBitmap::StretchDraw(QPainter* dc, int x, int y, int width, int height) const {
    if (dc == nullptr || IsEmpty() || m_image.isNull()) {
        return;
    }
    // Palettes need no realising here: colours are true colour on every surface.
    dc->drawImage(QRect(x, y, width, height), m_image);
}

void CDIBitmap::DrawAt(QPainter* dc, int x, int y) const {
    StretchDraw(dc, x, y, GetWidth(), GetHeight());
}

void CDIBitmap::Release() {
    m_header.clear();
    m_header.shrink_to_fit();
    m_bits.clear();
    m_bits.shrink_to_fit();
    m_palette.reset();
    m_image = QImage();
}

}  // namespace ksx
