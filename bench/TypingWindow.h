// The real main window for the typing benchmarks: a scratch program folder, letters sent as
// they are (no conversion, one frame a key), the power on against whatever COM1 names.
#pragma once

#include "HandsetOnCom1.h"
#include "core/CommandLine.h"
#include "core/frmMain.h"
#include "settings/SettingsFiles.h"
#include "textentry/mdlGetBinary.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

inline std::unique_ptr<frmMain> OpenTypingWindow(const QTemporaryDir& home)
{
    qputenv("YUBISAKI_HOME", home.path().toLocal8Bit());
    Settings settings;
    settings.IMEON = 0;
    const QString folder = home.path() + u'/';
    if (!WriteSettingsFileIn(folder, settings, MainWindowSettings{}).result.ok || !WriteKeyMapFileIn(folder, KeyMap{}).result.ok)
        return nullptr;
    auto w = std::make_unique<frmMain>(ParseCommandLine({}));
    w->Form_Load();
    w->show();
    w->chkPower->setValue(1);
    if (!w->mscCOM().isOpen()) {
        std::fprintf(stderr, "cannot open COM1\n");
        return nullptr;
    }
    w->txtInput->setFocus();
    return w;
}

// The same window against the simulated handset, started on COM1 first.
inline std::unique_ptr<frmMain> OpenTypingWindow(const QTemporaryDir& home, phonesim::Handset& handset)
{
    return StartHandsetOnCom1(handset) ? OpenTypingWindow(home) : nullptr;
}

// Presses and releases the letter key i (a to z, round and round) in the input box.
inline void TypeLetter(frmMain& w, int i)
{
    const QString letter(QChar(u'a' + i % 26));
    const auto key = Qt::Key(Qt::Key_A + i % 26);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, letter);
    QApplication::sendEvent(w.txtInput, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, letter);
    QApplication::sendEvent(w.txtInput, &release);
}

// The frame that letter key i puts on the wire.
inline QByteArray LetterFrame(int i)
{
    KeyCode code;
    const QChar letter(u'a' + i % 26);
    GetKeyCode(QStringView(&letter, 1), code);
    return QByteArray::fromHex("f202010000") + code.bytes();
}
