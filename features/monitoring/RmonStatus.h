// "RMON Global Settings ": shows and sets the device's global RMON state.
//
// Apply writes the state shown only after a read of the device's state succeeded: a state not read is
// never written back. The read, and Apply's write with the read that follows it, run off the window's
// thread; Close during them stops them.
#pragma once

#include <QWidget>
#include <optional>

#include "controls/StepRun.h"
#include "features/monitoring/RMON.h"
#include "platform/ui/Dialog.h"

class CRmonStatus : public ksx::CDialog {
public:
    explicit CRmonStatus(QWidget* parent = nullptr);
    ~CRmonStatus() override;

    CRMON m_rmon;
    // The read or write under way (its progress line).
    const CStepRun& Run() const { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

    void Refresh();
    void Apply();

private:
    void EnableButtons(bool enable);
    // Runs the write of `enabled` (when given), then the read of the state.
    void Start(std::optional<int> enabled);

    bool m_stateRead = false;  // the radio buttons show the device's state
    CStepRun m_run{*this};     // after m_rmon, whose sessions it uses
};
