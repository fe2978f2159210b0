// The ground of every main-window test: a temporary program folder, the simulated handset on
// COM1, scripted message boxes, the window started over them, the widgets such tests reach, and
// the modal dialogs it opens reached while their exec() runs.
// The window is torn down first, while its port still has a handset at the other end.
#pragma once

#include "core/frmMain.h"
#include "phonesim/Handset.h"
#include "platform/MessageBoxes.h"
#include "settings/SettingsFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

struct MainWindowFixture {
    std::unique_ptr<QTemporaryDir> home;
    std::unique_ptr<phonesim::Handset> handset;
    std::unique_ptr<ScriptedMessageBoxes> boxes;
    std::unique_ptr<frmMain> window;

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
        if (!WriteSettingsFileIn(home->path() + u'/', settings, position).result.ok)
            qFatal("setting.ini not written");
        return openWindow(args);
    }

    QString settingsPath() const { return SettingsFilePath(home->path() + u'/'); }

    static QByteArray fileBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

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
