#include "features/vlan/VlanTable.h"

#include "core/TextNumbers.h"

namespace ksx::vlan {

const VlanEntry* FindVlan(const VlanList& list, int vid) {
    for (const VlanEntry& entry : list) {
        if (entry.nVid == vid) {
            return &entry;
        }
    }
    return nullptr;
}

std::string DeleteRefusal(const std::string& vidText, const VlanGuards& guards) {
    if (vidText == "1") {
        return "Can't delete the default VLAN!";
    }
    const int vid = ksx::text::LeadingInt(vidText);
    if (guards.asymmetricChecked) {
        for (int pvid : guards.pvids) {
            if (pvid == vid) {
                return "The VID is one of The PVID, so it cannot be deleted.";
            }
        }
    }
    if (guards.voiceState == 1 && vid == guards.voiceId) {
        return "The VLAN ID is Voice VLAN ID.";
    }
    if (guards.surveillanceState == 1 && vid == guards.surveillanceId) {
        return "The VLAN ID is Surveillance VLAN ID.";
    }
    for (const std::string& ifVlan : guards.ipInterfaceVlans) {
        if (ifVlan == vidText) {
            return "The VLAN ID is IP Interface VLAN.";
        }
    }
    return "";
}

AsymmetricCheck CheckAsymmetricApply(const VlanGuards& guards) {
    const std::string wanted = guards.asymmetricChecked ? "1" : "2";
    if (wanted != guards.asymmetricRead && guards.ipInterfaceVlans.size() >= 2) {
        return AsymmetricCheck::kMultipleIpIf;
    }
    if (guards.voiceState == 1) {
        return AsymmetricCheck::kVoiceEnabled;
    }
    if (guards.surveillanceState == 1) {
        return AsymmetricCheck::kSurveillanceOn;
    }
    return AsymmetricCheck::kGoAhead;
}

std::string AsymmetricRefusalText(AsymmetricCheck check) {
    switch (check) {
        case AsymmetricCheck::kMultipleIpIf:
            return "Multiple Interfaces are set, the VLAN mode can not be changed.";
        case AsymmetricCheck::kVoiceEnabled:
            return "Voice Vlan is enable,the vlan mode can't change to Asymmetric mode!\n"
                   "If you could disable it, please set it through the web!";
        case AsymmetricCheck::kSurveillanceOn:
            return "Auto Surveillance VLAN is enable,the vlan mode can't change to Asymmetric mode!";
        case AsymmetricCheck::kGoAhead:
            break;
    }
    return "";
}

std::string VlanIdText(const VlanList& list) {
    std::string text;
    for (const VlanEntry& entry : list) {
        if (!text.empty()) {
            text += ',';
        }
        text += std::to_string(entry.nVid);
    }
    return text;
}

}  // namespace ksx::vlan
