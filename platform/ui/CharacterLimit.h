// A text box limited to a number of characters rather than UTF-16 units: QLineEdit's own maximum length
// counts units and cuts a character outside the basic plane in half at the limit, which then reaches the
// device as a replacement character. Longer text is cut at the last whole character.
#pragma once

#include <QLineEdit>
#include <QValidator>
#include <algorithm>

namespace ksx::ui {

class CharacterLimitValidator : public QValidator {
public:
    CharacterLimitValidator(int maxCharacters, QObject* parent) : QValidator(parent), m_max(maxCharacters) {}

    State validate(QString& input, int& pos) const override {
        int characters = 0;
        for (qsizetype i = 0; i < input.size(); ++i) {
            if (input.at(i).isHighSurrogate() && i + 1 < input.size() && input.at(i + 1).isLowSurrogate()) {
                ++i;
            }
            if (++characters > m_max) {
                input.truncate(input.at(i).isLowSurrogate() && i > 0 ? i - 1 : i);
                pos = static_cast<int>(std::min<qsizetype>(pos, input.size()));
                break;
            }
        }
        return Acceptable;
    }

private:
    int m_max;
};

// Limits the box to maxCharacters whole characters.
inline void LimitCharacters(QLineEdit* edit, int maxCharacters) {
    edit->setMaxLength(2 * maxCharacters);  // room for characters of two units; the validator counts
    edit->setValidator(new CharacterLimitValidator(maxCharacters, edit));
}

}  // namespace ksx::ui
