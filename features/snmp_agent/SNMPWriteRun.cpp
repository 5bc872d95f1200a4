// The agent dialogs' sequences of writes off the window's thread.
#include "features/snmp_agent/SNMPWriteRun.h"

#include <QString>
#include <memory>

#include "platform/snmplib/Tripwire.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Dialog.h"

using namespace ksx;

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

CSNMPWriteRun::CSNMPWriteRun(CDialog& dlg, CSNMPConfig& config)
    : m_dlg(dlg), m_config(config), m_run(dlg), m_runner(m_run.Runner()) {
    m_runner.SetCancel([this] { m_config.CancelRequests(); });
    m_config.SetStopCheck([this] { return m_runner.Stopping(); });
}

void CSNMPWriteRun::Start(int count, StepRunner::Step step, CStepRun::Text text, CStepRun::End onEnd) {
    m_run.Start(count, std::move(step), std::move(text), std::move(onEnd));
}

void CSNMPWriteRun::Create(const std::string& statusOid, const std::string& what, Columns columns,
                           std::function<void(bool added)> after, unsigned settleMs) {
    const std::string failed = "Failed to add the " + what + ": ";
    m_progress.Reset();
    m_other.Begin();
    auto step = [this, statusOid, what, failed, settleMs, columns](int i) -> StepOutcome {
        // A created row that is not made active goes, through row creation, unless the dialog is
        // ending: then nothing is sent after the request in flight, and the next add of this row
        // replaces it. What the removal's answer leaves on the device is said.
        const auto undo = [&](const StepsName& writes, bool activation) {
            const SnmpAnswer answer = m_config.LastAnswer();
            StepOutcome outcome = StepOutcome::Of(answer);
            outcome.failure = AnswerText(answer, writes, failed);
            if (!Stopping()) {
                const SnmpAnswer removal = RemoveOwnRow(m_config.StatusAccess(statusOid), m_progress.Owner());
                outcome.failure += " " + AddUndoneText(answer, activation, removal, "the " + what);
            }
            return outcome;
        };
        switch (i) {
            case 0: {
                m_progress.Enter(AddStage::kCreate);
                RowStatusAccess access = m_config.StatusAccess(statusOid);
                access.progress = &m_progress;
                access.other = &m_other;
                switch (const RowAdded made = AddRow(access, "5")) {
                    case RowAdded::kCreated:
                        break;
                    case RowAdded::kStopped:
                        return StepOutcome::Unanswered();  // said by the add's progress
                    case RowAdded::kUnknown:
                        return StepOutcome::Unanswered(RowAddedText(made, "the " + what, failed));
                    case RowAdded::kNotSent:
                        return StepOutcome::NotSent(RowAddedText(made, "the " + what, failed));
                    default:
                        return StepOutcome::Failed(RowAddedText(made, "the " + what, failed));
                }
                m_progress.Confirm();
                return StepOutcome::Done();
            }
            case 1: {
                m_progress.Enter(AddStage::kColumns);
                const StepsName refused = columns();
                if (!refused.text.empty()) {
                    return undo(refused, false);
                }
                m_progress.Confirm();
                return StepOutcome::Done();
            }
            default:
                m_progress.Enter(AddStage::kActivate);
                if (!m_config.SetRowStatus(statusOid, "1")) {
                    return undo({"the activation"}, true);
                }
                m_progress.Confirm();
                if (settleMs > 0) {
                    m_runner.Pause(settleMs);
                }
                return StepOutcome::Done();
        }
    };
    auto text = [what](int i, int) {
        static const char* const kSteps[] = {"creating its row", "writing its settings", "activating it"};
        return Q("Adding the " + what + ": " + kSteps[i < 3 ? i : 2] + "...");
    };
    m_run.Start(3, std::move(step), std::move(text),
                [this, statusOid, what, columns, after, settleMs](const StepsEnd& end) {
                    if (end.stopped) {
                        // Closed during the add: the dialog is ending.
                        AfxMessageBox(StoppedAddText("the " + what, m_progress), MB_OK);
                        return;
                    }
                    if (m_other.Found()) {
                        // Another row of that index, not active: replaced only on the user's Yes.
                        if (AskReplace(m_other, "the " + what) && m_dlg.isVisible()) {
                            Create(statusOid, what, columns, after, settleMs);
                            return;
                        }
                    } else if (end.failed) {
                        AfxMessageBox(end.failure, MB_OK);
                    }
                    // A run that had just ended as the dialog ended reads nothing again.
                    if (m_dlg.isVisible()) {
                        after(end.Complete());
                    }
                });
}

void CSNMPWriteRun::Delete(const std::string& statusOid, const std::string& what,
                           std::function<void()> after) {
    const std::string failed = "Failed to delete the " + what + ": ";
    m_run.Start(
        1,
        [this, statusOid, failed](int) {
            const SnmpAnswer answer = DeletePickedRow(m_config.StatusAccess(statusOid));
            if (answer.Accepted()) {
                return StepOutcome::Done();
            }
            StepOutcome outcome = StepOutcome::Of(answer);
            outcome.failure = AnswerText(answer, {"it"}, failed, "deleted");
            return outcome;
        },
        [what](int, int) { return Q("Deleting the " + what + "..."); },
        [this, what, after = std::move(after)](const StepsEnd& end) {
            if (end.stopped) {
                AfxMessageBox(StoppedDeleteText(end, what), MB_OK);
                return;
            }
            if (end.failed) {
                AfxMessageBox(end.failure, MB_OK);
            }
            if (m_dlg.isVisible()) {
                after();
            }
        });
}

std::string CSNMPWriteRun::StoppedDeleteText(const StepsEnd& end, const std::string& what) {
    return RunEndText(end, ListNamer({{"the " + what}}), "deleted");
}
