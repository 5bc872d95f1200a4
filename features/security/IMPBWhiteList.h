// "White List": the device's allowed list of address and MAC pairs; deletes an entry.
#pragma once

#include "features/security/IMPFunclogic.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class CIMPBWhiteList : public ksx::CDialog {
public:
    explicit CIMPBWhiteList(QWidget* parent = nullptr);
    ~CIMPBWhiteList() override;

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void Load();
    ksx::LRESULT OnListResult(ksx::WPARAM wParam, ksx::LPARAM lParam);
    void OnDelete();

    CIMPFunclogic m_logic;
    CListCtrlEx* m_list = nullptr;
};
