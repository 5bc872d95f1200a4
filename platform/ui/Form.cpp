#include "platform/ui/Form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/ui/Dialog.h"
#include "platform/ui/Text.h"

namespace ksx::ui {

namespace {

constexpr int kLabelColumn = 0;
constexpr int kControlColumn = 1;

}  // namespace

Form::Form(CDialog& dlg) : m_dlg(&dlg), m_grid(new QGridLayout(dlg.Client())) {
    m_grid->setColumnStretch(kControlColumn, 1);
    // The dialog is never smaller than its contents need.
    m_grid->setSizeConstraint(QLayout::SetMinimumSize);
}

Form Form::Group(const std::string& title, int id) {
    auto* box = new QGroupBox(ToQ(title));
    if (id != 0) {
        m_dlg->RegisterControl(id, box);
    }
    AddWide(box, false);
    auto* grid = new QGridLayout(box);
    grid->setColumnStretch(kControlColumn, 1);
    return Form(*m_dlg, grid);
}

void Form::AddField(const std::string& label, QWidget* control, int labelId) {
    const int row = m_grid->rowCount();
    if (!label.empty() || labelId != 0) {
        QLabel* text = Label(label, labelId);
        text->setBuddy(control);
        m_grid->addWidget(text, row, kLabelColumn);
    }
    m_grid->addWidget(control, row, kControlColumn);
}

void Form::AddWide(QWidget* control, bool fill) {
    const int row = m_grid->rowCount();
    m_grid->addWidget(control, row, kLabelColumn, 1, 2);
    if (fill) {
        m_grid->setRowStretch(row, 1);
    }
}

void Form::Row(std::initializer_list<Item> items) {
    auto* line = new QHBoxLayout;
    bool stretched = false;
    for (const Item& item : items) {
        if (item.text != nullptr) {
            line->addWidget(Label(item.text));
        } else if (item.widget != nullptr) {
            line->addWidget(item.widget);
        } else {
            line->addStretch(1);
            stretched = true;
        }
    }
    if (!stretched) {
        line->addStretch(1);
    }
    m_grid->addLayout(line, m_grid->rowCount(), kLabelColumn, 1, 2);
}

QLabel* Form::Note(const std::string& text, int id) {
    QLabel* label = Label(text, id);
    if (id != 0) {
        // A line the dialog fills later (a failure, a status) wraps a long text instead of widening the
        // dialog past the screen; the dialog grows to show it whole.
        label->setWordWrap(true);
    }
    AddWide(label, false);
    return label;
}

std::vector<QPushButton*> Form::Buttons(std::initializer_list<ButtonSpec> buttons, int defaultId) {
    auto* line = new QHBoxLayout;
    line->addStretch(1);
    std::vector<QPushButton*> made;
    for (const ButtonSpec& spec : buttons) {
        QPushButton* button = Button(spec.id, spec.text);
        line->addWidget(button);
        made.push_back(button);
    }
    if (defaultId != 0) {
        m_dlg->SetDefID(defaultId);
    }
    m_grid->addLayout(line, m_grid->rowCount(), kLabelColumn, 1, 2);
    return made;
}

QLineEdit* Form::Edit(int id) {
    return m_dlg->RegisterControl(id, new QLineEdit);
}

QComboBox* Form::Combo(int id, bool editable) {
    auto* box = m_dlg->RegisterControl(id, new QComboBox);
    box->setEditable(editable);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

QCheckBox* Form::Check(int id, const std::string& text) {
    return m_dlg->RegisterControl(id, new QCheckBox(ToQ(text)));
}

QRadioButton* Form::Radio(int id, const std::string& text) {
    return m_dlg->RegisterControl(id, new QRadioButton(ToQ(text)));
}

QPushButton* Form::Button(int id, const std::string& text) {
    return m_dlg->RegisterControl(id, new QPushButton(ToQ(text)));
}

QLabel* Form::Label(const std::string& text, int id) {
    auto* label = new QLabel(ToQ(text));
    if (id != 0) {
        m_dlg->RegisterControl(id, label);
    }
    return label;
}

}  // namespace ksx::ui
