// "GVRP Global Settings": GVRP on or off for the whole device and its join, leave and leave-all timers.
#pragma once

#include <optional>

#include <string>

#include "features/vlan/GVRPFunLogic.h"
#include "platform/ui/Dialog.h"

class CGVRPTime : public ksx::CDialog {
public:
    explicit CGVRPTime(QWidget* parent = nullptr);
    ~CGVRPTime() override;

    void OnRefresh();
    void OnApply();
    CGVRPFunLogic& Logic() { return m_logic; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void ReadGvrpState();
    void EnableTimers(bool enable);
    void OnGvrpState(std::optional<long long> state);
    void OnGlobalRead(const std::optional<GvrpGlobalRow>& row);

    CGVRPFunLogic m_logic;
    std::string m_strState;      // the state as last read; empty before and after a failed read
    bool m_bTimersRead = false;  // the edits hold the device's timers
};
