// "RMON Alarm Configuration": the device's RMON alarm rows, an alarm added from a form after every field
// and the events it names were checked, and a Delete button on each row.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "features/monitoring/RmonTableDialog.h"

class CRmonAlarm : public CRmonTableDialog {
public:
    explicit CRmonAlarm(QWidget* parent = nullptr);
    ~CRmonAlarm() override;

    // The sampled object of an alarm as the device takes it: "1.3.6.1.2.1.2.2.1.X.Y" with X an ifTable
    // column from 10 to 21 and Y a port from 1 to `ports`, nothing before or after it (blanks around it
    // and a leading "." aside). Nothing for any other text.
    static std::optional<std::string> NormalisedVariable(const std::string& text, int ports);

    std::vector<int> m_arrEventIndexList;
    std::vector<int> m_arrAlarmIndexList;

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void StartRead() override;

    void Fill();
    void ApplyStart();
    void ApplyChecked();
    void Delete(int row);

private:
    bool m_applyPending = false;  // an Apply waits for the event walk
};
