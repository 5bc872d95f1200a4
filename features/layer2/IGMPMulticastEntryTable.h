// "Multicast Entry Table": the multicast groups the device has learned by IGMP snooping, read-only.
#pragma once

#include <QWidget>

#include "features/layer2/IGMPSnoopingLogic.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class CIGMPMulticastEntryTable : public ksx::CDialog {
public:
    explicit CIGMPMulticastEntryTable(QWidget* parent = nullptr);
    ~CIGMPMulticastEntryTable() override;

    int DestroyWindow() override;

    CIGMPSnoopingLogic m_IGMPLogic;

protected:
    void CreateControls() override;
    int OnInitDialog() override;

    void OnRefresh();
    ksx::LRESULT OnGroupResult(ksx::WPARAM wParam, ksx::LPARAM lParam);

private:
    CListCtrlEx* m_list = nullptr;
};
