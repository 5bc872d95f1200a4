// "Time Profile Info": lists the device's active time profiles, adds a profile (name, optional date
// range, daily start and end time, weekdays) and deletes the selected one.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "features/port_system/PowSavSettings.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class CTimeProfileInfo : public ksx::CDialog {
public:
    explicit CTimeProfileInfo(QWidget* parent = nullptr);
    ~CTimeProfileInfo() override;

    CPowSavSettings& Logic() { return m_logic; }
    // Table index of the profile in list row n, 0 when there is no such row.
    int ProfileIndex(int row) const;
    // The lowest index 1..8 that no row of the device uses, 0 when all are taken.
    int LowestFreeIndex() const;

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void Refresh();
    void OnAdd();
    void OnDelete();
    void OnDateClicked();
    void OnSelectAllDays();
    bool CheckDateTime();
    void OnTimeProfileRow(const TimeProfileRow& row);
    // The table read ended: Add becomes available when it read every row; a failed read is said.
    void OnProfilesRead();
    void EnableDateCombos(bool enable);

    CListCtrlEx* m_list = nullptr;
    // Texts of the date and time combos as taken by the last check.
    std::string m_strFromYear, m_strFromMonth, m_strFromDay, m_strStartHour, m_strStartMinute;
    std::string m_strToYear, m_strToMonth, m_strToDay, m_strEndHour, m_strEndMinute;
    std::vector<int> m_nProfileIndex;  // per list row, as many as the device lists
    std::set<int> m_usedIndexes;       // indexes of every row received, active or not
    bool m_rowsNotRead = false;        // a row of the current read lacked a value or had the wrong type
    CPowSavSettings m_logic;
};
