// Read-only view of the device's older VLAN capability and setting objects. Talks to the SNMP class
// library directly (community-based requests only) and does nothing under any other SNMP version.
#pragma once

#include <optional>

#include <mutex>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Dialog.h"

class CSnmp;
class CSnmp4w;

class CVlanInfoDlg : public ksx::CDialog {
public:
    static constexpr const char* kRoot = "1.3.6.1.4.1.7393.10.94.89.89";

    explicit CVlanInfoDlg(QWidget* parent = nullptr);
    ~CVlanInfoDlg() override;

    int DestroyWindow() override;
    void ReadVlanInfo();
    void OnRefresh();
    // The send-unknown switch as the check box shows it; nothing before a read succeeded.
    void WriteSendUnknown();
    bool HasRead() const { return m_bRead; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;

private:
    static int OnVlanInfoReply(CSnmp* reply, int requestId, void* userData, int status);
    ksx::LRESULT OnVlanInfo(ksx::WPARAM wParam, ksx::LPARAM lParam);

    std::unique_ptr<CSnmp4w> m_pSender;
    std::mutex m_replyLock;  // guards m_reply: set by the reply's worker, taken on the UI thread
    std::optional<std::vector<std::string>> m_reply;
    bool m_bRead = false;
};
