// The folder that holds setting.ini, keymap.ini, the Macro folder and com<n> port links.
#pragma once

#include <QString>

// YUBISAKI_HOME if set; else the executable's folder when it is writable; else
// $XDG_CONFIG_HOME/yubisaki/ (created). Always ends in "/".
QString ProgramFolder();
