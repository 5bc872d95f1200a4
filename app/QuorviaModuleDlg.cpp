#include "app/QuorviaModuleDlg.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMetaObject>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "app/CommandLine.h"
#include "app/InstanceGuard.h"
#include "app/ModalWindows.h"
#include "app/MyBitmapApp.h"
#include "app/PanelDeviceThread.h"
#include "app/QuorviaModuleApp.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/Process.h"
#include "platform/sys/Profile.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/MenuBar.h"
#include "platform/ui/Text.h"
#include "res/MenuTable.h"
#include "res/panel_ids.h"
#include "res/resource.h"

unsigned char g_bBlinkPhase = 0;

namespace ksx {

namespace {

#include "res/icon447.xpm"

constexpr std::size_t kMaxProfileText = 259;  // the 260-character buffers of the profile reads
constexpr int kStopSliceMs = 20;              // how often a waiting read looks at the stop flag
constexpr const char* kSection = "DeviceInfo";

std::mutex g_hookMutex;
CQuorviaModuleDlg::ProcessStarter g_processStarter;
std::function<void()> g_firstLivePaintHook;

bool StartProgram(const std::vector<std::string>& argv) {
    CQuorviaModuleDlg::ProcessStarter starter;
    {
        std::lock_guard<std::mutex> lock(g_hookMutex);
        starter = g_processStarter;
    }
    return starter ? starter(argv) : StartProcess(argv);
}

// Decimal reading of the device's texts: optional sign and digits up to the first other character;
// text without digits reads 0; values beyond int are clamped.
int DecimalValue(const std::string& text) {
    errno = 0;
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

// Takes the head item (up to the first ",") off a comma list.
std::string TakeHead(std::string& list) {
    const std::size_t comma = list.find(',');
    std::string head = list.substr(0, comma);
    list.erase(0, comma == std::string::npos ? list.size() : comma + 1);
    return head;
}

std::string ValueText(CSnmp* response, int index) {
    int length = 0;
    char* value = nullptr;
    if (response == nullptr || response->getValue(index, &length, &value) != 0 || value == nullptr) {
        return std::string();
    }
    return std::string(value, static_cast<std::size_t>(std::max(length, 0)));
}

bool IsYes(const std::string& text) {
    return text == "Y" || text == "y";
}

// A panel description named relatively is looked for from the current folder, then beside User.ini.
std::string ResolvePanelFile(const std::string& xmlName, const std::string& iniPath) {
    QFileInfo direct(ui::ToQ(xmlName));
    if (direct.isAbsolute() || direct.exists()) {
        return xmlName;
    }
    QFileInfo beside(QFileInfo(ui::ToQ(iniPath)).absoluteDir(), ui::ToQ(xmlName));
    return beside.exists() ? ui::ToStd(beside.absoluteFilePath()) : xmlName;
}

}  // namespace

// ---- Construction ----

CQuorviaModuleDlg::CQuorviaModuleDlg(QWidget* parent)
    : CBitmapDialog(IDD_QUORVIAMODULE_DIALOG, parent), m_hIcon(ApplicationIcon()) {
    std::fill(std::begin(m_PortLedCode), std::end(m_PortLedCode), static_cast<unsigned char>(3));
    m_fanRead.session = &m_cCommonSNMPFan;
    m_fanRead.owner = this;
    m_poeRead.session = &m_cCommonSNMPPoe;
    m_poeRead.owner = this;
    setWindowTitle("QuorviaModule");
    // The main window, unlike the feature dialogs, can be minimised and maximised.
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    TrackModalWindows();
    OwnReader(m_reboot);
    // The bitmap store: a hidden window of its own.
    delete g_pMyBitmapApp;
    g_pMyBitmapApp = new CMyBitmapApp();
}

CQuorviaModuleDlg::~CQuorviaModuleDlg() {
    StopPolling();
    CPort::SetSettingsRunner(nullptr);
    delete g_pMyBitmapApp;
    g_pMyBitmapApp = nullptr;
}

QIcon CQuorviaModuleDlg::ApplicationIcon() {
    return QIcon(QPixmap(icon447_xpm));
}

void CQuorviaModuleDlg::SetProcessStarter(ProcessStarter starter) {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_processStarter = std::move(starter);
}

void CQuorviaModuleDlg::SetFirstLivePaintHook(std::function<void()> hook) {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_firstLivePaintHook = std::move(hook);
}

void CQuorviaModuleDlg::CreateControls() {
    SetMenu(MainMenuTable());
    for (unsigned id : FeatureCommands()) {
        OnCommand(static_cast<int>(id), [this, id] { OnFeatureCommand(id); });
    }
    OnCommand(IDM_SAVE_CONFIGURATION, [this] { OnSaveConfiguration(); });
    OnCommand(IDM_REBOOT, [this] { OnReboot(); });
    OnCommand(IDM_TELNET, [this] { OnTelnet(); });
    OnCommand(IDM_WEB, [this] { OnWeb(); });
    OnCommand(IDM_APP_ABOUT, [this] { OnAbout(); });
    OnMessage(WM_PANEL_FAN_STATUS, [this](WPARAM wParam, LPARAM) -> LRESULT {
        m_strFanStatus = wParam == 1 ? "1" : "2";
        return 1;
    });
    OnMessage(WM_PANEL_LINK_WALK, [this](WPARAM, LPARAM lParam) -> LRESULT {
        return lParam != 0 ? OnLinkWalkResult(*reinterpret_cast<const LinkWalkResult*>(lParam)) : 0;
    });
    OnMessage(WM_PANEL_POE_WALK, [this](WPARAM, LPARAM lParam) -> LRESULT {
        return lParam != 0 ? OnPoeWalkResult(*reinterpret_cast<const PoeWalkResult*>(lParam)) : 0;
    });
    OnMessage(kAuthFailedMessage, [this](WPARAM wParam, LPARAM) -> LRESULT {
        OnAuthFailed(static_cast<int>(wParam));
        return 1;
    });
    OnMessage(WM_PANEL_LED_MODE, [this](WPARAM, LPARAM) -> LRESULT {
        Client()->update();
        return 1;
    });
    OnMessage(WM_DRAW_KEYED_BITMAP, [this](WPARAM, LPARAM lParam) -> LRESULT {
        if (PaintDC() != nullptr && g_pMyBitmapApp != nullptr) {
            g_pMyBitmapApp->Draw(*PaintDC(), static_cast<int>(lParam), m_ptPortLed.x(), m_ptPortLed.y());
        }
        return 0;
    });
}

int CQuorviaModuleDlg::OnInitDialog() {
    SetTopmost(true);
    CBitmapDialog::OnInitDialog();
    // The window system's own menu (with its About item) has no counterpart here.
    SetIcon(m_hIcon);
    m_bLinkLedMode = 1;
    m_BIsPowMax = 0;
    m_strFanStatus = "1";

    const std::string ini = UserIniPath();
    const std::string name =
        GetPrivateProfileString(kSection, "DeviceName", "", ini).substr(0, kMaxProfileText);
    g_strDeviceName = name;
    m_strDeviceName = name;
    if (name.empty()) {
        GiveUpInstance();
        AfxMessageBox("Read User.ini Error !", MB_OK);
        return 1;
    }
    g_nPortNum = GetPrivateProfileInt(kSection, "DevicePortNum", 28, ini);
    m_nPortNum = g_nPortNum;
    m_nComboPortOffset = 0;
    if (m_nPortNum > kMaxPortNum) {
        // No model has more ports: the per-port tables of every dialog would be sized by this number.
        g_nPortNum = 0;
        m_nPortNum = 0;
        GiveUpInstance();
        AfxMessageBox("Read User.ini Error !", MB_OK);
        return 1;
    }
    const std::string xmlName =
        GetPrivateProfileString(kSection, "XMLName", "", ini).substr(0, kMaxProfileText);
    if (xmlName.empty()) {
        GiveUpInstance();
        AfxMessageBox("Read User.ini Error !", MB_OK);
        return 1;
    }
    g_bIsAllGiga = IsYes(GetPrivateProfileString(kSection, "IsAllGiga", "", ini)) ? 1 : 0;
    g_bIsHasFan = IsYes(GetPrivateProfileString(kSection, "IsHasFan", "", ini)) ? 1 : 0;
    m_pPortMedium.assign(static_cast<std::size_t>(std::max(m_nPortNum, 0)), 0);

    const std::string panelFile = ResolvePanelFile(xmlName, ini);
    LoadPanel(panelFile);
    if (!PanelLoaded()) {
        // The window stays up without panel, overlays or polling; the menu still works.
        GiveUpInstance();
        AfxMessageBox("Cannot read the panel description " + xmlName + " !", MB_OK);
        SetWindowText(m_strDeviceName + ": " + g_strDeviceIP);
        TailorMenu();
        return 1;
    }
    if (g_pMyBitmapApp != nullptr) {
        for (int id : {IDB_PANEL_LAMP_BASE_ODD, IDB_PANEL_LAMP_BASE_EVEN, IDB_PANEL_LAMP1_EVEN,
                       IDB_PANEL_LAMP1_ODD, IDB_PANEL_BADGE, IDB_PANEL_LAMP0_EVEN, IDB_PANEL_LAMP0_ODD,
                       IDB_PANEL_ALERT, IDB_PANEL_LEDMODE_ON, IDB_PANEL_LEDMODE_OFF, IDB_PANEL_SPARE}) {
            g_pMyBitmapApp->LoadBitmap(Client(), id);
        }
    }
    SetWindowText(m_strDeviceName + ": " + g_strDeviceIP);
    if (CMenuBar* menu = GetMenu()) {
        menu->ReplaceAt({kMenuAbout}, 0, IDM_APP_ABOUT, "About " + m_strDeviceName);
    }
    SetAllLedCodes(3);

    // An address or port that no request can reach: say so instead of polling nothing for ever.
    const std::string unusable = UnusableTarget(g_strDeviceIP, g_strSnmpPort);
    if (unusable.empty()) {
        m_pPanelThread = std::make_unique<CPanelDeviceThread>();
        m_pPanelThread->m_pOwner = this;
        m_pPanelThread->ResumeThread();
    } else {
        GiveUpInstance();
        AfxMessageBox(unusable, MB_OK);
    }

    TailorMenu();
    // A click on a port opens the port settings dialog; the window stays shown and polling goes on.
    CPort::SetSettingsRunner([] { ui::FeatureRegistry::Instance().Run(IDM_PORT_CONFIGURATION); });
    return 1;
}

void CQuorviaModuleDlg::OnAuthFailed(int status) {
    bool& said = status == CSnmp4w::EC_PRIV_FAILED ? m_bPrivFailureSaid : m_bAuthFailureSaid;
    if (said) {
        return;
    }
    said = true;
    AfxMessageBox(SnmpV3FailureText(status == CSnmp4w::EC_PRIV_FAILED ? status : CSnmp4w::EC_AUTH_FAILED),
                  MB_OK | MB_ICONERROR);
}

void CQuorviaModuleDlg::GiveUpInstance() {
    // A window that manages nothing does not hold the device: a corrected start runs instead of only
    // bringing this one to the front.
    if (CInstanceGuard* guard = theApp.GetInstanceGuard()) {
        guard->Release();
    }
}

void CQuorviaModuleDlg::TailorMenu() {
    CMenuBar* menu = GetMenu();
    if (menu == nullptr) {
        return;
    }
    if (m_strDeviceName.find("KSE") != std::string::npos) {
        menu->RemoveCommand(IDM_JUMBO_FRAME);
    }
    if (m_strDeviceName.find_first_of("Pp") == std::string::npos) {
        for (unsigned id : PoeMenuCommands()) {
            menu->RemoveCommand(id);
        }
        menu->RemoveAt({kMenuDeviceManager}, kPoePopupPosition);
    }
}

// ---- Views ----

int CQuorviaModuleDlg::PortLedCode(int index) const {
    return index >= 0 && index < kPortLedCodeCount ? m_PortLedCode[index] : 3;
}

int CQuorviaModuleDlg::PortMedium(int index) const {
    return index >= 0 && index < static_cast<int>(m_pPortMedium.size())
               ? m_pPortMedium[static_cast<std::size_t>(index)]
               : 0;
}

bool CQuorviaModuleDlg::IsPolling() const {
    return m_pPanelThread && m_pPanelThread->IsRunning();
}

// ---- Commands ----

void CQuorviaModuleDlg::OnFeatureCommand(unsigned id) {
    const ui::FeatureRegistry& features = ui::FeatureRegistry::Instance();
    if (!features.Has(static_cast<int>(id))) {
        return;  // the dialog of this command is not part of this build
    }
    if (id == IDM_SNMP_HOST) {
        // This one runs with the main window shown and polling going on.
        features.Run(static_cast<int>(id));
        return;
    }
    ShowWindow(SW_HIDE);
    m_bBusy = 1;
    ShowWindow(SW_MINIMIZE);
    features.Run(static_cast<int>(id));
    m_bBusy = 0;
    ShowWindow(SW_SHOWNORMAL);
}

void CQuorviaModuleDlg::OnAbout() {
    CAboutDlg dlg;
    ShowWindow(SW_HIDE);
    m_bBusy = 1;
    ShowWindow(SW_MINIMIZE);
    dlg.DoModal();
    m_bBusy = 0;
    ShowWindow(SW_SHOWNORMAL);
}

void CQuorviaModuleDlg::OnSaveConfiguration() {
    if (AfxMessageBox("Do you want to save the configuration?",
                      MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) != IDOK) {
        return;
    }
    m_cCommonSNMPset.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPset.AddVarBind(kSaveConfigOid, SNMP_TYPE_INTEGER, "1");
    CSnmp* response = nullptr;
    const int status = m_cCommonSNMPset.Send(response, 4000);
    int errorStatus = 0;
    int errorIndex = 0;
    if (status == 0 && response != nullptr) {
        response->getErrorStatus(&errorStatus, &errorIndex);
    }
    delete response;
    // An answer carrying an error status is a failure too.
    if (status == 0 && errorStatus == 0) {
        MessageBox("           Success!           ", "", MB_OK);
    } else {
        MessageBox("           Failed!            ", "", MB_OK);
    }
}

void CQuorviaModuleDlg::OnReboot() {
    // The main window is neither hidden nor marked busy for it, and takes events while it runs.
    m_reboot.Run();
}

void CQuorviaModuleDlg::OnTelnet() {
    std::vector<std::string> argv{"x-terminal-emulator", "-e", "telnet"};
    if (!g_strDeviceIP.empty()) {
        argv.push_back(g_strDeviceIP);
    }
    if (StartProgram(argv)) {
        return;
    }
    argv[0] = "xterm";
    if (!StartProgram(argv)) {
        std::printf("error code:%d \n", errno);
        std::fflush(stdout);
    }
}

void CQuorviaModuleDlg::OnWeb() {
    if (AfxMessageBox("Do you want to access this device with browser?",
                      MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) != IDOK) {
        return;
    }
    const std::string browser = CUtils::GetDefaultBrowserPath();
    if (browser.empty()) {
        AfxMessageBox("Failed to get IE path !", MB_OK);
        return;
    }
    std::vector<std::string> argv{browser};
    if (!g_strDeviceIP.empty()) {
        argv.push_back(g_strDeviceIP);
    }
    StartProgram(argv);  // a failure is silent
}

void CQuorviaModuleDlg::OnModuleMessage() {
    // A second start for this device: come to the front, also from minimised or behind others. While
    // a feature dialog or a box is open, that one comes to the front and this window stays as it is.
    if (RaiseModalAbove(this)) {
        return;
    }
    ShowWindow(SW_SHOWNORMAL);
    SetTopmost(true);
    SetTopmost(false);
    BringToFront();
}

LRESULT CQuorviaModuleDlg::WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) {
    if (msg == g_uModuleMessage && g_uModuleMessage != 0) {
        OnModuleMessage();
    }
    return CBitmapDialog::WindowProc(msg, wParam, lParam);
}

// ---- Shutdown ----

void CQuorviaModuleDlg::StopPolling() {
    if (!m_pPanelThread) {
        return;
    }
    m_pPanelThread->Stop();
    m_pPanelThread->Join();  // its reads see the flag and cancel their requests
    m_pPanelThread.reset();
}

void CQuorviaModuleDlg::OnOK() {
    StopPolling();
    CBitmapDialog::OnOK();
}

void CQuorviaModuleDlg::OnCancel() {
    // Closed while a feature dialog or a box is open above: those end first, innermost first, as their
    // Cancel would (a run of theirs ends as a stop and hands on its put-back), then the close comes back
    // here. Left open, a dialog would hold this window's loop until the user closed it.
    if (ModalAbove(this) != nullptr) {
        EndModalsThenClose(this);
        return;
    }
    StopPolling();
    CBitmapDialog::OnCancel();
}

int CQuorviaModuleDlg::DestroyWindow() {
    StopPolling();
    TRACE("==================DestroyWindow===============");
    m_cCommonSNMP.Close();
    TRACE("==================m_cCommonSNMP.Close===============");
    m_cCommonSNMPset.Close();
    TRACE("==================m_cCommonSNMPset.Close===============");
    m_cCommonSNMPFan.Close();
    TRACE("==================m_cCommonSNMPFan.Close===============");
    m_cCommonSNMPPoe.Close();
    TRACE("==================m_cCommonSNMPPoe.Close===============");
    m_cCommonSNMPDevStat.Close();
    TRACE("==================m_cCommonSNMPDevStat.Close===============");
    m_cCommonSNMPPoeStat.Close();
    TRACE("==================m_cCommonSNMPPoeStat.Close===============");
    CPort::SetSettingsRunner(nullptr);
    return CBitmapDialog::DestroyWindow();
}

// ---- Polling thread ----

bool CQuorviaModuleDlg::StopRequested() const {
    return m_pPanelThread && m_pPanelThread->IsStopping();
}

bool CQuorviaModuleDlg::PollSleep(int ms) {
    if (m_pPanelThread) {
        return m_pPanelThread->Sleep(ms);
    }
    CEvent never;
    never.Wait(static_cast<unsigned>(std::max(ms, 0)));
    return true;
}

int CQuorviaModuleDlg::OnReadNow(CSnmp* response, int requestId, void* context, int status) {
    auto* slot = static_cast<ReadSlot*>(context);
    if (slot->session->FindRequestID(requestId) == 0) {
        delete response;
        return 0;
    }
    ReadResult result;
    result.status = status;
    if (status == CSnmp4w::EC_AUTH_FAILED || status == CSnmp4w::EC_PRIV_FAILED) {
        slot->owner->PostMessage(kAuthFailedMessage, static_cast<WPARAM>(status), 0);
    }
    if (status == 0 && response != nullptr) {
        int errorIndex = 0;
        response->getErrorStatus(&result.errorStatus, &errorIndex);
        for (int i = 0; i < response->getVarBindCount(); ++i) {
            result.values.push_back(ValueText(response, i));
        }
    }
    delete response;
    {
        std::lock_guard<std::mutex> lock(slot->mutex);
        slot->result = std::move(result);
    }
    slot->session->SetDone();
    return 0;
}

CQuorviaModuleDlg::ReadResult CQuorviaModuleDlg::ReadNow(CCommonSNMP& session, int timeoutMs) {
    ReadSlot& slot = &session == &m_cCommonSNMPFan ? m_fanRead : m_poeRead;
    {
        std::lock_guard<std::mutex> lock(slot.mutex);
        slot.result = ReadResult{};
    }
    // Sent on the session's worker so that a stop can cancel it at once.
    session.StartAsyncWalk(&CQuorviaModuleDlg::OnReadNow, &slot, timeoutMs);
    while (!session.WaitDone(kStopSliceMs)) {
        if (StopRequested()) {
            session.Close();  // cancels the request and waits for the worker
            break;
        }
    }
    std::lock_guard<std::mutex> lock(slot.mutex);
    return slot.result;
}

void CQuorviaModuleDlg::GetFanStatus() {
    TRACE("======GetGetFanStatus======");
    m_cCommonSNMPFan.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMPFan.AddVarBind(kFanStatusOid, SNMP_TYPE_NULL, "");
    const ReadResult r = ReadNow(m_cCommonSNMPFan, 500);
    // An answer with an error status carries no fan state: keep the last one.
    if (r.status != 0 || r.errorStatus != 0 || r.values.empty()) {
        return;
    }
    SendMessage(WM_PANEL_FAN_STATUS, r.values[0] == "1" ? 1 : 2, 0);
}

int CQuorviaModuleDlg::Get10PPOEOrLinkStatus() {
    TRACE("------------Get10PPOEOrLinkStatus");
    if (m_bPoeWalkPending.load() == 1 && g_nPoeSkipCount.load() < 3) {
        ++g_nPoeSkipCount;
        return -1;
    }
    g_nPoeSkipCount = 0;
    m_bPoeWalkPending = 1;

    m_cCommonSNMPPoe.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMPPoe.AddVarBind(kLedModeOid, SNMP_TYPE_NULL, "");
    m_cCommonSNMPPoe.AddVarBind(kPoePowerOid, SNMP_TYPE_NULL, "");
    const ReadResult r = ReadNow(m_cCommonSNMPPoe, 5000);
    if (r.status == 0 && r.errorStatus == 0 && r.values.size() >= 2) {
        const int mode = r.values[0] == "1" ? 1 : 0;
        TRACE(mode != m_bLinkLedMode.load() ? "______change" : "_______un change");
        m_bLinkLedMode = mode;
        const bool powMax = std::strtod(r.values[1].c_str(), nullptr) <= 15.4;
        TRACE(powMax ? "pThis->m_BIsPowMax = TRUE" : "pThis->m_BIsPowMax = FALSE");
        m_BIsPowMax = powMax ? 1 : 0;
        PostMessage(WM_PANEL_LED_MODE, 0, 0);
    }
    if (!PollSleep(CPanelDeviceThread::GetTiming().poeSettleMs)) {
        m_bPoeWalkPending = 0;
        return 0;
    }
    if (m_bLinkLedMode.load() == 1) {
        GetLinkStatus();
    } else {
        GetPOEPortStatus();
    }
    return 0;
}

void CQuorviaModuleDlg::GetLinkStatus() {
    // Opening ends a walk still running on this session before its lists are emptied.
    m_cCommonSNMPDevStat.Open(CCommonSNMP::REQUEST_GETNEXT);
    m_linkWalk = LinkWalkResult{};
    for (const char* oid : {kIfTypeOid, kIfSpeedOid, kIfAdminStatusOid, kIfOperStatusOid, kPortMediumOid}) {
        m_cCommonSNMPDevStat.AddVarBind(oid, SNMP_TYPE_NULL, "");
    }
    if (StopRequested()) {
        return;
    }
    m_cCommonSNMPDevStat.StartAsyncWalk(&CQuorviaModuleDlg::OnLinkStatusWalk, this, 5000);
}

void CQuorviaModuleDlg::GetPOEPortStatus() {
    TRACE("--1----GetPOEPortStatus---------");
    m_cCommonSNMPPoeStat.Open(CCommonSNMP::REQUEST_GETNEXT);
    m_poeWalk = PoeWalkResult{};
    m_cCommonSNMPPoeStat.AddVarBind(kPoePortStatusOid, SNMP_TYPE_NULL, "");
    if (StopRequested()) {
        m_bPoeWalkPending = 0;
        return;
    }
    m_cCommonSNMPPoeStat.StartAsyncWalk(&CQuorviaModuleDlg::OnPoePortWalk, this, 5000);
}

int CQuorviaModuleDlg::OnLinkStatusWalk(CSnmp* response, int requestId, void* window, int status) {
    auto* self = static_cast<CQuorviaModuleDlg*>(window);
    CCommonSNMP& session = self->m_cCommonSNMPDevStat;
    if (session.FindRequestID(requestId) == 0) {
        delete response;
        return 0;
    }
    LinkWalkResult& walk = self->m_linkWalk;
    if (status == 0 && response != nullptr) {
        std::string index, speed, admin, oper, medium;
        for (int i = 0; i < response->getVarBindCount(); ++i) {
            const char* oid = response->getOid(i);
            if (oid != nullptr && std::string(oid).find("1.3.6.1.4.1.7393.7777.1.") != std::string::npos) {
                continue;
            }
            switch (i) {
                case 0: {
                    char* suffix = nullptr;
                    session.GetResponseOid(i, response, &suffix);
                    std::string text = suffix != nullptr ? suffix : "";
                    const std::size_t dot = text.find('.');
                    index = dot == std::string::npos ? text : text.substr(dot + 1);
                    break;
                }
                case 1:
                    speed = ValueText(response, i);
                    break;
                case 2:
                    admin = ValueText(response, i);
                    break;
                case 3:
                    oper = ValueText(response, i);
                    break;
                case 4:
                    medium = ValueText(response, i);
                    break;
                default:
                    break;
            }
        }
        delete response;
        if (DecimalValue(index) <= self->m_nPortNum) {
            walk.adminStatusList += admin + ",";
            walk.operStatusList += oper + ",";
            walk.speedList += speed + ",";
            walk.indexList += index + ",";
            walk.mediumList += medium + ",";
            session.StartAsyncWalk(&CQuorviaModuleDlg::OnLinkStatusWalk, self, 5000);
            return 0;
        }
        // A row past the ports (VLAN or CPU interfaces): the collection is complete.
        walk.status = 0;
    } else {
        delete response;
        walk.status = status == 0 ? -1 : status;
        if (status == -1) {
            TRACE("-----------------TIMEOUT-------------------TIMEOUT");
        }
    }
    self->SendMessage(WM_PANEL_LINK_WALK, 0, reinterpret_cast<LPARAM>(&walk));
    session.SetDone();
    self->m_bPoeWalkPending = 0;
    return 0;
}

int CQuorviaModuleDlg::OnPoePortWalk(CSnmp* response, int requestId, void* window, int status) {
    auto* self = static_cast<CQuorviaModuleDlg*>(window);
    CCommonSNMP& session = self->m_cCommonSNMPPoeStat;
    if (session.FindRequestID(requestId) == 0) {
        delete response;
        return 0;
    }
    PoeWalkResult& walk = self->m_poeWalk;
    if (status == 0 && response != nullptr) {
        std::string index, text;
        for (int i = 0; i < response->getVarBindCount(); ++i) {
            char* suffix = nullptr;
            session.GetResponseOid(i, response, &suffix);
            const std::string s = suffix != nullptr ? suffix : "";
            index = s.size() > 3 ? s.substr(3) : std::string();
            text = ValueText(response, i);
            TRACE("----------POE--------%s", text.c_str());
        }
        delete response;
        if (DecimalValue(index) <= self->m_nPortNum) {
            walk.indexList += index + ",";
            walk.statusList += text + ",";
            session.StartAsyncWalk(&CQuorviaModuleDlg::OnPoePortWalk, self, 5000);
            return 0;
        }
        walk.status = 0;
    } else {
        delete response;
        walk.status = status == 0 ? -1 : status;
    }
    self->SendMessage(WM_PANEL_POE_WALK, 0, reinterpret_cast<LPARAM>(&walk));
    session.SetDone();
    self->m_bPoeWalkPending = 0;
    return 0;
}

// ---- Results on the UI thread ----

void CQuorviaModuleDlg::SetAllLedCodes(unsigned char code) {
    std::fill(std::begin(m_PortLedCode), std::end(m_PortLedCode), code);
}

LRESULT CQuorviaModuleDlg::OnLinkWalkResult(const LinkWalkResult& r) {
    if (r.status == 0) {
        RefreshPortStatus(r.adminStatusList, r.operStatusList, r.indexList, r.speedList, r.mediumList);
        Client()->update();
        return 1;
    }
    SetAllLedCodes(3);
    const bool v3Failure = r.status == CSnmp4w::EC_AUTH_FAILED || r.status == CSnmp4w::EC_PRIV_FAILED;
    if (v3Failure) {
        // Said after this handler: the walk's worker is waiting for it.
        PostMessage(kAuthFailedMessage, static_cast<WPARAM>(r.status), 0);
    }
    if (r.status == -1 || v3Failure) {
        ResetPortStates();
        Client()->update();
    } else if (r.status == -2) {
        RefreshPortStatus(r.adminStatusList, r.operStatusList, r.indexList, r.speedList, r.mediumList);
        Client()->update();
    }
    return 1;
}

LRESULT CQuorviaModuleDlg::OnPoeWalkResult(const PoeWalkResult& r) {
    if (r.status == 0) {
        RefreshPOEPortStatus(r.indexList, r.statusList);
        Client()->update();
        return 1;
    }
    SetAllLedCodes(3);
    if (r.status == CSnmp4w::EC_AUTH_FAILED || r.status == CSnmp4w::EC_PRIV_FAILED) {
        PostMessage(kAuthFailedMessage, static_cast<WPARAM>(r.status), 0);
    }
    if (r.status == -2) {
        RefreshPOEPortStatus(r.indexList, r.statusList);
        Client()->update();
    }
    return 1;
}

void CQuorviaModuleDlg::SetPortRow(int index, int state, int medium) {
    // index is 1-based and already known to be within the port count.
    if (CPort* port = FindPort(m_DevModule, index)) {
        port->SetState(state);
    }
    if (index <= kPortLedCodeCount) {
        m_PortLedCode[index - 1] = static_cast<unsigned char>(state);
    }
    if (index <= static_cast<int>(m_pPortMedium.size())) {
        m_pPortMedium[static_cast<std::size_t>(index - 1)] = medium;
    }
}

void CQuorviaModuleDlg::RefreshPortStatus(std::string adminList, std::string operList, std::string indexList,
                                          std::string speedList, std::string mediumList) {
    const int topSpeedLimit = m_nPortNum == 10 ? m_nPortNum - 2 : m_nPortNum - 4;
    while (!indexList.empty()) {
        const std::string admin = TakeHead(adminList);
        const std::string oper = TakeHead(operList);
        const std::string speed = TakeHead(speedList);
        const int medium = DecimalValue(TakeHead(mediumList));
        const int index = DecimalValue(TakeHead(indexList));

        int state = 0;
        if (admin != "1") {
            state = PORTDISABLED;
        } else if (oper != "1") {
            state = PORTENABLE;
        } else {
            const char* top = (g_bIsAllGiga == 1 || index > topSpeedLimit) ? "1000000000" : "100000000";
            state = speed == top ? PORTLINK10 : PORTLINK100;
        }
        // Indexes that name no port ("0", text, past the port count) change nothing.
        if (index < 1 || index > m_nPortNum) {
            continue;
        }
        SetPortRow(index, state, medium);
    }
    m_bLiveStates = true;
    SetTimer(IDT_POLL_BLINK, 200);
}

void CQuorviaModuleDlg::RefreshPOEPortStatus(std::string indexList, std::string statusList) {
    TRACE("==2.=====RefreshPOEPortStatus============");
    TRACE("%s", indexList.c_str());
    TRACE("%s", statusList.c_str());
    while (!indexList.empty()) {
        const int index = DecimalValue(TakeHead(indexList));
        const std::string text = TakeHead(statusList);
        int code = 0;
        if (text == "POWER ON") {
            code = 1;
        } else if (text == "POWER OFF" || text == "Time-based OFF") {
            code = 2;
        }
        if (index < 1 || index > m_nPortNum) {
            continue;
        }
        if (index == 1) {
            // The PoE rows cover the first 8 ports; the others show as off.
            for (int pos = 8; pos <= m_nPortNum - 1 + m_nComboPortOffset; ++pos) {
                if (auto* port = static_cast<CPort*>(m_DevModule.FindChildByClass("CPort", pos))) {
                    port->SetState(PORTDISABLED);
                }
            }
        }
        SetPortRow(index, code, 2);
    }
    m_bLiveStates = true;
    SetTimer(IDT_POLL_BLINK, 200);
}

void CQuorviaModuleDlg::OnTimer(unsigned id) {
    if (id == IDT_POLL_BLINK) {
        Client()->repaint();
        g_bBlinkPhase = g_bBlinkPhase != 0 ? 0 : 1;
    }
    CBitmapDialog::OnTimer(id);
}

void CQuorviaModuleDlg::OnPaint(QPainter& dc) {
    if (isMinimized()) {
        const QRect client = Client()->rect();
        const QSize size(32, 32);
        const int x = (client.width() - size.width() + 1) / 2;
        const int y = (client.height() - size.height() + 1) / 2;
        dc.drawPixmap(x, y, m_hIcon.pixmap(size));
        return;
    }
    if (g_pMyBitmapApp == nullptr) {
        return;
    }
    PanelOverlayState state;
    state.deviceName = m_strDeviceName;
    state.portCount = m_nPortNum;
    state.portLedCode = m_PortLedCode;
    state.portLedCodeCount = kPortLedCodeCount;
    state.blinkPhase = g_bBlinkPhase;
    state.fanStatus = m_strFanStatus;
    state.isPowMax = m_BIsPowMax.load();
    state.linkLedMode = m_bLinkLedMode.load();
    PaintModelOverlays(dc, state, *g_pMyBitmapApp);
    const QPoint lamp = PaintPortLamps(dc, m_DevModule, state, *g_pMyBitmapApp);
    if (!lamp.isNull()) {
        m_ptPortLed = lamp;
    }

    if (m_bLiveStates && !m_bLivePaintReported) {
        m_bLivePaintReported = true;
        std::function<void()> hook;
        {
            std::lock_guard<std::mutex> lock(g_hookMutex);
            hook = g_firstLivePaintHook;
        }
        if (hook) {
            // After this paint has finished.
            QMetaObject::invokeMethod(
                this, [hook] { hook(); }, Qt::QueuedConnection);
        }
    }
}

// ---- About ----

CAboutDlg::CAboutDlg(QWidget* parent) : CDialog(IDD_ABOUTBOX, parent) {}

void CAboutDlg::CreateControls() {
    auto* grid = new QGridLayout(Client());
    auto* icon = new QLabel;
    icon->setPixmap(CQuorviaModuleDlg::ApplicationIcon().pixmap(32, 32));
    grid->addWidget(icon, 0, 0, 4, 1, Qt::AlignTop);
    grid->addWidget(RegisterControl(IDC_ABOUT_MODULE_NAME, new QLabel), 0, 1, 1, 2);
    const char* rows[][2] = {{"Firmware Version         ", ": 4.0X.XXX"},
                             {"Zelvion Module Version   ", ": 4.0.0.15"},
                             {"HardwareVersion        ", ": C1"}};
    for (int r = 0; r < 3; ++r) {
        grid->addWidget(new QLabel(rows[r][0]), r + 1, 1);
        grid->addWidget(new QLabel(rows[r][1]), r + 1, 2);
    }
    auto* ok = RegisterControl(IDOK, new QPushButton("OK"));
    ok->setDefault(true);
    grid->addWidget(ok, 4, 2, Qt::AlignRight);
}

int CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(CQuorviaModuleDlg::ApplicationIcon());
    SetWindowText(g_strDeviceName + " Module");
    SetDlgItemText(IDC_ABOUT_MODULE_NAME, g_strDeviceName + " Management Module");
    return 1;
}

}  // namespace ksx
