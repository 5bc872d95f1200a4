// Device access of DHCP server screening: the screened-port bitmap (shown and edited as its complement,
// the trusted ports) and the table of at most five trusted DHCP server addresses, IPv4 or IPv6. Rows of
// the table walk reach the owner window (CModuleBase's) by WM_DHCPSCREEN_RESULT on the UI thread, as
// does the end of the trunk membership read (WM_DHCPSCREEN_TRUNKS).
#pragma once

#include <functional>
#include <string>

#include "core/CommonSNMP.h"
#include "core/ModuleBase.h"
#include "core/RowCreate.h"
#include "core/StepRunner.h"
#include "core/TableRead.h"
#include "platform/sys/Messages.h"

// wParam 0: lParam points to a DHCPServerEntry (valid during the call); 1: the walk ended, lParam points
// to "Finished" (LastWalkOk() tells whether it read the whole table).
constexpr unsigned WM_DHCPSCREEN_RESULT = ksx::WM_USER + 101;
// The trunk membership read ended: wParam 1 when it reached the end of the table, 0 when it failed.
constexpr unsigned WM_DHCPSCREEN_TRUNKS = ksx::WM_USER + 103;
// The screened-port bitmap was read: wParam 1 with lParam pointing to the trusted ports as range text
// (a std::string, valid during the call); wParam 0 (lParam 0) when the read failed.
constexpr unsigned WM_DHCPSCREEN_PORTS = ksx::WM_USER + 104;

struct DHCPServerEntry {
    std::string index;
    std::string addressType;  // "1" IPv4, "2" IPv6
    std::string address;      // dotted decimal or compressed IPv6; empty when not an address
    std::string rowStatus;
};

// What the add of a trusted server writes, taken from the dialog's fields on the UI thread.
struct DHCPServerAdd {
    std::string index;
    std::string type;    // "1" IPv4, "2" IPv6
    std::string octets;  // the address: 4 or 16 octets
};

class CDHCPServerLogic : public CModuleBase {
public:
    static constexpr const char* kScreenedPorts = "1.3.6.1.4.1.7393.10.76.20.1.14.7.1.0";
    static constexpr const char* kServerEntry = "1.3.6.1.4.1.7393.10.76.20.1.14.7.3.1";

    CDHCPServerLogic();
    ~CDHCPServerLogic() override;

    // Starts the read of the bitmap; the trusted ports (or the failure) reach the owner.
    void ReadTrustedPorts();
    // Checks the trusted-port text (with its messages) and writes the bitmap. False when refused, or
    // when the write did not go as asked (LastFailure() then says so).
    bool SetTrustedPorts(const std::string& ports);
    // Starts the walk of the server table (every row, whatever its status).
    void ReadServerTable();
    static int OnServerWalk(CSnmp* response, int requestId, void* userData, int status);
    static int OnPortsRead(CSnmp* response, int requestId, void* userData, int status);
    bool LastWalkOk() const { return m_bWalkOk; }
    // Destroys entry `index` (one request). False when that did not go as asked; LastFailure() then says
    // so.
    bool DeleteServerEntry(const std::string& index);
    // UI thread: the add of entry `index` of a validated address of `type` ("1", "2"; an IPv6 text may
    // end in "%interface", which is not part of the address).
    static DHCPServerAdd ServerAddOf(const std::string& index, const std::string& type,
                                     const std::string& text);
    // Worker: step `step` of an add (kAddSteps in all: the create, the address type and address, the
    // activation), on the write sessions only; `stopping` tells that the dialog is ending the run. A
    // step the device refuses after the create destroys the half-made row (unless stopping) and fails
    // with the text the user is told. The progress says what the device confirmed; `other` is told of
    // an entry of that index not active that this module did not leave (and holds the user's Yes).
    static constexpr int kAddSteps = 3;
    ksx::StepOutcome AddServerStep(int step, const DHCPServerAdd& add, ksx::AddProgress& progress,
                                   const std::function<bool()>& stopping, ksx::OtherRow* other = nullptr);
    // Any thread: the write in flight returns at once, unanswered.
    void CancelWrites();
    const std::string& LastFailure() const { return m_strFailure; }
    static constexpr const char* kServerWhat = "the trusted DHCP server";

    // The trusted ports of a screened-port bitmap as range text: ports 1..port count whose bit the value
    // carries and is clear. Ports past the end of a short value are not listed.
    static std::string TrustedPortsText(const std::string& bitmap);
    // An entry's address as the list shows it: dotted decimal for type "1" (4 octets), compressed IPv6
    // for type "2" (16 octets); empty for any other type or length.
    static std::string AddressText(const std::string& type, const std::string& octets);

private:
    // Row creation removes the row a failed add made (`progress`, the add's); the failure text says what
    // became of `step` (`answer`, the activation when `activation`) and what the device holds.
    ksx::StepOutcome Undo(const std::string& statusOid, const std::string& step, const SnmpAnswer& answer,
                          bool activation, const ksx::AddProgress& progress,
                          const std::function<bool()>& stopping);
    // One SET of a row status on the row-status session and the layer's account of it.
    SnmpAnswer SendStatus(const std::string& oid, const char* value);

    CCommonSNMP m_cCommonSNMPSet;
    CCommonSNMP m_cCommonSNMPTable;
    ksx::TableRead<DHCPServerEntry> m_serverWalk;
    ksx::TableRead<std::string> m_portsRead;  // on the base's first session
    std::string m_strReadPorts;
    bool m_bWalkOk = false;
    std::string m_strFailure;
};
