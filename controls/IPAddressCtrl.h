// IPv4 address control: four number fields of 0 to 255 between dots. The address goes in and comes out
// as dotted text; an address with an empty field reads as empty. Typing a dot or a field's third digit
// moves on to the next field, Backspace in an empty field back to the one before. Keys sent to the
// control itself go to the field being typed in.
#pragma once

#include <QWidget>

#include <array>
#include <string>

class QLineEdit;

class CIPAddressCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CIPAddressCtrl(QWidget* parent = nullptr);

    // Four decimal numbers of 0 to 255 separated by dots fill the fields; any other text empties them.
    // True when the text was taken.
    bool SetAddress(const std::string& dotted);
    // "a.b.c.d" without leading zeros; empty while a field is empty.
    std::string GetAddress() const;
    // Every field empty.
    bool IsBlank() const;
    void ClearAddress();
    QLineEdit* Field(int i) const { return m_fields[static_cast<size_t>(i)]; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int IndexOf(QObject* field) const;
    void MoveTo(int i);
    void OnEdited(int i);

    std::array<QLineEdit*, 4> m_fields{};
    int m_current = 0;          // the field typing goes to
    bool m_forwarding = false;  // a key sent to the control is being passed to a field
};
