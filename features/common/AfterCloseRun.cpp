#include "features/common/AfterCloseRun.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <algorithm>
#include <utility>

#include "core/CommonSNMP.h"
#include "core/RowCreate.h"
#include "platform/sys/MessageBox.h"

namespace ksx::ui {

namespace {

std::string RowKey(const std::string& row) {
    return !row.empty() && row.front() == '.' ? row.substr(1) : row;
}

// The runs going and the windows waiting for them: UI thread only.
struct Going {
    const QObject* run = nullptr;
    RunRow writes;
    std::string what;
};
struct Listener {
    QPointer<QObject> owner;
    std::string table;
    std::function<void()> fn;
};
std::vector<Going> g_going;
std::vector<Listener> g_listeners;

// The run has ended: it leaves the registry, the windows that list its table are told, then its end is
// said (the windows read again while the box is up).
void Ended(const QObject* run, const std::string& text) {
    auto it = std::find_if(g_going.begin(), g_going.end(), [run](const Going& g) { return g.run == run; });
    if (it == g_going.end()) {
        return;
    }
    const std::string table = it->writes.table;
    g_going.erase(it);
    std::erase_if(g_listeners, [](const Listener& l) { return l.owner.isNull(); });
    const std::vector<Listener> listeners = g_listeners;  // a listener may add or end windows
    for (const Listener& l : listeners) {
        if (!l.owner.isNull() && (l.table.empty() || l.table == table)) {
            l.fn();
        }
    }
    AfxMessageBox(text, MB_OK);  // at a signal: a line on standard error (app/Terminate.h)
}

// A child of the application: deleted once its run has ended, or with the application.
class AfterCloseRun : public QObject {
public:
    AfterCloseRun(std::shared_ptr<void> keep, std::vector<CCommonSNMP*> sessions)
        : QObject(QCoreApplication::instance()), m_keep(std::move(keep)) {
        for (CCommonSNMP* s : sessions) {
            s->OutliveCancelAll();
        }
        m_runner.OutliveCancelAll();
        m_runner.SetCancel([sessions] {
            for (CCommonSNMP* s : sessions) {
                s->Cancel();
            }
        });
    }
    ~AfterCloseRun() override {
        std::erase_if(g_going, [this](const Going& g) { return g.run == this; });
    }

    void Start(int count, StepRunner::Step step, std::function<std::string(const StepsEnd&)> endText) {
        m_runner.onEnd = [this, endText = std::move(endText)](const StepsEnd& end) {
            deleteLater();
            Ended(this, endText(end));
        };
        m_runner.Start(count, std::move(step));
    }

private:
    std::shared_ptr<void> m_keep;  // outlives the runner: its sessions serve the steps until the join
    StepRunner m_runner;
};

}  // namespace

void StartAfterCloseRun(RunRow writes, std::string what, std::shared_ptr<void> keep,
                        std::vector<CCommonSNMP*> sessions, int count, StepRunner::Step step,
                        std::function<std::string(const StepsEnd&)> endText) {
    auto* run = new AfterCloseRun(std::move(keep), std::move(sessions));
    writes.row = RowKey(writes.row);
    g_going.push_back({run, std::move(writes), std::move(what)});
    run->Start(count, std::move(step), std::move(endText));
}

void RemoveUnfinishedAfterClose(const std::string& statusColumn, const std::string& index,
                                const std::string& what, const AddProgress& progress) {
    if (progress.Refused() || progress.Stage() == AddStage::kNone) {
        AfxMessageBox(StoppedAddText(what, progress), MB_OK);  // nothing of this add reached the device
        return;
    }
    const RowOwner owner = progress.Owner();
    if (owner != RowOwner::kThisAdd) {
        // Not this add's row, or not known whose: row creation removes nothing, nothing is sent.
        AfxMessageBox(RemovedUnfinishedText(RemoveUnfinished(RowStatusAccess{}, owner), what), MB_OK);
        return;
    }
    auto session = std::make_shared<CCommonSNMP>();
    auto removed = std::make_shared<RowAdded>(RowAdded::kUnknown);
    StartAfterCloseRun(
        {statusColumn, index}, "Removing " + what + ", left unfinished by a stopped add", session,
        {session.get()}, 1,
        [s = session.get(), statusOid = statusColumn + index, removed, owner](int) {
            *removed = RemoveUnfinished(StatusAccessOn(*s, statusOid), owner);
            return StepOutcome::Done();
        },
        [removed, what](const StepsEnd&) { return RemovedUnfinishedText(*removed, what); });
}

bool AfterCloseRunWriting(const std::string& table, const std::string& row) {
    const std::string key = RowKey(row);
    return std::any_of(g_going.begin(), g_going.end(), [&](const Going& g) {
        return g.writes.table == table && (key.empty() || g.writes.row.empty() || g.writes.row == key);
    });
}

void OnAfterCloseRunEnd(QObject* owner, std::string table, std::function<void()> fn) {
    g_listeners.push_back({QPointer<QObject>(owner), std::move(table), std::move(fn)});
}

std::vector<std::string> AfterCloseRunsGoing() {
    std::vector<std::string> what;
    for (const Going& g : g_going) {
        what.push_back(g.what);
    }
    return what;
}

}  // namespace ksx::ui
