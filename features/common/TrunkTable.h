// The device's link aggregation objects, shared by every dialog that looks at trunks: the global state,
// the trunk table (member ports and channel mode per trunk id), the channel-mode texts, and the
// per-port trunk-group array built from the member-port column.
//
// Qt-free. CTrunkMembership reads the member-port column through the module base's trunk reader into
// a CTrunkGroups; a dialog with a walk of its own hands each row to CTrunkGroups::AddRow and the end to
// CTrunkGroups::EndRead, so every reader decodes rows the same way.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ModuleBase.h"

namespace ksx::trunk {

// Link aggregation state: "1" enabled, "2" disabled.
inline constexpr char kStateOid[] = "1.3.6.1.4.1.7393.10.76.20.1.8.1.2.0";
// Trunk table columns, indexed by the trunk id (from 1).
inline constexpr char kMemberColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.8.1.3.1.2";  // port bitmap
inline constexpr char kModeColumn[] = "1.3.6.1.4.1.7393.10.76.20.1.8.1.3.1.3";    // 1 LACP, 2 static, 3 off

// "LACP" for "1", "Static" for "2", "Disable" for anything else.
std::string ChannelModeText(std::string_view value);

// The trunk id of a row from its instance suffix (".3" or "3"); 0 when it is not a positive number.
int TrunkIdFromSuffix(std::string_view suffix);

// One row of the trunk table as read.
struct TrunkRow {
    int id = 0;           // trunk id (the row index)
    std::string members;  // member ports "25,26" (empty: no member)
    int memberCount = 0;  // number of member ports
    std::string mode;     // channel mode value as read ("1", "2", "3")
    std::string ModeText() const { return ChannelModeText(mode); }
};

// Decodes one row: the instance suffix, the member-port bitmap octets (over the port count) and the
// channel-mode value.
TrunkRow ParseTrunkRow(std::string_view suffix, std::string_view memberOctets, std::string_view mode);

// The member-port bitmap to write for a set of ports (per-port 0/1 flags, g_nPortNum of them): octets
// padded to the device object's size (4 octets up to 28 ports, 8 for 48 and 52).
std::string MemberBitmap(const int* flags);

}  // namespace ksx::trunk

// Per-port trunk-group array: one entry per port (index port - 1), 0 when the port is in no trunk,
// otherwise the id of its trunk. Filled from the member-port column; entries are set by rows and
// never cleared by them (a port that left a trunk keeps its old id until Reset).
//
// Also tracks the read: checks against trunk membership must wait until Ended() (a failed read is
// Failed(), and the caller says so and lets the user read again).
//
// Not locked: fill it where it is read (the UI thread, from rows the toolkit delivers there).
class CTrunkGroups {
public:
    enum class State { kNotRead, kReading, kEnded, kFailed };

    // `ports` entries, all 0; a negative count counts as 0.
    explicit CTrunkGroups(int ports);

    // All entries back to 0, not read.
    void Reset();
    // A read starts: the entries are kept (as the device's own readers do), the state is Reading.
    void BeginRead();
    // Takes the entries of an array filled by another reader (CModuleBase's m_TrunkPorts), as far as
    // both reach.
    void Assign(const std::vector<int>& groups);
    // One trunk's member ports (1-based) as a reader decoded them; ports past the count are ignored.
    void AddMembers(int group, const std::vector<int>& ports);
    // One row of the member-port column: instance suffix and bitmap octets. Every listed port up to
    // the port count takes the row's trunk id; a row without members or without a valid id changes
    // nothing. Returns the number of entries set.
    int AddRow(std::string_view suffix, std::string_view memberOctets);
    // The walk ended: status -2 (end of the column) is a complete read, any other status a failure.
    void EndRead(int status);

    State GetState() const { return m_state; }
    bool Ended() const { return m_state == State::kEnded; }
    bool Failed() const { return m_state == State::kFailed; }

    int PortCount() const { return static_cast<int>(m_groups.size()); }
    // Trunk id of a port (1-based); 0 for no trunk or a port out of range.
    int GroupOf(int port) const;
    // Ports (1-based, ascending) of a trunk id; empty for 0.
    std::vector<int> MembersOf(int group) const;
    // The array itself, index port - 1.
    const std::vector<int>& Groups() const { return m_groups; }
    const int* Data() const { return m_groups.data(); }

    // All or none of a trunk: the first port (1-based, ascending) that is set in `flags` and whose
    // trunk has a member that is not set; 0 when every trunk is either fully set or not touched.
    // `flags` holds PortCount() entries; any non-zero entry counts as set.
    int FirstPartlySetTrunkPort(const int* flags) const;
    // Same values in a trunk: the first port with a non-zero value whose trunk has a member of another
    // value; 0 when none.
    int FirstMixedTrunkPort(const int* values) const;

private:
    std::vector<int> m_groups;
    State m_state = State::kNotRead;
};

// The ports' trunk membership read through the module base's trunk reader. Rows and the end arrive on
// the owner's (UI) thread; the dialog registers Sessions() with itself so that closing it ends the read.
class CTrunkMembership : public CModuleBase {
public:
    // An array of `ports` entries, all 0, not read.
    explicit CTrunkMembership(int ports);

    // Starts a read of the member-port column (the entries are kept, as every reader of it does);
    // `onEnd` runs on the owner's thread once the read ended, complete or failed.
    void Read(std::function<void(const CTrunkGroups&)> onEnd = nullptr);
    const CTrunkGroups& Groups() const { return m_groups; }
    // All entries back to 0, not read.
    void Reset() { m_groups.Reset(); }

private:
    CTrunkGroups m_groups;
    std::function<void(const CTrunkGroups&)> m_onEnd;
};
