#include "features/layer2/PrivateSpanTPortBase.h"

#include <QApplication>

#include "controls/ListCtrl.h"
#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "features/layer2/PrivateSpanTCommon.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/ui/Form.h"
#include "platform/ui/Text.h"
#include "res/ids_stp.h"

using namespace ksx;

CPrivateSpanTPortBase::CPrivateSpanTPortBase(unsigned templateId, QWidget* parent)
    : CDialog(templateId, parent),
      m_trunks(g_nPortNum),
      m_trunkRead(m_cCommonSNMPTable, {trunk::kMemberColumn},
                  [](const WalkStep& s) -> std::optional<TrunkRow> {
                      return TrunkRow{"." + s.Index(0), s.Text(0)};
                  }) {
    OwnReader(m_trunkRead);
    OwnSession(m_cCommonSNMP);
    OwnSession(m_cCommonSNMPSet);
    OwnSession(m_cCommonSNMPTable);
    m_trunkRead.onRow = [this](const TrunkRow& row) { m_trunks.AddRow(row.suffix, row.members); };
    m_trunkRead.onEnd = [this](const WalkEnd& end) {
        if (end.stale) {
            return;
        }
        m_trunks.EndRead(end.status);
        if (!m_trunks.Ended()) {
            AfxMessageBox("Failed to read the trunk members.");
        }
        EnableWrite();
    };
}

CPrivateSpanTPortBase::~CPrivateSpanTPortBase() = default;

void CPrivateSpanTPortBase::AddNavigation(ui::Form& form, int portLabelId) {
    form.Row({form.Button(IDC_STPP_PREV, "<= Prev Port"), "Port", form.Label("", portLabelId),
              ui::Form::Stretch, form.Button(IDC_STPP_NEXT, "Next Port =>")});
    OnCommand(IDC_STPP_PREV, [this] { Step(-1); });
    OnCommand(IDC_STPP_NEXT, [this] { Step(1); });
}

int CPrivateSpanTPortBase::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    const int selected = m_table != nullptr ? m_table->GetFirstSelectedItem() : -1;
    m_nCurRow = selected >= 0 ? selected : 0;
    m_trunks.Reset();
    EnableWrite();
    ReadTrunkMembers();
    return 1;
}

void CPrivateSpanTPortBase::ReadTrunkMembers() {
    m_trunks.BeginRead();
    EnableWrite();
    m_trunkRead.Walk(OnTrunkWalk, this);
}

int CPrivateSpanTPortBase::OnTrunkWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CPrivateSpanTPortBase*>(userData)->m_trunkRead.Step(response, requestId, status);
}

void CPrivateSpanTPortBase::EnableWrite() {
    // A trunk member is refused: nothing is written before the members are known.
    const bool rows = m_table != nullptr && m_table->GetItemCount() > 0;
    for (int id : m_writeButtons) {
        EnableDlgItem(id, m_trunks.Ended() && rows);
    }
}

void CPrivateSpanTPortBase::ClampRow() {
    const int last = m_table != nullptr ? m_table->GetItemCount() - 1 : -1;
    if (m_nCurRow <= 0) {
        m_nCurRow = 0;
        EnableDlgItem(IDC_STPP_PREV, false);
        EnableDlgItem(IDC_STPP_NEXT, true);
    } else if (m_nCurRow >= last) {
        m_nCurRow = std::max(last, 0);
        EnableDlgItem(IDC_STPP_PREV, true);
        EnableDlgItem(IDC_STPP_NEXT, false);
    } else {
        EnableDlgItem(IDC_STPP_PREV, true);
        EnableDlgItem(IDC_STPP_NEXT, true);
    }
}

std::string CPrivateSpanTPortBase::Cell(int column) const {
    if (m_table == nullptr || !m_table->ValidRow(m_nCurRow)) {
        return std::string();
    }
    return ui::ToStd(m_table->GetItemText(m_nCurRow, column));
}

void CPrivateSpanTPortBase::Step(int delta) {
    m_nCurRow += delta;
    ShowPort();
}

void CPrivateSpanTPortBase::OnOK() {
    if (!m_trunks.Ended()) {
        return;
    }
    // A refused or failed write keeps the editor open with the user's values.
    if (ApplyPort()) {
        EndDialog(IDOK);
    }
}

int CPrivateSpanTPortBase::DestroyWindow() {
    DebugOut("==================DestroyWindow===============");
    return CDialog::DestroyWindow();
}
