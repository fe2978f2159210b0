// The folder that holds setting.ini, keymap.ini, the Macro folder and com<n> port links.
#pragma once

#include <QString>

// YUBISAKI_HOME if set; else the executable's folder when a file named "portable" lies beside
// the executable (every build tree has one) and the folder is writable; else
// $XDG_CONFIG_HOME/yubisaki/ (created). Always ends in "/".
QString ProgramFolder();
