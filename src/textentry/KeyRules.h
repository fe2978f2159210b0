// Which named phone key a PC key plays in the input box: the key map first, then the fixed
// function and keypad keys, then the hook keys.
#pragma once

#include "textentry/mdlGetBinary.h"

#include <QList>

struct KeyMap;

struct KeyRuleInput {
    int key = 0;              // virtual-key number
    bool ctrl = false;
    bool shiftHeld = false;   // ShiftHeld as the key-down left it
    bool inputEmpty = true;   // txtInput holds no pending text
    int tenKeySwap = 0;
    int bsEmulation = 0;
};

struct KeyRuleResult {
    int rule = 0;                 // 1 to 18; 0 when no rule matched
    QList<KeyCode> codes;         // sent in this order (none for a clear key over pending text)
    bool recordLineBreak = false; // the decision key breaks the record's line first
    bool tenKey = false;          // the key-press that follows is recorded, not typed
};

KeyRuleResult NamedKeyRule(const KeyRuleInput& input, const KeyMap& keyMap);
