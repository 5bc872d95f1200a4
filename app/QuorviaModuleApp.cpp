#include "app/QuorviaModuleApp.h"

#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <mutex>

#include "app/CommandLine.h"
#include "app/FinishRuns.h"
#include "app/InstanceGuard.h"
#include "app/QuorviaModuleDlg.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/DeliveryGate.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/sys/Process.h"
#include "platform/sys/Profile.h"

unsigned g_uModuleMessage = 0;
unsigned g_uPortClickMessage = ksx::RegisterWindowMessage("{6FD9BA9B-9875-4c53-A57D-5E76258D10BE}");

namespace ksx {

namespace {

constexpr std::size_t kMaxProfileText = 259;  // the 260-character buffers of the profile reads

std::mutex g_settingsMutex;
std::string g_userIniPath;  // empty: beside the executable

// The counterpart of initialising the socket layer: the process can open a UDP socket.
bool SocketsAvailable() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

}  // namespace

CQuorviaModuleApp theApp;

unsigned RegisterWindowMessage(const std::string& name) {
    static std::mutex mutex;
    static std::map<std::string, unsigned> numbers;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = numbers.find(name);
    if (it != numbers.end()) {
        return it->second;
    }
    const unsigned number = 0xC000u + static_cast<unsigned>(numbers.size());
    numbers.emplace(name, number);
    return number;
}

std::string UserIniPath() {
    std::lock_guard<std::mutex> lock(g_settingsMutex);
    if (!g_userIniPath.empty()) {
        return g_userIniPath;
    }
    return GetModuleFolder() + "/User.ini";
}

void SetUserIniPath(const std::string& path) {
    std::lock_guard<std::mutex> lock(g_settingsMutex);
    g_userIniPath = path;
}

std::string InstanceName(const std::string& deviceName, const std::string& deviceIP) {
    return "Module:" + deviceName + deviceIP;
}

CQuorviaModuleApp::CQuorviaModuleApp() = default;

CQuorviaModuleApp::~CQuorviaModuleApp() = default;

int CQuorviaModuleApp::ParseCommandLine() {
    return ksx::ParseCommandLine(m_lpCmdLine);
}

std::string CQuorviaModuleApp::GetNextToken(std::size_t& pos) const {
    return ksx::GetNextToken(m_lpCmdLine, pos);
}

int CQuorviaModuleApp::InitInstance() {
    if (!SocketsAvailable()) {
        AfxMessageBox("Failed to initialize communication port !", MB_OK);
        return 0;
    }
    SnmpInit(this);
    SetSnmpTimeout(5000);
    // A UI thread waiting for a library worker abandons that worker's blocked sends to it.
    SetSnmpWaitHook([](std::thread::id worker) -> std::shared_ptr<void> {
        return std::make_shared<ksx::DeliveryGate::WaitingFor>(worker);
    });

    if (m_lpCmdLine.empty()) {
        AfxMessageBox("No parameter input !", MB_OK);
        return 0;
    }
    ParseCommandLine();

    std::string deviceName = GetPrivateProfileString("DeviceInfo", "DeviceName", "", UserIniPath());
    deviceName = deviceName.substr(0, kMaxProfileText);
    const std::string instance = InstanceName(deviceName, g_strDeviceIP);
    g_uModuleMessage = RegisterWindowMessage(instance);

    auto guard = std::make_unique<CInstanceGuard>(instance);
    if (!guard->Acquire()) {
        // Another instance manages this device: bring it to the front and end.
        guard->NotifyRunning();
        return 0;
    }
    m_hMutex = std::move(guard);  // held until the process ends

    CQuorviaModuleDlg dlg;
    m_pMainWnd = &dlg;
    m_hMutex->SetOnRaise([&dlg] { dlg.SendMessage(g_uModuleMessage, 0, 0); });
    dlg.DoModal();
    m_hMutex->SetOnRaise(nullptr);
    m_pMainWnd = nullptr;
    // Nothing the module started is abandoned: what goes on after its dialog closed ends first.
    FinishAfterCloseRuns();
    return 0;
}

}  // namespace ksx
