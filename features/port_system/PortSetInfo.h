// The "Port Configuration" dialog: lists every port with its link status, speed/duplex, MDI/MDIX and
// flow control, and writes the three settings of the port picked in the list after the consistency
// checks of its CPortConfigLogic. Opened by the Port Configuration menu command and by a click on a
// port of the front panel.
#pragma once

#include "features/port_system/PortConfigLogic.h"
#include "platform/ui/Dialog.h"

class CListCtrl;
class QComboBox;

class CPortSetInfo : public ksx::CDialog {
public:
    // Clears g_bDialogClosing.
    explicit CPortSetInfo(QWidget* parent = nullptr);
    ~CPortSetInfo() override;

    // For tests and the benchmark.
    CPortConfigLogic& Logic() { return m_logic; }
    int SelectedRow() const { return m_nItem; }

    // Sets g_bDialogClosing; the framework closes the sessions.
    int DestroyWindow() override;

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    CListCtrl* MakeList();
    void Reload();
    void FillList();
    void ResetForm();
    void OnClickList();
    void OnApply();
    // Apply is available once the port table and the trunk membership were read, and not for a port
    // whose row was not read.
    void UpdateApply();
    // Says a failed read (ports or trunk membership) once per read.
    void SayReadFailure();

    CPortConfigLogic m_logic;
    int m_nItem = 0;  // row of the last click in the list
    CListCtrl* m_list = nullptr;
    QComboBox* m_speed = nullptr;
    QComboBox* m_mdix = nullptr;
    QComboBox* m_flow = nullptr;
    bool m_mdixTyped = false;
    bool m_portsEnded = false;    // the port walk of the current read ended
    bool m_readFailed = false;    // the current read met a port or a trunk row it could not read
    bool m_readFailSaid = false;  // ... and said so  // the user
                                  // typed into the MDI/MDIX box's edit field: no item selected
};
