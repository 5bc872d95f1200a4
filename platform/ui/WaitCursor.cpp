#include "platform/ui/WaitCursor.h"

#include <QApplication>
#include <QCursor>

namespace ksx {

CWaitCursor::CWaitCursor() {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    m_active = true;
}

CWaitCursor::~CWaitCursor() {
    if (m_active) {
        QApplication::restoreOverrideCursor();
    }
}

void CWaitCursor::Restore() {
    if (m_active) {
        QApplication::changeOverrideCursor(QCursor(Qt::WaitCursor));
    } else {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        m_active = true;
    }
}

}  // namespace ksx
