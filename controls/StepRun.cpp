#include "controls/StepRun.h"

#include <QBoxLayout>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>
#include <set>

#include "platform/sys/MessageBox.h"
#include "platform/ui/Dialog.h"

namespace {

// Every run object alive (UI thread), for CStepRun::Of.
std::set<CStepRun*>& Live() {
    static std::set<CStepRun*> live;
    return live;
}

}  // namespace

CStepRun::CStepRun(ksx::CDialog& dlg) : m_dlg(dlg) {
    Live().insert(this);
    m_showTimer.setSingleShot(true);
    QObject::connect(&m_showTimer, &QTimer::timeout, this, [this] {
        if (m_runner.Running() && m_line != nullptr) {
            m_line->show();
        }
    });
    m_runner.onStep = [this](int index, int total) { Show(index, total); };
    m_runner.onEnd = [this](const ksx::StepsEnd& end) {
        Hide();
        End onEnd = m_onEnd;
        if (onEnd) {
            onEnd(end);
        }
    };
    // The dialog hides as it ends (Close, Esc, the close box, EndDialog): the run ends with it.
    dlg.installEventFilter(this);
}

CStepRun::~CStepRun() {
    Live().erase(this);
    m_runner.onEnd = nullptr;
    m_runner.onStep = nullptr;
}

void CStepRun::Start(int count, ksx::StepRunner::Step step, Text text, End onEnd) {
    m_runner.Stop();
    EnsureLine();
    m_textOf = std::move(text);
    m_onEnd = std::move(onEnd);
    m_index = 0;
    m_total = count;
    m_bar->setRange(0, count > 0 ? count : 1);
    m_bar->setValue(0);
    m_text->setText(m_textOf ? m_textOf(0, count) : QString());
    m_showTimer.start(kShowAfterMs);
    if (s_showAtOnce) {
        m_line->show();
    }
    m_runner.Start(count, std::move(step));
}

void CStepRun::EnsureLine() {
    if (m_line != nullptr) {
        return;
    }
    QWidget* client = m_dlg.Client();
    m_line = new QWidget(client);
    m_line->setObjectName(QStringLiteral("stepRunLine"));
    auto* row = new QHBoxLayout(m_line);
    row->setContentsMargins(0, 0, 0, 0);
    m_text = new QLabel(m_line);
    m_bar = new QProgressBar(m_line);
    m_bar->setTextVisible(false);
    row->addWidget(m_text, 1);
    row->addWidget(m_bar, 1);
    m_line->hide();
    // At the bottom of the dialog's own layout, across it.
    if (auto* grid = qobject_cast<QGridLayout*>(client->layout())) {
        grid->addWidget(m_line, grid->rowCount(), 0, 1, -1);
    } else if (auto* box = qobject_cast<QBoxLayout*>(client->layout())) {
        box->addWidget(m_line);
    } else {
        // Controls placed by position: the client grows by a line of its own below them, so the line
        // never covers one.
        const int top = client->height();
        const int height = std::max(m_line->sizeHint().height(), 24);
        m_dlg.SetClientSize(client->width(), top + height);
        m_line->setGeometry(0, top, client->width(), height);
    }
}

void CStepRun::Show(int index, int total) {
    m_index = index;
    m_total = total;
    if (m_bar != nullptr) {
        m_bar->setValue(index);
    }
    if (m_text != nullptr && m_textOf) {
        m_text->setText(m_textOf(index, total));
    }
}

void CStepRun::Hide() {
    m_showTimer.stop();
    if (m_line != nullptr) {
        m_line->hide();
    }
}

void CStepRun::StartPortWrites(int from, int to, ksx::StepRunner::Step step, End onEnd) {
    Start(
        std::max(to - from + 1, 0), std::move(step), [from](int i, int n) { return PortText(from, i, n); },
        [from, to, onEnd = std::move(onEnd)](const ksx::StepsEnd& end) {
            if (end.stopped) {
                // Closed during the write: the dialog is ending.
                ksx::AfxMessageBox(ksx::RunEndText(end, ksx::PortsNamer(from, to)), ksx::MB_OK);
                return;
            }
            onEnd(end);
        });
}

QString CStepRun::PortText(int from, int index, int total) {
    return QString("Writing port %1 (%2 of %3)...").arg(from + index).arg(index + 1).arg(total);
}

bool CStepRun::ProgressShown() const {
    return m_line != nullptr && m_line->isVisible();
}

QString CStepRun::ProgressText() const {
    return m_text != nullptr ? m_text->text() : QString();
}

std::vector<CStepRun*> CStepRun::Of(const ksx::CDialog& dlg) {
    std::vector<CStepRun*> runs;
    for (CStepRun* run : Live()) {
        if (&run->m_dlg == &dlg) {
            runs.push_back(run);
        }
    }
    return runs;
}

bool CStepRun::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_dlg && event->type() == QEvent::Hide && !event->spontaneous() && m_runner.Running()) {
        m_runner.Stop();
    }
    return QObject::eventFilter(watched, event);
}

void CStepRun::SayStopped(const std::string& text) {
    if (!text.empty()) {
        ksx::AfxMessageBox(text, ksx::MB_OK);
    }
}
