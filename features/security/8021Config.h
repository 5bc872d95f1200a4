// "802.1X Config Information": the older 802.1X branch's global form: the 802.1X state, the RADIUS
// server and its key, and the authenticator timers; PortSet opens the per-port access control with
// the timers shown. Apply is available once the settings have been read.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "controls/StepRun.h"
#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "platform/ui/Dialog.h"

class CIPAddressCtrl;
namespace ksx {
struct SnmpReply;
}

class C8021Config : public ksx::CDialog {
public:
    // The settings as read; a value the device did not send as expected stays empty.
    struct Settings {
        std::optional<long long> state;
        std::optional<std::string> address;
        std::optional<std::string> key;
        std::optional<long long> timers[5];  // quiet, transmit, supplicant, server, maximum requests
        std::optional<unsigned long long> reAuthPeriod;
        std::optional<long long> reAuth;
        bool Complete() const;
    };

    explicit C8021Config(QWidget* parent = nullptr);
    ~C8021Config() override;

    // For tests: reads that have ended.
    int ReadsEnded() const { return m_readsEnded; }
    // The writes of Apply, off the window's thread.
    const CStepRun& Run() const { return m_run; }

    int DestroyWindow() override;

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void Read();
    void OnSettings(const Settings& s);
    void OnReadEnd(const ksx::WalkEnd& end);
    void EnableFields(bool enable);
    // The form as it is before a read that delivered every value: the box in neither state, no values.
    void ShowUnread();
    void OnApply();
    // One request of Apply: what it writes (as told; `plural` makes it "were"), and the request
    // (worker) with the layer's account of it.
    struct Write {
        std::string what;
        std::function<SnmpAnswer()> send;
        bool plural = false;
    };
    // Sends the writes in order off the window's thread, then reads the settings again; a refused write
    // does not stop the others. Close stops them and says what was and was not written.
    void RunWrites(std::vector<Write> writes);
    void OnPortSet();

    CIPAddressCtrl* m_address = nullptr;
    bool m_bRead = false;
    bool m_bGotSettings = false;
    int m_readsEnded = 0;

    CCommonSNMP m_cCommonSNMP;     // the read, the RADIUS and the disable request
    CCommonSNMP m_cCommonSNMPSet;  // the enable request
    CCommonSNMP m_cCommonSNMParg;  // the timers
    ksx::TableRead<Settings> m_read;
    CStepRun m_run{*this};  // last: stopped before the sessions its steps use
};
