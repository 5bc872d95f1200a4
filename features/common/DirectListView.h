// A read-only list view over the SNMP class library: the columns of one table walked with community-based
// requests (and, where the view reads SNMPv3 too, with the user-based security model on a thread of its
// own), one list row per step, an entry count when the view shows one, Refresh and Close.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "features/common/DirectRead.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class CDirectListView : public ksx::CDialog {
public:
    // What Refresh does while a read runs.
    enum class WhilePending {
        Ignore,     // nothing
        ClearOnly,  // the list is emptied; the running walk goes on filling it
        Restart,    // the running walk is ended, a new one starts
    };

    struct ViewSetup {
        unsigned templateId = 0;
        std::string caption;
        int listId = 0;
        int refreshId = 0;
        std::string refreshText = "&Refresh";
        int countId = 0;           // the entry count ("Entries:"), 0 for none
        std::string groupCaption;  // a group box around the list, "" for none
        bool readsV3 = false;      // version "3" reads with SNMPv3 too
        WhilePending whilePending = WhilePending::Ignore;
        std::vector<std::string> headings;
        std::vector<std::string> oids;  // the walked columns, in binding order
        // One group number per column when a second table is walked beside the first (ColumnWalk);
        // empty: all one table.
        std::vector<int> groups;
    };

    explicit CDirectListView(ViewSetup setup, QWidget* parent = nullptr);
    ~CDirectListView() override;

    int DestroyWindow() override;

    void Refresh();
    bool Reading() const;
    CListCtrlEx* List() const { return m_list; }
    const ViewSetup& GetSetup() const { return m_setup; }
    // The last read's end status (0 none yet or a get answered, -2 end of the table, ...).
    int LastEndStatus() const { return m_lastEnd; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    // The cells of a step's row; nothing ends the read there (a short reply). Runs on the UI thread.
    virtual std::optional<std::vector<std::string>> RowCells(const ksx::DirectReply& reply) = 0;
    // After a row was added at `row`.
    virtual void OnRowAdded(int row, const ksx::DirectReply& reply) { (void)row, (void)reply; }
    // The list was emptied for a new read.
    virtual void OnCleared() {}
    // Adds controls below the list (before the buttons); default nothing.
    virtual void MoreControls() {}
    // A read ended with `status`. A failed SNMPv3 read is reported: the user settings may be wrong.
    virtual void OnReadEnd(int status, bool v3);

    void ClearList();

private:
    bool OnReply(const ksx::DirectReply& reply, bool v3);

    ViewSetup m_setup;
    CListCtrlEx* m_list = nullptr;
    ksx::CDirectRead m_walk{true};
    ksx::CDirectV3Read m_v3;
    int m_lastEnd = 0;
};
