// Logic of the VLAN add and edit dialog: the port-list rules of its grid (a port untagged in one VLAN
// only while the asymmetric VLAN is off), the VLAN id and trunk checks, and the SET sequence that
// writes a VLAN row. Qt-free; the trunk membership comes from a CTrunkGroups the dialog fills.
#pragma once

#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "features/common/TrunkTable.h"
#include "features/vlan/VlanTable.h"

class CVlanAddLogic {
public:
    // Per-port 0/1 flags, index port - 1.
    using PortFlags = std::vector<int>;

    // What OK writes. The VID text is written as typed.
    struct VlanWrite {
        bool add = true;
        std::string vidText;
        std::string name;
        PortFlags egress;  // tagged or untagged members
        PortFlags untagged;
        PortFlags forbidden;
    };
    // The members of an edited VLAN as read, put back when an edit fails part-way.
    struct VlanMembers {
        PortFlags egress;
        PortFlags untagged;
        PortFlags forbidden;
    };
    // Steps of the SET sequence, in their order.
    enum Step {
        kNoStep = 0,
        kPrepareRow,  // row status: create-and-wait (add) or not-in-service (edit, not VLAN 1)
        kAllPorts,    // egress = every port (not VLAN 1)
        kUntagged,
        kEgress,
        kForbidden,
        kName,
        kActivate,  // row status active
    };
    struct WriteResult {
        Step failed = kNoStep;  // kNoStep: every step was accepted
        bool undone = true;     // the row was removed (add) or its members put back (edit)
        bool Ok() const { return failed == kNoStep; }
    };

    CVlanAddLogic() = default;
    CVlanAddLogic(const CVlanAddLogic&) = delete;
    CVlanAddLogic& operator=(const CVlanAddLogic&) = delete;

    // ---- Port lists ----
    static const VlanEntry* FindVlanEntry(const VlanList& list, int vid);
    // Flags of the entry's egress, untagged and forbidden lists over `ports` ports; not-member is set
    // where none of the three is.
    static void LoadPortFlags(const VlanEntry& entry, int ports, PortFlags& egress, PortFlags& untagged,
                              PortFlags& notMember, PortFlags& forbidden);
    // Every entry's untagged list joined with ",".
    static std::string JoinUntaggedLists(const VlanList& list);
    // Drops every item equal to the port from the comma-separated text.
    static void RemovePortFromList(int port, std::string& text);
    // False when an item of the text is the port.
    static bool IsPortNotInList(int port, const std::string& text);

    // ---- Checks (each shows its message and returns false) ----
    // Add mode: 2 to 4094 and not listed yet.
    static bool ValidateVlanId(const VlanList& list, int vid);
    // Every trunk touched by the flags is wholly set.
    static bool CheckTrunkMembers(const CTrunkGroups& trunks, const PortFlags& flags);

    // The port bitmap octets of flags as the VLAN table takes them: 8 octets for 28 ports, 12 for 52,
    // the device object's size for other counts.
    static std::string PortBitmap(const PortFlags& flags);

    // ---- Writing ----
    // The SET sequence; stops at the first step the device did not accept and leaves no half-made
    // VLAN: a created row is destroyed, an edited VLAN gets `original` back.
    WriteResult WriteVlan(const VlanWrite& write, const VlanMembers& original);
    // Name of a step in the failure message ("untagged ports").
    static std::string StepName(Step step);

    // Sessions: row status and name; the port bitmaps.
    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPEgrePort;

private:
    bool PrepareVlanRow(const std::string& vidText, bool create);
    bool SetPortList(const std::string& octets, const std::string& vidText, const char* column);
    bool SetVlanName(const std::string& vidText, const std::string& name);
    bool SetRowStatus(const std::string& vidText, const char* value);
    void Undo(const VlanWrite& write, const VlanMembers& original, Step failed, WriteResult& result);
};
