#include "controls/IPAddressCtrl.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <charconv>

namespace {

// A field's number; -1 when it is empty.
int FieldValue(const QLineEdit* field) {
    const std::string text = field->text().toStdString();
    int value = -1;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return text.empty() || ec != std::errc() || end != text.data() + text.size() ? -1 : value;
}

}  // namespace

CIPAddressCtrl::CIPAddressCtrl(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    for (int i = 0; i < 4; ++i) {
        auto* field = new QLineEdit(this);
        field->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), field));
        field->setMaxLength(3);
        field->setAlignment(Qt::AlignCenter);
        field->setFixedWidth(field->fontMetrics().horizontalAdvance("0000") + 14);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, i] { OnEdited(i); });
        m_fields[static_cast<size_t>(i)] = field;
        row->addWidget(field, 1);
        if (i < 3) {
            row->addWidget(new QLabel(".", this));
        }
    }
    row->addStretch(0);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    setFocusProxy(m_fields[0]);
}

bool CIPAddressCtrl::SetAddress(const std::string& dotted) {
    std::array<int, 4> values{};
    size_t at = 0;
    bool ok = true;
    for (int i = 0; i < 4 && ok; ++i) {
        const size_t dot = i < 3 ? dotted.find('.', at) : dotted.size();
        const std::string part = dot == std::string::npos ? std::string() : dotted.substr(at, dot - at);
        int value = -1;
        const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
        ok = !part.empty() && part.size() <= 3 && ec == std::errc() && end == part.data() + part.size() &&
             value >= 0 && value <= 255;
        values[static_cast<size_t>(i)] = value;
        at = dot + 1;
    }
    if (!ok) {
        ClearAddress();
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        m_fields[static_cast<size_t>(i)]->setText(QString::number(values[static_cast<size_t>(i)]));
    }
    return true;
}

std::string CIPAddressCtrl::GetAddress() const {
    std::string out;
    for (const QLineEdit* field : m_fields) {
        const int value = FieldValue(field);
        if (value < 0) {
            return std::string();
        }
        out += (out.empty() ? "" : ".") + std::to_string(value);
    }
    return out;
}

bool CIPAddressCtrl::IsBlank() const {
    for (const QLineEdit* field : m_fields) {
        if (!field->text().isEmpty()) {
            return false;
        }
    }
    return true;
}

void CIPAddressCtrl::ClearAddress() {
    for (QLineEdit* field : m_fields) {
        field->clear();
    }
    m_current = 0;
}

int CIPAddressCtrl::IndexOf(QObject* field) const {
    for (int i = 0; i < 4; ++i) {
        if (m_fields[static_cast<size_t>(i)] == field) {
            return i;
        }
    }
    return -1;
}

void CIPAddressCtrl::MoveTo(int i) {
    if (i < 0 || i > 3) {
        return;
    }
    m_current = i;
    QLineEdit* field = m_fields[static_cast<size_t>(i)];
    field->setFocus(Qt::TabFocusReason);
    field->selectAll();
}

void CIPAddressCtrl::OnEdited(int i) {
    QLineEdit* field = m_fields[static_cast<size_t>(i)];
    if (FieldValue(field) > 255) {
        field->setText("255");
    }
    if (field->text().size() == 3 && i < 3) {
        MoveTo(i + 1);
    }
}

void CIPAddressCtrl::keyPressEvent(QKeyEvent* event) {
    if (!m_forwarding && (event->matches(QKeySequence::SelectAll) || event->key() == Qt::Key_Delete)) {
        // Typing over the whole address starts again in the first field.
        ClearAddress();
        MoveTo(0);
        return;
    }
    const bool editing = !event->text().isEmpty() || event->key() == Qt::Key_Backspace ||
                         event->key() == Qt::Key_Left || event->key() == Qt::Key_Right;
    if (m_forwarding || !editing || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Escape || event->key() == Qt::Key_Tab) {
        // Keys that do not edit, and a key the field did not take, go on to the dialog.
        event->ignore();
        return;
    }
    QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text());
    m_forwarding = true;
    QApplication::sendEvent(m_fields[static_cast<size_t>(m_current)], &copy);
    m_forwarding = false;
}

bool CIPAddressCtrl::eventFilter(QObject* watched, QEvent* event) {
    const int i = IndexOf(watched);
    if (i >= 0 && event->type() == QEvent::FocusIn) {
        m_current = i;
    }
    if (i >= 0 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        QLineEdit* field = m_fields[static_cast<size_t>(i)];
        if (key->text() == ".") {
            if (!field->text().isEmpty() && !field->hasSelectedText()) {
                MoveTo(i + 1);
            }
            return true;
        }
        if (key->key() == Qt::Key_Backspace && field->text().isEmpty() && i > 0) {
            MoveTo(i - 1);
            return true;
        }
        if (!key->text().isEmpty() && key->text()[0].isDigit() && field->text().size() == 3 &&
            !field->hasSelectedText() && i < 3) {
            // A full field passes the digit on to the next one.
            MoveTo(i + 1);
            m_fields[static_cast<size_t>(i + 1)]->clear();
            QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
            m_forwarding = true;
            QApplication::sendEvent(m_fields[static_cast<size_t>(i + 1)], &copy);
            m_forwarding = false;
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
