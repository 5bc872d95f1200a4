#include "app/FinishRuns.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>
#include <string>
#include <vector>

#include "features/common/AfterCloseRun.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Text.h"

namespace ksx {

namespace {

bool g_finishing = false;

// Stays until the runs have ended: closing it would not end them sooner.
class FinishingWindow : public QWidget {
public:
    FinishingWindow() : QWidget(nullptr, Qt::Window) {
        setWindowTitle(ui::ToQ(ApplicationCaption()));
        auto* layout = new QVBoxLayout(this);
        m_text = new QLabel(this);
        layout->addWidget(m_text);
    }
    // False once nothing is going.
    bool Update() {
        const std::vector<std::string> going = ui::AfterCloseRunsGoing();
        std::string text;
        for (const std::string& what : going) {
            text += (text.empty() ? "" : "\n") + what + "...";
        }
        m_text->setText(ui::ToQ(text));
        return !going.empty();
    }

protected:
    void closeEvent(QCloseEvent* e) override { e->ignore(); }

private:
    QLabel* m_text = nullptr;
};

}  // namespace

void FinishAfterCloseRuns() {
    if (ui::AfterCloseRunsGoing().empty()) {
        return;
    }
    g_finishing = true;
    FinishingWindow window;
    QEventLoop loop;
    ui::OnAfterCloseRunEnd(&window, {}, [&window, &loop] {
        if (!window.Update()) {
            loop.quit();
        }
    });
    window.Update();
    window.show();
    loop.exec();
    g_finishing = false;
}

bool FinishingAfterCloseRuns() {
    return g_finishing;
}

}  // namespace ksx
