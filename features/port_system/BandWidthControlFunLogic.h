// Bandwidth control: walks the per-port Tx/Rx rate table and the trunk membership table, and writes
// new rate limits for a range of ports. Rows and the ends of walks reach the owner window as
// WM_SNMP_RESULT messages, sent on the UI thread.
#pragma once
#include <string>
#include <vector>

#include "core/ModuleBase.h"

// wParam 0: one CBandWidthRow (lParam: ksx::RecordParam, valid during the call); 4 "WriteFinished";
// 5 "Finished".
constexpr unsigned WM_SNMP_RESULT = ksx::WM_USER + 10;

enum BandWidthResult : int { BW_RESULT_ROW = 0, BW_RESULT_WRITE_FINISHED = 4, BW_RESULT_FINISHED = 5 };

// One row of the rate table as walked: port, Tx rate, Rx rate (Kbit/s, 0 = no limit). A value that
// is missing from the reply or is not an integer is left empty and clears `read`.
struct CBandWidthRow {
    std::string port;
    std::string txRate;
    std::string rxRate;
    bool read = true;
};

// Type of a write: which direction gets the rate.
enum BandWidthType : int { BW_TYPE_RX = 0, BW_TYPE_TX = 1, BW_TYPE_BOTH = 2 };

class CBandWidthControlFunLogic : public CModuleBase {
public:
    static constexpr const char* kPortColumn = "1.3.6.1.4.1.7393.10.76.20.1.13.1.2.1.1";
    static constexpr const char* kTxRateColumn = "1.3.6.1.4.1.7393.10.76.20.1.13.1.2.1.2";
    static constexpr const char* kRxRateColumn = "1.3.6.1.4.1.7393.10.76.20.1.13.1.2.1.3";
    static constexpr int kMinRate = 64;
    static constexpr int kMaxRate = 1024000;

    CBandWidthControlFunLogic();
    ~CBandWidthControlFunLogic() override;

    // Start the asynchronous walks; each ends with WM_SNMP_RESULT (5, "Finished"). The trunk walk is the
    // base's trunk-membership read.
    int ReadRateTable();
    int ReadTrunkMembers();
    // True once the trunk walk of ReadTrunkMembers ended (any status); TrunkReadOk when it reached the
    // end of the table with every row read, so the aggregated ports are known.
    bool TrunkReadEnded() const { return m_trunkEnded; }
    bool TrunkReadOk() const { return m_trunkOk; }
    // The rate walk of the last ReadRateTable ended; RatesReadOk when it reached the end of the table
    // and every value of every row was read.
    bool RateReadEnded() const { return m_rateEnded; }
    bool RatesReadOk() const { return m_rateOk; }
    // 1 when no port from..to is in an aggregated link; otherwise 0 with those ports ("3,4") in `ports`.
    int FindTrunkPortsInRange(const std::string& from, const std::string& to, std::string& ports);
    // One set per port from..to; a failed port does not stop the others. Sends (4, "WriteFinished") to
    // the owner after the last port. Returns the number of ports whose write failed (no reply, or a
    // reply with an error status); their numbers go to `failedPorts` when given.
    int WriteRates(const std::string& from, const std::string& to, const std::string& rate, int type,
                   std::vector<int>* failedPorts = nullptr);
    // The set of one port of that loop, and how the device answered it. Any thread, while nothing else
    // writes through this logic.
    SnmpAnswer WriteRate(int port, const std::string& rate, int type);
    // Owner's thread: tells the owner the writes are over, as WriteRates does after its last port.
    void WriteFinished();
    // Any thread: the write in flight returns at once, unanswered.
    void CancelWrite() { m_cCommonSNMP.Cancel(); }
    // 1 when the text is not empty and its value lies within 64..1024000.
    static int IsValidRate(const std::string& text);

private:
    static int OnRateTableWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnTrunkMembersWalk(CSnmp* response, int requestId, void* userData, int status);
    void Notify(int code, ksx::LPARAM data);

    bool m_trunkEnded = false;  // UI thread, as the three below
    bool m_trunkOk = false;
    bool m_rateEnded = false;
    bool m_rateOk = false;
    bool m_rateRowsOk = true;
    CCommonSNMP m_cCommonSNMPRate;
    ksx::TableRead<CBandWidthRow> m_rateRead;
};
