// IP-MAC-port binding: the per-port settings table, the binding table, the allowed and blocked lists and
// the address-scan scalars of the device.
//
// Each of the four tables is read by a typed reader; rows reach the owner window on the UI thread as
// WM_IMPB_PORT_RESULT / WM_IMPB_LIST_RESULT (wParam 0, lParam a record valid during the call), the end
// of a read as wParam 1 with lParam 0 for a complete read and 1 for one that failed. A write of one
// request is a synchronous SET; the writes of several (an allowed-list add, a scan start, a port range)
// are steps for a dialog's step runner, whose fields are copied on the UI thread before it starts.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ModuleBase.h"
#include "core/RowCreate.h"
#include "core/StepRunner.h"
#include "core/TableRead.h"
#include "features/security/AddedRowRemoval.h"

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

// What an allowed-list add writes, taken from the dialog's fields on the UI thread (AllowedAddOf).
struct ImpbAllowedAdd {
    std::string index;  // address + MAC instance
    std::string port;   // decimal
};

// What a scan start writes, taken from the dialog's fields on the UI thread (ScanStartOf).
struct ImpbScanStart {
    std::string fromOctets;  // 4 or 16 octets
    std::string toOctets;
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
    // How an allowed-list write ended (a create that did not go as asked is said by RowAddedText).
    enum class AllowedResult { kOk, kBadEntry, kPortFailed, kActivateFailed };

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
    // The SET of one port of that loop and the layer's account of it. Any thread, while nothing else
    // writes through this logic.
    SnmpAnswer WritePortSetting(int port, const ImpbPortEntry& entry);
    // Any thread: the port write in flight returns at once, unanswered.
    void CancelWrite() { m_cCommonSNMPSet.Cancel(); }
    // False when the admin state is "1" and a port of the range belongs to a trunk (as last read).
    bool CheckTrunkPorts(int from, int to, const std::string& admin) const;
    // UI thread: the add of the allowed entry {address, MAC, -, port}; nothing when it is malformed.
    static std::optional<ImpbAllowedAdd> AllowedAddOf(const ImpbEntry& entry);
    // Worker: step `step` of an allowed-list add (kAllowedAddSteps: create-and-wait, the port, active),
    // on the write sessions only. A failure after the creation destroys the row again unless the run
    // is stopping; a failed step's text is AllowedFailure's, which says the removal's answer too. The
    // progress says what the device confirmed; `other` is told of another's row not active at the index.
    static constexpr int kAllowedAddSteps = 3;
    ksx::StepOutcome AllowedAddStep(int step, const ImpbAllowedAdd& add, ksx::AddProgress& progress,
                                    ksx::StepRunner& runner, ksx::OtherRow* other = nullptr);
    // The text of a failed add; kPortFailed and kActivateFailed say `answer`, that write's account, and
    // what `removal`, row creation's removal of the row the add made, left on the device.
    static std::string AllowedFailure(AllowedResult result, const SnmpAnswer& answer = {},
                                      const ksx::AddedRowRemoval& removal = {});
    // Destroys the allowed entry {address, MAC} the user picked to delete; not sent when the entry is
    // malformed.
    SnmpAnswer DeleteAllowedEntry(const ImpbEntry& entry);
    // Sets the binding state (field 4) of the binding {address, MAC, -, port}; not sent when the entry
    // is malformed.
    SnmpAnswer SetBinding(const ImpbEntry& entry);
    // Writes "1" to the action column of the blocked entry {-, MAC, VID, port}; not sent when the entry
    // is malformed.
    SnmpAnswer DeleteBlockedEntry(const ImpbEntry& entry);
    // UI thread: the scan start of a range whose two ends are valid addresses of types `fromType` and
    // `toType` ("1", "2"); nothing when the types differ or the value is not a number.
    static std::optional<ImpbScanStart> ScanStartOf(const std::string& fromType, const std::string& toType,
                                                    const ImpbScanRange& range);
    // Worker: step `step` of a scan start (kScanSteps: the range, then the scan switch), on the set
    // session only; a refused step fails with the text the user is told.
    static constexpr int kScanSteps = 2;
    ksx::StepOutcome ScanStep(int step, const ImpbScanStart& scan, ksx::StepRunner& runner);
    // Any thread: the write in flight returns at once, unanswered.
    void CancelWrites();

private:
    void Report(unsigned message, const ksx::WalkEnd& end);
    // One SET of a row status on the row-status session and the layer's account of it.
    SnmpAnswer SendStatus(const std::string& oid, const char* value);
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
