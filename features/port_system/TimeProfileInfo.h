// "Time Profile Info": lists the device's active time profiles, adds a profile (name, optional date
// range, daily start and end time, weekdays) and deletes the selected one.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "controls/StepRun.h"
#include "core/RowCreate.h"
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
    // The add's run (tests).
    CStepRun& Run() { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void Refresh();
    void OnAdd();
    // Runs the add of `row` off the window's thread; its end is OnAddEnd.
    void StartAdd(const TimeProfileRow& row);
    void OnAddEnd(const ksx::StepsEnd& end, const TimeProfileRow& row);
    // Add and Delete: available once a whole read ended, unless an add runs or a removal after a closed
    // add still writes the table.
    void EnableWrites();
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
    bool m_readOk = false;             // the last read ended with every row read
    CPowSavSettings m_logic;
    ksx::AddProgress m_progress;  // the add's, read once its run ended
    ksx::OtherRow m_other;        // another manager's row at the add's index, and the user's answer
    CStepRun m_run{*this};        // after the sessions it uses
};
