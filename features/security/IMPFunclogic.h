// IP-MAC-port binding: the per-port settings table, the binding table, the allowed and blocked lists and
// the address-scan scalars of the device.
//
// Each of the four tables is read by a typed reader; rows reach the owner window on the UI thread as
// WM_IMPB_PORT_RESULT / WM_IMPB_LIST_RESULT (wParam 0, lParam a record valid during the call), the end
// of a read as wParam 1 with lParam 0 for a complete read and 1 for one that failed. Writes are
// synchronous SETs on the UI thread and say whether, and where, the device refused them.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ModuleBase.h"
#include "core/TableRead.h"

class CEditEXIPV6;

constexpr unsigned WM_IMPB_LIST_RESULT = ksx::WM_USER + 1101;
constexpr unsigned WM_IMPB_PORT_RESULT = ksx::WM_USER + 1102;

// One port's settings. Fields: 0 port, 1 admin state, 2 ARP+IP inspection, 3 DHCP snooping ("1" on,
// "0" off; empty when the device did not give a value). A write carries the values in fields 1 to 3.
struct ImpbPortEntry {
    std::array<std::string, 9> field;
};

// One row of the binding table, the allowed list or the blocked list. Fields: 0 IP address, 1 MAC
// ("00-11-22-33-44-55"), 2 VID, 3 port, 4 binding state, row status or action value. A field the device
// did not give (or gave malformed) is empty.
struct ImpbEntry {
    std::array<std::string, 5> field;
};

struct ImpbScanRange {
    std::string from;
    std::string to;
    std::string value;  // written to the scan switch
};

namespace ksx::impb {

inline constexpr char kBranch[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10";
inline constexpr char kPortNumber[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.1.1.1";
inline constexpr char kPortAdmin[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.1.1.2";
inline constexpr char kPortInspection[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.1.1.3";
inline constexpr char kPortDhcp[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.1.1.4";
inline constexpr char kBindMac[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.2.1.1";
inline constexpr char kBindPort[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.2.1.2";
inline constexpr char kBindAddress[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.2.1.3";
inline constexpr char kBindVid[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.2.1.4";
inline constexpr char kBindState[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.2.1.5";
inline constexpr char kAllowAddress[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.3.1.1";
inline constexpr char kAllowMac[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.3.1.2";
inline constexpr char kAllowPort[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.3.1.3";
inline constexpr char kAllowStatus[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.3.1.4";
inline constexpr char kBlockMac[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.4.1.1";
inline constexpr char kBlockVid[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.4.1.2";
inline constexpr char kBlockPort[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.4.1.3";
inline constexpr char kBlockAddress[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.4.1.4";
inline constexpr char kBlockAction[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.4.1.5";
inline constexpr char kScanFrom[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.5.0";
inline constexpr char kScanTo[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.6.0";
inline constexpr char kScanStart[] = "1.3.6.1.4.1.7393.10.76.20.1.14.10.7.0";

// ".0.17.34.51.68.85" for "00-11-22-33-44-55" (either case); nothing for any other form.
std::optional<std::string> MacIndex(std::string_view mac);
// ".4.192.168.1.1" for four decimal octets, ".16" and sixteen ".byte" for an IPv6 text (compressed forms
// expanded, an "%interface" suffix ignored); nothing for an empty or malformed address.
std::optional<std::string> AddressIndex(std::string_view address);
// A decimal number within lo..hi, the whole text; nothing otherwise.
std::optional<int> NumberIn(std::string_view text, int lo, int hi);
// "00-11-22-33-44-55" (upper case) from exactly six octets; empty otherwise.
std::string MacText(std::string_view octets);
// Dotted text from four octets; from sixteen, eight groups of four lower-case digits, or the shortest
// form when `compress`; empty for any other count.
std::string AddressText(std::string_view octets, bool compress);
// The sub-identifiers of an instance ("0.17.34" or ".0.17.34"); nothing when one is not a number.
std::optional<std::vector<unsigned long>> Arcs(std::string_view instance);
// An address encoded as length + octets at arcs[at..]: its text (IPv6 as eight full groups) and where
// the arcs after it begin; nothing when the length is not 4 or 16, an octet is above 255 or arcs run
// out.
std::optional<std::pair<std::string, size_t>> AddressFromArcs(const std::vector<unsigned long>& arcs,
                                                              size_t at);

}  // namespace ksx::impb

class CIMPFunclogic : public CModuleBase {
public:
    // How an allowed-list write ended.
    // kCreateNotMade, kCreateUnknown: the create went unanswered and the device holds no such row /
    // its status could not be read; kCreateActive: an active row of that binding is there.
    enum class AllowedResult {
        kOk,
        kBadEntry,
        kCreateFailed,
        kCreateNotMade,
        kCreateUnknown,
        kCreateActive,
        kPortFailed,
        kActivateFailed,
        kDestroyFailed
    };
    // How a scan start ended.
    enum class ScanResult { kOk, kBadRange, kRangeFailed, kStartFailed };

    CIMPFunclogic();
    ~CIMPFunclogic() override;

    // Reads; each ends with the end message to the owner window.
    int ReadPortSettings();
    int ReadBindingTable();
    int ReadAllowedList();
    int ReadBlockedList();
    // Reads the ports' trunk membership afresh; `onEnd(complete)` on the UI thread when it ended.
    void ReadTrunks(std::function<void(bool complete)> onEnd);
    // The trunk read has ended completely since the last ReadTrunks.
    bool TrunksRead() const { return m_trunksRead; }

    // One SET per port from..to (fields 1 to 3 of the entry), stopping at the first the device refuses.
    // 0 when every port was written, else that port.
    int WritePortSettings(int from, int to, const ImpbPortEntry& entry);
    // How a request of a write ended: accepted, answered with an error, or not answered at all (the
    // device may have applied it).
    enum class Sent { kAccepted, kRefused, kUnanswered };
    // The SET of one port of that loop. Any thread, while nothing else writes through this logic.
    Sent WritePortSetting(int port, const ImpbPortEntry& entry);
    // Any thread: the port write in flight returns at once, unanswered.
    void CancelWrite() { m_cCommonSNMPSet.Cancel(); }
    // False when the admin state is "1" and a port of the range belongs to a trunk (as last read).
    bool CheckTrunkPorts(int from, int to, const std::string& admin) const;
    // Action 1 creates the entry {address, MAC, -, port} (create-and-wait, port, active; a failure
    // after the creation destroys the row again) and shows "Success!" once all three were accepted;
    // action 3 destroys it.
    AllowedResult WriteAllowedEntry(const ImpbEntry& entry, int action);
    // Sets the binding state (field 4) of the binding {address, MAC, -, port}. False when refused or the
    // entry is malformed.
    bool SetBinding(const ImpbEntry& entry);
    // Writes "1" to the action column of the blocked entry {-, MAC, VID, port}.
    bool DeleteBlockedEntry(const ImpbEntry& entry);
    // The scan range from the two edits (m_pScanFromEdit, m_pScanToEdit), then the scan switch.
    ScanResult StartScan(const ImpbScanRange& range);

    CEditEXIPV6* m_pScanFromEdit = nullptr;  // not owned
    CEditEXIPV6* m_pScanToEdit = nullptr;    // not owned

private:
    void Report(unsigned message, const ksx::WalkEnd& end);
    template <class Row>
    void Deliver(unsigned message, const Row& row);

    CCommonSNMP m_cCommonSNMPList;  // walks of the binding table and the two lists
    CCommonSNMP m_cCommonSNMPSet;   // every SET but the row-status SETs
    CCommonSNMP m_cCommonSNMPPort;  // walk of the per-port table
    ksx::TableRead<ImpbPortEntry> m_portRead;
    ksx::TableRead<ImpbEntry> m_bindingRead;
    ksx::TableRead<ImpbEntry> m_allowedRead;
    ksx::TableRead<ImpbEntry> m_blockedRead;
    std::function<void(bool)> m_onTrunks;
    bool m_trunksRead = false;
};
