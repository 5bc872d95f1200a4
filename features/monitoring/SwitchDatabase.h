// "Forwarding Table": the switch's forwarding database (Q-BRIDGE dot1qTpFdbTable) read whole into
// memory and shown one page of at most 100 entries at a time, with the bridge's address aging time.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "platform/ui/Dialog.h"

class CListCtrl;

// One forwarding entry as shown.
struct FWD_TABLE {
    int id = 0;          // position in arrival order, from 1
    std::string mac;     // "00-11-22-33-44-55"; empty when the index holds no full MAC address
    std::string status;  // "Learn", "Static", ... or the value as received
    std::string port;    // as received
};

class CSwitchDatabase : public ksx::CDialog {
public:
    static constexpr const char* kDot1qTpFdbStatus = "1.3.6.1.2.1.17.7.1.2.2.1.3";
    static constexpr const char* kDot1qTpFdbPort = "1.3.6.1.2.1.17.7.1.2.2.1.2";
    static constexpr const char* kDot1dTpAgingTime = "1.3.6.1.2.1.17.4.2.0";
    static constexpr int kPageRows = 100;

    explicit CSwitchDatabase(QWidget* parent = nullptr);
    ~CSwitchDatabase() override;

    // Entries read so far (UI thread).
    const std::vector<FWD_TABLE>& Entries() const { return m_entries; }
    bool Walking() const { return m_walk.Running(); }

    // "Learn" for "3" and so on; other values as received.
    static std::string StatusText(const std::string& value);
    // The MAC address of an entry's index (filtering-database id and six octets) as "00-11-22-33-44-55";
    // empty when the index does not hold exactly that.
    static std::string MacOfIndex(const std::string& index);

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    int DestroyWindow() override;

private:
    struct Step {
        std::string index;      // the entry's index (of the status column)
        std::string portIndex;  // the index the port value came with; empty: none
        std::string mac, status, port;
    };
    static int OnWalkStep(CSnmp* response, int requestId, void* userData, int status);
    void OnRefresh();
    void StartWalk();
    void ReadAgingTime();
    // Once the walk and the aging-time read both ended: one box for what failed of them.
    void SayFailedReads();
    void OnEntriesArrived();
    void OnEntry(const Step& step);
    void OnNext();
    void OnBack();
    void ShowRange(int from, int to);
    void AddRow(const FWD_TABLE& entry);
    int FirstShownId() const;
    void UpdatePaging(int from, int to);

    CListCtrl* m_list = nullptr;
    // Entries parsed on the walk's worker and not yet taken by the UI thread; the worker posts one
    // message when the first of a batch arrives, so it never waits for the window.
    std::mutex m_pendingLock;
    std::vector<Step> m_pending;
    bool m_drainPosted = false;
    std::vector<FWD_TABLE> m_entries;  // UI thread only
    // Ports that arrived with an earlier entry because the port column lacks that entry, by index.
    std::map<std::string, std::string> m_portsAhead;
    bool m_walkFailed = false;   // the last walk failed (UI thread)
    bool m_agingFailed = false;  // the last aging-time read failed or its value was not a number
    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPGetTime;
    ksx::TableRead<Step> m_walk;
    ksx::TableRead<std::optional<long long>> m_agingRead;
};
