// "SNMP Trap Configuration": switches the device's trap kinds on and off. The switches are read when
// the dialog opens; Apply writes the ones the user changed. The three PoE switches exist on PoE models
// only.
#pragma once

#include <array>

#include "features/snmp_agent/SNMPConfig.h"
#include "platform/ui/Dialog.h"

class CSNMPTrapSetting : public ksx::CDialog {
public:
    static constexpr const char* kTextReadFailed =
        "Reading the trap settings failed: Apply stays unavailable until they are read.";
    static constexpr const char* kTextSomeUnread =
        "Failed to read the trap settings shown greyed: Apply leaves them as the device has them.";
    static constexpr const char* kTextWriteFailed =
        "Failed to set the trap settings: the device did not accept them.";
    // Check box of each slot.
    static const std::array<int, 11> kSlotBoxes;

    explicit CSNMPTrapSetting(QWidget* parent = nullptr);
    ~CSNMPTrapSetting() override;

    void OnApply();
    bool IsPoEModel() const { return m_bPoEModel != 0; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    // Reads the switches into the boxes; false when the read failed (Apply then stays unavailable).
    bool ReadSettings();

    int m_bPoEModel = 0;
    std::array<int, 11> m_shown{};  // box states as the last read left them; -1 not read
    CSNMPConfig m_config;
};
