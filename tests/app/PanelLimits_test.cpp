// Panel descriptions and pictures that would exhaust memory: huge pictures and pictures whose memory
// cannot be had are refused without crashing, one panel's pictures share a budget, and a description
// that names the same child list many times over builds each object once.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "app/DIBitmap.h"
#include "app/ParseDevXML.h"
#include "app/VirtualDev.h"
#include "tests/app/AddressSpaceLimit.h"

namespace {

using namespace ksx;
using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void Put32(Bytes& b, unsigned v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A black-and-white BMP of that size, every pixel the first colour.
Bytes MonoBmp(int width, int height) {
    const unsigned row = ((static_cast<unsigned>(width) + 31) / 32) * 4;
    const unsigned offBits = 14 + 40 + 8;
    Bytes b{'B', 'M'};
    Put32(b, offBits + row * static_cast<unsigned>(height));
    Put32(b, 0);
    Put32(b, offBits);
    Put32(b, 40);
    Put32(b, static_cast<unsigned>(width));
    Put32(b, static_cast<unsigned>(height));
    Put16(b, 1);
    Put16(b, 1);
    Put32(b, 0);
    Put32(b, row * static_cast<unsigned>(height));
    for (int i = 0; i < 4; ++i) {
        Put32(b, 0);
    }
    Put32(b, 0x000000);
    Put32(b, 0xFFFFFF);
    b.resize(b.size() + static_cast<std::size_t>(row) * static_cast<std::size_t>(height), 0);
    return b;
}

TEST(PictureLimits, HugePictureIsRefusedAndTheOldOneKept) {
    CDIBitmap bmp;
    const Bytes small = MonoBmp(8, 8);
    ASSERT_TRUE(bmp.LoadFromMemory(small.data(), small.size()));
    // 8 MiB on disk, about 264 MB once decoded: refused before anything is allocated, also where so
    // much address space is not to be had.
    const Bytes huge = MonoBmp(8192, 8192);
    {
        test::AddressSpaceLimit limit(128ULL << 20);
        EXPECT_FALSE(bmp.LoadFromMemory(huge.data(), huge.size()));
    }
    EXPECT_EQ(bmp.GetWidth(), 8);
    EXPECT_FALSE(bmp.Image().isNull());
    // The same from a file, with the reason recorded in the current budget.
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/huge.bmp";
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(huge.data()), static_cast<std::streamsize>(huge.size()));
    CPictureBudget budget;
    EXPECT_FALSE(bmp.LoadFromFile(file));
    ASSERT_EQ(budget.Refused().size(), 1u);
    EXPECT_NE(budget.Refused()[0].find("8192 x 8192"), std::string::npos) << budget.Refused()[0];
    EXPECT_EQ(budget.Left(), CPictureBudget::kPanelBytes);
}

TEST(PictureLimits, PictureWhoseMemoryCannotBeHadIsRefused) {
    // 4000 x 4000 is within the limit of one picture (2 MB of rows, 64 MB drawn) but not within a
    // 24 MB margin of address space: the drawable image cannot be made.
    const Bytes big = MonoBmp(4000, 4000);
    CDIBitmap bmp;
    test::AddressSpaceLimit limit(24ULL << 20);
    if (!limit.Active()) {
        GTEST_SKIP() << "no address-space limit in this build";
    }
    EXPECT_FALSE(bmp.LoadFromMemory(big.data(), big.size()));
    EXPECT_TRUE(bmp.IsEmpty());
}

TEST(PictureLimits, PicturesOfOnePanelShareOneBudget) {
    QTemporaryDir dir;
    const Bytes picture = MonoBmp(300, 300);  // 12 kB of rows, 360 kB drawn
    const std::string file = dir.path().toStdString() + "/p.bmp";
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(picture.data()), static_cast<std::streamsize>(picture.size()));
    std::string body;
    for (int i = 0; i < 6; ++i) {
        body += "<PANEL><ID>p" + std::to_string(i) +
                "</ID><LEFT>0</LEFT><TOP>0</TOP><WIDTH>9</WIDTH><HEIGHT>9</HEIGHT><BMP>" + file +
                "</BMP></PANEL>";
    }
    const std::string xml =
        "<DEVICE><DEVICEPANEL A=\"LIST\"><ID>x</ID><LEFT>0</LEFT><TOP>0</TOP><WIDTH>50</WIDTH>"
        "<HEIGHT>50</HEIGHT><LIST>" +
        body + "</LIST></DEVICEPANEL></DEVICE>";
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString(xml)) << doc.Error();
    CDevModule root;
    CParseDevXML::ModuleList modules;
    CParseDevXML reader;
    {
        CPictureBudget budget(1 << 20);  // room for two of them
        reader.Load(doc, root, modules);
        EXPECT_EQ(budget.Refused().size(), 4u);
        EXPECT_GE(budget.Left(), 0);
        {
            CPictureBudget inner(0);  // budgets nest: the inner one refuses everything
            CDIBitmap one;
            EXPECT_FALSE(one.LoadFromFile(file));
            EXPECT_EQ(inner.Refused().size(), 1u);
        }
        EXPECT_EQ(CPictureBudget::Current(), &budget);
    }
    EXPECT_EQ(CPictureBudget::Current(), nullptr);
    // Every element is still there; only pictures were left out.
    ASSERT_EQ(root.GetChildCount(), 6);
    int drawn = 0;
    for (int i = 0; i < root.GetChildCount(); ++i) {
        drawn += root.GetChildAt(i)->GetImage().IsEmpty() ? 0 : 1;
    }
    EXPECT_EQ(drawn, 2);
}

// K attributes naming the same list at each of D nested levels.
std::string RepeatedLists(int k, int depth) {
    std::string attrs;
    for (int i = 0; i < k; ++i) {
        attrs += " a" + std::to_string(i) + "=\"L\"";
    }
    auto fields = [](int level) {
        return "<ID>e" + std::to_string(level) +
               "</ID><LEFT>0</LEFT><TOP>0</TOP><WIDTH>5</WIDTH><HEIGHT>5</HEIGHT>";
    };
    std::string inner;
    for (int level = depth; level >= 1; --level) {
        inner = "<PANEL" + attrs + ">" + fields(level) + (inner.empty() ? "" : "<L>" + inner + "</L>") +
                "</PANEL>";
    }
    return "<DEVICE><DEVICEPANEL" + attrs + ">" + fields(0) + "<L>" + inner + "</L></DEVICEPANEL></DEVICE>";
}

int CountObjects(CVirtualDev& node) {
    int n = 0;
    for (int i = 0; i < node.GetChildCount(); ++i) {
        n += 1 + CountObjects(*node.GetChildAt(i));
    }
    return n;
}

TEST(PanelTreeLimits, ListNamedByManyAttributesIsReadOnce) {
    // 4 attributes over 8 levels would make 4^8 = 65,536 objects if each were followed.
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString(RepeatedLists(4, 8))) << doc.Error();
    CDevModule root;
    CParseDevXML::ModuleList modules;
    CParseDevXML reader;
    reader.Load(doc, root, modules);
    EXPECT_EQ(CountObjects(root), 8);
    EXPECT_TRUE(reader.Problems().empty());
}

TEST(PanelTreeLimits, ElementBudgetEndsAHugeDescription) {
    std::string body;
    for (int i = 0; i < CParseDevXML::kMaxNodes + 500; ++i) {
        body += "<PANEL><ID>p</ID><LEFT>0</LEFT><TOP>0</TOP><WIDTH>1</WIDTH><HEIGHT>1</HEIGHT></PANEL>";
    }
    CXmlDocument doc;
    ASSERT_TRUE(
        doc.LoadFromString("<DEVICE><DEVICEPANEL A=\"L\"><ID>x</ID><LEFT>0</LEFT><TOP>0</TOP>"
                           "<WIDTH>5</WIDTH><HEIGHT>5</HEIGHT><L>" +
                           body + "</L></DEVICEPANEL></DEVICE>"));
    CDevModule root;
    CParseDevXML::ModuleList modules;
    CParseDevXML reader;
    reader.Load(doc, root, modules);
    EXPECT_EQ(root.GetChildCount(), CParseDevXML::kMaxNodes - 1);  // the panel element counts too
    ASSERT_EQ(reader.Problems().size(), 1u);
    EXPECT_NE(reader.Problems()[0].find("not read"), std::string::npos);
}

}  // namespace
