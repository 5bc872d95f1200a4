// RMON 1 statistics list: the device's etherStats control entries, with add, delete and the two polled
// counter views. Community-based requests only: the reads and the delete through the SNMP class library
// directly, the add's requests (its row's status read, create, valid) through a session of its own, off the
// window's thread.
#pragma once

#include <string>
#include <vector>

#include "controls/StepRun.h"
#include "core/CommonSNMP.h"
#include "core/RowCreate.h"
#include "features/common/DirectRead.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class CStatisticRmon1 : public ksx::CDialog {
public:
    static constexpr const char* kEntry = "1.3.6.1.2.1.16.1.1.1";
    static constexpr const char* kIfIndex = "1.3.6.1.2.1.2.2.1.1";

    explicit CStatisticRmon1(QWidget* parent = nullptr);
    ~CStatisticRmon1() override;

    int DestroyWindow() override;

    // What the polled views read: the entry indexes in list order and their number, and the list's rows.
    const std::vector<std::string>& IndexList() const { return m_indexList; }
    int EntryCount() const { return static_cast<int>(m_indexList.size()); }
    int ListRows() const;
    std::string ListIndexText(int row) const;

    int InterfaceCount() const { return m_nInterfaceCount; }
    int CurrentPort() const { return m_nCurrentPort; }
    static constexpr const char* kTextReadFailed = "Failed to read the RMON 1 statistics table.";
    bool Walking() const { return m_walk.Pending(); }
    // Groups of 24 entries for the group parameter view (0 entries give 0 groups).
    int GroupCount() const { return (EntryCount() + 23) / 24; }

    void OnAdd();
    void OnDelete();
    void OnRefresh();
    void OnParameter();
    void OnInterface();
    void OnListClick();
    void OnListDblClk();

    // The add's requests, off the window's thread.
    const CStepRun& Run() const { return m_run; }

    // Checks an entry's texts before anything is sent; the message for the first fault, "" when sound.
    static std::string CheckEntry(const std::string& index, const std::string& port, const std::string& owner,
                                  int portCount);

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void ReadInterfaceCount();
    void StartListWalk();
    void ClearList();
    bool OnListWalkStep(const ksx::DirectReply& reply);
    void OnInterfaceCountReply(const ksx::DirectReply& reply);
    // Sends one SET with the write community; how the device answered it.
    static SnmpAnswer SendSet(
        const std::vector<std::pair<std::string, std::pair<int, std::string>>>& bindings);
    // What an add writes: the row's index, its data source and owner.
    struct AddJob {
        std::string index;
        std::string source;
        std::string owner;
    };
    // Worker: step 0 makes the row under creation with its data source and owner (a row of that index
    // this module left under creation is replaced, another one not valid only on the user's Yes), step 1
    // makes it valid; a refused or unanswered step 1 removes the row again, and the removal's answer is
    // said too.
    ksx::StepOutcome AddStep(int step, const AddJob& job);
    // UI thread: runs the add of `job`; on its end asks about another's row found, or says the failure.
    void StartAdd(const AddJob& job);

    std::vector<std::string> m_indexList;
    int m_nInterfaceCount = 0;
    int m_nCurrentPort = 1;
    ksx::CDirectRead m_walk{true};
    ksx::CDirectRead m_single{false};
    CListCtrlEx* m_list = nullptr;
    CCommonSNMP m_addSession;  // the add's requests, on its run's worker only
    ksx::AddProgress m_addProgress;
    ksx::OtherRow m_other;  // an entry of the index not valid that this module did not leave
    CStepRun m_run{*this};  // after the session its steps use
};
