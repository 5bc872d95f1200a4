// The older RMON control scalars: the MIB version and the global bucket limit shown, four history quota
// values read and written. Talks to the SNMP class library directly, community-based requests only.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/Dialog.h"

class CSnmp;
class CSnmp4w;

class CRmonControlDlg : public ksx::CDialog {
public:
    static constexpr const char* kRoot = "1.3.6.1.4.1.7393.10.94.89.89";

    explicit CRmonControlDlg(QWidget* parent = nullptr);
    ~CRmonControlDlg() override;

    int DestroyWindow() override;
    void Read();
    void OnRefresh();
    bool HasRead() const { return m_bRead; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    // Apply: validates the four values and writes them; the dialog stays open.
    void OnOK() override;

private:
    static int OnReadReply(CSnmp* reply, int requestId, void* userData, int status);
    ksx::LRESULT OnReadValues(ksx::WPARAM wParam, ksx::LPARAM lParam);

    std::unique_ptr<CSnmp4w> m_pSender;
    bool m_bRead = false;
};
