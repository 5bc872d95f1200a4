// The panel reader on the shipped panel descriptions and on hand-made and damaged ones.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <set>

#include "app/ParseDevXML.h"

namespace {

using namespace ksx;

std::string SourceDir() {
    const char* src = std::getenv("KSX_SOURCE_DIR");
    return src != nullptr ? src : ".";
}

std::string Fields(const std::string& id, int left = 0, int top = 0, int w = 10, int h = 10) {
    return "<ID>" + id + "</ID><LEFT>" + std::to_string(left) + "</LEFT><TOP>" + std::to_string(top) +
           "</TOP><WIDTH>" + std::to_string(w) + "</WIDTH><HEIGHT>" + std::to_string(h) + "</HEIGHT>";
}

std::string PortImages(const std::string& empty = "e.bmp") {
    return "<BMPLINK100>a.bmp</BMPLINK100><BMPLINK10>b.bmp</BMPLINK10><BMPDISABLE>c.bmp</BMPDISABLE>"
           "<BMPENABLE>d.bmp</BMPENABLE><BMPEMPTY>" +
           empty + "</BMPEMPTY>";
}

std::string Port(const std::string& id, const std::string& extra = "", const std::string& lamps = "") {
    std::string attrs = lamps.empty() ? "" : " L=\"LAMPS\"";
    return "<PORT" + attrs + ">" + Fields(id) + PortImages() + extra +
           (lamps.empty() ? "" : "<LAMPS>" + lamps + "</LAMPS>") + "</PORT>";
}

struct Parsed {
    CDevModule root;
    CParseDevXML::ModuleList modules;
    CParseDevXML reader;
    bool ok = false;
};

void ParseString(Parsed& p, const std::string& xml) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString(xml)) << doc.Error();
    p.ok = p.reader.Load(doc, p.root, p.modules);
}

std::string Panel(const std::string& body, const std::string& attrs = " A=\"LIST\"") {
    return "<DEVICE><DEVICEPANEL" + attrs + ">" + Fields("panel", 5, 6, 300, 100) + "<BMP>bg.bmp</BMP>" +
           body + "</DEVICEPANEL></DEVICE>";
}

// ---- The shipped panels ----

struct Shipped {
    const char* file;
    int ports;
    int sfpFrom;  // first fibre port
};

class ShippedPanel : public ::testing::TestWithParam<Shipped> {};

TEST_P(ShippedPanel, BuildsPortsInOrderWithLinkedLampsInsideThePanel) {
    const Shipped s = GetParam();
    Parsed p;
    const std::string file = SourceDir() + "/res/panels/" + s.file + ".xml";
    p.ok = p.reader.Load(file, p.root, p.modules);
    ASSERT_TRUE(p.ok);
    EXPECT_TRUE(p.reader.Problems().empty()) << p.reader.Problems().front();
    const DevRect panel = p.root.GetRect();
    EXPECT_GE(panel.Width(), 900);
    EXPECT_GT(panel.Height(), 100);
    EXPECT_TRUE(
        QFileInfo::exists(QString::fromStdString(CVirtualDev::ResolveImagePath(p.root.GetImageFile()))));
    EXPECT_TRUE(p.modules.empty());

    EXPECT_EQ(p.root.FindChildByClass("CPort", s.ports - 1) != nullptr, true);
    EXPECT_EQ(p.root.FindChildByClass("CPort", s.ports), nullptr);
    EXPECT_NE(p.root.FindChildByClass("CCom", 0), nullptr);  // the console
    std::vector<DevRect> rects;
    for (int n = 1; n <= s.ports; ++n) {
        CPort* port = FindPort(p.root, n);
        ASSERT_NE(port, nullptr);
        EXPECT_EQ(port->GetID(), std::to_string(n));
        EXPECT_EQ(port->GetClickValue(), n);
        EXPECT_EQ(port->GetState(), PORTENABLE);
        const DevRect r = port->GetRect();
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= panel.Width() && r.bottom <= panel.Height()) << n;
        // Odd ports on the top row, even ones below them.
        if (n % 2 == 0) {
            EXPECT_EQ(r.left, rects.back().left);
            EXPECT_GT(r.top, rects.back().bottom);
        }
        for (const DevRect& o : rects) {
            EXPECT_TRUE(r.left >= o.right || r.right <= o.left || r.top >= o.bottom || r.bottom <= o.top)
                << n;
        }
        rects.push_back(r);
        // Its lamp is linked and sits inside it.
        ASSERT_EQ(port->GetChildCount(), 1);
        auto* lamp = dynamic_cast<CLamp*>(port->GetChildAt(0));
        ASSERT_NE(lamp, nullptr);
        EXPECT_EQ(lamp->GetSubject(), static_cast<CSubject*>(port));
        EXPECT_TRUE(lamp->IsKind(LAMP_LINK));
        const DevRect l = lamp->GetRect();
        EXPECT_TRUE(l.left > r.left && l.right < r.right && l.top > r.top && l.bottom < r.bottom) << n;
        // Every state has a picture that loads.
        for (int st = 0; st < CPort::kStateCount; ++st) {
            CDIBitmap pic;
            EXPECT_TRUE(pic.LoadFromFile(CVirtualDev::ResolveImagePath(port->GetStateImage(st))))
                << n << " " << st;
        }
        EXPECT_EQ(port->GetStateImage(PORTEMPTY).find("sfp") != std::string::npos, n >= s.sfpFrom) << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Models, ShippedPanel,
                         ::testing::Values(Shipped{"ksx-4200-28z1", 28, 25}, Shipped{"ksx-4200-28p", 28, 25},
                                           Shipped{"ksx-4200-52", 52, 49}));

// ---- Structure ----

TEST(ParseDevXML, ChildListsFollowAttributeOrderAndTags) {
    Parsed p;
    ParseString(
        p, "<DEVICE><DEVICEPANEL Z=\"SECOND\" A=\"FIRST\" N=\"NOWHERE\">" + Fields("0", 1, 2, 640, 150) +
               "<FIRST>" + Port("1") +
               "<!-- a comment --></FIRST>"
               "<SECOND><PANEL>" +
               Fields("p") +
               "<BMP>panel.bmp</BMP></PANEL>"
               "<LAMP>" +
               Fields("l") + "</LAMP><SLOT>" + Fields("s") + "</SLOT><CONSOLE>" + Fields("c") +
               "</CONSOLE><MASTER>" + Fields("m") + "</MASTER><RPS>" + Fields("r") + "</RPS><FAN>" +
               Fields("f") + "</FAN><POWER>" + Fields("w") + "</POWER><LED>" + Fields("d") +
               "<BMP0>zero.bmp</BMP0><BMP1/><BMP2/><BMP3/><BMP4/><BMP5/><BMP6/><BMP7/><BMP8/><BMP9/></LED>"
               "<UNKNOWN>" +
               Fields("u") +
               "</UNKNOWN></SECOND>"
               "</DEVICEPANEL></DEVICE>");
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.root.GetID(), "");  // "0" is not stored
    EXPECT_EQ(p.root.GetRect().right, 641);
    std::vector<std::string> kinds;
    for (int i = 0; i < p.root.GetChildCount(); ++i) {
        kinds.push_back(p.root.GetChildAt(i)->GetKindName());
    }
    const std::vector<std::string> expected{"CPanel", "CLamp", "CSlot",   "CCom", "CCom",
                                            "CCom",   "CCom",  "CObject", "CLed", "CPort"};
    EXPECT_EQ(kinds, expected);
    EXPECT_EQ(p.root.GetChildAt(0)->GetImageFile(), "panel.bmp");
    auto* led = static_cast<CLed*>(p.root.GetChildAt(8));
    EXPECT_EQ(led->GetDigitImage(0), "zero.bmp");
    EXPECT_EQ(led->GetDigitImage(1), "");
    EXPECT_EQ(static_cast<CLamp*>(p.root.GetChildAt(1))->GetSubject(), nullptr);  // not below a port
    EXPECT_EQ(FindPort(p.root, 1), p.root.GetChildAt(9));
}

TEST(ParseDevXML, TwoPanelsModulesAndElementsWithoutParent) {
    Parsed p;
    ParseString(p,
                "<DEVICE>"
                "<DEVICEPANEL A=\"L\">" +
                    Fields("one", 1, 1, 100, 50) + "<BMP>one.bmp</BMP><L>" + Port("1") + "<MODULE M=\"ML\">" +
                    Fields("mod") + "<ML>" + Port("m1") +
                    "</ML></MODULE></L></DEVICEPANEL>"
                    "<DEVICEPANEL A=\"L\">" +
                    Fields("two", 7, 8, 200, 60) + "<BMP>two.bmp</BMP><L>" + Port("2") +
                    "</L></DEVICEPANEL>"
                    "<DEVICEMODULE A=\"L\"><L>" +
                    Port("lost") + "<MODULE>" + Fields("free") + "</MODULE><OTHER B=\"L2\"><L2>" +
                    Port("lost2") +
                    "</L2></OTHER></L></DEVICEMODULE>"
                    "</DEVICE>");
    ASSERT_TRUE(p.ok);
    // The later panel's fields win; the children of both are kept.
    EXPECT_EQ(p.root.GetID(), "two");
    EXPECT_EQ(p.root.GetImageFile(), "two.bmp");
    EXPECT_EQ(p.root.GetRect().left, 7);
    EXPECT_EQ(FindPort(p.root, 1)->GetID(), "1");
    EXPECT_EQ(FindPort(p.root, 2)->GetID(), "2");
    EXPECT_EQ(FindPort(p.root, 3), nullptr);  // ports without a parent are not made
    ASSERT_EQ(p.modules.size(), 2u);
    EXPECT_EQ(p.modules[0]->GetID(), "mod");
    ASSERT_EQ(p.modules[0]->GetChildCount(), 1);
    EXPECT_EQ(p.modules[0]->GetChildAt(0)->GetID(), "m1");
    EXPECT_EQ(p.modules[1]->GetID(), "free");
}

TEST(ParseDevXML, KeywordsAndNumbers) {
    Parsed p;
    ParseString(p,
                Panel("<LIST>" + Port("1", "<STATUS>PORTLINK10</STATUS>") +
                      Port("2", "<STATUS>portlink100</STATUS>") + Port("3", "<STATUS>PORTEMPTY</STATUS>") +
                      "<PORT L=\"LAMPS\">" + Fields("4") +
                      "<BMPLINK100>a.bmp</BMPLINK100><BMPLINK10/><BMPDISABLE>c.bmp</BMPDISABLE>"
                      "<BMPENABLE>d.bmp</BMPENABLE><BMPEMPTY></BMPEMPTY><LAMPS><LAMP>" +
                      Fields("x") + "<TYPE>S100M</TYPE><STATUS>LAMP1G</STATUS></LAMP><LAMP>" + Fields("y") +
                      "<TYPE>link</TYPE><STATUS>bright</STATUS></LAMP></LAMPS></PORT>"
                      "<PANEL><ID>n</ID><LEFT>  12px</LEFT><TOP>-7</TOP><WIDTH>wide</WIDTH>"
                      "<HEIGHT>99999999999</HEIGHT><STATUS>PORTLINK10</STATUS><NAME>Front</NAME></PANEL>"
                      "</LIST>"));
    EXPECT_EQ(FindPort(p.root, 1)->GetState(), PORTLINK10);
    EXPECT_EQ(FindPort(p.root, 2)->GetState(), 0);  // keywords match case-sensitively
    EXPECT_EQ(FindPort(p.root, 3)->GetState(), PORTEMPTY);
    CPort* four = FindPort(p.root, 4);
    EXPECT_EQ(four->GetStateImage(PORTEMPTY), "");  // empty text assigns nothing
    EXPECT_EQ(four->GetStateImage(PORTLINK10), "");
    EXPECT_EQ(four->GetStateImage(PORTDISABLED), "c.bmp");
    auto* x = static_cast<CLamp*>(four->GetChildAt(0));
    auto* y = static_cast<CLamp*>(four->GetChildAt(1));
    EXPECT_TRUE(x->IsKind(LAMP_S100M));
    EXPECT_EQ(x->GetState(), LAMP1G);
    EXPECT_EQ(x->GetName(), "Lamp");
    EXPECT_EQ(y->GetKind(), -1);  // unknown type and status change nothing
    EXPECT_EQ(y->GetState(), 0);
    EXPECT_EQ(four->Observers().size(), 2u);
    const CVirtualDev* panel = p.root.FindChildByClass("CPanel", 0);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetRect().left, 12);
    EXPECT_EQ(panel->GetRect().top, -7);
    EXPECT_EQ(panel->GetRect().Width(), 0);
    EXPECT_EQ(panel->GetRect().Height(), 2147483647);
    EXPECT_EQ(panel->GetState(), 0);  // STATUS is for ports and lamps only
    EXPECT_EQ(panel->GetName(), "Front");
    EXPECT_EQ(PanelAtoi(" +42;"), 42);
    EXPECT_EQ(PanelAtoi("-99999999999"), -2147483647 - 1);
}

// ---- Damaged descriptions ----

TEST(ParseDevXML, ElementsMissingARequiredFieldAreSkipped) {
    Parsed p;
    const std::string lamp = "<LAMP>" + Fields("lamp") + "</LAMP>";
    ParseString(
        p, Panel("<LIST>" + Port("1") +
                 // no WIDTH: skipped, and so is its lamp
                 "<PORT L=\"LAMPS\"><ID>2</ID><LEFT>0</LEFT><TOP>0</TOP><HEIGHT>5</HEIGHT>" + PortImages() +
                 "<LAMPS>" + lamp +
                 "</LAMPS></PORT>"
                 // no BMPEMPTY element
                 "<PORT>" +
                 Fields("3") +
                 "<BMPLINK100>a</BMPLINK100><BMPLINK10>b</BMPLINK10><BMPDISABLE>c</BMPDISABLE>"
                 "<BMPENABLE>d</BMPENABLE></PORT>"
                 // an LED without BMP7
                 "<LED>" +
                 Fields("led") + "<BMP0/><BMP1/><BMP2/><BMP3/><BMP4/><BMP5/><BMP6/><BMP8/><BMP9/></LED>" +
                 Port("5") + "</LIST>"));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(FindPort(p.root, 1)->GetID(), "1");
    EXPECT_EQ(FindPort(p.root, 2)->GetID(), "5");
    EXPECT_EQ(FindPort(p.root, 3), nullptr);
    EXPECT_EQ(p.root.FindChildByClass("CLed", 0), nullptr);
    EXPECT_EQ(p.root.FindChildByClass("CLamp", 0), nullptr);
    EXPECT_EQ(p.reader.Problems().size(), 3u);
    EXPECT_EQ(FindPort(p.root, 2)->GetClickValue(), 2);

    // A panel without its rectangle changes nothing of the root.
    Parsed q;
    ParseString(q, "<DEVICE><DEVICEPANEL A=\"L\"><ID>x</ID><LEFT>1</LEFT><BMP>bg.bmp</BMP><L>" + Port("1") +
                       "</L></DEVICEPANEL></DEVICE>");
    EXPECT_EQ(q.root.GetID(), "");
    EXPECT_EQ(q.root.GetImageFile(), "");
    EXPECT_EQ(q.root.GetChildCount(), 0);
}

TEST(ParseDevXML, FileNamesLongerThanTheFieldsAreRefused) {
    const std::string n99(95, 'a');
    const std::string ok = n99 + ".bmp";  // 99 characters
    const std::string tooLong = "b" + ok;
    Parsed p;
    ParseString(
        p, Panel("<LIST>" + std::string("<PORT>") + Fields("1") + PortImages(ok) + "</PORT>" + "<PORT>" +
                 Fields("2") + PortImages(tooLong) + "</PORT>" + "<PANEL>" + Fields("p") + "<BMP>" + tooLong +
                 "</BMP></PANEL>" + "<LED>" + Fields("d") + "<BMP0>" + tooLong +
                 "</BMP0><BMP1/><BMP2/><BMP3/><BMP4/><BMP5/><BMP6/><BMP7/><BMP8/><BMP9/></LED></LIST>"));
    ASSERT_NE(FindPort(p.root, 1), nullptr);
    EXPECT_EQ(FindPort(p.root, 1)->GetStateImage(PORTEMPTY), ok);
    EXPECT_EQ(FindPort(p.root, 2), nullptr);
    EXPECT_EQ(p.root.GetChildCount(), 1);
    CVirtualDev v;
    EXPECT_FALSE(v.SetImageFile(tooLong));
    EXPECT_TRUE(v.SetImageFile(ok));
    CPort port;
    EXPECT_FALSE(port.SetStateImage(4, tooLong));
    EXPECT_FALSE(port.SetStateImage(5, "x.bmp"));
    EXPECT_FALSE(port.SetStateImage(-1, "x.bmp"));
}

TEST(ParseDevXML, MissingOrMalformedFilesLeaveTheTreeEmpty) {
    QTemporaryDir dir;
    const std::string bad = dir.path().toStdString() + "/bad.xml";
    std::ofstream(bad) << "<DEVICE><DEVICEPANEL A=\"L\">" << Fields("x", 1, 1, 10, 10) << "<L>" << Port("1")
                       << "</L></DEVICEPANEL>";  // never closed
    for (const std::string& file : {bad, dir.path().toStdString() + "/missing.xml"}) {
        Parsed p;
        EXPECT_TRUE(p.reader.Load(file, p.root, p.modules));
        EXPECT_EQ(p.root.GetChildCount(), 0);
        EXPECT_EQ(p.root.GetRect().Width(), 0);
        EXPECT_FALSE(p.reader.Problems().empty());
    }
    // Nesting past what the reader takes: refused, not a stack overflow.
    std::string deep;
    for (int i = 0; i < 5000; ++i) {
        deep += "<DEVICEPANEL A=\"L\"><L>";
    }
    CXmlDocument doc;
    EXPECT_FALSE(doc.LoadFromString(deep));
    EXPECT_EQ(doc.Root(), nullptr);
}

}  // namespace
