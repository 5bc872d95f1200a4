// DHCP information: the older branch's DHCP MIB version and whether a DHCP relay and a DHCP server
// exist. Talks to the SNMP class library directly, community-based requests only.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/Dialog.h"

class CSnmp;
class CSnmp4w;

class CDHCPInfoDlg : public ksx::CDialog {
public:
    static constexpr const char* kRoot = "1.3.6.1.4.1.7393.10.94.89.89";

    explicit CDHCPInfoDlg(QWidget* parent = nullptr);
    ~CDHCPInfoDlg() override;

    int DestroyWindow() override;
    void Refresh();
    // The hidden Apply: writes the four edit texts only when each is a whole number.
    void Apply();
    bool HasRead() const { return m_bRead; }
    // "No" for "2", "Yes" for any other value.
    static std::string ExistsText(const std::string& value);

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;

private:
    static int OnReadReply(CSnmp* reply, int requestId, void* userData, int status);
    ksx::LRESULT OnReadValues(ksx::WPARAM wParam, ksx::LPARAM lParam);

    std::unique_ptr<CSnmp4w> m_pSender;
    bool m_bRead = false;
};
