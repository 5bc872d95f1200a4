// Storm control dialog.
#include "features/security/StormControlDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <QRegularExpressionValidator>

#include <cstdlib>
#include <string>

#include "core/RunText.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/Text.h"
#include "res/ids_screening.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_STORM_CONTROL, [] {
    CStormControlDlg dlg;
    dlg.DoModal();
});

constexpr int kMaxN = 16000;
constexpr int kUnitKbps = 64;
const char kInvalidN[] = "Invalid input of N ( input range must between 1~16000)";
const char kReadFailed[] = "Failed to read the storm control settings.";
const char kWriteFailed[] = "Failed to write the storm control settings: ";

// A value the user cannot change looks it: the window's colour behind the text.
void MakeReadOnly(QLineEdit* edit) {
    edit->setReadOnly(true);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit->setPalette(palette);
}

// N from the whole text: digits only, at most five of them; -1 otherwise (an empty text is 0).
int ParseN(const std::string& text) {
    if (text.empty()) {
        return 0;
    }
    if (text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) {
        return -1;
    }
    return std::atoi(text.c_str());
}

}  // namespace

CStormControlDlg::CStormControlDlg(QWidget* parent) : CDialog(IDD_STORM_CONTROL, parent) {
    OwnSessions(m_StormControlLogic.Sessions());
}

CStormControlDlg::~CStormControlDlg() = default;

void CStormControlDlg::CreateControls() {
    SetWindowText("Storm Control");
    ui::Form form(*this);
    auto group = form.Group("");
    group.Row({group.Check(IDC_STORM_ENABLE, "Enable Storm Control "), ui::Form::Stretch,
               group.Button(IDC_STORM_APPLY, "Apply")});
    QComboBox* type = group.Combo(IDC_STORM_TYPE);
    group.Row({"Storm Control Type", type, ui::Form::Stretch});
    group.Note(" N = ( 1 ~ 16000 ) ");
    QLineEdit* unit = group.Edit(IDC_STORM_UNIT);
    MakeReadOnly(unit);
    unit->setMaximumWidth(unit->fontMetrics().horizontalAdvance("64Kbps    ") + 12);
    QLineEdit* n = group.Edit(IDC_STORM_N);
    n->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), n));
    n->setMaxLength(5);
    n->setMaximumWidth(n->fontMetrics().horizontalAdvance("000000") + 12);
    QLineEdit* kbps = group.Edit(IDC_STORM_KBPS);
    MakeReadOnly(kbps);
    kbps->setMaximumWidth(kbps->fontMetrics().horizontalAdvance("00000000") + 12);
    group.Row({"Threshold(64Kbps * N)", unit, "*", n, "=", kbps, "Kbps", ui::Form::Stretch});
    form.Buttons({{IDC_STORM_REFRESH, "&Refresh"}});

    OnCommand(IDC_STORM_ENABLE, [this] { OnEnableClicked(); });
    OnCommand(IDC_STORM_APPLY, [this] { OnApply(); });
    OnCommand(IDC_STORM_REFRESH, [this] { Refresh(); });
    OnNotify(EN_CHANGE, IDC_STORM_N, [this] { OnNChanged(); });
    OnMessage(WM_SNMP_RESULT, [this](WPARAM w, LPARAM l) { return OnSnmpResult(w, l); });
}

int CStormControlDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    auto* type = Item<QComboBox>(IDC_STORM_TYPE);
    type->addItem("Broadcast Only");
    type->addItem("Multicast & Broadcast");
    type->addItem("Multicast & Broadcast & Unknown Unicast");
    SetDlgItemText(IDC_STORM_UNIT, "64Kbps  ");
    ShowUnread();
    Refresh();
    return 1;
}

void CStormControlDlg::Refresh() {
    if (!m_StormControlLogic.SetOwnerWnd(this)) {
        return;
    }
    // Apply compares against the values of a read: unavailable until one succeeded.
    EnableDlgItem(IDC_STORM_APPLY, false);
    EnableDlgItem(IDC_STORM_REFRESH, false);
    m_StormControlLogic.GetStormGlobals();
}

LRESULT CStormControlDlg::OnSnmpResult(WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
        case 0:
            if (lParam != 0) {
                ShowRecord(*Record<StormControlGlobals>(lParam));
                ReadEnded(true);
            }
            break;
        case 2:
            ReadEnded(false);
            break;
        case 3:
            Refresh();
            break;
        default:
            break;
    }
    return 0;
}

void CStormControlDlg::ReadEnded(bool ok) {
    m_bRead = ok;
    ++m_readsEnded;
    EnableDlgItem(IDC_STORM_REFRESH, true);
    EnableDlgItem(IDC_STORM_APPLY, ok);
    if (!ok) {
        ShowUnread();
        AfxMessageBox(kReadFailed, MB_OK);
    }
}

void CStormControlDlg::ShowUnread() {
    // No default and nothing of an earlier read stands for the device's settings.
    auto* box = Item<QCheckBox>(IDC_STORM_ENABLE);
    box->setTristate(true);
    box->setCheckState(Qt::PartiallyChecked);
    box->setEnabled(false);
    Item<QComboBox>(IDC_STORM_TYPE)->setCurrentIndex(-1);
    SetDlgItemText(IDC_STORM_N, "");
    SetDlgItemText(IDC_STORM_KBPS, "");
    OnEnableClicked();
}

void CStormControlDlg::ShowRecord(const StormControlGlobals& record) {
    m_Current = record;
    auto* box = Item<QCheckBox>(IDC_STORM_ENABLE);
    box->setTristate(false);
    box->setEnabled(true);
    CheckDlgButton(IDC_STORM_ENABLE, record.state == "1" ? 1 : 0);
    Item<QComboBox>(IDC_STORM_TYPE)->setCurrentIndex(std::atoi(record.type.c_str()) - 1);
    SetDlgItemText(IDC_STORM_KBPS, record.threshold);
    m_nReadN = record.threshold == "0" ? 0 : std::atoi(record.threshold.c_str()) / kUnitKbps;
    SetDlgItemText(IDC_STORM_N, std::to_string(m_nReadN));
    // The N handler shows N x 64: the threshold stays as the device gave it until N is edited.
    SetDlgItemText(IDC_STORM_KBPS, record.threshold);
    OnEnableClicked();
}

void CStormControlDlg::OnEnableClicked() {
    const bool on = IsDlgButtonChecked(IDC_STORM_ENABLE) == 1;
    EnableDlgItem(IDC_STORM_N, on);
    EnableDlgItem(IDC_STORM_TYPE, on);
}

void CStormControlDlg::OnNChanged() {
    const std::string text = GetDlgItemText(IDC_STORM_N);
    const int n = ParseN(text);
    SetDlgItemText(IDC_STORM_KBPS, text.empty() || n < 0 ? std::string() : std::to_string(n * kUnitKbps));
}

void CStormControlDlg::OnApply() {
    if (!m_bRead) {
        return;  // nothing read to compare against (Enter while unavailable)
    }
    const int n = ParseN(GetDlgItemText(IDC_STORM_N));
    if (n < 1 || n > kMaxN) {
        AfxMessageBox(kInvalidN, MB_OK);
        return;
    }
    StormControlGlobals now;
    now.state = IsDlgButtonChecked(IDC_STORM_ENABLE) == 1 ? "1" : "2";
    now.type = std::to_string(Item<QComboBox>(IDC_STORM_TYPE)->currentIndex() + 1);
    // The threshold goes out only when the user changed N: a device value that is no multiple of 64
    // would otherwise be rewritten by every Apply.
    now.threshold = n == m_nReadN ? m_Current.threshold : std::to_string(n * kUnitKbps);
    if (const SnmpAnswer answer = m_StormControlLogic.SetStormGlobals(m_Current, now); !answer.Accepted()) {
        AfxMessageBox(AnswerText(answer, {"them", true}, kWriteFailed), MB_OK);
    }
}
