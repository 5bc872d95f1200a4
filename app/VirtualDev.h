// The front-panel object tree: the root (CDevModule), panels, modules, slots, ports, lamps, LEDs,
// console-like parts (CCom) and power parts. The panel reader builds it, the bitmap dialog draws the
// root's children over the background picture and passes mouse moves and left clicks to the root,
// and polling sets port states, which ports pass on to the lamps that observe them.
//
// Threads: the tree belongs to the UI thread. Workers hand state changes to the window by message;
// debug builds assert the thread on every state change, draw and hit test.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/DIBitmap.h"
#include "platform/sys/Messages.h"

class QPainter;
class QWidget;

namespace ksx {

// Asserts (debug builds) that the caller runs on the application's UI thread.
void AssertUiThread();

struct DevRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

class CObserver;

// A subject that lamps observe: observers (not owned) and the subject value.
class CSubject {
public:
    virtual ~CSubject() = default;
    void AddObserver(CObserver* observer);
    void SetState(int value) { m_subjectValue = value; }
    int GetState() const { return m_subjectValue; }
    const std::vector<CObserver*>& Observers() const { return m_observers; }

protected:
    // Update of every observer in link order.
    void NotifyObservers();

private:
    std::vector<CObserver*> m_observers;
    int m_subjectValue = 0;
};

class CObserver {
public:
    virtual ~CObserver() = default;
    virtual void Update() = 0;
    void SetSubject(CSubject* subject) { m_subject = subject; }
    CSubject* GetSubject() const { return m_subject; }

private:
    CSubject* m_subject = nullptr;
};

class CVirtualDev {
public:
    // Longest image file name a field holds.
    static constexpr std::size_t kMaxFileName = 99;

    CVirtualDev();
    virtual ~CVirtualDev();
    CVirtualDev(const CVirtualDev&) = delete;
    CVirtualDev& operator=(const CVirtualDev&) = delete;

    // Sets the cursor when the point is inside (arrow here).
    virtual void OnMouseMove(int x, int y);
    virtual void OnMouseEvent(int x, int y) { (void)x, (void)y; }
    virtual void SetKind(int kind) { (void)kind; }
    // Brings the image up to date: 1 when loaded, 0 when the load failed (also for no image name).
    virtual int Refresh();
    // Draws the image stretched into the design rectangle on the drawing context.
    virtual void Draw();
    virtual void OnLButtonDown(int x, int y) { (void)x, (void)y; }
    virtual std::string GetKindName() const { return "CVirtualDev"; }

    void AddChild(std::unique_ptr<CVirtualDev> child);
    CVirtualDev* GetChildAt(int index) const;
    int GetChildCount() const { return static_cast<int>(m_children.size()); }
    // The n-th (from 0) direct child of that kind name, or null (also for a negative n).
    CVirtualDev* FindChildByClass(const std::string& kindName, int n) const;

    void SetID(const std::string& id) { m_id = id; }
    const std::string& GetID() const { return m_id; }
    void SetName(const std::string& name) { m_name = name; }
    const std::string& GetName() const { return m_name; }
    // False (and nothing stored) for a name longer than kMaxFileName.
    bool SetImageFile(const std::string& fileName);
    const std::string& GetImageFile() const { return m_imageFile; }

    void SetRect(int left, int top, int width, int height);
    DevRect GetRect() const;
    // Stores the state when it differs (no notification).
    void SetState(int state);
    int GetState() const { return m_state; }

    // Records the window (and its client rectangle) here and in every descendant.
    void Attach(QWidget* window);
    // Records the drawing context here and in every descendant.
    void SetDrawDC(QPainter* dc);
    // Draw of each direct child in order.
    void DrawChildren();

    // Inside when left + 2 < x < left + width - 2 and top + 2 < y < top + height - 2; never for an
    // element without a window or with an empty client area.
    bool HitTest(int x, int y) const;

    QWidget* GetWindow() const { return m_window; }
    QPainter* GetDrawDC() const { return m_dc; }
    const DevRect& GetClientRect() const { return m_clientRect; }
    const CDIBitmap& GetImage() const { return m_image; }

    // Folder that relative image names resolve against when they are not found from the current
    // directory (the panel reader sets it to the description's folder).
    static void SetImageFolder(const std::string& folder);
    static std::string ResolveImagePath(const std::string& fileName);

protected:
    // Loads `fileName` into the image: 1 when loaded, 0 otherwise.
    int LoadImage(const std::string& fileName);
    void SetArrowCursor() const;
    void SetHandCursor() const;

    std::vector<std::unique_ptr<CVirtualDev>> m_children;
    std::string m_id;
    std::string m_name = "VirtualDev";
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
    DevRect m_clientRect;
    int m_state = 0;
    QPainter* m_dc = nullptr;
    QWidget* m_window = nullptr;
    std::string m_imageFile;
    CDIBitmap m_image;
};

// The root: draws nothing itself, passes mouse moves and clicks to every direct child in order.
class CDevModule : public CVirtualDev, public CSubject {
public:
    using CVirtualDev::GetState;
    using CVirtualDev::SetState;
    std::string GetKindName() const override { return "CDevModule"; }
    int Refresh() override { return 1; }
    void Draw() override {}
    void OnMouseMove(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    // Drops every child and resets the fields (a panel loaded anew).
    void Clear();
};

class CPanel : public CVirtualDev, public CSubject {
public:
    using CVirtualDev::GetState;
    using CVirtualDev::SetState;
    std::string GetKindName() const override { return "CPanel"; }
};

class CModule : public CVirtualDev, public CSubject {
public:
    using CVirtualDev::GetState;
    using CVirtualDev::SetState;
    std::string GetKindName() const override { return "CModule"; }
    // Every CPort child gets CPort::SetState(3); nested modules are reset the same way.
    void ResetPorts();
};

class CSlot : public CVirtualDev {
public:
    std::string GetKindName() const override { return "CSlot"; }
};

// Power part: no image of its own; Refresh passes its state to its observers.
class CPower : public CVirtualDev, public CSubject {
public:
    using CVirtualDev::GetState;
    using CVirtualDev::SetState;
    std::string GetKindName() const override { return "CObject"; }
    int Refresh() override;
    void Draw() override {}
};

// Console, master, redundant power and fan: a click starts a telnet client at the device.
class CCom : public CVirtualDev, public CSubject {
public:
    using CVirtualDev::GetState;
    using CVirtualDev::SetState;
    // Starts a command line ("Telnet " + address). Default: telnet to the address in a terminal window.
    using CommandStarter = std::function<bool(const std::string& commandLine)>;
    static void SetCommandStarter(CommandStarter starter);

    std::string GetKindName() const override { return "CCom"; }
    int Refresh() override;
    void Draw() override {}
    void OnMouseMove(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
};

// Port states.
enum PortState : int {
    PORTLINK100 = 0,   // link up below the port's top speed
    PORTLINK10 = 1,    // link up at the port's top speed
    PORTDISABLED = 2,  // administratively disabled / PoE off
    PORTENABLE = 3,    // link down (reset state)
    PORTEMPTY = 4,     // empty (reset state of ports 49 to 52)
};

class CPort : public CVirtualDev, public CSubject {
public:
    static constexpr int kStateCount = 5;
    using CVirtualDev::GetState;

    // The port-click broadcast (wParam 0, lParam the click value): an in-process hook; nothing receives
    // it unless the main window installs one.
    using ClickBroadcast = std::function<void(WPARAM wParam, LPARAM lParam)>;
    // Runs the port settings dialog modally (installed by the main window).
    using SettingsRunner = std::function<void()>;
    static void SetClickBroadcast(ClickBroadcast hook);
    static void SetSettingsRunner(SettingsRunner runner);

    std::string GetKindName() const override { return "CPort"; }
    // State change with lamp updates: lamps of kind LINK or S100M follow states 0 and 1, every other
    // case gives lamps 2; then the state's image is loaded. Same state: nothing happens.
    void SetState(int state);
    // False (nothing stored) for a state outside 0..4 or a name longer than kMaxFileName.
    bool SetStateImage(int state, const std::string& fileName);
    std::string GetStateImage(int state) const;
    void SetClickValue(LPARAM value) { m_clickValue = value; }
    LPARAM GetClickValue() const { return m_clickValue; }

    int Refresh() override;
    void OnMouseMove(int x, int y) override;
    void OnLButtonDown(int x, int y) override;

private:
    std::string m_stateImages[kStateCount];
    LPARAM m_clickValue = 0;
};

// Lamp kinds and states.
enum LampKind : int { LAMP_LINK = 0, LAMP_S100M = 1, LAMP_POWER = 2, LAMP_CONSOLE = 3 };
enum LampState : int { LAMPON = 0, LAMP1G = 1, LAMPOFF = 2 };

class CLamp : public CVirtualDev, public CObserver {
public:
    static constexpr int kStateCount = 4;
    CLamp();
    std::string GetKindName() const override { return "CLamp"; }
    void SetKind(int kind) override { m_kind = kind; }
    int GetKind() const { return m_kind; }
    bool IsKind(int kind) const { return m_kind == kind; }
    bool SetStateImage(int state, const std::string& fileName);
    // Subject value 0 -> lamp state 0, 1 -> 1, anything else 2; then Draw.
    void Update() override;
    int Refresh() override { return 1; }
    // The current lamp state's image at natural size at the design left and top (when it has one).
    void Draw() override;

private:
    int m_kind = -1;
    std::string m_stateImages[kStateCount];
    CDIBitmap m_stateImage[kStateCount];
};

class CLed : public CVirtualDev, public CObserver {
public:
    static constexpr int kValueCount = 10;
    CLed();
    std::string GetKindName() const override { return "CLed"; }
    bool SetDigitImage(int value, const std::string& fileName);
    std::string GetDigitImage(int value) const;
    void SetValue(int value) { m_value = value; }
    int GetValue() const { return m_value; }
    void Update() override { Draw(); }
    // Loads the image of the current value (0..9); other values load nothing and give 1.
    int Refresh() override;

private:
    int m_value = 0;
    std::string m_digitImages[kValueCount];
};

// Port n (1-based) of the panel: the (n-1)-th CPort among the root's direct children, or null when
// there is none (n below 1 or past the last port).
CPort* FindPort(const CVirtualDev& root, int portNumber);

}  // namespace ksx
