#include "controls/PortRange.h"

#include <QComboBox>

#include "platform/sys/MessageBox.h"
#include "platform/ui/Dialog.h"

using namespace ksx;

namespace {

int Selected(const QComboBox* box) {
    return box != nullptr && box->currentIndex() >= 0 ? box->currentText().toInt() : 0;
}

}  // namespace

CPortRange::CPortRange(CDialog& dlg, int fromId, int toId, std::string backwardText)
    : m_dlg(dlg), m_fromId(fromId), m_toId(toId), m_backwardText(std::move(backwardText)) {
    dlg.OnNotify(CBN_SELCHANGE, fromId, CDialog::Handler([this] { OnFromChanged(); }));
    dlg.OnNotify(CBN_SELCHANGE, toId, CDialog::Handler([this] { OnToChanged(); }));
}

void CPortRange::Fill(int ports) {
    auto* from = m_dlg.Item<QComboBox>(m_fromId);
    auto* to = m_dlg.Item<QComboBox>(m_toId);
    from->clear();
    to->clear();
    for (int p = 1; p <= ports; ++p) {
        from->addItem(QString::number(p));
        to->addItem(QString::number(p));
    }
    SelectFirst();
}

void CPortRange::SelectFirst() {
    m_dlg.Item<QComboBox>(m_fromId)->setCurrentIndex(0);
    m_dlg.Item<QComboBox>(m_toId)->setCurrentIndex(0);
}

int CPortRange::From() const {
    return Selected(m_dlg.Item<QComboBox>(m_fromId));
}

int CPortRange::To() const {
    return Selected(m_dlg.Item<QComboBox>(m_toId));
}

void CPortRange::OnFromChanged() {
    auto* from = m_dlg.Item<QComboBox>(m_fromId);
    auto* to = m_dlg.Item<QComboBox>(m_toId);
    const int match = to->findText(from->currentText(), Qt::MatchExactly);
    if (match >= 0) {
        to->setCurrentIndex(match);
    }
}

void CPortRange::OnToChanged() {
    if (From() == 0 || To() == 0 || To() >= From()) {
        return;
    }
    AfxMessageBox(m_backwardText, MB_OK);
    auto* to = m_dlg.Item<QComboBox>(m_toId);
    to->setCurrentIndex(to->findText(QString::number(From()), Qt::MatchExactly));
}
