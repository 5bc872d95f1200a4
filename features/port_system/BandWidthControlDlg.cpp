// Bandwidth control dialog.
#include "features/port_system/BandWidthControlDlg.h"

#include <QApplication>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "controls/ListCtrlEx.h"
#include "core/RunText.h"
#include "core/TextNumbers.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_port_small.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(ID_MENU_BANDWIDTH_CONTROL, [] {
    CBandWidthControlDlg dlg;
    dlg.DoModal();
});

constexpr int kColumnWidth = 150;

// What a rate write of ports from `first` on did, each port in its own state: the ports the device refused in
// a sentence of their own, the rest as the run texts say it.
std::string RateWriteText(int first, const std::vector<StepsState>& states, bool stopped) {
    std::vector<StepsName> refused, names;
    std::vector<StepsState> stretchStates;
    bool missed = false;  // a port written neither by the device nor refused by it
    for (size_t i = 0; i < states.size();) {
        size_t j = i;
        while (j + 1 < states.size() && states[j + 1] == states[i]) {
            ++j;
        }
        const StepsName name{PortsSpan(first + static_cast<int>(i), first + static_cast<int>(j)), j > i};
        if (states[i] == StepsState::kRefused) {
            refused.push_back(name);
        } else {
            names.push_back(name);
            stretchStates.push_back(states[i]);
            missed = missed || states[i] != StepsState::kWritten;
        }
        i = j + 1;
    }
    if (!stopped && refused.empty() && !missed) {
        return {};
    }
    std::string text;
    if (!refused.empty()) {
        SnmpAnswer refusal;
        refusal.outcome = SnmpOutcome::kRefused;
        const StepsName ports = ListNamer(refused)(0, static_cast<int>(refused.size()), StepsState::kRefused);
        text = AnswerText(refusal, {"the rate of " + ports.text}) + " ";
    }
    const std::string tally = StatesText(stretchStates, names);
    if (stopped) {
        return text + StoppedText(tally);
    }
    text += tally.empty() ? "" : Capitalised(tally) + ".";
    return refused.empty() ? text : text + " The settings it holds are shown.";
}

}  // namespace

CBandWidthControlDlg::CBandWidthControlDlg(QWidget* parent)
    : CDialog(IDD_BANDWIDTH_CONTROL, parent),
      m_range(*this, IDC_BW_FROM_PORT, IDC_BW_TO_PORT, " \"To port\"cannot be smaller than \"From Port\" ") {
    OwnSessions(m_logic.Sessions());
    OnCommand(IDC_BW_APPLY, [this] { OnApply(); });
    OnCommand(IDC_BW_REFRESH, [this] { OnRefresh(); });
    OnNotify(CBN_SELCHANGE, IDC_BW_NO_LIMIT,
             Handler([this] { EnableDlgItem(IDC_BW_RATE, NoLimitDisabled()); }));
    OnMessage(WM_SNMP_RESULT, [this](WPARAM w, LPARAM l) -> LRESULT {
        OnSnmpResult(static_cast<int>(w), l);
        return 0;
    });
}

CBandWidthControlDlg::~CBandWidthControlDlg() = default;

void CBandWidthControlDlg::CreateControls() {
    SetWindowText("BandWidth Control");
    ui::Form form(*this);
    m_list = form.Fill(RegisterControl(IDC_BW_LIST, new CListCtrlEx));
    form.Row({"FromPort", form.Combo(IDC_BW_FROM_PORT), "ToPort", form.Combo(IDC_BW_TO_PORT), "Type",
              form.Combo(IDC_BW_TYPE)});
    auto* rate = form.Edit(IDC_BW_RATE);
    rate->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), rate));
    form.Row({"No Limit", form.Combo(IDC_BW_NO_LIMIT), "Rate(64-1024000)", rate, "Kbits/sec "});
    form.Note("On Gigabit port, the Tx rate is set as multiples of 1850Kbits/sec ", IDC_BW_GIGA_NOTE)
        ->setWordWrap(true);
    form.Buttons({{IDC_BW_APPLY, "Apply"}, {IDC_BW_REFRESH, "Refresh"}});
}

int CBandWidthControlDlg::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());

    int listWidth = 26;
    for (const char* heading : {"Port", "Tx Rate (Kbits/sec)", "Rx Rate (Kbits/sec)"}) {
        // As wide as before, or as the heading needs in a larger font.
        const int width = std::max(kColumnWidth, m_list->GetStringWidth(heading) + 24);
        m_list->InsertColumn(m_list->GetColumnCount(), heading, LVCFMT_LEFT, width);
        listWidth += width;
    }
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_list->setMinimumSize(listWidth, 300);

    m_range.Fill(g_nPortNum);
    Item<QComboBox>(IDC_BW_TYPE)->addItems({"Rx", "Tx", "Both"});
    Item<QComboBox>(IDC_BW_NO_LIMIT)->addItems({"Enabled", "Disabled"});
    ResetForm();
    ShowDlgItem(IDC_BW_GIGA_NOTE, false);
    // Apply waits for the trunk ids it checks against.
    EnableDlgItem(IDC_BW_APPLY, false);

    OnRefresh();
    m_logic.ReadTrunkMembers();
    return 1;
}

bool CBandWidthControlDlg::NoLimitDisabled() const {
    return GetDlgItemText(IDC_BW_NO_LIMIT) == "Disabled";
}

void CBandWidthControlDlg::OnRefresh() {
    EnableDlgItem(IDC_BW_REFRESH, false);
    m_list->DeleteAllItems();
    m_logic.SetOwnerWnd(this);
    m_readFailSaid = false;
    m_logic.ReadRateTable();
    // The aggregated ports are read once; a read that failed is tried again with the rates.
    if (m_logic.TrunkReadEnded() && !m_logic.TrunkReadOk()) {
        EnableDlgItem(IDC_BW_APPLY, false);
        m_logic.ReadTrunkMembers();
    }
}

void CBandWidthControlDlg::OnSnmpResult(int code, LPARAM data) {
    if (code == BW_RESULT_ROW) {
        const CBandWidthRow* row = Record<CBandWidthRow>(data);
        auto rateText = [](const std::string& rate) {
            return QString::fromStdString(rate == "0" ? "No Limit" : rate);
        };
        const int item = m_list->GetItemCount();
        m_list->SetItemTextEx(item, 0, QString::fromStdString(row->port));
        m_list->SetItemTextEx(item, 1, rateText(row->txRate));
        m_list->SetItemTextEx(item, 2, rateText(row->rxRate));
    } else if (code == BW_RESULT_WRITE_FINISHED) {
        OnRefresh();
    } else if (code == BW_RESULT_FINISHED) {
        // Apply checks the range against the aggregated ports: only once they are known.
        EnableDlgItem(IDC_BW_APPLY, m_logic.TrunkReadOk());
        EnableDlgItem(IDC_BW_REFRESH, true);
        if (NoLimitDisabled()) {
            EnableDlgItem(IDC_BW_RATE, true);
        }
        // Either read failing is said once per Refresh (a dead device fails both).
        const bool trunkFailed = m_logic.TrunkReadEnded() && !m_logic.TrunkReadOk();
        const bool ratesFailed = m_logic.RateReadEnded() && !m_logic.RatesReadOk();
        if ((trunkFailed || ratesFailed) && !m_readFailSaid) {
            m_readFailSaid = true;
            AfxMessageBox("Failed to read the bandwidth settings; press Refresh to try again.", MB_OK);
        }
    }
}

void CBandWidthControlDlg::OnApply() {
    EnableDlgItem(IDC_BW_APPLY, false);
    const std::string from = GetDlgItemText(IDC_BW_FROM_PORT);
    const std::string to = GetDlgItemText(IDC_BW_TO_PORT);
    const int type = Item<QComboBox>(IDC_BW_TYPE)->currentIndex();

    const std::string rate = NoLimitDisabled() ? GetDlgItemText(IDC_BW_RATE) : "0";
    if (NoLimitDisabled() && !CBandWidthControlFunLogic::IsValidRate(rate)) {
        AfxMessageBox("Invalid Rate.", MB_OK);
        EnableDlgItem(IDC_BW_APPLY, true);
        return;
    }
    std::string trunkPorts;
    if (!m_logic.FindTrunkPortsInRange(from, to, trunkPorts)) {
        AfxMessageBox(
            "You can't set the rate of Ports:" + trunkPorts + ".because they are in aggregated link.", MB_OK);
        EnableDlgItem(IDC_BW_APPLY, true);
        return;
    }
    // One set per port, in order, off the window's thread; a refused or unanswered port does not stop
    // the others. Each port's state is set by its step and read here once the run has ended.
    const int first = text::LeadingInt(from);
    const int last = text::LeadingInt(to);
    const int count = std::max(last - first + 1, 0);
    auto states =
        std::make_shared<std::vector<StepsState>>(static_cast<size_t>(count), StepsState::kNotWritten);
    EnableDlgItem(IDC_BW_REFRESH, false);
    m_run.Runner().SetCancel([this] { m_logic.CancelWrite(); });
    m_run.Start(
        count,
        [this, first, rate, type, states](int i) {
            StepsState& state = (*states)[static_cast<size_t>(i)];
            const SnmpAnswer answer = m_logic.WriteRate(first + i, rate, type);
            if (answer.Accepted() || answer.Refused()) {
                state = answer.Accepted() ? StepsState::kWritten : StepsState::kRefused;
                return StepOutcome::Done();
            }
            if (m_run.Runner().Stopping()) {
                return StepOutcome::Of(answer);  // cut short by Close: the end says it
            }
            state = answer.Unanswered() ? StepsState::kUnconfirmed : StepsState::kNotWritten;
            return StepOutcome::Done();
        },
        [first](int i, int n) { return CStepRun::PortText(first, i, n); },
        [this, first, last, states](const StepsEnd& end) {
            if (end.stopped) {
                // Closed during the write: the dialog is ending. Said as every port write says it, unless
                // a port before the stop was refused or unanswered.
                const auto done = states->begin() + end.done;
                if (std::all_of(states->begin(), done,
                                [](StepsState s) { return s == StepsState::kWritten; })) {
                    AfxMessageBox(RunEndText(end, PortsNamer(first, last)), MB_OK);
                    return;
                }
                if (end.inFlight && end.done < end.total) {
                    *done = StepsState::kUnconfirmed;
                }
                AfxMessageBox(RateWriteText(first, *states, true), MB_OK);
                return;
            }
            m_logic.WriteFinished();  // reloads the table
            if (const std::string text = RateWriteText(first, *states, false); !text.empty()) {
                AfxMessageBox(text, MB_OK);
            }
        });
    ResetForm();
}

void CBandWidthControlDlg::ResetForm() {
    m_range.SelectFirst();
    auto* to = Item<QComboBox>(IDC_BW_TO_PORT);
    to->setCurrentIndex(to->count() - 1);
    SetDlgItemText(IDC_BW_RATE, "");
    Item<QComboBox>(IDC_BW_NO_LIMIT)->setCurrentIndex(1);
    Item<QComboBox>(IDC_BW_TYPE)->setCurrentIndex(0);
}
