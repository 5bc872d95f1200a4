// The enterprise 802.1Q VLAN table and the objects a VLAN's deletion and the asymmetric VLAN switch
// are checked against; the VlanEntry record that the VLAN list dialog hands to its add/edit and PVID
// dialogs; the checks of the list dialog. Qt-free.
#pragma once

#include <string>
#include <vector>

namespace ksx::vlan {

// VLAN table columns, indexed by the VLAN id.
inline constexpr char kNameColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.7.6.1.1";
inline constexpr char kEgressColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.7.6.1.2";
inline constexpr char kForbiddenColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.7.6.1.3";
inline constexpr char kUntaggedColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.7.6.1.4";
inline constexpr char kRowStatusColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.7.6.1.5";
// "1" enabled, "2" disabled.
inline constexpr char kAsymmetricOid[] = "1.3.6.1.4.1.7393.10.76.20.1.7.5.0";
// One PVID per port, indexed by the port number; written as Unsigned32 (type 10).
inline constexpr char kPvidColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.7.7.1.1";
inline constexpr char kVoiceStateOid[] = "1.3.6.1.4.1.7393.10.76.20.1.21.1.2.0";
inline constexpr char kVoiceIdOid[] = "1.3.6.1.4.1.7393.10.76.20.1.21.1.3.0";
inline constexpr char kSurveillanceStateOid[] = "1.3.6.1.4.1.7393.10.76.20.1.26.1.1.0";
inline constexpr char kSurveillanceIdOid[] = "1.3.6.1.4.1.7393.10.76.20.1.26.1.2.0";
// One VLAN id per IP interface.
inline constexpr char kIpInterfaceVlanColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.41.1.1.1.2";

// The list dialog refuses a new VLAN at this many listed VLANs and above.
inline constexpr int kMaxVlans = 256;

}  // namespace ksx::vlan

// One listed VLAN: port lists as port numbers separated by commas.
struct VlanEntry {
    int nVid = 0;
    std::string szName;
    std::string szEgressPorts;
    std::string szUntaggedPorts;
    std::string szForbiddenPorts;  // not read by the list dialog: empty there
    int nEgressCount = 0;
    int nUntaggedCount = 0;
    int nForbiddenCount = 0;
    int nNotMemberCount = 0;       // port count - egress - forbidden
    std::string strAdvertisement;  // not read by the list dialog: empty there
};

// The VLANs of a finished table read, in table order. Child dialogs get their own copy.
using VlanList = std::vector<VlanEntry>;

namespace ksx::vlan {

// The first entry of the VLAN id, or null.
const VlanEntry* FindVlan(const VlanList& list, int vid);

// What a VLAN's deletion and a change of the asymmetric switch are checked against. A field is only
// meaningful once its read has ended (the dialog keeps the actions unavailable until then).
struct VlanGuards {
    bool asymmetricChecked = false;  // the check box as it stands
    std::string asymmetricRead;      // the switch as last read ("1" / "2")
    std::vector<int> pvids;          // per port, index port - 1
    int voiceState = 0;              // 1 enabled, 2 not
    int voiceId = 0;
    int surveillanceState = 0;
    int surveillanceId = 0;
    std::vector<std::string> ipInterfaceVlans;
};

// The refusal text of deleting the VLAN of `vidText`, checked in the device's order; "" when the
// deletion may go ahead.
std::string DeleteRefusal(const std::string& vidText, const VlanGuards& guards);

// What Apply of the asymmetric switch does before it asks.
enum class AsymmetricCheck {
    kGoAhead,         // ask, then write
    kMultipleIpIf,    // refuse, the box keeps the user's state
    kVoiceEnabled,    // refuse, read the switch again
    kSurveillanceOn,  // refuse, read the switch again
};
AsymmetricCheck CheckAsymmetricApply(const VlanGuards& guards);
// The message of a refusal (empty for kGoAhead).
std::string AsymmetricRefusalText(AsymmetricCheck check);

// The VLAN ids of the list as "1,10,20" (the PVID dialog's list text).
std::string VlanIdText(const VlanList& list);

}  // namespace ksx::vlan
