#include "app/PanelDeviceThread.h"

#include <mutex>
#include <string>

#include "app/QuorviaModuleDlg.h"
#include "platform/sys/Debug.h"
#include "platform/sys/DeliveryGate.h"
#include "platform/sys/Globals.h"

std::atomic<int> g_nPoeSkipCount{0};

namespace ksx {

namespace {
std::mutex g_timingMutex;
CPanelDeviceThread::Timing g_timing;
}  // namespace

void CPanelDeviceThread::SetTiming(const Timing& timing) {
    std::lock_guard<std::mutex> lock(g_timingMutex);
    g_timing = timing;
}

CPanelDeviceThread::Timing CPanelDeviceThread::GetTiming() {
    std::lock_guard<std::mutex> lock(g_timingMutex);
    return g_timing;
}

int CPanelDeviceThread::DefaultIntervalMs(const std::string& snmpVersion) {
    return snmpVersion == "1" ? 500 : 1000;
}

CPanelDeviceThread::~CPanelDeviceThread() {
    Stop();
    Join();
}

void CPanelDeviceThread::ResumeThread() {
    if (m_thread.Joinable()) {
        return;
    }
    m_thread.Start([this] {
        if (InitInstance()) {
            Run();
        }
    });
}

void CPanelDeviceThread::Stop() {
    m_bStop = 1;
    m_wake.Set();
}

void CPanelDeviceThread::Join() {
    if (!m_thread.Joinable()) {
        return;
    }
    DeliveryGate::WaitingFor waiting(m_thread.Id());
    m_thread.Join();
}

bool CPanelDeviceThread::Sleep(int ms) {
    if (ms > 0) {
        m_wake.Wait(static_cast<unsigned>(ms));
    }
    return !IsStopping();
}

int CPanelDeviceThread::Run() {
    if (m_pOwner == nullptr) {
        return -1;
    }
    const Timing timing = GetTiming();
    const int interval = timing.intervalMs > 0 ? timing.intervalMs : DefaultIntervalMs(g_strSnmpVersion);
    const std::string& name = m_pOwner->GetDeviceName();
    const bool poeModel = name.find_first_of("Pp") != std::string::npos;
    int last = 0;

    while (!IsStopping()) {
        if (!Sleep(timing.firstSleepMs)) {
            break;
        }
        if (!m_pOwner->IsBusy()) {
            if (g_bIsHasFan) {
                m_pOwner->GetFanStatus();
            }
            if (IsStopping()) {
                break;
            }
            if (poeModel) {
                TRACE("-----------------m_pOwner->Get10PPOEOrLinkStatus");
                last = m_pOwner->Get10PPOEOrLinkStatus();
            } else {
                m_pOwner->GetLinkStatus();
            }
        }
        int waits = 10;
        if (last == -1) {
            TRACE("-1-1-1-1-1-1-1-1-1-1-1-");
            waits = 2;
        }
        for (int i = 0; i < waits && Sleep(interval); ++i) {
        }
    }
    m_pOwner->ThreadExitEvent().Set();
    return 0;
}

}  // namespace ksx
