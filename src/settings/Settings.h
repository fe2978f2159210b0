// The in-memory records of the options ([Option] of setting.ini) and of the key map (keymap.ini),
// with the values a first start gives them.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

struct Settings {
    float Ver = 1.28f;
    std::int16_t ComPort = 1;
    std::int16_t SpaceChange = 1;
    std::int16_t IMEON = 1;
    std::int16_t MostFront = 0;
    std::int16_t TenKeySwap = 0;
    std::int16_t DontUseIME = 1;
    std::int16_t ToolTipOff = 0;
    QString PdcType = QStringLiteral("P504i");
    std::int16_t MacroError = 1;
    float MacroWait = 0.0f;
    std::int16_t ArrivalDisplay = 0;
    std::int16_t BSEmulation = 0;
    std::int16_t DontKeyLog = 0;
    std::int16_t REUDOcable = 0;
};

// Windows virtual-key numbers of the PC keys that play the phone's named keys.
struct KeyMap {
    std::int16_t KEY_Left = 37;
    std::int16_t KEY_Up = 38;
    std::int16_t KEY_Right = 39;
    std::int16_t KEY_Down = 40;
    std::int16_t KEY_OK = 13;
    std::int16_t KEY_Clear1 = 8;
    std::int16_t KEY_Clear2 = 27;
    std::int16_t KEY_Clear3 = 46;
    std::int16_t KEY_SubMenu = 36;
    std::int16_t KEY_CharChange = 45;
    std::int16_t KEY_OffHook = 33;
    std::int16_t KEY_OnHook = 34;
};

// What setting.ini keeps of the main window: its three toggles (check-box values), its
// position in twips and the macro list. One empty entry in MacroFiles means no macros.
struct MainWindowSettings {
    std::int16_t HideOn = 1;       // chkHideOn
    std::int16_t AlphaOrKana = 0;  // chkAlphaOrKana
    std::int16_t KanaOrRoma = 0;   // chkKanaOrRoma
    std::int32_t Xpos = 100;
    std::int32_t Ypos = 100;
    QStringList MacroFiles{QString()};
};
