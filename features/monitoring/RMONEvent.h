// "RMON Event Configuration": the device's RMON event rows, an event added from a form (a trap event
// names one of the SNMP agent's communities), and a Delete button on each row that refuses an event an
// alarm row still names.
#pragma once

#include <vector>

#include "features/monitoring/RmonTableDialog.h"

class CRMONEvent : public CRmonTableDialog {
public:
    explicit CRMONEvent(QWidget* parent = nullptr);
    ~CRMONEvent() override;

    std::vector<int> m_arrIndexList;

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    // The event read: the alarms' event references first, then the event table.
    void StartRead() override;
    // Apply waits for the community names as well.
    bool ApplyReady() const override { return m_communityEnded; }

    void Fill();
    void Apply();
    void Delete(int row);

private:
    void ClearForm();

    bool m_readPending = false;     // an event read waits for the alarms' event references
    bool m_communityEnded = false;  // the community walk has ended (read or failed)
};
