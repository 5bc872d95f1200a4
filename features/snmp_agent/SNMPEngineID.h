// "SNMP Engine ID": shows the engine ID of the device's agent as hexadecimal text and writes a new one
// (or, through the hidden Default button, the model's default), then reads it back.
#pragma once

#include <optional>
#include <string>

#include "features/snmp_agent/SNMPConfig.h"
#include "platform/ui/Dialog.h"

class CSNMPEngineID : public ksx::CDialog {
public:
    static constexpr const char* kTextLength = "ID length is 10-64";
    static constexpr const char* kTextCharacters = "the accepted character is from 0 to F";
    static constexpr const char* kTextOddLength = "The engine ID needs an even number of hexadecimal digits.";
    static constexpr const char* kTextNoDefault = "This model has no default engine ID.";
    // Followed by what became of the write (ksx::AnswerText).
    static constexpr const char* kTextWriteFailed = "Failed to set the engine ID: ";
    static constexpr const char* kTextReadFailed = "Reading the engine ID failed.";

    explicit CSNMPEngineID(QWidget* parent = nullptr);
    ~CSNMPEngineID() override;

    void OnApply();
    void OnDefault();
    // Engine-ID reads ended since the dialog opened (any way).
    int ReadsEnded() const { return m_readsEnded; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void OnEngineId(const std::optional<std::string>& value);

    int m_readsEnded = 0;
    CSNMPConfig m_config;
};
