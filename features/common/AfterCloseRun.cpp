#include "features/common/AfterCloseRun.h"

#include <QCoreApplication>
#include <QObject>
#include <utility>

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

}  // namespace ksx::ui
