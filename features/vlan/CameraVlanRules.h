// Rules of the auto surveillance VLAN dialogs that need no window: the objects, the texts shown for
// device-table rows, MAC text and row indexes, the built-in rows and their reserved ranges, the checks
// of a new device-table entry (full editor and OUI editor), the settings checks of Apply and the
// batches of the per-port auto detection write.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace camvlan {

// ---- Objects ----
inline const std::string kRoot = "1.3.6.1.4.1.7393.10.76.20.1";
inline const std::string kStateOid = kRoot + ".26.1.1.0";
inline const std::string kVlanIdOid = kRoot + ".26.1.2.0";
inline const std::string kPriorityOid = kRoot + ".26.1.3.0";
inline const std::string kPortsOid = kRoot + ".26.1.4.0";
inline const std::string kPortEntry = kRoot + ".26.1.5.1";  // .1 port, .2 auto detection, .3 status
inline const std::string kDeviceEntry = kRoot + ".26.2.1.1";
inline const std::string kDevMacCol = kDeviceEntry + ".1";
inline const std::string kDevDescCol = kDeviceEntry + ".2";
inline const std::string kDevMaskCol = kDeviceEntry + ".3";
inline const std::string kDevTypeCol = kDeviceEntry + ".4";
inline const std::string kDevStatusCol = kDeviceEntry + ".5";
inline const std::string kAsymmetricOid = kRoot + ".7.5.0";
inline const std::string kVoiceStateOid = kRoot + ".21.1.2.0";
inline const std::string kVoiceVlanIdOid = kRoot + ".21.1.3.0";
inline const std::string kVoiceOuiCol = kRoot + ".21.2.1.1.1";
inline const std::string kVoiceOuiFourthCol = kRoot + ".21.2.1.1.4";
inline const std::string kVlanNameCol = kRoot + ".7.6.1.1";
inline const std::string kTrunkMembersCol = kRoot + ".8.1.3.1.2";

// ---- Texts ----
inline const std::string kTextMacFormat = "Please enter correct MAC format(ex:00-00-00-00-00-01)";
inline const std::string kTextInvalidDescription = "Invalid Description.";
inline const std::string kTextBroadcast = "Broadcast MAC is not allowed.";
inline const std::string kTextMulticast = "Multicast MAC is not allowed.";
inline const std::string kTextOuiMulticast = "Multicast MAC  is not allowed.";
inline const std::string kTextVoiceOui = "The OUI is already exist at Voice Vlan OUI Table!";
inline const std::string kTextDefaultOui = "This OUI is default, please select the default mode!";
inline const std::string kTextDuplicate = "The OUI is already exist!";
inline const std::string kTextTableFull = "OUI Table is full,Maximum user defined OUI is 5.";
inline const std::string kTextSelectToDelete = "Please Selecte the OUI Entry you would to delete";
inline const std::string kTextDefaultNoDelete = "The default Surveillance OUI can not be deleted.";

constexpr int kMaxUserEntries = 5;

// "Video Management Server" .. "Quorvia Surveillance Device" for "0".."5"; any other value as it is.
std::string ComponentTypeText(const std::string& value);
// The five texts the component type list offers (values 0 to 4).
std::vector<std::string> OfferedComponentTypes();

// "%02X-%02X-%02X-%02X-%02X-%02X" of the first six octets; empty when fewer arrived.
std::string FormatMac(std::string_view octets);
// FormatMac, with the two built-in entries shown by their ranges ("7A-3C-91-0X-XX-XX",
// "6E-E4-2B-XX-XX-XX"); empty when fewer than six octets arrived.
std::string DeviceTableMacText(std::string_view octets);

// The MAC text without "-" when it is exactly twelve hex digits, else empty.
std::string MacDigits(const std::string& text);
// ".d.d.d.d.d.d" of a MAC text of twelve hex digits (dashes anywhere); empty when it is not one, so
// that no index is built from text that does not name six octets.
std::string MacIndex(const std::string& text);
// True when the MAC lies in a range reserved for the built-in entries (first seven digits "7A3C910",
// or "6EE42B0" to "6EE42B3", in any letter case).
bool IsReservedMac(const std::string& text);
// True when a device-table list text names a user-defined row: the first seven characters of the text
// without "-", in upper case, are neither "7A3C910" nor "6EE42BX".
bool IsUserDefinedListText(const std::string& listMacText);
// True for the two texts the device-table list shows for the built-in rows.
bool IsBuiltInListText(const std::string& listMacText);

// One row of the device's voice VLAN OUI table: the first three octets as six upper-case hex digits, and
// its fourth column's text.
struct VoiceOui {
    std::string oui;
    std::string fourth;
};

// Checks of a new entry of the full device table editor, in their order; "" when it may be added, else
// the message to show. `mac` is the text as it will be sent (an OUI already completed with
// "-00-00-00"); `listMacs` the "MAC Address" texts of the list.
std::string CheckDeviceEntry(const std::string& description, const std::string& mac,
                             const std::vector<VoiceOui>& voiceOuis,
                             const std::vector<std::string>& listMacs);
// Checks of the OUI editor, in their order; `listOuis` the "Surveillance OUI" texts of its list.
std::string CheckOuiEntry(const std::string& description, const std::string& mac,
                          const std::vector<std::string>& listOuis);

// ---- Settings Apply ----

struct SettingsInput {
    int asymmetricState = 2;  // 1 on
    int voiceState = 2;       // 1 enabled
    int voiceVlanId = 0;
    std::string vlanIdText;
    std::string portsText;
};
// The first failing check of checks 2 to 6 of Apply (asymmetric VLAN, default VLAN, range, voice VLAN,
// port list text); "" when they pass. `refresh` tells whether the dialog re-reads afterwards.
std::string CheckSettings(const SettingsInput& in, bool* refresh);

inline const std::string kTextAsymmetric = "Auto Surveillance Vlan can not support in Asymmetric VLAN mode.";
inline const std::string kTextDefaultVlan = "Default VLAN cannot be set as Auto Surveillance VLAN.";
inline const std::string kTextVlanRange = "The VLAN ID value range is 2 - 4094";
inline const std::string kTextVoiceVlan = "The VLAN ID already is voice VLAN ID.";
inline const std::string kTextInvalidPortlist = "Invalid Portlist";
inline const std::string kTextTrunk =
    "If Link Aggregation member port is selected, it must have the same port list as Auto Surveillance "
    "VLAN Tagged Uplink/Downlink Port.";
inline const std::string kTextVlanExists =
    "The VLAN ID %d already exists, still apply? \nIf yes, the original setting of VLAN %d members will "
    "be removed.";
inline const std::string kTextPoeNotice =
    "Switch will automatically turn on PoE function to all the member ports of surveillance VLAN, "
    "\nplease ensure all the member ports of surveillance VLAN connected to PoE power devices.";
inline const std::string kTextSelectPriority = "Please select a priority.";

// ---- Per-port auto detection ----

inline const std::string kTextLaPort = "LA member port can not support in auto Surveillance vlan mode.";
inline const std::string kTextToBelowFrom = "'To Port' can not be smaller than 'From Port'";

// The auto detection write of ports from..to: batches of at most thirty ports, each the column OIDs of
// its own ports only. When enabling (value "1") and a port of the range is in a trunk, nothing is
// built and *trunkPort is that port (the first one).
std::vector<std::vector<std::string>> AutoDetectionBatches(int from, int to, const std::string& value,
                                                           const std::vector<int>& trunkGroups,
                                                           int* trunkPort);

}  // namespace camvlan
