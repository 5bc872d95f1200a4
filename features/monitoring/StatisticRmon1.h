// RMON 1 statistics list: the device's etherStats control entries, with add, delete and the two polled
// counter views. Talks to the SNMP class library directly, community-based requests only.
#pragma once

#include <string>
#include <vector>

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

    std::vector<std::string> m_indexList;
    int m_nInterfaceCount = 0;
    int m_nCurrentPort = 1;
    ksx::CDirectRead m_walk{true};
    ksx::CDirectRead m_single{false};
    CListCtrlEx* m_list = nullptr;
};
