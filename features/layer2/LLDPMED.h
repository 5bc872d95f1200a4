// "LLDP MED Settings": per port, whether the device sends the LLDP-MED Power PSE TLV; a list of the
// ports and one value written to a range of them.
#pragma once

#include <string>

#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class CLLDPMED : public ksx::CDialog {
public:
    static constexpr const char* kStateOid = "1.3.6.1.4.1.7393.10.76.20.1.24.1.0";
    static constexpr const char* kTlvColumn = "1.3.6.1.4.1.7393.10.76.20.1.24.7.1.2";

    explicit CLLDPMED(QWidget* parent = nullptr);
    ~CLLDPMED() override;

    void GetLLDPEnable();
    void ReadMedTable();
    void OnSetLLDPMedinfo();
    // Pause between the writes and the re-read (the device settles); tests shorten it.
    void SetSettleTime(int ms) { m_nSettleMs = ms; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    struct MedRow {
        std::string index;  // the row's port number
        std::string value;
    };
    static int OnMedWalk(CSnmp* response, int requestId, void* userData, int status);
    void AddRow(const MedRow& row);
    void OnFromPortChange();
    void OnToPortChange();
    void EnableForm(bool enable);

    CListCtrlEx* m_list = nullptr;
    int m_nSettleMs = 1000;
    CCommonSNMP m_cCommonSNMPEnable;
    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    ksx::TableRead<MedRow> m_walk;  // the TLV column, on m_cCommonSNMP
};
