// "Black List": the device's blocked list, filtered here by VID, address, MAC and port (Find works on the
// rows of the last read); deletes an entry.
#pragma once

#include <vector>

#include "features/security/IMPFunclogic.h"
#include "platform/ui/Dialog.h"

class CEditEXIPV6;
class CListCtrlEx;

class CIMPBBlackList : public ksx::CDialog {
public:
    explicit CIMPBBlackList(QWidget* parent = nullptr);
    ~CIMPBBlackList() override;

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void Load();
    ksx::LRESULT OnListResult(ksx::WPARAM wParam, ksx::LPARAM lParam);
    void FillList();
    void OnFind();
    void OnDelete();

    CIMPFunclogic m_logic;
    CListCtrlEx* m_list = nullptr;
    CEditEXIPV6* m_address = nullptr;
    // Every row of the last read; field 4 is its mark: "2" shown, "0" filtered out.
    std::vector<ImpbEntry> m_rows;
};
