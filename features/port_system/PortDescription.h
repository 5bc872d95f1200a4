// "Port Description": lists the description of every port and writes one description to a range of
// ports. The list is the table-dialog base's; the read is the port configuration logic's. A write the
// device did not confirm is said, and the text typed is kept for another try.
#pragma once
#include <string>

#include "controls/PortRange.h"
#include "controls/TableDialog.h"
#include "features/port_system/PortConfigLogic.h"

class CPortDescription : public CTableDialog {
public:
    static constexpr int kMaxDescriptionLength = 32;

    explicit CPortDescription(QWidget* parent = nullptr);
    ~CPortDescription() override;

    CPortConfigLogic& Logic() { return m_logic; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnReadEnd(const ksx::WalkEnd& end) override;

private:
    void OnApply();

    CPortConfigLogic m_logic;
    CCommonSNMP m_cCommonSNMPSet;  // the write of a range
    CPortRange m_range;
};
