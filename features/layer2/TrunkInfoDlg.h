// "Trunk Information": four link-aggregation capability values of the device's older enterprise
// branch. Talks to the SNMP class library directly (community-based requests only) and does nothing
// under any other SNMP version. Read only.
#pragma once

#include <vector>

#include <optional>

#include <mutex>

#include <memory>
#include <string>

#include "platform/ui/Dialog.h"

class CSnmp;
class CSnmp4w;

class CTrunkInfoDlg : public ksx::CDialog {
public:
    static constexpr const char* kRoot = "1.3.6.1.4.1.7393.10.94.89.89";

    explicit CTrunkInfoDlg(QWidget* parent = nullptr);
    ~CTrunkInfoDlg() override;

    int DestroyWindow() override;
    void OnRefresh();
    // "notSupported" for "0", "supportsTrunkOrLacp" for any other value.
    static std::string CreationSupportText(const std::string& value);

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    // The hidden Apply: the edits hold display texts of objects other than those it would write, so
    // nothing is written.
    void OnOK() override {}

private:
    void Read();
    static int OnTrunkInfoReply(CSnmp* reply, int requestId, void* userData, int status);
    ksx::LRESULT OnTrunkInfo(ksx::WPARAM wParam, ksx::LPARAM lParam);

    std::unique_ptr<CSnmp4w> m_pSender;
    std::mutex m_replyLock;  // guards m_reply: set by the reply's worker, taken on the UI thread
    std::optional<std::vector<std::string>> m_reply;
};
