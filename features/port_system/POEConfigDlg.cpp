// PoE port settings dialog.
#include "features/port_system/POEConfigDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "controls/ListCtrlEx.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/Text.h"
#include "res/ids_poe_syslog.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(ID_MENU_POE_PORT, [] {
    CPOEConfigDlg dlg;
    dlg.DoModal();
});

const ksx::Tunable kPortPauseMs("poe.port-pause-ms", 300);
const ksx::Tunable kSetTimeoutMs("poe.set-timeout-ms", 20000);

// Port-table columns read, in the order of the request.
constexpr int kPortColumns[11] = {3, 4, 5, 6, 9, 10, 11, 12, 13, 7, 8};

const char* const kTextToPort = "'To Port' can not be smaller than 'From Port'";
const char* const kTextLimitRange = "The User Defined power limit ranges between 1.0 ~ 30.0";
const char* const kTextLimitStep = "The per-port power limit must be a multiple of 0.2";

std::string PortColumnOid(int column, int port) {
    return std::string(CPOEConfigDlg::kPortEntry) + "." + std::to_string(column) + ".1." +
           std::to_string(port);
}

// Whether a decimal text is a whole multiple of 0.2, decided on the digits (no rounding): an even
// tenths digit and nothing after it.
bool IsMultipleOfFifth(const std::string& s) {
    const size_t point = s.find('.');
    const std::string fraction = point == std::string::npos ? std::string() : s.substr(point + 1);
    for (size_t i = 1; i < fraction.size(); ++i) {
        if (fraction[i] != '0') {
            return false;
        }
    }
    return fraction.empty() || (fraction[0] - '0') % 2 == 0;
}

}  // namespace

const char* const CPOEConfigDlg::kPortEntry = "1.3.6.1.4.1.7393.10.76.20.1.22.1.1";
const char* const CPOEConfigDlg::kTimeProfileIndexOid = "1.3.6.1.4.1.7393.10.76.20.1.32.1.1.1";
const char* const CPOEConfigDlg::kTimeProfileNameOid = "1.3.6.1.4.1.7393.10.76.20.1.32.1.1.2";

static std::vector<std::string> PortColumns() {
    std::vector<std::string> oids;
    for (int column : kPortColumns) {
        oids.push_back(std::string(CPOEConfigDlg::kPortEntry) + "." + std::to_string(column));
    }
    return oids;
}

CPOEConfigDlg::CPOEConfigDlg(QWidget* parent)
    : CDialog(IDD_POE_CONFIG, parent),
      m_timeRangeRead(m_cCommonSNMPTimeRang, {kTimeProfileIndexOid, kTimeProfileNameOid},
                      [](const WalkStep& step) {
                          return TimeRangeRow{text::LeadingInt(step.Text(0)), step.Text(1)};
                      }),
      m_portRead(m_cCommonSNMP, PortColumns(), [](const WalkStep& step) {
          PortRow row;
          for (int i = 0; i < 11; ++i) {
              row.value[i] = step.Text(i);
          }
          return row;
      }) {
    OwnReader(m_timeRangeRead);
    OwnReader(m_portRead);
    OwnSession(m_cCommonSNMPSet);
    m_timeRangeRead.onRow = [this](const TimeRangeRow& row) { AddTimeRange(row); };
    m_timeRangeRead.onEnd = [this](const WalkEnd& end) { OnTimeRangeWalkEnd(end); };
    m_portRead.onRow = [this](const PortRow& row) { AddPortRow(row); };
    m_portRead.onEnd = [this](const WalkEnd&) { OnPortWalkEnd(); };

    OnCommand(IDC_POE_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_POE_APPLY, [this] { OnApply(); });
    OnCommand(IDC_POE_USER_DEFINE, [this] { OnUserDefineClicked(); });
    OnNotify(CBN_SELCHANGE, IDC_POE_FROM_PORT, Handler([this] { OnFromPortChanged(); }));
    OnNotify(CBN_SELCHANGE, IDC_POE_TO_PORT, Handler([this] { OnToPortChanged(); }));
    OnNotify(NM_CLICK, IDC_POE_LIST, Handler([this] { OnListClick(); }));
    OnNotify(LVN_ITEMCHANGED, IDC_POE_LIST, Handler([this] { OnListItemChanged(); }));
}

CPOEConfigDlg::~CPOEConfigDlg() = default;

void CPOEConfigDlg::CreateControls() {
    SetWindowText("PoE Configuration");
    ui::Form form(*this);
    auto ports = form.Group("Port Information", IDC_POE_LIST_GROUP);
    m_list = ports.Fill(RegisterControl(IDC_POE_LIST, new CListCtrlEx));
    form.Layout()->setRowStretch(form.Layout()->rowCount() - 1, 1);  // the list takes the new space

    auto config = form.Group("PoE Configuration", IDC_POE_CONFIG_GROUP);
    m_cbFromPort = config.Combo(IDC_POE_FROM_PORT);
    m_cbToPort = config.Combo(IDC_POE_TO_PORT);
    m_cbState = config.Combo(IDC_POE_STATE);
    m_cbPriority = config.Combo(IDC_POE_PRIORITY);
    config.Row({config.Label("Form Port", IDC_POE_FROM_LABEL), m_cbFromPort,
                config.Label("To Port", IDC_POE_TO_LABEL), m_cbToPort,
                config.Label("State", IDC_POE_STATE_LABEL), m_cbState,
                config.Label("Priority", IDC_POE_PRIORITY_LABEL), m_cbPriority});
    m_cbTimeRange = config.Combo(IDC_POE_TIME_RANGE);
    m_cbPowerLimit = config.Combo(IDC_POE_POWER_LIMIT);
    m_CtrlUserdefe = config.Check(IDC_POE_USER_DEFINE, "User Define");
    m_CtrlUserdefe->setLayoutDirection(Qt::RightToLeft);  // text on the left of the box
    m_editLimit = config.Edit(IDC_POE_LIMIT);
    m_editLimit->setMaximumWidth(m_editLimit->fontMetrics().horizontalAdvance("000000") + 16);
    config.Row({config.Label("Time Range", IDC_POE_TIME_RANGE_LABEL), m_cbTimeRange,
                config.Label("Power Limit", IDC_POE_POWER_LIMIT_LABEL), m_cbPowerLimit, m_CtrlUserdefe,
                m_editLimit, config.Label("(1~30w) ", IDC_POE_UNIT_LABEL)});

    form.Buttons({{IDC_POE_REFRESH, "&Refresh"}, {IDC_POE_APPLY, "&Apply"}, {IDC_POE_CLOSE, "&Close"}},
                 IDC_POE_REFRESH)[0]
        ->setDefault(true);
}

int CPOEConfigDlg::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());

    const char* headings[] = {"Index",      "State",        "Time Range",    "Priority",       "Power Limit",
                              "Power\n(W)", "Voltage\n(V)", "Current\n(mA)", "Classification", "Status"};
    // Each column as wide as its heading plus 15 pixels, where a two-line heading counts its wider line
    // and the State and Status columns fit the longest text the device reports in them. The list sizes
    // the columns (and itself) from that sample at its own font.
    const char* widest[] = {"", "Disable", "", "", "", "", "", "", "", "Time-based OFF"};
    for (int c = 0; c < 10; ++c) {
        const QString heading = QString::fromLatin1(headings[c]);
        m_list->InsertColumn(heading, c);
        QString sample = QString::fromLatin1(widest[c]);
        for (const QString& line : heading.split('\n')) {
            if (m_list->GetStringWidth(line) > m_list->GetStringWidth(sample)) {
                sample = line;
            }
        }
        m_list->SetColumnSample(c, sample, 15);
    }
    m_list->setMinimumHeight(218);
    m_list->SetExtendedStyle(m_list->GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    m_list->ModifyListStyle(0, LVS_SINGLESEL);

    for (int p = 1; p <= 24; ++p) {
        m_cbFromPort->addItem(QString::number(p));
        m_cbToPort->addItem(QString::number(p));
    }
    m_cbFromPort->setCurrentIndex(0);
    m_cbToPort->setCurrentIndex(23);
    m_cbState->addItems({"Enable", "Disable"});
    m_cbState->setCurrentIndex(0);
    m_cbPriority->addItems({"Low", "Normal", "High"});
    m_cbPriority->setCurrentIndex(1);
    m_cbPowerLimit->addItems({"Auto", "Class 1", "Class 2", "Class 3", "Class 4"});
    m_cbPowerLimit->setCurrentIndex(0);
    m_editLimit->setEnabled(false);

    GetTimeRange();
    m_cbTimeRange->insertItem(0, "N/A");
    m_cbTimeRange->setCurrentIndex(0);
    return 1;
}

bool CPOEConfigDlg::eventFilter(QObject* watched, QEvent* e) {
    // The arrow keys move the list's selection after the form took the row they lead to.
    if (watched == m_list && m_list != nullptr && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            OnListKeyDown(key);
        }
    }
    return CDialog::eventFilter(watched, e);
}

// ---- Walks ----

void CPOEConfigDlg::GetTimeRange() {
    TRACE("GetTimeRangeGetTimeRangeGetTimeRange");
    m_timeRangeRead.Walk();
}

void CPOEConfigDlg::AddTimeRange(const TimeRangeRow& row) {
    // Kept side by side without a fixed capacity: a device with more profiles than its table's
    // documented eight cannot overrun anything.
    m_nTimeRangeId.push_back(row.index);
    m_strTimeRangeName.push_back(row.name);
    m_cbTimeRange->addItem(ui::ToQ(row.name));
}

void CPOEConfigDlg::OnTimeRangeWalkEnd(const WalkEnd& end) {
    ++m_nTimeRangeWalksEnded;
    EnableButtons(true);
    if (end.AtEnd()) {
        ReadPoePorts();
    }
}

void CPOEConfigDlg::ReadPoePorts() {
    m_list->DeleteAllItems();
    m_portRead.Walk();
    EnableButtons(false);
}

void CPOEConfigDlg::AddPortRow(const PortRow& row) {
    const std::string* v = row.value;  // 3, 4, 5, 6, 9, 10, 11, 12, 13, 7, 8
    const std::string state = v[0] == "1" ? "Enable" : "Disable";

    std::string timeRange;
    if (v[1] == "0") {
        timeRange = "N/A";
    } else {
        const int id = text::LeadingInt(v[1]);
        for (size_t i = 0; i < m_strTimeRangeName.size() && i < m_nTimeRangeId.size(); ++i) {
            if (m_nTimeRangeId[i] == id) {
                timeRange = m_strTimeRangeName[i];  // the last match wins
            }
        }
    }

    const std::string priority = v[2] == "1" ? "Low" : v[2] == "2" ? "Normal" : "High";

    std::string limit;
    if (v[9] == "1") {
        limit = v[10];
    } else if (v[3] == "1" || v[3] == "0") {
        limit = "Auto";
    } else if (v[3] == "2") {
        limit = "Class 1";
    } else if (v[3] == "3") {
        limit = "Class 2";
    } else if (v[3] == "4") {
        limit = "Class 3";
    } else if (v[3] == "5") {
        limit = "Class 4";
    }

    const int item = m_list->GetItemCount();
    m_list->SetItemTextEx(item, 0, QString::number(item + 1));
    m_list->SetItemTextEx(item, 1, ui::ToQ(state));
    m_list->SetItemTextEx(item, 2, ui::ToQ(timeRange));
    m_list->SetItemTextEx(item, 3, ui::ToQ(priority));
    m_list->SetItemTextEx(item, 4, ui::ToQ(limit));
    for (int c = 0; c < 5; ++c) {
        m_list->SetItemTextEx(item, 5 + c, ui::ToQ(v[4 + c]));
    }
}

void CPOEConfigDlg::OnPortWalkEnd() {
    ++m_nPortWalksEnded;
    EnableButtons(true);
}

void CPOEConfigDlg::EnableButtons(bool enable) {
    EnableDlgItem(IDC_POE_REFRESH, enable);
    EnableDlgItem(IDC_POE_APPLY, enable);
}

// ---- The form ----

void CPOEConfigDlg::ShowRow(int row) {
    if (!m_list->ValidRow(row)) {
        return;
    }
    m_cbFromPort->setCurrentIndex(row < m_cbFromPort->count() ? row : -1);
    m_cbToPort->setCurrentIndex(row < m_cbToPort->count() ? row : -1);
    m_cbState->setCurrentIndex(m_list->GetItemText(row, 1) == "Enable" ? 0 : 1);
    auto select = [this, row](QComboBox* box, int column) {
        box->setCurrentIndex(box->findText(m_list->GetItemText(row, column), Qt::MatchExactly));
    };
    select(m_cbTimeRange, 2);
    select(m_cbPriority, 3);
    select(m_cbPowerLimit, 4);
}

void CPOEConfigDlg::OnListClick() {
    const int row = m_list->GetFirstSelectedItem();
    if (row >= 0) {
        ShowRow(row);
    }
}

void CPOEConfigDlg::OnListItemChanged() {
    const int row = m_list->GetFirstSelectedItem();
    if (row >= 0) {
        m_cbState->setCurrentIndex(m_list->GetItemText(row, 1) == "Enable" ? 0 : 1);
    }
}

void CPOEConfigDlg::OnListKeyDown(int key) {
    const int row = m_list->GetFirstSelectedItem();
    if (row < 0) {
        return;
    }
    const int next = key == Qt::Key_Down ? row + 1 : row - 1;
    if (next >= 0 && next < m_list->GetItemCount()) {
        ShowRow(next);
    }
}

void CPOEConfigDlg::OnFromPortChanged() {
    m_cbToPort->setCurrentIndex(m_cbFromPort->currentIndex());
}

void CPOEConfigDlg::OnToPortChanged() {
    const int from = text::LeadingInt(ui::ToStd(m_cbFromPort->currentText()));
    const int to = text::LeadingInt(ui::ToStd(m_cbToPort->currentText()));
    if (to < from && AfxMessageBox(kTextToPort, MB_OK) == IDOK) {
        m_cbToPort->setCurrentIndex(m_cbFromPort->currentIndex());
    }
}

void CPOEConfigDlg::OnUserDefineClicked() {
    m_nTimeRange = m_cbTimeRange->currentIndex();
    const bool user = m_CtrlUserdefe->isChecked();
    m_cbPowerLimit->setEnabled(!user);
    m_editLimit->setEnabled(user);
}

void CPOEConfigDlg::OnRefresh() {
    m_cbTimeRange->clear();
    m_cbTimeRange->addItem("N/A");
    m_cbTimeRange->setCurrentIndex(0);
    m_strTimeRangeName.clear();
    m_nTimeRangeId.clear();
    GetTimeRange();
}

void CPOEConfigDlg::OnApply() {
    m_nTimeRange = m_cbTimeRange->currentIndex();
    ApplyPortRange();
}

void CPOEConfigDlg::ApplyPortRange() {
    if (m_run.Running()) {
        return;
    }
    const int from = text::LeadingInt(ui::ToStd(m_cbFromPort->currentText()));
    const int to = text::LeadingInt(ui::ToStd(m_cbToPort->currentText()));
    // The controls are read here, once; the writes go out off the window's thread.
    std::vector<std::vector<PortBinding>> ports;
    for (int port = from; port <= to; ++port) {
        std::vector<PortBinding> bindings;
        if (AddPortVarBinds(port, bindings) != 0) {
            break;
        }
        ports.push_back(std::move(bindings));
    }
    if (ports.empty()) {
        ReadPoePorts();
        return;
    }
    const int timeout = kSetTimeoutMs.Get();
    const int pause = kPortPauseMs.Get();
    EnableButtons(false);
    m_run.Runner().SetCancel([this] { m_cCommonSNMPSet.Cancel(); });
    auto writePort = [this, ports, from, to, timeout, pause](int i) -> StepOutcome {
        const int port = from + i;
        m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
        for (const PortBinding& b : ports[static_cast<size_t>(i)]) {
            m_cCommonSNMPSet.AddVarBind(b.oid, b.type, b.value.c_str());
        }
        const SnmpAnswer answer = GetNextRequest(m_cCommonSNMPSet, timeout).Answer();
        if (!answer.Accepted()) {
            // The first port not written ends the range (a device that does not answer would take as
            // long for each further port), and the device's settings are shown.
            return StepOutcome::Of(
                answer, AnswerText(answer, {"the PoE settings of port " + std::to_string(port), true}));
        }
        if (pause > 0 && port < to) {
            m_run.Runner().Pause(static_cast<unsigned>(pause));
        }
        return StepOutcome::Done();
    };
    m_run.Start(
        static_cast<int>(ports.size()), writePort,
        [from](int i, int n) { return CStepRun::PortText(from, i, n); },
        [this, from, to](const StepsEnd& end) {
            if (end.stopped) {
                // Closed during the write: the dialog is ending.
                AfxMessageBox(RunEndText(end, PortsNamer(from, to)), MB_OK);
                return;
            }
            if (end.failed) {
                AfxMessageBox(RunEndText(end, PortsNamer(from, to)), MB_OK | MB_ICONWARNING);
            }
            ReadPoePorts();
        });
}

int CPOEConfigDlg::AddPortVarBinds(int port, std::vector<PortBinding>& out) {
    out.clear();
    auto add = [&out](const std::string& oid, int type, const std::string& value) {
        out.push_back(PortBinding{oid, type, value});
    };
    add(PortColumnOid(3, port), 1, m_cbState->currentIndex() == 0 ? "1" : "2");

    std::string range = "0";
    if (m_cbTimeRange->currentIndex() > 0) {
        const std::string name = ui::ToStd(m_cbTimeRange->currentText());
        for (size_t i = 0; i < m_strTimeRangeName.size() && i < m_nTimeRangeId.size(); ++i) {
            if (m_strTimeRangeName[i] == name) {
                range = std::to_string(m_nTimeRangeId[i]);  // the last match wins
            }
        }
    }
    add(PortColumnOid(4, port), 1, range.c_str());

    const int priority = m_cbPriority->currentIndex();
    add(PortColumnOid(5, port), 1, priority == 0 ? "1" : priority == 2 ? "3" : "2");

    if (!m_CtrlUserdefe->isChecked()) {
        TRACE("\nm_CtrlUserdefe.GetCheck() == 0m_CtrlUserdefe.GetCheck() == 0\n");
        add(PortColumnOid(7, port), 1, "2");
        m_cbPowerLimit->setEnabled(true);
        const int limitClass = m_cbPowerLimit->currentIndex();
        const std::string value = std::to_string(limitClass >= 0 && limitClass <= 4 ? limitClass + 1 : 1);
        add(PortColumnOid(6, port), 1, value.c_str());
        return 0;
    }

    TRACE("\nm_CtrlUserdefe.GetCheck() == 1,m_CtrlUserdefe.GetCheck() == 1\n");
    add(PortColumnOid(7, port), 1, "1");
    m_cbPowerLimit->setEnabled(false);
    // The whole text must be the number: "15.4W" would reach the device as typed.
    const std::string limit = text::Trimmed(ui::ToStd(m_editLimit->text()));
    const double watts = text::IsDecimalText(limit) ? std::strtod(limit.c_str(), nullptr) : 0.0;
    if (watts < 1.0 || watts > 30.0) {
        AfxMessageBox(kTextLimitRange, MB_OK);
        return 1;
    }
    const float a = static_cast<float>(watts) * 10.0f / 2.0f;
    TRACE("/////// a = %f, b = %d \n", static_cast<double>(a), static_cast<int>(a + 0.5f));
    if (!IsMultipleOfFifth(limit)) {
        AfxMessageBox(kTextLimitStep, MB_OK);
        return 1;
    }
    add(PortColumnOid(8, port), 2, limit.c_str());
    return 0;
}
