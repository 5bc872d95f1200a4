// "RMON Ethernet Statistics Configuration": the device's Ethernet statistics control rows with their
// counters, a row added for a port (one shown row per port), and a Delete button on each row.
#pragma once

#include <vector>

#include "features/monitoring/RmonTableDialog.h"

class CRMONEthernetStatistics : public CRmonTableDialog {
public:
    explicit CRMONEthernetStatistics(QWidget* parent = nullptr);
    ~CRMONEthernetStatistics() override;

    // The rows shown (status 1), and the rows read with another status, in matching order.
    std::vector<int> m_arrPortList;
    std::vector<int> m_arrIndexList;
    std::vector<int> m_arrOtherPortList;
    std::vector<int> m_arrOtherIndexList;

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void StartRead() override;

    void Fill();
    void Apply();
    // The indexes of the port's rows read with another status, in order: set invalid before a new
    // row of the port is created.
    std::vector<int> PortEntriesToClear(int port) const;
    void Delete(int row);
};
