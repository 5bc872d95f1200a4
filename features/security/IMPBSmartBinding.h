// "Smart Binding": the device's binding table; binds a listed entry, adds an entry to the allowed list by
// hand, and asks the device to scan an address range for hosts, reading the table again every few
// seconds until two readings in a row find the same number of bindings.
#pragma once

#include "controls/StepRun.h"
#include "core/RowCreate.h"
#include "features/security/IMPFunclogic.h"
#include "platform/ui/Dialog.h"

class CEditEXIPV6;
class CListCtrlEx;

class CIMPBSmartBinding : public ksx::CDialog {
public:
    explicit CIMPBSmartBinding(QWidget* parent = nullptr);
    ~CIMPBSmartBinding() override;

    // The count the scan compares against (-1 outside a scan), for tests.
    int LastScanCount() const { return m_nLastCount; }
    bool Loading() const { return m_loading; }
    // The add or scan start under way (its progress line).
    const CStepRun& Run() const { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnTimer(unsigned id) override;

private:
    void Load();
    ksx::LRESULT OnListResult(ksx::WPARAM wParam, ksx::LPARAM lParam);
    void OnAdd();
    void StartAdd(const ImpbAllowedAdd& add);
    void OnScan();
    void OnBinding();
    void StopScan();
    // The writes' buttons while a run goes, and back after it.
    void EnableWrites(bool on);

    CIMPFunclogic m_logic;
    CListCtrlEx* m_list = nullptr;
    CEditEXIPV6* m_address = nullptr;
    CEditEXIPV6* m_from = nullptr;
    CEditEXIPV6* m_to = nullptr;
    int m_nLastCount = -1;
    bool m_loading = false;
    bool m_scanning = false;
    ksx::AddProgress m_addProgress;  // of the add under way
    ksx::OtherRow m_other;           // an entry of its index not active that this module did not leave
    CStepRun m_run{*this};           // the add and the scan start, on the logic's write sessions
};
