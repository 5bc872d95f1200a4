// A device-independent bitmap read from a Windows BMP file: the 40-byte header with its colour table,
// bottom-up pixel rows padded to 4 bytes (8 bits per pixel or fewer kept as they are, everything deeper
// held as 24-bit), and a palette for pictures of 256 colours or fewer. Drawn through QPainter.
#pragma once

#include <QImage>
#include <QRgb>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QPainter;

namespace ksx {

class CDIBitmap;

// Memory the pictures of one panel may take once decoded (pixel rows and the drawable image). While one
// is alive on a thread it is that thread's current budget: every picture loaded there takes its share,
// and a picture that would pass the budget is refused and recorded instead of allocated. Budgets nest;
// without one only the per-picture limit applies.
class CPictureBudget {
public:
    static constexpr std::int64_t kPictureBytes = 64LL << 20;  // one picture, decoded
    static constexpr std::int64_t kPanelBytes = 256LL << 20;   // all pictures of one panel

    explicit CPictureBudget(std::int64_t bytes = kPanelBytes);
    ~CPictureBudget();
    CPictureBudget(const CPictureBudget&) = delete;
    CPictureBudget& operator=(const CPictureBudget&) = delete;

    static CPictureBudget* Current();
    bool Fits(std::int64_t bytes) const { return bytes <= m_left; }
    void Take(std::int64_t bytes) { m_left -= bytes; }
    std::int64_t Left() const { return m_left; }
    void Refuse(const std::string& what) { m_refused.push_back(what); }
    // The pictures refused for size, with the reason.
    const std::vector<std::string>& Refused() const { return m_refused; }

private:
    std::int64_t m_left;
    std::vector<std::string> m_refused;
    CPictureBudget* m_previous;
};

// The logical palette of a picture with a colour table: one entry per colour, red, green, blue.
class CBmpPalette {
public:
    explicit CBmpPalette(const CDIBitmap& picture);
    int GetEntryCount() const { return static_cast<int>(m_entries.size()); }
    const std::vector<QRgb>& Entries() const { return m_entries; }

private:
    std::vector<QRgb> m_entries;
};

class CDIBitmap {
public:
    static constexpr int kHeaderSize = 40;

    CDIBitmap() = default;
    virtual ~CDIBitmap();
    CDIBitmap(const CDIBitmap&) = delete;
    CDIBitmap& operator=(const CDIBitmap&) = delete;

    // Loads a BMP file (1, 4, 8, 16, 24 or 32 bits per pixel; bottom-up or top-down; uncompressed or
    // bit-field). False for an empty name or a file that is not a readable bitmap, for a picture over
    // CPictureBudget::kPictureBytes or the current budget, and when its memory cannot be had; the
    // picture then keeps what it held.
    bool LoadFromFile(const std::string& fileName);
    // The same from bytes in memory (a whole BMP file).
    bool LoadFromMemory(const std::uint8_t* data, std::size_t size);

    // Draws the whole picture stretched into the rectangle; nothing while empty.
    virtual void StretchDraw(QPainter* dc, int x, int y, int width, int height) const;
    // StretchDraw at the picture's own size.
    virtual void DrawAt(QPainter* dc, int x, int y) const;
    // Frees header, rows and palette; the picture is empty afterwards.
    void Release();

    bool IsEmpty() const { return m_header.empty() || m_bits.empty(); }
    // The header block (40 bytes + 4 per colour), empty while the picture is.
    const std::vector<std::uint8_t>& GetHeader() const { return m_header; }
    // The colour table (blue, green, red, reserved per entry), or null when there is none.
    const std::uint8_t* GetColorTable() const;
    const std::vector<std::uint8_t>& GetBits() const { return m_bits; }
    int GetWidth() const;
    int GetHeight() const;
    int GetBitCount() const;
    // Used-colour count of the header when not 0, else 2 to the power of the bit count (0 above 8 bits).
    int GetNumColors() const;
    // Bytes per pixel row (padded to 4).
    int GetRowBytes() const;
    const CBmpPalette* GetPalette() const { return m_palette.get(); }
    // The colour of one pixel (x from the left, y from the top); 0 outside the picture.
    QRgb PixelAt(int x, int y) const;
    // The picture as an image (cached; null image while empty).
    const QImage& Image() const { return m_image; }

private:
    bool Decode(const std::uint8_t* data, std::size_t size, const std::string& name);
    static QImage BuildImage(const std::vector<std::uint8_t>& header, const std::vector<std::uint8_t>& bits);

    std::vector<std::uint8_t> m_header;
    std::vector<std::uint8_t> m_bits;
    std::unique_ptr<CBmpPalette> m_palette;
    QImage m_image;
};

}  // namespace ksx
