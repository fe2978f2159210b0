// The help file's topics by context number. The help build reads this table to write the
// project's [ALIAS] and [MAP] sections, so numbers and topics cannot drift apart.
#pragma once

#include <QStringView>

struct HelpContext {
    int number;
    QStringView topic;
};

inline constexpr QStringView kHelpContentsTopic = u"index.html";

inline constexpr HelpContext kHelpContexts[] = {
    {20, u"settings.html"},    // basic and text-input options
    {22, u"keymap.html"},      // key assignments
    {36, u"macroeditor.html"}, // the macro editor
};
