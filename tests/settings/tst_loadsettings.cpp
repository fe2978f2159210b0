// Start-up and exit over the program folder: the primary screen's clamp, the lookups, and the
// warning when a file cannot be written or loses characters.
#include "platform/MessageBoxes.h"
#include "settings/LoadSettings.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

class TestLoadSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void startAndExitInTheProgramFolder();
    void failedOrLossyWriteIsReported();

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestLoadSettings::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    qputenv("YUBISAKI_HOME", dir_->path().toLocal8Bit());
}

void TestLoadSettings::startAndExitInTheProgramFolder()
{
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size() * TwipsPerPixel;
    QFile file(dir_->filePath(u"setting.ini"_qs));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Option]\r\nXpos=" + QByteArray::number(screen.width()) + "\r\nYpos="
               + QByteArray::number(screen.height() + 1) + "\r\nComPort=2\r\n");
    file.close();
    ScriptedMessageBoxes boxes;
    const LoadedSettings loaded = LoadSettings();
    QCOMPARE(loaded.window.Xpos, screen.width());
    QCOMPARE(loaded.window.Ypos, 0);
    QCOMPARE(ReadSettingValue(u"option", u"COMPORT"), u"2"_qs);
    // keymap.ini was missing and has been created.
    QCOMPARE(ReadKeyMapValue(u"KeyMap", u"KEY_OK"), u"13"_qs);
    QVERIFY(WriteSettingsFile(loaded.settings, loaded.window));
    QCOMPARE(ReadSettingValue(u"Option", u"Ver"), u"1.28"_qs);
    QCOMPARE(boxes.shown.size(), 0);
}

void TestLoadSettings::failedOrLossyWriteIsReported()
{
    ScriptedMessageBoxes boxes;
    MainWindowSettings window;
    window.MacroFiles = QStringList{u"ゔ.mcr"_qs};
    QVERIFY(WriteSettingsFile(Settings(), window));
    QVERIFY(QDir(dir_->path()).mkpath(u"keymap.ini/keep"_qs));
    QVERIFY(!WriteKeyMapFile(KeyMap()));
    QCOMPARE(boxes.shown.size(), 2);
    QCOMPARE(boxes.shown[0].icon, MsgIcon::Warning);
    QCOMPARE(boxes.shown[1].icon, MsgIcon::Warning);
    QVERIFY2(boxes.shown[1].text.contains(u"keymap.ini"_qs), qPrintable(boxes.shown[1].text));
    QFile file(dir_->filePath(u"setting.ini"_qs));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().endsWith("[Macro]\r\n?.mcr\r\n"));
}

QTEST_MAIN(TestLoadSettings)
#include "tst_loadsettings.moc"
