// "802.1X Global Settings ": the device's 802.1X authentication state, EAPOL PDU forwarding and
// authentication protocol. Read when the dialog opens and on Refresh; Apply (also Enter) writes the
// values the user changed in one request and reads again; Cancel (also Esc) closes.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "controls/StepRun.h"
#include "core/CommonSNMP.h"
#include "platform/ui/Dialog.h"

class QButtonGroup;

class C8021XGlobalDlg : public ksx::CDialog {
public:
    explicit C8021XGlobalDlg(QWidget* parent = nullptr);
    ~C8021XGlobalDlg() override;

    // Reads the three values off the window's thread; Apply becomes available only when all three were
    // read. Refresh and Apply are unavailable while a read or a write is under way.
    void Read();
    // Writes the changed values in one request, then reads again, off the window's thread.
    void Write();
    // A read or a write is under way.
    bool Busy() const { return m_run.Running(); }
    const CStepRun& Run() const { return m_run; }

    int m_nAuthState = -1;     // 0 Enabled, 1 Disabled, -1 nothing checked
    int m_nForwardEapol = -1;  // 0 Enabled, 1 Disabled, -1 nothing checked
    // The values of the last read ("1" / "2"); empty when that value was not read.
    std::string m_strAuthState;
    std::string m_strForwardEapol;
    std::string m_strAuthProtocol;

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;

private:
    std::string ReadScalar(const char* oid);
    // Runs the write (when `changes` has bindings) and the three reads as steps of one run.
    void Start(std::vector<std::pair<const char*, std::string>> changes);
    void ShowRead(const std::string& state, const std::string& eapol, const std::string& protocol);
    void UpdateData(bool toMembers);
    void OnStateClicked();

    CCommonSNMP m_cCommonSNMP;
    QButtonGroup* m_stateGroup = nullptr;
    QButtonGroup* m_eapolGroup = nullptr;
    CStepRun m_run{*this};  // reads and the write, off the window's thread
};
