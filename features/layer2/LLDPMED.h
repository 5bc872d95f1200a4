// "LLDP MED Settings": per port, whether the device sends the LLDP-MED Power PSE TLV; a list of the
// ports and one value written to a range of them.
#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "controls/StepRun.h"
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

    // Reads the LLDP state, then walks the table. Off the window's thread, as Apply's writes.
    void GetLLDPEnable();
    void ReadMedTable();
    void OnSetLLDPMedinfo();
    // Pause between the writes and the re-read (the device settles); tests shorten it.
    void SetSettleTime(int ms) { m_nSettleMs = ms; }
    // Any thread: Apply's writes are in that pause.
    bool Settling() const { return m_settling.load(); }
    // The state read and Apply's writes under way (their progress line).
    const CStepRun& Run() const { return m_run; }

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
    void OnStateRead(const ksx::StepsEnd& end, const std::optional<long long>& state);

    CListCtrlEx* m_list = nullptr;
    int m_nSettleMs = 1000;
    std::atomic<bool> m_settling{false};
    CCommonSNMP m_cCommonSNMPEnable;
    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    ksx::TableRead<MedRow> m_walk;  // the TLV column, on m_cCommonSNMP
    bool m_bFormEnabled = false;    // the last state read allows writes
    CStepRun m_run{*this};          // the state read and the writes, off the window's thread
};
