// The polling thread of the main window: paces the status reads (fan, LED mode and PoE power, link or
// PoE port status) that the main window performs. Never killed: Stop sets the flag and wakes every
// wait, the owner's reads cancel their requests, and Join waits for the end.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "platform/sys/Event.h"
#include "platform/sys/WorkerThread.h"

// Polls skipped in a row while a PoE-model walk has not ended.
extern std::atomic<int> g_nPoeSkipCount;

namespace ksx {

class CQuorviaModuleDlg;

class CPanelDeviceThread {
public:
    // The pace. The defaults are the module's: 500 ms before each poll, an interval of 500 ms for
    // SNMPv1 and 1000 ms otherwise (intervalMs 0), 10 intervals between polls (2 after a skipped one),
    // and 500 ms between the LED-mode read and the walk on PoE models. Tests shorten them.
    struct Timing {
        int firstSleepMs = 500;
        int intervalMs = 0;  // 0: by the SNMP version
        int poeSettleMs = 500;
    };
    static void SetTiming(const Timing& timing);
    static Timing GetTiming();
    // The interval for a version setting: 500 ms for "1", else 1000 ms.
    static int DefaultIntervalMs(const std::string& snmpVersion);

    CPanelDeviceThread() = default;
    virtual ~CPanelDeviceThread();  // stops and joins
    CPanelDeviceThread(const CPanelDeviceThread&) = delete;
    CPanelDeviceThread& operator=(const CPanelDeviceThread&) = delete;

    virtual int InitInstance() { return 1; }
    // The loop. -1 at once without an owner, else 0 when stopped.
    virtual int Run();

    // Starts the thread (the owner must be set before).
    void ResumeThread();
    // Sets the stop flag and wakes every wait of the thread.
    void Stop();
    // Waits for the thread to end (from the UI thread: its sends to windows are abandoned meanwhile).
    void Join();
    bool IsStopping() const { return m_bStop.load() != 0; }
    bool IsRunning() const { return m_thread.Joinable(); }
    std::thread::id ThreadId() const { return m_thread.Id(); }

    // Waits ms milliseconds or until stopped; false when stopped.
    bool Sleep(int ms);

    CQuorviaModuleDlg* m_pOwner = nullptr;
    std::atomic<int> m_bStop{0};

private:
    CEvent m_wake{true, false};
    CWorkerThread m_thread;
};

}  // namespace ksx
