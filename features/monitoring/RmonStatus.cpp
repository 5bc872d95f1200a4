// RMON global settings dialog.
#include "features/monitoring/RmonStatus.h"

#include <QApplication>
#include <memory>

#include "core/RunText.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_rmon.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ui::RegisterFeature kRegister(IDM_RMON_GLOBAL, [] {
    CRmonStatus dlg;
    dlg.DoModal();
});

}  // namespace

CRmonStatus::CRmonStatus(QWidget* parent) : CDialog(IDD_RMON_STATUS, parent) {
    OwnSessions(m_rmon.Sessions());
}

CRmonStatus::~CRmonStatus() = default;

void CRmonStatus::CreateControls() {
    SetWindowText("RMON Global Settings ");
    ui::Form form(*this);
    ui::Form basic = form.Group("RMON Basic Settings");
    basic.Row(
        {"RMON Status:", basic.Radio(IDC_RMONG_ENABLE, "Enable"), basic.Radio(IDC_RMONG_DISABLE, "Disable")});
    form.Buttons({{IDC_RMONG_REFRESH, "Refresh"}, {IDC_RMONG_APPLY, "Apply"}, {IDC_RMONG_CLOSE, "Close"}});

    OnCommand(IDC_RMONG_ENABLE,
              [this] { CheckRadioButton(IDC_RMONG_ENABLE, IDC_RMONG_DISABLE, IDC_RMONG_ENABLE); });
    OnCommand(IDC_RMONG_DISABLE,
              [this] { CheckRadioButton(IDC_RMONG_ENABLE, IDC_RMONG_DISABLE, IDC_RMONG_DISABLE); });
    OnCommand(IDC_RMONG_REFRESH, [this] { Refresh(); });
    OnCommand(IDC_RMONG_APPLY, [this] { Apply(); });
    OnCommand(IDC_RMONG_CLOSE, [this] { OnCancel(); });
}

int CRmonStatus::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    Refresh();
    return 1;
}

void CRmonStatus::EnableButtons(bool enable) {
    EnableDlgItem(IDC_RMONG_REFRESH, enable);
    EnableDlgItem(IDC_RMONG_APPLY, enable && m_stateRead);
}

void CRmonStatus::Refresh() {
    Start(std::nullopt);
}

void CRmonStatus::Apply() {
    if (!m_stateRead) {
        return;
    }
    Start(IsDlgButtonChecked(IDC_RMONG_ENABLE) == 1 ? 1 : 0);
}

void CRmonStatus::Start(std::optional<int> enabled) {
    if (m_run.Running()) {
        return;
    }
    EnableButtons(false);
    // Filled on the worker, read once the run has ended.
    struct Outcome {
        bool failed = false;
        SnmpAnswer answer;  // of the write that failed
        bool read = false;
        int enabled = 0;
    };
    auto outcome = std::make_shared<Outcome>();
    const int writes = enabled ? 1 : 0;
    const int value = enabled.value_or(0);
    m_run.Runner().SetCancel([this] { m_rmon.CancelRequests(); });
    auto step = [this, outcome, writes, value](int i) {
        if (i < writes) {
            if (!m_rmon.SetRmonState(&value)) {
                outcome->answer = m_rmon.LastAnswer();
                if (m_run.Runner().Stopping() && !outcome->answer.Refused()) {
                    return StepOutcome::Of(outcome->answer);  // said by the end of the run
                }
                outcome->failed = true;
            }
            return StepOutcome::Done();
        }
        outcome->read = m_rmon.GetRmonState(&outcome->enabled);
        return StepOutcome::Done();
    };
    auto text = [writes](int i, int) {
        return QString(i < writes ? "Writing the RMON state..." : "Reading the RMON state...");
    };
    m_run.Start(writes + 1, step, text, [this, outcome, writes](const StepsEnd& end) {
        const char* const failed = "Failed to set the RMON state: ";
        if (end.stopped) {
            // Closed during the run: the dialog is ending.
            if (writes > 0 && end.done == 0) {
                StepsEnd write = end;
                write.total = 1;
                AfxMessageBox(RunEndText(write, ListNamer({{"the RMON state"}})), MB_OK);
            } else if (outcome->failed) {
                AfxMessageBox(AnswerText(outcome->answer, {"it"}, failed), MB_OK);
            }
            return;
        }
        if (outcome->failed) {
            AfxMessageBox(AnswerText(outcome->answer, {"it"}, failed), MB_OK);
        }
        m_stateRead = outcome->read;
        // A state that did not read checks neither button (nor keeps the last read's).
        CheckRadioButton(IDC_RMONG_ENABLE, IDC_RMONG_DISABLE,
                         !m_stateRead            ? 0
                         : outcome->enabled == 1 ? IDC_RMONG_ENABLE
                                                 : IDC_RMONG_DISABLE);
        EnableButtons(true);
        if (!m_stateRead) {
            AfxMessageBox("Failed to read the RMON state.", MB_OK);
        }
    });
}
