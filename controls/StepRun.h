// A loop of requests run for a dialog (core/StepRunner.h) with a progress line at the bottom of the
// dialog: hidden for the first second of a run, then a text such as "Writing port 5 of 28..." and a
// bar. The dialog keeps taking events while the run lasts. When the dialog ends during a run (Close,
// Esc, the close box), the run is stopped and its end reported at once through the dialog's onEnd,
// with `stopped` set; the dialog says there what was and was not written. A signal that ends the
// process stops the run the same way (core/StepRunner.h), before the dialog itself is ended.
//
//   CStepRun m_run{*this};                                   // a member, after the sessions it uses
//   m_run.Runner().SetCancel([this] { m_session.Cancel(); });
//   m_run.Start(n, [this](int i) { return WritePort(i); },
//               [](int i, int n) { return QString("Writing port %1 of %2...").arg(i + 1).arg(n); },
//               [this](const ksx::StepsEnd& e) { Done(e); });
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/RunText.h"
#include "core/StepRunner.h"

class QLabel;
class QProgressBar;
class QWidget;

namespace ksx {
class CDialog;
}

class CStepRun : public QObject {
public:
    using Text = std::function<QString(int index, int total)>;
    using End = std::function<void(const ksx::StepsEnd&)>;

    explicit CStepRun(ksx::CDialog& dlg);
    ~CStepRun() override;
    CStepRun(const CStepRun&) = delete;
    CStepRun& operator=(const CStepRun&) = delete;

    // UI thread. Starts the run; `text` names the step under way, `onEnd` gets the end (UI thread).
    void Start(int count, ksx::StepRunner::Step step, Text text, End onEnd);
    // UI thread. A write of ports `from` to `to`, one step a port: progress names the port, and a run
    // stopped by the dialog's end says which ports were and were not written; `onEnd` gets every
    // other end.
    void StartPortWrites(int from, int to, ksx::StepRunner::Step step, End onEnd);
    // UI thread. A write and the read-back of what the device then holds, as a run of two steps off the
    // window's thread: the read follows whatever the write's answer, unless a stop cut the write short.
    // A stopped run says what the device confirmed of the write (`name`; a write that had ended not
    // accepted by `refused`, the dialog's text of it); any other end gives `done` the write's answer
    // and what was read (UI thread).
    template <class Read>
    void StartWriteAndReadBack(const ksx::StepsName& name, QString writing, QString reading,
                               std::function<::SnmpAnswer()> write, std::function<Read()> read,
                               std::function<std::string(const ::SnmpAnswer&)> refused,
                               std::function<void(const ::SnmpAnswer&, const Read&)> done) {
        auto answer = std::make_shared<::SnmpAnswer>();
        auto got = std::make_shared<Read>();
        Start(
            2,
            [this, write = std::move(write), read = std::move(read), answer, got](int i) {
                if (i == 0) {
                    *answer = write();
                    return m_runner.Stopping() && !answer->Refused() ? ksx::StepOutcome::Of(*answer)
                                                                     : ksx::StepOutcome::Done();
                }
                *got = read();
                return m_runner.Stopping() ? ksx::StepOutcome::NothingSent() : ksx::StepOutcome::Done();
            },
            [writing, reading](int i, int) { return i == 0 ? writing : reading; },
            [name, refused = std::move(refused), done = std::move(done), answer,
             got](const ksx::StepsEnd& end) {
                if (!end.stopped) {
                    done(*answer, *got);
                } else if (end.done == 0) {
                    ksx::StepsEnd write = end;
                    write.total = 1;
                    SayStopped(ksx::RunEndText(write, ksx::ListNamer({name})));
                } else if (!answer->Accepted()) {
                    SayStopped(refused(*answer));
                }
            });
    }
    // UI thread: stops the run (see StepRunner::Stop); the end is reported before it returns.
    void Stop() { m_runner.Stop(); }
    bool Running() const { return m_runner.Running(); }
    ksx::StepRunner& Runner() { return m_runner; }

    // "Writing port 7 (5 of 8)...": step `index` of a write of ports from `from` on.
    static QString PortText(int from, int index, int total);

    // The progress line as shown now (for the dialog's own checks and for tests).
    bool ProgressShown() const;
    QString ProgressText() const;

    // How long a run goes before its progress shows.
    static constexpr int kShowAfterMs = 1000;

    // Test hooks (UI thread): the runs of a dialog, and a progress line shown as soon as a run starts
    // (pictures and look checks of a dialog during a run).
    static std::vector<CStepRun*> Of(const ksx::CDialog& dlg);
    static void ShowAtOnce(bool on) { s_showAtOnce = on; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void SayStopped(const std::string& text);
    void EnsureLine();
    void Show(int index, int total);
    void Hide();

    ksx::CDialog& m_dlg;
    QWidget* m_line = nullptr;  // owned by the dialog once placed
    QLabel* m_text = nullptr;
    QProgressBar* m_bar = nullptr;
    QTimer m_showTimer;
    Text m_textOf;
    End m_onEnd;
    int m_index = 0;
    int m_total = 0;
    static inline bool s_showAtOnce = false;
    ksx::StepRunner m_runner;  // last: stopped and joined first
};
