// Draws the front-panel pictures and writes the panel descriptions:
//   res/panels/<model>.xml and .bmp   the panel description and background picture of each model
//   res/panels/*.bmp                  the port pictures of every port state
//   res/bitmaps/<number>.bmp          the overlay bitmaps of the bitmap store
//   app/MyBitmapApp.inc               the overlay bitmaps as bytes, compiled into the module
//
// Build and run from the repository root (needs only Qt 6 Gui):
//   g++ -std=c++20 -O1 -fPIC res/tools/draw_panels.cpp -o /tmp/draw_panels $(pkg-config --cflags --libs
//   Qt6Gui) QT_QPA_PLATFORM=offscreen /tmp/draw_panels .
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

std::string g_root;

// ---- BMP writing (24 bits per pixel, bottom-up) ----

void Put16(std::vector<unsigned char>& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<unsigned char>& b, unsigned v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

std::vector<unsigned char> Bmp24(const QImage& src) {
    const QImage img = src.convertToFormat(QImage::Format_RGB32);
    const int w = img.width();
    const int h = img.height();
    const int row = ((w * 24 + 31) / 32) * 4;
    std::vector<unsigned char> b;
    b.reserve(54 + row * h);
    b.push_back('B');
    b.push_back('M');
    Put32(b, 54 + row * h);
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, w);
    Put32(b, h);
    Put16(b, 1);
    Put16(b, 24);
    Put32(b, 0);
    Put32(b, row * h);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, 0);
    Put32(b, 0);
    for (int y = h - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        int n = 0;
        for (int x = 0; x < w; ++x) {
            b.push_back(qBlue(line[x]));
            b.push_back(qGreen(line[x]));
            b.push_back(qRed(line[x]));
            n += 3;
        }
        for (; n < row; ++n) {
            b.push_back(0);
        }
    }
    return b;
}

void WriteFile(const std::string& rel, const std::string& data) {
    QFile f(QString::fromStdString(g_root + "/" + rel));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", rel.c_str());
        std::exit(1);
    }
    f.write(data.data(), static_cast<qint64>(data.size()));
}

void WriteBmp(const std::string& rel, const QImage& img) {
    const auto b = Bmp24(img);
    WriteFile(rel, std::string(b.begin(), b.end()));
}

// ---- Colours ----

const QColor kLedWindow(0x18, 0x19, 0x1b);
const QColor kText(0xe4, 0xe7, 0xeb);
const QColor kTextDim(0xa9, 0xae, 0xb5);

QFont Font(int px, bool bold = false) {
    QFont f("DejaVu Sans");
    f.setPixelSize(px);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

QImage NewImage(int w, int h, QColor fill = Qt::black) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

// An LED window (dark, bevelled) of an indicator.
void LedWindow(QPainter& p, QRect r) {
    p.fillRect(r, kLedWindow);
    p.setPen(QColor(0x0c, 0x0c, 0x0d));
    p.drawLine(r.topLeft(), r.topRight());
    p.setPen(QColor(0x55, 0x58, 0x5d));
    p.drawLine(r.bottomLeft() + QPoint(0, 1), r.bottomRight() + QPoint(0, 1));
}

// A lit or unlit LED of w x h: a rounded lens with a highlight.
QImage Led(int w, int h, QColor colour, bool lit, bool highlightTop = true) {
    QImage img = NewImage(w, h, kLedWindow);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor body = lit ? colour : colour.darker(420);
    QLinearGradient g(0, 0, 0, h);
    if (highlightTop) {
        g.setColorAt(0, lit ? body.lighter(150) : body.lighter(130));
        g.setColorAt(1, body);
    } else {
        g.setColorAt(0, body);
        g.setColorAt(1, lit ? body.lighter(150) : body.lighter(130));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1.0, h - 1.0), 1.5, 1.5);
    if (lit) {
        p.setBrush(QColor(255, 255, 255, 70));
        p.drawEllipse(QRectF(w * 0.2, highlightTop ? 0.8 : h - 2.4, w * 0.35, 1.6));
    }
    return img;
}

// ---- Port pictures ----

enum PortLook { kEmptyJack, kPlugged, kDisabled, kCovered };

// RJ45 jack of w x h with its two LED windows; tabUp for the top row (LEDs at the top).
QImage Rj45(int w, int h, bool tabUp, PortLook look) {
    QImage img = NewImage(w, h);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        // Metal shield.
        QLinearGradient g(0, 0, 0, h);
        g.setColorAt(0, QColor(0xd3, 0xd7, 0xdb));
        g.setColorAt(0.5, QColor(0xa9, 0xae, 0xb4));
        g.setColorAt(1, QColor(0x86, 0x8b, 0x92));
        p.fillRect(0, 0, w, h, QColor(0x2e, 0x30, 0x34));
        p.setPen(QColor(0x5c, 0x60, 0x66));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(0.5, 0.5, w - 1.0, h - 1.0), 2, 2);
        p.setRenderHint(QPainter::Antialiasing, false);
        // LED windows at the two corners (8 x 5).
        const int ledW = 8;
        const int ledH = 5;
        LedWindow(p, QRect(3, 2, ledW, ledH));
        LedWindow(p, QRect(w - 3 - ledW, 2, ledW, ledH));
        // Opening with the latch notch between the LEDs.
        const QRect opening(3, ledH + 4, w - 6, h - ledH - 7);
        const QRect notch(w / 2 - 4, 3, 8, ledH + 2);
        QColor hole = look == kDisabled ? QColor(0x2c, 0x12, 0x12) : QColor(0x0e, 0x0e, 0x10);
        p.fillRect(opening, hole);
        p.fillRect(notch, hole);
        p.setPen(QColor(0x4a, 0x4d, 0x52));
        p.drawLine(opening.topLeft(), QPoint(notch.left() - 1, opening.top()));
        p.drawLine(QPoint(notch.right() + 1, opening.top()), opening.topRight());
        if (look == kPlugged) {
            // Plug face: blue-grey boot with the latch in the notch and its gold contacts.
            const QRect face = opening.adjusted(1, 1, -1, -1);
            QLinearGradient pg(0, face.top(), 0, face.bottom());
            pg.setColorAt(0, QColor(0x9e, 0xc3, 0xd8));
            pg.setColorAt(1, QColor(0x5f, 0x8a, 0xa3));
            p.fillRect(face, pg);
            p.fillRect(notch.adjusted(1, 1, -1, 0), QColor(0x4e, 0x74, 0x8a));
            p.setPen(QColor(0xd9, 0xb5, 0x3a));
            const int y = face.bottom() - 2;
            for (int i = 0; i < 8; ++i) {
                const int x = face.left() + 2 + i * (face.width() - 4) / 8;
                p.drawLine(x, y - 2, x, y);
            }
        } else {
            // Gold contacts along the far side of the opening.
            p.setPen(QColor(0xc9, 0xa2, 0x27));
            const int y = opening.bottom() - 1;
            for (int i = 0; i < 8; ++i) {
                const int x = opening.left() + 3 + i * (opening.width() - 5) / 8;
                p.drawLine(x, y - 3, x, y);
            }
        }
    }
    return tabUp ? img : img.mirrored(false, true);
}

// SFP cage of w x h with one LED window beside it (top row: above the cage).
QImage Sfp(int w, int h, bool top, PortLook look) {
    QImage img = NewImage(w, h, QColor(0x2e, 0x30, 0x34));
    {
        QPainter p(&img);
        const int ledH = 5;
        // The lamp window sits at the same place as the RJ45 one: (3, 2).
        LedWindow(p, QRect(3, 2, 8, ledH));
        p.setFont(Font(6));
        p.setPen(kTextDim);
        const QRect cage(0, ledH + 3, w, h - ledH - 3);
        QLinearGradient g(0, cage.top(), 0, cage.bottom());
        g.setColorAt(0, QColor(0xcf, 0xd3, 0xd8));
        g.setColorAt(1, QColor(0x8c, 0x91, 0x98));
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(0x5c, 0x60, 0x66));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(cage).adjusted(0.5, 0.5, -0.5, -0.5), 1.5, 1.5);
        p.setRenderHint(QPainter::Antialiasing, false);
        const QRect mouth = cage.adjusted(3, 3, -3, -3);
        p.fillRect(mouth, look == kDisabled ? QColor(0x2c, 0x12, 0x12) : QColor(0x0f, 0x10, 0x12));
        if (look == kPlugged) {
            // Module with a duplex LC connector and its pull tab.
            const QRect face = mouth.adjusted(1, 1, -1, -1);
            p.fillRect(face, QColor(0xb8, 0xbe, 0xc5));
            const int lcW = std::max(4, face.width() / 5);
            const int lcH = std::max(4, face.height() - 4);
            const int cy = face.top() + (face.height() - lcH) / 2;
            p.fillRect(QRect(face.left() + face.width() / 2 - lcW - 2, cy, lcW, lcH),
                       QColor(0x2f, 0x6f, 0xc4));
            p.fillRect(QRect(face.left() + face.width() / 2 + 2, cy, lcW, lcH), QColor(0x2f, 0x6f, 0xc4));
            p.fillRect(QRect(face.left() + 1, face.top() + 1, 3, face.height() - 2),
                       QColor(0x2a, 0x2c, 0x30));
        } else if (look == kCovered) {
            const QRect cover = mouth.adjusted(1, 1, -1, -1);
            p.fillRect(cover, QColor(0x1f, 0x20, 0x22));
            p.setPen(QColor(0x3a, 0x3c, 0x40));
            p.drawRect(cover.adjusted(2, 2, -3, -3));
        } else {
            p.setPen(QColor(0x3b, 0x3e, 0x43));
            p.drawLine(mouth.left() + 2, mouth.top() + 2, mouth.right() - 2, mouth.top() + 2);
        }
    }
    return top ? img : img.mirrored(false, true);
}

// ---- Panels ----

struct PortSpec {
    int number;
    bool sfp;
    QRect rect;
};

struct Model {
    std::string file;  // base name
    std::string name;  // device name
    int width;
    int height;
    int copper;  // RJ45 ports
    int fibre;   // SFP ports
    int jackW, jackH, pitch, groupGap, groupCols, firstX, topY, rowGap;
    int sfpW, sfpH, sfpPitch, sfpX;
    int consoleX;
    bool poe;
    bool fan;
    std::string subtitle;
};

std::vector<PortSpec> Layout(const Model& m) {
    std::vector<PortSpec> ports;
    const int cols = m.copper / 2;
    for (int c = 0; c < cols; ++c) {
        const int x = m.firstX + c * m.pitch + (c / m.groupCols) * m.groupGap;
        ports.push_back({2 * c + 1, false, QRect(x, m.topY, m.jackW, m.jackH)});
        ports.push_back({2 * c + 2, false, QRect(x, m.topY + m.jackH + m.rowGap, m.jackW, m.jackH)});
    }
    for (int c = 0; c < m.fibre / 2; ++c) {
        const int x = m.sfpX + c * m.sfpPitch;
        ports.push_back({m.copper + 2 * c + 1, true, QRect(x, m.topY, m.sfpW, m.sfpH)});
        ports.push_back({m.copper + 2 * c + 2, true, QRect(x, m.topY + m.sfpH + m.rowGap, m.sfpW, m.sfpH)});
    }
    return ports;
}

QRect ConsoleRect(const Model& m) {
    return QRect(m.consoleX, m.topY + (m.jackH + m.rowGap) / 2 + 4, m.jackW, m.jackH);
}

void Label(QPainter& p, const QRect& r, const QString& text, int px, QColor c = kText, bool bold = false,
           int flags = Qt::AlignCenter) {
    p.setFont(Font(px, bold));
    p.setPen(c);
    p.drawText(r, flags, text);
}

void Screw(QPainter& p, int cx, int cy) {
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(cx - 1, cy - 1, 4);
    g.setColorAt(0, QColor(0xd0, 0xd3, 0xd6));
    g.setColorAt(1, QColor(0x6a, 0x6e, 0x74));
    p.setPen(QColor(0x1e, 0x1f, 0x22));
    p.setBrush(g);
    p.drawEllipse(QPointF(cx, cy), 3.5, 3.5);
    p.setPen(QColor(0x3a, 0x3c, 0x40));
    p.drawLine(QPointF(cx - 2, cy), QPointF(cx + 2, cy));
    p.setRenderHint(QPainter::Antialiasing, false);
}

QImage Background(const Model& m) {
    QImage img = NewImage(m.width, m.height);
    QPainter p(&img);
    // Chassis face: brushed dark grey with a lit top edge and a dark bottom edge.
    QLinearGradient g(0, 0, 0, m.height);
    g.setColorAt(0, QColor(0x56, 0x5a, 0x60));
    g.setColorAt(0.08, QColor(0x45, 0x49, 0x4f));
    g.setColorAt(0.9, QColor(0x36, 0x39, 0x3e));
    g.setColorAt(1, QColor(0x26, 0x28, 0x2b));
    p.fillRect(img.rect(), g);
    for (int y = 3; y < m.height - 3; y += 2) {
        p.setPen(QColor(255, 255, 255, (y / 2) % 3 == 0 ? 6 : 3));
        p.drawLine(2, y, m.width - 3, y);
    }
    p.setPen(QColor(0x7a, 0x7e, 0x84));
    p.drawLine(0, 0, m.width - 1, 0);
    p.setPen(QColor(0x18, 0x19, 0x1b));
    p.drawRect(0, 0, m.width - 1, m.height - 1);
    Screw(p, 6, 10);
    Screw(p, 6, m.height - 11);
    Screw(p, m.width - 7, 10);
    Screw(p, m.width - 7, m.height - 11);

    // Left: model name, indicators.
    Label(p, QRect(12, 6, 140, 16), QString::fromStdString(m.name), 12, kText, true,
          Qt::AlignLeft | Qt::AlignVCenter);
    if (m.name == "KSX-4200-28P") {
        LedWindow(p, QRect(12, 42, 10, 6));
        Label(p, QRect(26, 39, 60, 11), "PoE MAX", 8, kTextDim, false, Qt::AlignLeft | Qt::AlignVCenter);
        LedWindow(p, QRect(30, 52, 10, 6));
        Label(p, QRect(44, 49, 40, 11), "LINK", 8, kTextDim, false, Qt::AlignLeft | Qt::AlignVCenter);
        LedWindow(p, QRect(30, 62, 10, 6));
        Label(p, QRect(44, 59, 40, 11), "PoE", 8, kTextDim, false, Qt::AlignLeft | Qt::AlignVCenter);
        LedWindow(p, QRect(13, 62, 10, 6));
        Label(p, QRect(8, 69, 22, 10), "FAN", 7, kTextDim);
        Label(p, QRect(30, 69, 60, 10), "LED MODE", 7, kTextDim, false, Qt::AlignLeft | Qt::AlignVCenter);
    } else if (m.name == "KSX-4200-52") {
        LedWindow(p, QRect(38, 33, 10, 6));
        Label(p, QRect(52, 30, 40, 11), "FAN", 8, kTextDim, false, Qt::AlignLeft | Qt::AlignVCenter);
    } else {
        Label(p, QRect(13, 26, 140, 12), QString::fromStdString(m.subtitle), 8, kTextDim, false,
              Qt::AlignLeft | Qt::AlignVCenter);
    }
    // Power and system LEDs (lit: the switch is running while it is managed).
    const int ledY = m.height - 40;
    const QImage pwr = Led(10, 6, QColor(0x35, 0xe0, 0x4a), true);
    p.drawImage(14, ledY, pwr);
    Label(p, QRect(28, ledY - 3, 30, 11), "PWR", 8, kTextDim, false, Qt::AlignLeft | Qt::AlignVCenter);
    p.drawImage(62, ledY, pwr);
    Label(p, QRect(76, ledY - 3, 30, 11), "SYS", 8, kTextDim, false, Qt::AlignLeft | Qt::AlignVCenter);
    if (m.poe) {
        Label(p, QRect(12, m.height - 26, 130, 12), m.subtitle.c_str(), 8, QColor(0xf0, 0x9a, 0x3e), true,
              Qt::AlignLeft | Qt::AlignVCenter);
    } else if (m.name == "KSX-4200-52") {
        Label(p, QRect(12, m.height - 26, 130, 12), m.subtitle.c_str(), 8, kTextDim, false,
              Qt::AlignLeft | Qt::AlignVCenter);
    }

    // Port blocks: a recessed tray behind each group with the numbers above and below.
    const auto ports = Layout(m);
    std::map<int, QRect> trays;
    for (const auto& ps : ports) {
        const int group = ps.sfp ? 1000 : ((ps.number - 1) / 2) / m.groupCols;
        trays[group] = trays[group].isNull() ? ps.rect : trays[group].united(ps.rect);
    }
    for (const auto& [group, r] : trays) {
        const QRect tray = r.adjusted(-5, -15, 5, 15);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(0x1d, 0x1e, 0x21));
        p.setBrush(QColor(0x2e, 0x30, 0x34));
        p.drawRoundedRect(QRectF(tray).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QColor(0x5a, 0x5e, 0x64));
        p.drawLine(tray.left() + 3, tray.bottom() + 1, tray.right() - 3, tray.bottom() + 1);
        (void)group;
    }
    const QColor numberColour = m.poe ? QColor(0xf2, 0xb0, 0x6a) : kText;
    for (const auto& ps : ports) {
        const bool topRow = (ps.number % 2) == 1;
        const QRect numberBox =
            topRow ? QRect(ps.rect.left() - 4, ps.rect.top() - 14, ps.rect.width() + 8, 12)
                   : QRect(ps.rect.left() - 4, ps.rect.bottom() + 2, ps.rect.width() + 8, 12);
        Label(p, numberBox, QString::number(ps.number), m.jackW >= 32 ? 9 : 8, ps.sfp ? kText : numberColour,
              true);
    }
    // Group captions.
    const QRect copperTray = trays[0].united(trays[(m.copper / 2 - 1) / m.groupCols]);
    Label(p, QRect(copperTray.left(), 4, copperTray.width(), 14),
          m.poe ? "10/100BASE-TX   PoE+ 802.3at" : (m.copper > 24 ? "10/100/1000BASE-T" : "10/100BASE-TX"), 9,
          m.poe ? QColor(0xf0, 0x9a, 0x3e) : kTextDim, true);
    const QRect sfpTray = trays[1000];
    Label(p, QRect(sfpTray.left() - 10, 4, sfpTray.width() + 20, 14), "SFP 1000BASE-X", 9, kTextDim, true);
    Label(p, QRect(sfpTray.left() - 10, m.height - 18, sfpTray.width() + 20, 12), "GbE", 8, kTextDim);

    // Console port and vents on the right.
    const QRect console = ConsoleRect(m);
    Label(p, QRect(console.left() - 14, console.top() - 16, console.width() + 28, 12), "CONSOLE", 8, kTextDim,
          true);
    p.setPen(QColor(0x1d, 0x1e, 0x21));
    p.setBrush(QColor(0x2e, 0x30, 0x34));
    p.drawRect(console.adjusted(-3, -3, 2, 2));
    p.drawImage(console.topLeft(), Rj45(m.jackW, m.jackH, true, kEmptyJack));
    const int ventX = console.right() + 24;
    const int ventW = m.width - 18 - ventX;
    for (int y = 26; y + 6 < m.height - 22; y += 9) {
        for (int x = ventX; x + 6 <= ventX + ventW; x += 10) {
            p.fillRect(QRect(x, y, 6, 5), QColor(0x14, 0x15, 0x17));
            p.setPen(QColor(0x5a, 0x5e, 0x64));
            p.drawLine(x, y + 5, x + 5, y + 5);
        }
    }
    return img;
}

std::string Field(const char* tag, const std::string& value) {
    return std::string("<") + tag + ">" + value + "</" + tag + ">";
}

std::string RectFields(const QRect& r) {
    return Field("LEFT", std::to_string(r.left())) + Field("TOP", std::to_string(r.top())) +
           Field("WIDTH", std::to_string(r.width())) + Field("HEIGHT", std::to_string(r.height()));
}

std::string PortPrefix(const Model& m, bool sfp) {
    if (sfp) {
        return m.sfpW >= 44 ? "sfp" : "sfps";
    }
    return m.jackW >= 32 ? "rj45" : "rj45s";
}

std::string Xml(const Model& m) {
    std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    x += "<!-- Front panel of the " + m.name + ": background picture, ports in port order, console. -->\n";
    x += "<DEVICE>\n";
    x += "  <DEVICEPANEL PORTS=\"PORTLIST\" PARTS=\"PARTLIST\">\n";
    x += "    " + Field("ID", m.name) + RectFields(QRect(60, 60, m.width, m.height)) + "\n";
    x += "    " + Field("BMP", m.file + ".bmp") + Field("NAME", m.name) + "\n";
    x += "    <PORTLIST>\n";
    for (const auto& ps : Layout(m)) {
        const bool top = (ps.number % 2) == 1;
        const std::string pre = PortPrefix(m, ps.sfp) + (top ? "_top_" : "_bottom_");
        // The lamp sits in the port's left LED window (the top row's at its top, the bottom row's at
        // its bottom).
        const QRect lamp = top ? QRect(ps.rect.left() + 3, ps.rect.top() + 2, 8, 5)
                               : QRect(ps.rect.left() + 3, ps.rect.bottom() - 6, 8, 5);
        x += "      <PORT LAMPS=\"LAMPLIST\">";
        x += Field("ID", std::to_string(ps.number)) + RectFields(ps.rect);
        x += Field("STATUS", "PORTENABLE") + Field("NAME", "Port " + std::to_string(ps.number));
        x += Field("BMPLINK100", pre + "link.bmp") + Field("BMPLINK10", pre + "link.bmp");
        x += Field("BMPDISABLE", pre + "disabled.bmp") + Field("BMPENABLE", pre + "down.bmp");
        x += Field("BMPEMPTY", pre + (ps.sfp ? "empty.bmp" : "down.bmp"));
        x += "<LAMPLIST><LAMP>" + Field("ID", "0") + RectFields(lamp) + Field("STATUS", "LAMPOFF") +
             Field("TYPE", "LINK") + "</LAMP></LAMPLIST>";
        x += "</PORT>\n";
    }
    x += "    </PORTLIST>\n";
    x += "    <PARTLIST>\n";
    x += "      <CONSOLE>" + Field("ID", "console") + RectFields(ConsoleRect(m)) + Field("NAME", "Console") +
         "</CONSOLE>\n";
    x += "      <POWER>" + Field("ID", "power") + RectFields(QRect(14, m.height - 40, 10, 6)) +
         Field("NAME", "Power") + "</POWER>\n";
    x += "    </PARTLIST>\n";
    x += "  </DEVICEPANEL>\n";
    x += "</DEVICE>\n";
    return x;
}

void WritePortPictures(const std::string& pre, int w, int h, bool sfp) {
    for (bool top : {true, false}) {
        const std::string base = "res/panels/" + pre + (top ? "_top_" : "_bottom_");
        auto pic = [&](PortLook look) { return sfp ? Sfp(w, h, top, look) : Rj45(w, h, top, look); };
        WriteBmp(base + "link.bmp", pic(kPlugged));
        WriteBmp(base + "down.bmp", pic(kEmptyJack));
        WriteBmp(base + "disabled.bmp", pic(kDisabled));
        if (sfp) {
            WriteBmp(base + "empty.bmp", pic(kCovered));
        }
    }
}

// ---- Overlay bitmaps ----

QImage Badge() {
    // A small emblem: a blue plate with a white chevron.
    QImage img = NewImage(22, 12, QColor(0x3c, 0x40, 0x45));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 12);
    g.setColorAt(0, QColor(0x3d, 0x8b, 0xe0));
    g.setColorAt(1, QColor(0x1c, 0x4f, 0x9c));
    p.setPen(QColor(0x12, 0x2e, 0x5c));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, 21, 11), 2.5, 2.5);
    p.setPen(QPen(QColor(0xff, 0xff, 0xff), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(5, 3), QPointF(5, 9));
    p.drawLine(QPointF(10, 3), QPointF(6, 6));
    p.drawLine(QPointF(6, 6), QPointF(10, 9));
    p.setPen(QPen(QColor(0x9f, 0xe8, 0x7a), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(13, 6), QPointF(18, 6));
    return img;
}

std::string IncFile(const std::vector<std::pair<int, std::vector<unsigned char>>>& bitmaps) {
    std::string s =
        "// Generated by res/tools/draw_panels.cpp from res/bitmaps/: the overlay bitmaps as BMP file "
        "bytes.\n";
    s += "// clang-format off\n";
    for (const auto& [id, bytes] : bitmaps) {
        s += "static const unsigned char kBmp" + std::to_string(id) + "[] = {";
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (i % 24 == 0) {
                s += "\n    ";
            }
            s += std::to_string(bytes[i]) + ",";
        }
        s += "\n};\n";
    }
    s += "static const EmbeddedBitmap kEmbeddedBitmaps[] = {\n";
    for (const auto& [id, bytes] : bitmaps) {
        s += "    {" + std::to_string(id) + ", kBmp" + std::to_string(id) + ", sizeof kBmp" +
             std::to_string(id) + "},\n";
    }
    s += "};\n// clang-format on\n";
    return s;
}

void WriteOverlays() {
    const QColor green(0x3c, 0xe6, 0x4e);
    const QColor amber(0xff, 0xa8, 0x1c);
    const QColor red(0xff, 0x3b, 0x30);
    std::vector<std::pair<int, QImage>> overlays = {
        {158, Badge()},
        {159, Led(8, 5, green, false, false)},  // lamp base (unlit), even ports: bottom row
        {160, Led(8, 5, green, false, true)},   // odd ports: top row
        {161, Led(8, 5, green, true, false)},   // lamp code 1: top speed / PoE on
        {162, Led(8, 5, green, true, true)},
        {163, Led(8, 5, amber, true, false)},  // lamp code 0: lower speed / PoE fault
        {164, Led(8, 5, amber, true, true)},
        {190, Led(10, 6, red, true)},     // alert
        {191, Led(10, 6, green, true)},   // LED mode lit
        {192, Led(10, 6, green, false)},  // LED mode unlit
        {221, Led(10, 6, amber, false)},  // spare
    };
    std::vector<std::pair<int, std::vector<unsigned char>>> bytes;
    for (const auto& [id, img] : overlays) {
        WriteBmp("res/bitmaps/" + std::to_string(id) + ".bmp", img);
        bytes.emplace_back(id, Bmp24(img));
    }
    WriteFile("app/MyBitmapApp.inc", IncFile(bytes));
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    g_root = argc > 1 ? argv[1] : ".";

    const Model z1{"ksx-4200-28z1",
                   "KSX-4200-28Z1",
                   940,
                   150,
                   24,
                   4,
                   32,
                   28,
                   36,
                   14,
                   6,
                   160,
                   50,
                   6,
                   44,
                   28,
                   50,
                   640,
                   790,
                   false,
                   false,
                   "L2 Managed Switch"};
    const Model p{"ksx-4200-28p",
                  "KSX-4200-28P",
                  940,
                  150,
                  24,
                  4,
                  32,
                  28,
                  36,
                  14,
                  6,
                  160,
                  50,
                  6,
                  44,
                  28,
                  50,
                  640,
                  790,
                  true,
                  true,
                  "PoE+ 185 W"};
    const Model f52{"ksx-4200-52",
                    "KSX-4200-52",
                    1180,
                    150,
                    48,
                    4,
                    28,
                    24,
                    30,
                    10,
                    6,
                    150,
                    52,
                    6,
                    40,
                    24,
                    46,
                    930,
                    1050,
                    false,
                    true,
                    "L2 Managed Switch"};
    for (const Model* m : {&z1, &p, &f52}) {
        WriteBmp("res/panels/" + m->file + ".bmp", Background(*m));
        WriteFile("res/panels/" + m->file + ".xml", Xml(*m));
    }
    WritePortPictures("rj45", 32, 28, false);
    WritePortPictures("sfp", 44, 28, true);
    WritePortPictures("rj45s", 28, 24, false);
    WritePortPictures("sfps", 40, 24, true);
    WriteOverlays();
    std::printf("panels written under %s\n", g_root.c_str());
    return 0;
}
