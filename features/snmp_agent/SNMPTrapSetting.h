// "SNMP Trap Configuration": switches the device's trap kinds on and off. The switches are read when
// the dialog opens; Apply writes the ones the user changed, off the window's thread, and reads them
// again after a write that did not go as asked. The three PoE switches exist on PoE models only.
#pragma once

#include <array>

#include "features/snmp_agent/SNMPConfig.h"
#include "features/snmp_agent/SNMPWriteRun.h"
#include "platform/ui/Dialog.h"

class CSNMPTrapSetting : public ksx::CDialog {
public:
    static constexpr const char* kTextReadFailed =
        "Reading the trap settings failed: Apply stays unavailable until they are read.";
    static constexpr const char* kTextSomeUnread =
        "Failed to read the trap settings shown greyed: Apply leaves them as the device has them.";
    // Check box of each slot.
    static const std::array<int, 11> kSlotBoxes;

    explicit CSNMPTrapSetting(QWidget* parent = nullptr);
    ~CSNMPTrapSetting() override;

    void OnApply();
    bool IsPoEModel() const { return m_bPoEModel != 0; }
    // An Apply is running; its progress line.
    bool Writing() const { return m_writes.Running(); }
    const CStepRun& Run() const { return m_writes.Run(); }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    // Reads the switches into the boxes; false when the read failed (Apply then stays unavailable).
    bool ReadSettings();
    // Shows the switches as read (nothing: the read failed); false when the read failed.
    bool ShowSettings(const std::optional<SNMP_TRAP_SETTINGS>& settings);

    int m_bPoEModel = 0;
    std::array<int, 11> m_shown{};  // box states as the last read left them; -1 not read
    CSNMPConfig m_config;
    CSNMPWriteRun m_writes{*this, m_config};  // after m_config, whose sessions its steps use
};
