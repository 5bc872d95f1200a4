// "ARP Spoofing Prevention Setting": the gateway entries (active rows) with their MAC addresses and
// protected ports; Add opens the add dialog with every row read, Delete destroys the selected row.
#pragma once

#include <vector>

#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "features/security/AddARPEntry.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class CARPSpoofSetting : public ksx::CDialog {
public:
    explicit CARPSpoofSetting(QWidget* parent = nullptr);
    ~CARPSpoofSetting() override;

    // Every row of the last read, whatever its status.
    const std::vector<ksx::arp::Entry>& Entries() const { return m_entries; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    int DestroyWindow() override;

private:
    void Load();
    void OnRow(const ksx::arp::Entry& entry);
    void OnEnd(const ksx::WalkEnd& end);
    void OnAdd();
    void OnDelete();
    static int OnArpWalk(CSnmp* response, int requestId, void* userData, int status);

    CListCtrlEx* m_list = nullptr;
    std::vector<ksx::arp::Entry> m_entries;
    bool m_readOk = false;
    CCommonSNMP m_cCommonSNMP;       // SETs
    CCommonSNMP m_cCommonSNMPTable;  // the walk
    ksx::TableRead<ksx::arp::Entry> m_read;
};
