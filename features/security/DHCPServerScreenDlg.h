// "DHCP Server Screening Settings  ": the ports trusted for DHCP server traffic, written as the device's
// screened-port bitmap, and the list of at most five trusted DHCP server addresses (IPv4 or IPv6) with
// add and delete. Each action is available once the reads it depends on have ended.
#pragma once

#include <set>
#include <string>

#include "controls/StepRun.h"
#include "core/RowCreate.h"
#include "features/security/DHCPServerLogic.h"
#include "platform/ui/Dialog.h"

class CEditEXIPV6;
class CListCtrlEx;

class CDHCPServerScreenDlg : public ksx::CDialog {
public:
    explicit CDHCPServerScreenDlg(QWidget* parent = nullptr);
    ~CDHCPServerScreenDlg() override;

    // For tests: refreshes whose reads have all ended.
    int RefreshesEnded() const { return m_refreshesEnded; }
    // The add of a trusted server under way (its progress line).
    const CStepRun& Run() const { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void Refresh();
    void OnApplyPorts();
    void OnAddServer();
    // Runs the add of a checked entry (again after the user's Yes to replacing another).
    void StartAddServer(const DHCPServerAdd& add);
    void OnDelete();
    ksx::LRESULT OnResult(ksx::WPARAM wParam, ksx::LPARAM lParam);
    ksx::LRESULT OnTrunksDone(ksx::WPARAM wParam, ksx::LPARAM lParam);
    ksx::LRESULT OnPortsRead(ksx::WPARAM wParam, ksx::LPARAM lParam);
    void ReadsEnded();
    // The smallest index no row of the table uses, whatever its status.
    std::string FreeIndex() const;

    CListCtrlEx* m_ServerList = nullptr;
    CEditEXIPV6* m_editServerIP = nullptr;
    std::string m_strTrustedPorts;
    std::set<long long> m_usedIndexes;
    bool m_bPortsRead = false;
    bool m_bWalkEnded = false;
    bool m_bTrunksEnded = false;
    bool m_bTrunksRead = false;
    int m_refreshesEnded = 0;
    CDHCPServerLogic m_DHCPServerLogic;
    ksx::AddProgress m_addProgress;  // of the add under way
    ksx::OtherRow m_other;           // an entry of its index not active that this module did not leave
    CStepRun m_run{*this};           // the add, on the logic's write sessions
};
