// The ground of every main-window test: a temporary program folder with its macro files, the
// simulated handset on COM1, scripted message boxes, the window started over them, the macro
// editor opened over it, the widgets such tests reach, and the modal dialogs it opens reached
// while their exec() runs.
// The window is torn down first, while its port still has a handset at the other end.
#pragma once

#include "Files.h"
#include "core/frmMain.h"
#include "macros/frmMacro.h"
#include "phonesim/Handset.h"
#include "platform/Cp932.h"
#include "platform/MessageBoxes.h"
#include "settings/MacroTitle.h"
#include "settings/SettingsFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

struct MainWindowFixture {
    std::unique_ptr<QTemporaryDir> home;
    std::unique_ptr<phonesim::Handset> handset;
    std::unique_ptr<ScriptedMessageBoxes> boxes;
    std::unique_ptr<frmMain> window;
    QPointer<frmMacro> editor;
    // What start() writes, edited from the defaults: the settings, the key map and what is stored beside them.
    using SettingsEdit = std::function<void(Settings&, KeyMap&, MainWindowSettings&)>;

    bool setUpFixture()
    {
        home = std::make_unique<QTemporaryDir>();
        qputenv("YUBISAKI_HOME", home->path().toLocal8Bit());
        handset = std::make_unique<phonesim::Handset>();
        if (!handset->start())
            return false;
        qputenv("YUBISAKI_COM1", handset->portPath().toLocal8Bit());
        boxes = std::make_unique<ScriptedMessageBoxes>();
        return true;
    }

    // The window as the program starts it, over whatever the program folder holds.
    frmMain& openWindow(const QStringList& args = {})
    {
        window = std::make_unique<frmMain>(ParseCommandLine(args));
        window->Form_Load();
        window->show();
        return *window;
    }

    // The window started from a setting.ini that holds `settings` and `position`.
    frmMain& startWindow(const Settings& settings = {}, const MainWindowSettings& position = {},
                         const QStringList& args = {})
    {
        [&] { QVERIFY(WriteSettingsFileIn(home->path() + u'/', settings, position).result.ok); }();
        return openWindow(args);
    }

    QString macroFolder() const { return MacroFolder(home->path() + u'/'); }

    void writeMacro(const QString& file, const QStringList& lines)
    {
        QDir().mkpath(macroFolder());
        QVERIFY(Cp932::WriteLines(macroFolder() + file, lines).ok);
    }

    // The window with its own key map; an empty list means no macros, and without arguments the
    // power is switched on.
    frmMain& start(const QStringList& macroFiles = {}, const SettingsEdit& tweak = {}, const QStringList& args = {})
    {
        Settings settings;
        settings.IMEON = 0;
        KeyMap keyMap;
        MainWindowSettings position;
        if (tweak)
            tweak(settings, keyMap, position);
        position.MacroFiles = macroFiles.isEmpty() ? QStringList{QString()} : macroFiles;
        [&] { QVERIFY(WriteKeyMapFileIn(home->path() + u'/', keyMap).result.ok); }();
        startWindow(settings, position, args);
        if (args.isEmpty())
            window->chkPower->setValue(1);
        return *window;
    }

    // The editor as the main window's button opens it, but shown without blocking.
    frmMacro& openEditor(const QStringList& macroFiles, const SettingsEdit& tweak = {},
                         const QStringList& args = {})
    {
        start(macroFiles, tweak, args);
        editor = new frmMacro(*window);
        editor->show();
        return *editor;
    }

    static QStringList entries(const QListWidget* list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

    // An item view takes a double click as a second press on the item it was pressed on.
    static void doubleClickRow(QListWidget* list, int row)
    {
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    QString settingsPath() const { return SettingsFilePath(home->path() + u'/'); }

    // Runs `act` on the modal dialog of type D once its exec() has shown it; `reached` says
    // whether it was.
    template <typename D>
    static void whenModal(std::function<void(D&)> act, bool& reached)
    {
        reached = false;
        QTimer::singleShot(0, qApp, [act = std::move(act), &reached] {
            if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
                reached = true;
                act(*dialog);
            }
        });
    }

    void tearDownFixture()
    {
        window.reset();
        boxes.reset();
        handset.reset();
        home.reset();
        qunsetenv("YUBISAKI_COM1");
    }
};
