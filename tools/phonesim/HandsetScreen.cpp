#include "HandsetScreen.h"

namespace phonesim {

void HandsetScreen::clear()
{
    lines_ = QStringList{QString()};
    line_ = 0;
    column_ = 0;
}

void HandsetScreen::apply(const KeyCode& code)
{
    if (code.Kind == KeyKind::HalfWidth || code.Kind == KeyKind::FullWidth) {
        const QString character = CharacterForKeyCode(code);
        if (character.size() == 1)
            insert(character.front());
        return;
    }
    if (code.Kind != KeyKind::Named && code.Kind != KeyKind::NamedModified)
        return;
    if (code.Group == PhoneKeyCodes::Up.Group && code.Index >= 1 && code.Index <= 4) {
        move(code.Index);
    } else if (code.Group == PhoneKeyCodes::CR.Group && code.Index == PhoneKeyCodes::CR.Index) {
        QString& current = lines_[line_];
        const QString tail = current.mid(column_);
        current.truncate(column_);
        lines_.insert(line_ + 1, tail);
        ++line_;
        column_ = 0;
    } else if (code.Group == PhoneKeyCodes::Clear.Group && code.Index == PhoneKeyCodes::Clear.Index) {
        // A held CLEAR wipes the text; a short press deletes the character before the cursor.
        if (code.Kind == KeyKind::NamedModified)
            clear();
        else
            backspace();
    }
}

void HandsetScreen::insert(QChar character)
{
    QString& current = lines_[line_];
    if ((character == u'″' || character == u'°') && column_ > 0) {
        for (const VoicedKana& voiced : VoicedKanaTable()) {
            if (voiced.plain == current.at(column_ - 1) && voiced.mark == character) {
                current[column_ - 1] = voiced.voiced;
                return;
            }
        }
    }
    current.insert(column_, character);
    ++column_;
}

void HandsetScreen::backspace()
{
    if (column_ > 0) {
        lines_[line_].remove(column_ - 1, 1);
        --column_;
    } else if (line_ > 0) {
        column_ = int(lines_[line_ - 1].size());
        lines_[line_ - 1] += lines_[line_];
        lines_.removeAt(line_);
        --line_;
    }
}

void HandsetScreen::move(std::uint8_t direction)
{
    switch (direction) {
    case 1: // up
        if (line_ > 0)
            --line_;
        break;
    case 2: // down
        if (line_ + 1 < lines_.size())
            ++line_;
        break;
    case 3: // left
        if (column_ > 0)
            --column_;
        else if (line_ > 0)
            column_ = int(lines_[--line_].size());
        return;
    case 4: // right
        if (column_ < lines_[line_].size())
            ++column_;
        else if (line_ + 1 < lines_.size()) {
            ++line_;
            column_ = 0;
        }
        return;
    default: return;
    }
    column_ = std::min(column_, int(lines_[line_].size()));
}

} // namespace phonesim
