// "RMON History Control Configuration": the device's RMON history control rows, a row added from a form,
// and a Delete button on each row.
#pragma once

#include <vector>

#include "features/monitoring/RmonTableDialog.h"

class CRMONHistoryControl : public CRmonTableDialog {
public:
    explicit CRMONHistoryControl(QWidget* parent = nullptr);
    ~CRMONHistoryControl() override;

    std::vector<int> m_arrIndexList;

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void StartRead() override;

    void Fill();
    void Apply();
    void Delete(int row);

private:
    void ResetForm();
};
