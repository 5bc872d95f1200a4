// "Authentication RADIUS Server": the device's RADIUS servers (indexes 1 to 5) in a list; Apply creates
// a server or changes one in place, Delete removes the selected one. Enter and Esc do nothing here.
// Apply's requests run off the window's thread; closing the window stops them and says what the device
// holds.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "controls/StepRun.h"
#include "core/CommonSNMP.h"
#include "core/RowCreate.h"
#include "features/security/8021XSettingLogic.h"
#include "platform/ui/Dialog.h"

class CEditEXIPV6;
class CListCtrlEx;

class C8021XAuRadiusServerDLG : public ksx::CDialog {
public:
    explicit C8021XAuRadiusServerDLG(QWidget* parent = nullptr);
    ~C8021XAuRadiusServerDLG() override;

    C8021XSettingLogic m_8021XLogic;
    int m_nAuthPort = 0;
    int m_nAcctPort = 0;
    int m_nRetransmit = 0;
    int m_nTimeout = 0;
    std::string m_strKey;
    std::string m_strConfirmKey;

    bool ReadEnded() const { return m_bReadEnded; }
    const CStepRun& Run() const { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void SetupControls();
    void StartRead();
    void FillList();
    bool CheckInput();
    // Worker: one SET of one value on the run's session; true when the device accepted it.
    // One SET on the write session: how the device answered it.
    SnmpAnswer SetOneValue(const std::string& oid, int type, const std::string& value);
    void OnApply();
    // What Apply writes, copied from the fields on the UI thread.
    struct ApplyJob {
        std::string indexText;  // "1" to "5"
        bool create = false;    // a new server: its entry is created first
        struct Value {
            int column;
            int type;
            std::string value;
            const char* what;
        };
        std::vector<Value> values;
        std::string Column(int c) const;
    };
    // Worker: Apply's step `i` (the create of a new server, the address, then one value each).
    ksx::StepOutcome ApplyStep(int i, const ApplyJob& job);
    // UI thread: runs `job` (again after the user's Yes to replacing another server of its index).
    void StartApply(const std::shared_ptr<ApplyJob>& job);
    void OnApplyEnd(const ksx::StepsEnd& end, const std::shared_ptr<ApplyJob>& job);
    void OnDelete();

    CListCtrlEx* m_list = nullptr;
    CEditEXIPV6* m_address = nullptr;
    bool m_bReadEnded = false;
    // Apply's sessions, used by nothing else: the values and the row status, and the address type
    // alone then with the address (built on the UI thread before the run).
    CCommonSNMP m_setSession;
    CCommonSNMP m_typeSession;
    CCommonSNMP m_addressSession;
    ksx::AddProgress m_progress;         // of a new server's add
    ksx::OtherRow m_other;               // a server of the index not active that this module did not leave
    std::atomic<bool> m_created{false};  // this Apply created the server's entry
    CStepRun m_run{*this};               // last: stopped before the sessions it uses go
};
