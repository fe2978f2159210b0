// What the handset's display shows of the text being written: characters at a cursor, a
// voiced or semi-voiced mark joining the kana before it, CLEAR, the cursor keys and CR.
#pragma once

#include "textentry/mdlGetBinary.h"

#include <QString>
#include <QStringList>

namespace phonesim {

class HandsetScreen {
public:
    void apply(const KeyCode& code);
    QString text() const { return lines_.join(u'\n'); }
    int cursorLine() const { return line_; }
    int cursorColumn() const { return column_; }
    void clear();

private:
    void insert(QChar character);
    void backspace();
    void move(std::uint8_t direction);

    QStringList lines_{QString()};
    int line_ = 0;
    int column_ = 0;
};

} // namespace phonesim
