// What the two spanning tree port editors share: one row of their table at a time with "<= Prev Port"
// and "Next Port =>", the trunk groups of the ports (read when the editor opens; the write stays
// unavailable until they are known), and OK that closes the editor only when the write went through.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "features/common/TrunkTable.h"
#include "platform/ui/Dialog.h"

class CListCtrl;
namespace ksx::ui {
class Form;
}

class CPrivateSpanTPortBase : public ksx::CDialog {
public:
    CPrivateSpanTPortBase(unsigned templateId, QWidget* parent);
    ~CPrivateSpanTPortBase() override;

    // The table whose rows the editor shows; set before the modal run.
    void SetTable(CListCtrl* list) { m_table = list; }
    int CurrentRow() const { return m_nCurRow; }
    // The trunk group of a port (0: none) once the trunk members were read.
    int TrunkGroup(int port) const { return m_trunks.GroupOf(port); }
    bool TrunksRead() const { return m_trunks.Ended(); }
    bool TrunkReadFailed() const { return m_trunks.Failed(); }

    // Shows the current row (its cells, then the port's values read from the device).
    virtual void ShowPort() = 0;
    // Checks and writes the shown port; false after a refusal or a failed write (its message shown).
    virtual bool ApplyPort() = 0;

    int DestroyWindow() override;

protected:
    struct TrunkRow {
        std::string suffix;   // the row's instance (".1")
        std::string members;  // the member bitmap octets
    };

    // The navigation line: "<= Prev Port", "Port" and the port number, "Next Port =>".
    void AddNavigation(ksx::ui::Form& form, int portLabelId);
    // The buttons that write (unavailable until the trunk members are known).
    void SetWriteButtons(std::vector<int> ids) { m_writeButtons = std::move(ids); }

    int OnInitDialog() override;
    void OnOK() override;

    // Starts the walk of the trunk member column.
    void ReadTrunkMembers();
    // Holds the current row inside the table and sets the two step buttons.
    void ClampRow();
    // A cell of the current row ("" when there is none).
    std::string Cell(int column) const;
    void Step(int delta);

    CListCtrl* m_table = nullptr;
    int m_nCurRow = 0;
    CTrunkGroups m_trunks;  // the trunk group of each port
    std::vector<int> m_writeButtons{ksx::IDOK};
    // The shown port and the priority and cost last shown or written.
    std::string m_strPort;
    int m_nPriority = 0;
    int m_nCost = 0;

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    CCommonSNMP m_cCommonSNMPTable;
    ksx::TableRead<TrunkRow> m_trunkRead;

private:
    static int OnTrunkWalk(CSnmp* response, int requestId, void* userData, int status);
    void EnableWrite();
};
