#include "features/common/AfterCloseRun.h"

#include <QCoreApplication>
#include <QObject>
#include <utility>

#include "core/CommonSNMP.h"
#include "core/RowCreate.h"
#include "platform/sys/MessageBox.h"

namespace ksx::ui {

namespace {

// A child of the application: deleted once its run has ended, or with the application.
class AfterCloseRun : public QObject {
public:
    AfterCloseRun(std::shared_ptr<void> keep, std::function<void()> cancel)
        : QObject(QCoreApplication::instance()), m_keep(std::move(keep)) {
        m_runner.SetCancel(std::move(cancel));
    }

    void Start(int count, StepRunner::Step step, std::function<void(const StepsEnd&)> onEnd) {
        m_runner.onEnd = [this, onEnd = std::move(onEnd)](const StepsEnd& end) {
            onEnd(end);
            deleteLater();
        };
        m_runner.Start(count, std::move(step));
    }

private:
    std::shared_ptr<void> m_keep;  // outlives the runner: its sessions serve the steps until the join
    StepRunner m_runner;
};

}  // namespace

void StartAfterCloseRun(std::shared_ptr<void> keep, std::function<void()> cancel, int count,
                        StepRunner::Step step, std::function<void(const StepsEnd&)> onEnd) {
    auto* run = new AfterCloseRun(std::move(keep), std::move(cancel));
    run->Start(count, std::move(step), std::move(onEnd));
}

void RemoveUnfinishedAfterClose(const std::string& statusOid, const std::string& what) {
    auto session = std::make_shared<CCommonSNMP>();
    auto removed = std::make_shared<RowAdded>(RowAdded::kUnknown);
    StartAfterCloseRun(
        session, [s = session.get()] { s->Cancel(); }, 1,
        [s = session.get(), statusOid, removed](int) {
            *removed = RemoveUnfinished(StatusAccessOn(*s, statusOid));
            return StepOutcome::Done();
        },
        [removed, what](const StepsEnd&) { AfxMessageBox(RemovedUnfinishedText(*removed, what), MB_OK); });
}

}  // namespace ksx::ui
