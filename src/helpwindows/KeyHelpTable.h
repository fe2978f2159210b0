// What each PC key does on each phone model: the rows of the key help window, built from fixed
// texts and the user's key map, and the text its copy command puts on the clipboard.
#pragma once

#include "settings/Settings.h"

#include <QList>
#include <QString>
#include <QStringList>

struct KeyHelpRow {
    QString key;          // the PC key; empty when the row continues the one above
    QString function;     // what the phone does
    QString withCtrl;     // what it does with Ctrl held
    QString reassignable; // "○" for a key of the key map, "×" for a fixed key

    friend bool operator==(const KeyHelpRow&, const KeyHelpRow&) = default;
};

// The name the table shows for a virtual-key number; empty for a key without one.
QString KeyDisplayName(int code);

// The models of the selector, in its order.
QStringList KeyHelpModels();

// The table of one model; empty for a text that is no model of the list.
QList<KeyHelpRow> KeyHelpRows(QStringView model, const KeyMap& keyMap);

// One line per row: the first three columns, each followed by ", ", then CR LF.
QString KeyHelpCopyText(const QList<KeyHelpRow>& rows);
