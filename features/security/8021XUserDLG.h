// "802.1X User": the device's local 802.1X accounts in a list; Add creates one with its password,
// Delete removes the selected one. Enter and Esc do nothing here. The add's requests (create, password,
// activation) run off the window's thread; closing the window stops them and says what the device holds.
#pragma once

#include <atomic>
#include <string>

#include "controls/StepRun.h"
#include "core/CommonSNMP.h"
#include "core/RowCreate.h"
#include "features/security/8021XSettingLogic.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class C8021XUserDLG : public ksx::CDialog {
public:
    explicit C8021XUserDLG(QWidget* parent = nullptr);
    ~C8021XUserDLG() override;

    C8021XSettingLogic m_8021XLogic;

    bool ReadEnded() const { return m_bReadEnded; }
    const CStepRun& Run() const { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void StartRead();
    void Reload();
    void FillList();
    void EnableInputs(bool enable);
    void OnAdd();
    // Worker: the add's steps (0 create, 1 password, 2 activation) of the account `idx`.
    ksx::StepOutcome AddStep(int step, const std::string& name, const std::string& idx,
                             const std::string& password);
    // Worker, one request: the account's password, and the layer's account of it.
    SnmpAnswer WritePassword(const std::string& idx, const std::string& password);
    // Starts the add of an account checked already (again after the user's Yes to replacing another).
    void StartAdd(const std::string& name, const std::string& password);
    void OnAddEnd(const ksx::StepsEnd& end, const std::string& name, const std::string& password);
    void OnDelete();

    // How far the add under way got (worker writes, UI thread reads once it ended).
    struct AddState {
        ksx::AddProgress progress;
        std::atomic<bool> finished{false};  // a create nobody answered was finished by the password
        std::atomic<bool> complete{false};  // the account holds the password given: added
        void Reset() {
            progress.Reset();
            finished = complete = false;
        }
    };

    CListCtrlEx* m_list = nullptr;
    CCommonSNMP m_cCommonSNMP;  // the add's requests, used by nothing else
    bool m_bReadEnded = false;
    AddState m_add;
    ksx::OtherRow m_other;  // an account of that name not active that this module did not leave
    CStepRun m_run{*this};  // last: stopped before the session it uses goes
};
