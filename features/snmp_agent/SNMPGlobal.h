// "SNMP Global State Settings": switches the device's SNMP agent on or off. The state is read when the
// dialog opens; Apply writes it and reads it back.
#pragma once

#include <optional>
#include <string>

#include "features/snmp_agent/SNMPConfig.h"
#include "platform/ui/Dialog.h"

class CSNMPGlobal : public ksx::CDialog {
public:
    static constexpr const char* kTextReadFailed =
        "Reading the SNMP global state failed: Apply stays unavailable until it is read.";
    // Followed by what became of the write (ksx::AnswerText).
    static constexpr const char* kTextWriteFailed = "Failed to set the SNMP global state: ";

    explicit CSNMPGlobal(QWidget* parent = nullptr);
    ~CSNMPGlobal() override;

    void OnApply();
    // State reads ended since the dialog opened (any way).
    int ReadsEnded() const { return m_readsEnded; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void OnState(const std::optional<std::string>& value);
    void ReadState();

    int m_readsEnded = 0;
    CSNMPConfig m_config;
};
