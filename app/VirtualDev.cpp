#include "app/VirtualDev.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QMetaObject>
#include <QPainter>
#include <QThread>
#include <QWidget>
#include <mutex>

#include "platform/sys/Globals.h"
#include "platform/sys/Process.h"

namespace ksx {

namespace {

std::mutex g_hookMutex;  // the hooks are installed once at start, read on the UI thread
CPort::ClickBroadcast g_clickBroadcast;
CPort::SettingsRunner g_settingsRunner;
CCom::CommandStarter g_commandStarter;
std::string g_imageFolder;

// Default console action: telnet to the device in a terminal window.
bool StartTelnet(const std::string& commandLine) {
    std::vector<std::string> telnet{"telnet"};
    const std::string prefix = "Telnet ";
    if (commandLine.size() > prefix.size()) {
        telnet.push_back(commandLine.substr(prefix.size()));
    }
    std::vector<std::string> argv{"x-terminal-emulator", "-e"};
    argv.insert(argv.end(), telnet.begin(), telnet.end());
    if (StartProcess(argv)) {
        return true;
    }
    argv[0] = "xterm";
    return StartProcess(argv);
}

}  // namespace

void AssertUiThread() {
    Q_ASSERT_X(QCoreApplication::instance() == nullptr ||
                   QThread::currentThread() == QCoreApplication::instance()->thread(),
               "front panel", "the panel tree is used from a thread other than the UI thread");
}

// ---- CSubject ----

void CSubject::AddObserver(CObserver* observer) {
    if (observer != nullptr) {
        m_observers.push_back(observer);
    }
}

void CSubject::NotifyObservers() {
    for (CObserver* o : m_observers) {
        o->Update();
    }
}

// ---- CVirtualDev ----

CVirtualDev::CVirtualDev() = default;

CVirtualDev::~CVirtualDev() {
    // Children go last to first.
    while (!m_children.empty()) {
        m_children.pop_back();
    }
}

void CVirtualDev::OnMouseMove(int x, int y) {
    if (HitTest(x, y)) {
        SetArrowCursor();
    }
}

int CVirtualDev::Refresh() {
    return LoadImage(m_imageFile);
}

void CVirtualDev::Draw() {
    AssertUiThread();
    if (m_dc == nullptr || m_image.IsEmpty() || m_width <= 0 || m_height <= 0) {
        return;
    }
    m_image.StretchDraw(m_dc, m_left, m_top, m_width, m_height);
}

void CVirtualDev::AddChild(std::unique_ptr<CVirtualDev> child) {
    if (child) {
        m_children.push_back(std::move(child));
    }
}

CVirtualDev* CVirtualDev::GetChildAt(int index) const {
    if (index < 0 || index >= static_cast<int>(m_children.size())) {
        return nullptr;
    }
    return m_children[static_cast<std::size_t>(index)].get();
}

CVirtualDev* CVirtualDev::FindChildByClass(const std::string& kindName, int n) const {
    if (n < 0) {
        return nullptr;
    }
    int seen = 0;
    for (const auto& c : m_children) {
        if (c->GetKindName() == kindName) {
            if (seen == n) {
                return c.get();
            }
            ++seen;
        }
    }
    return nullptr;
}

bool CVirtualDev::SetImageFile(const std::string& fileName) {
    if (fileName.size() > kMaxFileName) {
        return false;
    }
    m_imageFile = fileName;
    return true;
}

void CVirtualDev::SetRect(int left, int top, int width, int height) {
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
}

DevRect CVirtualDev::GetRect() const {
    return DevRect{m_left, m_top, m_left + m_width, m_top + m_height};
}

void CVirtualDev::SetState(int state) {
    AssertUiThread();
    if (state != m_state) {
        m_state = state;
    }
}

void CVirtualDev::Attach(QWidget* window) {
    m_window = window;
    if (window != nullptr) {
        const QRect r = window->rect();
        m_clientRect = DevRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    } else {
        m_clientRect = DevRect{};
    }
    for (auto& c : m_children) {
        c->Attach(window);
    }
}

void CVirtualDev::SetDrawDC(QPainter* dc) {
    m_dc = dc;
    for (auto& c : m_children) {
        c->SetDrawDC(dc);
    }
}

void CVirtualDev::DrawChildren() {
    for (auto& c : m_children) {
        c->Draw();
    }
}

bool CVirtualDev::HitTest(int x, int y) const {
    AssertUiThread();
    if (m_window == nullptr || m_clientRect.Width() <= 0 || m_clientRect.Height() <= 0) {
        return false;
    }
    return m_left + 2 < x && x < m_left + m_width - 2 && m_top + 2 < y && y < m_top + m_height - 2;
}

void CVirtualDev::SetImageFolder(const std::string& folder) {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_imageFolder = folder;
}

std::string CVirtualDev::ResolveImagePath(const std::string& fileName) {
    if (fileName.empty()) {
        return fileName;
    }
    const QFileInfo direct(QString::fromStdString(fileName));
    if (direct.isAbsolute() || direct.exists()) {
        return fileName;
    }
    std::string folder;
    {
        std::lock_guard<std::mutex> lock(g_hookMutex);
        folder = g_imageFolder;
    }
    if (folder.empty()) {
        return fileName;
    }
    return folder + "/" + fileName;
}

int CVirtualDev::LoadImage(const std::string& fileName) {
    if (fileName.empty()) {
        return 0;
    }
    return m_image.LoadFromFile(ResolveImagePath(fileName)) ? 1 : 0;
}

void CVirtualDev::SetArrowCursor() const {
    if (m_window != nullptr) {
        m_window->setCursor(Qt::ArrowCursor);
    }
}

void CVirtualDev::SetHandCursor() const {
    if (m_window != nullptr) {
        m_window->setCursor(Qt::PointingHandCursor);
    }
}

// ---- CDevModule ----

void CDevModule::OnMouseMove(int x, int y) {
    // Where no child is hit the window's own cursor applies.
    if (m_window != nullptr) {
        m_window->unsetCursor();
    }
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        m_children[i]->OnMouseMove(x, y);
    }
}

void CDevModule::OnLButtonDown(int x, int y) {
    // By index: a click may run a modal dialog, during which the tree is still read.
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        m_children[i]->OnLButtonDown(x, y);
    }
}

void CDevModule::Clear() {
    while (!m_children.empty()) {
        m_children.pop_back();
    }
    m_id.clear();
    m_name = "VirtualDev";
    SetRect(0, 0, 0, 0);
    m_imageFile.clear();
    m_image.Release();
}

// ---- CModule ----

void CModule::ResetPorts() {
    for (auto& c : m_children) {
        if (c->GetKindName() == "CPort") {
            static_cast<CPort*>(c.get())->SetState(PORTENABLE);
        } else if (c->GetKindName() == "CModule") {
            static_cast<CModule*>(c.get())->ResetPorts();
        }
    }
}

// ---- CPower and CCom ----

int CPower::Refresh() {
    CSubject::SetState(CVirtualDev::GetState());
    NotifyObservers();
    return 1;
}

void CCom::SetCommandStarter(CommandStarter starter) {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_commandStarter = std::move(starter);
}

int CCom::Refresh() {
    CSubject::SetState(CVirtualDev::GetState());
    NotifyObservers();
    return 1;
}

void CCom::OnMouseMove(int x, int y) {
    if (HitTest(x, y)) {
        SetHandCursor();
    }
}

void CCom::OnLButtonDown(int x, int y) {
    if (!HitTest(x, y)) {
        return;
    }
    const std::string commandLine = "Telnet " + g_strDeviceIP;
    CommandStarter starter;
    {
        std::lock_guard<std::mutex> lock(g_hookMutex);
        starter = g_commandStarter;
    }
    if (starter) {
        starter(commandLine);
    } else {
        StartTelnet(commandLine);  // a failure to start is ignored
    }
}

// ---- CPort ----

void CPort::SetClickBroadcast(ClickBroadcast hook) {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_clickBroadcast = std::move(hook);
}

void CPort::SetSettingsRunner(SettingsRunner runner) {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_settingsRunner = std::move(runner);
}

void CPort::SetState(int state) {
    AssertUiThread();
    if (state == m_state) {
        return;
    }
    m_state = state;
    for (CObserver* o : Observers()) {
        auto* lamp = dynamic_cast<CLamp*>(o);
        const bool follows = lamp != nullptr && (lamp->IsKind(LAMP_LINK) || lamp->IsKind(LAMP_S100M));
        CSubject::SetState((state == PORTLINK100 || state == PORTLINK10) && follows ? state : LAMPOFF);
        o->Update();
    }
    Refresh();
}

bool CPort::SetStateImage(int state, const std::string& fileName) {
    if (state < 0 || state >= kStateCount || fileName.size() > kMaxFileName) {
        return false;
    }
    m_stateImages[state] = fileName;
    return true;
}

std::string CPort::GetStateImage(int state) const {
    if (state < 0 || state >= kStateCount) {
        return {};
    }
    return m_stateImages[state];
}

int CPort::Refresh() {
    const int state = CVirtualDev::GetState();
    if (state >= 0 && state < kStateCount) {
        if (LoadImage(m_stateImages[state]) == 0) {
            return 0;
        }
    }
    CSubject::SetState(state);
    if (m_window != nullptr && m_dc == nullptr) {
        m_window->update(m_left, m_top, m_width, m_height);
    }
    return 1;
}

void CPort::OnMouseMove(int x, int y) {
    if (HitTest(x, y)) {
        SetHandCursor();
    }
}

void CPort::OnLButtonDown(int x, int y) {
    if (!HitTest(x, y)) {
        return;
    }
    ClickBroadcast broadcast;
    SettingsRunner runner;
    {
        std::lock_guard<std::mutex> lock(g_hookMutex);
        broadcast = g_clickBroadcast;
        runner = g_settingsRunner;
    }
    if (broadcast) {
        // A post, not a send: it arrives after the click has been handled.
        const LPARAM value = m_clickValue;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [broadcast, value] { broadcast(0, value); }, Qt::QueuedConnection);
    }
    if (runner) {
        runner();
    }
}

// ---- CLamp ----

CLamp::CLamp() {
    m_name = "Lamp";
}

bool CLamp::SetStateImage(int state, const std::string& fileName) {
    if (state < 0 || state >= kStateCount || fileName.size() > kMaxFileName) {
        return false;
    }
    m_stateImages[state] = fileName;
    if (fileName.empty()) {
        m_stateImage[state].Release();
        return true;
    }
    return m_stateImage[state].LoadFromFile(ResolveImagePath(fileName));
}

void CLamp::Update() {
    const CSubject* subject = GetSubject();
    const int value = subject != nullptr ? subject->GetState() : LAMPOFF;
    CVirtualDev::SetState(value == 0 ? LAMPON : value == 1 ? LAMP1G : LAMPOFF);
    Draw();
}

void CLamp::Draw() {
    AssertUiThread();
    const int state = CVirtualDev::GetState();
    if (state < 0 || state >= kStateCount || m_stateImage[state].IsEmpty()) {
        return;
    }
    if (m_dc != nullptr) {
        m_stateImage[state].DrawAt(m_dc, m_left, m_top);
    } else if (m_window != nullptr) {
        // Outside a paint: shown by the next one.
        m_window->update(m_left, m_top, m_stateImage[state].GetWidth(), m_stateImage[state].GetHeight());
    }
}

// ---- CLed ----

CLed::CLed() {
    m_name = "Led";
}

bool CLed::SetDigitImage(int value, const std::string& fileName) {
    if (value < 0 || value >= kValueCount || fileName.size() > kMaxFileName) {
        return false;
    }
    m_digitImages[value] = fileName;
    return true;
}

std::string CLed::GetDigitImage(int value) const {
    if (value < 0 || value >= kValueCount) {
        return {};
    }
    return m_digitImages[value];
}

int CLed::Refresh() {
    if (m_value >= 0 && m_value < kValueCount) {
        return LoadImage(m_digitImages[m_value]);
    }
    return 1;
}

CPort* FindPort(const CVirtualDev& root, int portNumber) {
    if (portNumber < 1) {
        return nullptr;
    }
    return static_cast<CPort*>(root.FindChildByClass("CPort", portNumber - 1));
}

}  // namespace ksx
