// txtInputBuffer: the log that grows upwards. Program-written entries are whole lines put in
// front of the text; typed characters go in at the caret.
#pragma once

#include <QPlainTextEdit>

class LogBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit LogBox(QWidget* parent = nullptr);

    // Puts `line` and a line break in front of the text; the caret goes to the start.
    void prependLine(const QString& line);
    // Inserts at the caret, which then stands behind the text.
    void insertAtCaret(const QString& text);
    // Moves the caret to the start of the text.
    void caretToStart();
    // The text with CR LF line ends, as the log's entries are written.
    QString logText() const;
};
