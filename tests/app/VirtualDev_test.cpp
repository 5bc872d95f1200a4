// The panel tree: the 2-pixel hit test, port state rules and lamps, clicks on ports and consoles,
// cursors, and the UI-thread rule.
#include <gtest/gtest.h>

#include <QWidget>
#include <thread>
#include <vector>

#include "app/VirtualDev.h"
#include "platform/sys/Globals.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using namespace ksx;

CPort* AddPort(CVirtualDev& parent, int left, int top, int width, int height) {
    auto port = std::make_unique<CPort>();
    port->SetRect(left, top, width, height);
    CPort* raw = port.get();
    parent.AddChild(std::move(port));
    return raw;
}

CLamp* AddLamp(CPort& port, int kind) {
    auto lamp = std::make_unique<CLamp>();
    lamp->SetKind(kind);
    CLamp* raw = lamp.get();
    port.AddChild(std::move(lamp));
    raw->SetSubject(&port);
    port.AddObserver(raw);
    return raw;
}

class VirtualDevTest : public ::testing::Test {
protected:
    void SetUp() override { m_window.resize(400, 200); }
    void TearDown() override {
        CPort::SetClickBroadcast(nullptr);
        CPort::SetSettingsRunner(nullptr);
        CCom::SetCommandStarter(nullptr);
        g_strDeviceIP.clear();
    }
    QWidget m_window;
};

TEST_F(VirtualDevTest, HitTestKeepsTwoPixelsInsideTheRectangle) {
    CDevModule root;
    CPort* port = AddPort(root, 100, 50, 10, 20);
    EXPECT_FALSE(port->HitTest(105, 60));  // not attached yet
    root.Attach(&m_window);
    EXPECT_TRUE(port->HitTest(103, 60));
    EXPECT_TRUE(port->HitTest(107, 60));
    EXPECT_FALSE(port->HitTest(102, 60));
    EXPECT_FALSE(port->HitTest(108, 60));
    EXPECT_TRUE(port->HitTest(105, 53));
    EXPECT_FALSE(port->HitTest(105, 52));
    EXPECT_FALSE(port->HitTest(105, 68));
    EXPECT_TRUE(port->HitTest(105, 67));

    QWidget empty;
    empty.resize(0, 0);
    root.Attach(&empty);
    EXPECT_FALSE(port->HitTest(105, 60));  // a window without client area
}

TEST_F(VirtualDevTest, FindChildByClassCountsOnlyThatKind) {
    CDevModule root;
    root.AddChild(std::make_unique<CPanel>());
    root.AddChild(std::make_unique<CLamp>());
    CPort* first = AddPort(root, 0, 0, 10, 10);
    CPort* second = AddPort(root, 20, 0, 10, 10);
    EXPECT_EQ(root.FindChildByClass("CPort", 0), first);
    EXPECT_EQ(root.FindChildByClass("CPort", 1), second);
    EXPECT_EQ(root.FindChildByClass("CPort", 2), nullptr);
    EXPECT_EQ(root.FindChildByClass("CPort", -1), nullptr);
    EXPECT_EQ(FindPort(root, 1), first);
    EXPECT_EQ(FindPort(root, 0), nullptr);
    EXPECT_EQ(FindPort(root, 3), nullptr);
    EXPECT_EQ(root.GetChildAt(4), nullptr);
    EXPECT_EQ(root.GetChildAt(-1), nullptr);
}

TEST_F(VirtualDevTest, PortStatePassesToItsLamps) {
    CDevModule root;
    CPort* port = AddPort(root, 0, 0, 10, 10);
    CLamp* link = AddLamp(*port, LAMP_LINK);
    CLamp* power = AddLamp(*port, LAMP_POWER);
    CLamp* speed = AddLamp(*port, LAMP_S100M);

    port->SetState(PORTLINK10);
    EXPECT_EQ(link->GetState(), LAMP1G);
    EXPECT_EQ(speed->GetState(), LAMP1G);
    EXPECT_EQ(power->GetState(), LAMPOFF);

    port->CVirtualDev::SetState(PORTLINK100);  // as the reader sets it: lamps untouched
    EXPECT_EQ(link->GetState(), LAMP1G);
    port->SetState(PORTENABLE);
    EXPECT_EQ(link->GetState(), LAMPOFF);
    EXPECT_EQ(power->GetState(), LAMPOFF);
    port->SetState(PORTLINK100);
    EXPECT_EQ(link->GetState(), LAMPON);

    // The same state again notifies nobody.
    link->CVirtualDev::SetState(LAMPOFF);
    port->SetState(PORTLINK100);
    EXPECT_EQ(link->GetState(), LAMPOFF);

    // States beyond the pictures are kept and passed on as "off".
    port->SetState(9);
    EXPECT_EQ(port->GetState(), 9);
    EXPECT_EQ(port->CSubject::GetState(), 9);
    EXPECT_EQ(link->GetState(), LAMPOFF);
}

TEST_F(VirtualDevTest, PortLoadsThePictureOfItsState) {
    const char* src = std::getenv("KSX_SOURCE_DIR");
    const std::string dir = std::string(src != nullptr ? src : ".") + "/res/panels/";
    CPort port;
    port.SetStateImage(PORTLINK10, dir + "rj45_top_link.bmp");
    port.SetStateImage(PORTENABLE, dir + "sfp_top_down.bmp");
    port.SetState(PORTLINK10);
    EXPECT_EQ(port.GetImage().GetWidth(), 32);
    port.SetState(PORTENABLE);
    EXPECT_EQ(port.GetImage().GetWidth(), 44);
    // A state whose picture is missing reports the failed load and keeps the last picture.
    port.SetState(PORTDISABLED);
    EXPECT_EQ(port.Refresh(), 0);
    EXPECT_EQ(port.GetImage().GetWidth(), 44);
}

TEST_F(VirtualDevTest, ModulesResetTheirPortsRecursively) {
    CModule outer;
    CPort* a = AddPort(outer, 0, 0, 5, 5);
    auto inner = std::make_unique<CModule>();
    CPort* b = AddPort(*inner, 0, 0, 5, 5);
    outer.AddChild(std::move(inner));
    a->SetState(PORTLINK10);
    b->SetState(PORTDISABLED);
    outer.ResetPorts();
    EXPECT_EQ(a->GetState(), PORTENABLE);
    EXPECT_EQ(b->GetState(), PORTENABLE);
}

TEST_F(VirtualDevTest, ClickOnOverlappingPortsReachesEachInChildOrder) {
    CDevModule root;
    CPort* first = AddPort(root, 10, 10, 40, 20);
    CPort* second = AddPort(root, 30, 10, 40, 20);
    AddPort(root, 200, 10, 40, 20);  // not under the click
    first->SetClickValue(1);
    second->SetClickValue(2);
    root.Attach(&m_window);
    std::vector<LPARAM> broadcasts;
    std::vector<int> dialogs;
    CPort::SetClickBroadcast([&](WPARAM w, LPARAM l) {
        EXPECT_EQ(w, 0u);
        broadcasts.push_back(l);
    });
    CPort::SetSettingsRunner([&] {
        dialogs.push_back(static_cast<int>(dialogs.size()) + 1);
        EXPECT_TRUE(broadcasts.empty());  // posted, not sent: it arrives after the click
    });
    root.OnLButtonDown(40, 20);
    EXPECT_EQ(dialogs.size(), 2u);
    ASSERT_TRUE(test::WaitUntil([&] { return broadcasts.size() == 2; }, 20000));
    EXPECT_EQ(broadcasts, (std::vector<LPARAM>{1, 2}));

    root.OnLButtonDown(12, 20);  // inside the rectangle but within the 2-pixel border
    test::PumpEvents();
    EXPECT_EQ(dialogs.size(), 2u);
}

TEST_F(VirtualDevTest, ConsoleClickStartsTelnetAtTheDevice) {
    CDevModule root;
    auto com = std::make_unique<CCom>();
    com->SetRect(0, 0, 30, 30);
    root.AddChild(std::move(com));
    root.Attach(&m_window);
    std::vector<std::string> started;
    CCom::SetCommandStarter([&](const std::string& line) {
        started.push_back(line);
        return true;
    });
    root.OnLButtonDown(15, 15);
    g_strDeviceIP = "127.0.0.1";
    root.OnLButtonDown(15, 15);
    root.OnLButtonDown(50, 50);
    EXPECT_EQ(started, (std::vector<std::string>{"Telnet ", "Telnet 127.0.0.1"}));
}

TEST_F(VirtualDevTest, CursorIsTheHandOverPortsAndTheWindowsOwnElsewhere) {
    CDevModule root;
    AddPort(root, 10, 10, 40, 20);
    auto panel = std::make_unique<CPanel>();
    panel->SetRect(100, 10, 40, 20);
    root.AddChild(std::move(panel));
    auto* client = new QWidget(&m_window);  // the dialog's client area
    client->resize(400, 200);
    root.Attach(client);
    root.OnMouseMove(20, 20);
    EXPECT_EQ(client->cursor().shape(), Qt::PointingHandCursor);
    root.OnMouseMove(120, 20);
    EXPECT_EQ(client->cursor().shape(), Qt::ArrowCursor);
    root.OnMouseMove(300, 150);
    EXPECT_FALSE(client->testAttribute(Qt::WA_SetCursor));
}

TEST_F(VirtualDevTest, NotifyingPartsPassTheirStateToLamps) {
    CCom com;
    auto lamp = std::make_unique<CLamp>();
    CLamp* raw = lamp.get();
    com.AddChild(std::move(lamp));
    raw->SetSubject(&com);
    com.AddObserver(raw);
    com.CVirtualDev::SetState(1);
    EXPECT_EQ(com.Refresh(), 1);
    EXPECT_EQ(raw->GetState(), LAMP1G);
    CPower power;
    EXPECT_EQ(power.GetKindName(), "CObject");
    EXPECT_EQ(power.Refresh(), 1);
}

#ifndef QT_NO_DEBUG
TEST(VirtualDevDeathTest, StateChangesOffTheUiThreadAreCaught) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    CPort port;
    EXPECT_DEATH(
        {
            std::thread worker([&] { port.SetState(PORTLINK10); });
            worker.join();
        },
        "UI thread");
}
#endif

}  // namespace
