// The main-window ground of the macro tests: macro files written into the temporary program
// folder's Macro folder, and the window started from settings files that list them.
#pragma once

#include "MainWindowFixture.h"
#include "platform/Cp932.h"
#include "settings/MacroTitle.h"

#include <QDir>
#include <QTest>

#include <functional>

struct MacroWindowFixture : MainWindowFixture {
    QString macroFolder() const { return MacroFolder(home->path() + u'/'); }

    void writeMacro(const QString& file, const QStringList& lines)
    {
        QDir().mkpath(macroFolder());
        QVERIFY(Cp932::WriteLines(macroFolder() + file, lines).ok);
    }

    // An empty list means no macros; without arguments the power is switched on.
    frmMain& start(const QStringList& macroFiles, const std::function<void(Settings&, KeyMap&)>& tweak = {},
                   const QStringList& args = {})
    {
        Settings settings;
        settings.IMEON = 0;
        KeyMap keyMap;
        if (tweak)
            tweak(settings, keyMap);
        MainWindowSettings position;
        position.MacroFiles = macroFiles.isEmpty() ? QStringList{QString()} : macroFiles;
        [&] { QVERIFY(WriteKeyMapFileIn(home->path() + u'/', keyMap).result.ok); }();
        startWindow(settings, position, args);
        if (args.isEmpty())
            window->chkPower->setValue(1);
        return *window;
    }
};
