// Forms by layout: the shapes every dialog has, built with Qt layouts so the dialog grows with its
// contents and its font. CreateControls reads like the screen, top to bottom:
//
//   void CreateControls() override {
//       ksx::ui::Form form(*this);
//       auto group = form.Group("Configuration");
//       group.Row({"From Port", group.Combo(IDC_FROM), "To Port", group.Combo(IDC_TO), Form::Stretch});
//       group.Field("Description", group.Edit(IDC_DESCRIPTION));
//       form.Buttons({{IDC_APPLY, "Apply"}, {IDC_CLOSE, "Close"}});
//   }
//
// Controls made here are registered with the dialog under their ids; labels get an id only when one is
// given (something refers to them). A Form is a light handle: copy it freely.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <initializer_list>
#include <string>
#include <vector>

class QGridLayout;

namespace ksx {
class CDialog;
}

namespace ksx::ui {

class Form {
public:
    // The dialog's own form, filling its client area.
    explicit Form(CDialog& dlg);

    // One item of a Row: a text (becomes a label), a control, or the stretch that pushes what follows
    // to the right edge.
    struct StretchTag {};
    static constexpr StretchTag Stretch{};
    struct Item {
        Item(const char* label) : text(label) {}
        Item(QWidget* control) : widget(control) {}
        Item(StretchTag) : stretch(true) {}
        const char* text = nullptr;
        QWidget* widget = nullptr;
        bool stretch = false;
    };
    struct ButtonSpec {
        int id;
        const char* text;
    };

    // A group box (registered under `id` when not 0) holding a form of its own, on a line of this form.
    Form Group(const std::string& title, int id = 0);
    // A label and its control on one line; labels of a form share one column. Returns the control.
    template <class W>
    W* Field(const std::string& label, W* control, int labelId = 0) {
        AddField(label, control, labelId);
        return control;
    }
    // Several items on one line, left to right.
    void Row(std::initializer_list<Item> items);
    // A control on a line of its own, across the form.
    template <class W>
    W* Add(W* control) {
        AddWide(control, false);
        return control;
    }
    // A control that takes the space the form has left (lists): it grows with the dialog.
    template <class W>
    W* Fill(W* control) {
        AddWide(control, true);
        return control;
    }
    // A text on a line of its own (registered under `id` when not 0; such a line, filled later, wraps).
    QLabel* Note(const std::string& text, int id = 0);
    // A row of push buttons at the bottom right. `defaultId` (when not 0) becomes the default command of
    // Enter (CDialog::SetDefID).
    std::vector<QPushButton*> Buttons(std::initializer_list<ButtonSpec> buttons, int defaultId = 0);

    // Controls made and registered under their ids, for the calls above.
    QLineEdit* Edit(int id);
    QComboBox* Combo(int id, bool editable = false);
    QCheckBox* Check(int id, const std::string& text);
    QRadioButton* Radio(int id, const std::string& text);
    QPushButton* Button(int id, const std::string& text);
    QLabel* Label(const std::string& text, int id = 0);

    QGridLayout* Layout() const { return m_grid; }
    CDialog& Dialog() const { return *m_dlg; }

private:
    Form(CDialog& dlg, QGridLayout* grid) : m_dlg(&dlg), m_grid(grid) {}
    void AddField(const std::string& label, QWidget* control, int labelId);
    void AddWide(QWidget* control, bool fill);

    CDialog* m_dlg;
    QGridLayout* m_grid;
};

}  // namespace ksx::ui
