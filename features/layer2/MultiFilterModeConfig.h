// "Multicast Filtering Mode Configuration": each VLAN's multicast filtering mode (forward or filter the
// traffic of unregistered groups), set for one VLAN or for all listed VLANs at once.
#pragma once

#include <QWidget>

#include "controls/TableDialog.h"
#include "core/CommonSNMP.h"

class CMultiFilterModeConfig : public CTableDialog {
public:
    explicit CMultiFilterModeConfig(QWidget* parent = nullptr);
    ~CMultiFilterModeConfig() override;

    int DestroyWindow() override;

    CCommonSNMP m_cCommonSNMP;      // the write
    CCommonSNMP m_cCommonSNMPName;  // VLAN names read by id, from the walk's worker

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnRow(const TableRow& row) override;
    void OnReadEnd(const ksx::WalkEnd& end) override;

    void OnRefresh();
    void OnApply();
    void OnAll();
};
