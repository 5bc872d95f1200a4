// "Add VLAN" / "Edit VLAN": a VLAN's id, name and, per port, tagged, untagged or not a member. Opened
// by the VLAN list with a copy of the VLANs it read. OK is available once the ports' trunk membership
// (and, when editing, the VLAN's forbidden ports) have been read; it checks the entries, writes the
// row off the window's thread (a progress line after a second) and ends with IDOK, or says which
// write failed and stays open. Closed during the write, it sends nothing further of it; an edit that
// may have changed the VLAN then puts it back as it was read, after the dialog has gone, and says what
// the device confirmed and holds.
#pragma once

#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/LxDialog.h"
#include "controls/StepRun.h"
#include "core/TableRead.h"
#include "features/common/TrunkTable.h"
#include "features/vlan/VlanAddLogic.h"
#include "features/vlan/VlanTable.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;

class CKSXVlanAdd : public ClxDialog {
public:
    explicit CKSXVlanAdd(QWidget* parent = nullptr);
    ~CKSXVlanAdd() override;

    // Set by the opener before DoModal. asymmetricMode: 1 asymmetric VLAN enabled, 2 disabled.
    void SetAddMode(int portCount, VlanList list, int asymmetricMode);
    void SetEditMode(int portCount, VlanList list, int vid, int asymmetricMode);

    // Read-only views for the opener and tests.
    bool IsAddMode() const { return m_bAdd; }
    int Vid() const { return m_nVid; }
    const CTrunkGroups& TrunkGroups() const { return m_trunk->Groups(); }
    const std::string& UntaggedAll() const { return m_strUntaggedAll; }
    // The write under way (its progress line); true once OK sent a request to the device, so that the
    // opener reads the VLANs again however the dialog ended.
    const CStepRun& Run() const { return m_run; }
    bool Writing() const { return m_run.Running(); }
    bool WriteSent() const { return m_writeSent; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;

private:
    enum Choice { kTagged, kUntagged, kNotMember, kForbidden };

    void CreatePortGrid();
    void InitPortFlags();
    void ShowPortFlags();
    // A click on port k's box of a choice (the handlers of the four id ranges).
    void OnPortClick(Choice choice, int port);
    // True when the click cleared the box (the user clicked the choice already made): checked again.
    bool KeepChecked(QCheckBox* box);
    void SetChoice(int port, Choice choice);

    // Reads OK depends on: the trunk membership, and the edited VLAN's forbidden ports.
    void StartReads();
    void OnForbiddenRead(bool ok, const std::string& bitmap);
    void UpdateOkState();
    // OK's write, checked, off the window's thread.
    void StartWrite(const CVlanAddLogic::VlanWrite& write);
    void OnWriteEnd(const CVlanAddLogic::VlanWrite& write, const std::vector<CVlanAddLogic::Step>& steps,
                    const CVlanAddLogic::WriteResult& result, const ksx::StepsEnd& end);

    QCheckBox* Box(Choice choice, int port) const;
    QGridLayout* PortGrid() const { return m_portGrid; }

    // Set by the opener.
    int m_nPortNum = 0;
    VlanList m_vlans;
    int m_nVid = 0;
    bool m_bAdd = true;
    int m_nAsymmetricMode = 2;

    std::string m_szName;
    std::string m_strUntaggedAll;
    std::string m_strAdvertisement;

    // Per port (index port - 1).
    std::vector<QPointer<QCheckBox>> m_pTaggedBox;
    std::vector<QPointer<QCheckBox>> m_pUntaggedBox;
    std::vector<QPointer<QCheckBox>> m_pNotMemberBox;
    std::vector<QPointer<QCheckBox>> m_pForbiddenBox;
    std::vector<QPointer<QLabel>> m_pPortLabel;
    CVlanAddLogic::PortFlags m_pEgress;
    CVlanAddLogic::PortFlags m_pUntagged;
    CVlanAddLogic::PortFlags m_pNotMember;
    CVlanAddLogic::PortFlags m_pForbidden;
    CVlanAddLogic::VlanMembers m_original;  // the edited VLAN as read

    enum class ReadState { kPending, kDone, kFailed };
    ReadState m_forbiddenRead = ReadState::kDone;
    std::string m_forbiddenBitmap;

    QLineEdit* m_editName = nullptr;
    QLineEdit* m_editVid = nullptr;
    QLabel* m_status = nullptr;
    QGridLayout* m_portGrid = nullptr;
    CVlanAddLogic m_logic;
    std::unique_ptr<CTrunkMembership> m_trunk;  // made for the port count at initialisation
    CCommonSNMP m_cCommonSNMPForbidden;         // the edited VLAN's forbidden ports
    std::unique_ptr<ksx::TableRead<std::string>> m_forbiddenReader;
    bool m_writeSent = false;
    CStepRun m_run{*this};  // on m_logic's sessions; last, stopped first
};
