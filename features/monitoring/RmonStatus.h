// "RMON Global Settings ": shows and sets the device's global RMON state.
//
// Apply writes the state shown only after a read of the device's state succeeded: a state not read is
// never written back.
#pragma once

#include <QWidget>

#include "features/monitoring/RMON.h"
#include "platform/ui/Dialog.h"

class CRmonStatus : public ksx::CDialog {
public:
    explicit CRmonStatus(QWidget* parent = nullptr);
    ~CRmonStatus() override;

    CRMON m_rmon;

protected:
    void CreateControls() override;
    int OnInitDialog() override;

    void Refresh();
    void Apply();

private:
    void EnableButtons(bool enable);

    bool m_stateRead = false;  // the radio buttons show the device's state
};
