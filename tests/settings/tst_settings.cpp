// setting.ini and keymap.ini: numbers read and written, the macro list's fields, the files in a
// real program folder (first start, round trips, broken, huge or unwritable files) and the
// warnings the program gives when one cannot be written.
#include "ChildProcess.h"
#include "Files.h"
#include "platform/MessageBoxes.h"
#include "settings/LoadSettings.h"
#include "settings/MacroFields.h"
#include "settings/MacroTitle.h"
#include "settings/SettingsNumbers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <sys/resource.h>

namespace {

const QSize AnyScreen(1 << 30, 1 << 30);

QByteArray crlf(const QStringList& lines) { return (lines.join(u"\r\n"_qs) + u"\r\n"_qs).toUtf8(); }

const QByteArray FirstStartSettings =
    QByteArray::fromHex("3b82b182cc837483408343838b82cd95d28f5782b582c882a282c589ba82b382a28142") + "\r\n"
    + crlf({QString(), u"[Option]"_qs, u"Ver=1.28"_qs, u"Xpos=100"_qs, u"Ypos=100"_qs, u"ComPort=1"_qs,
            u"SpaceChange=1"_qs, u"HideOn=1"_qs, u"IMEON=1"_qs, u"MostFront=0"_qs, u"TenKeySwap=0"_qs,
            u"DontUseIME=1"_qs, u"AlphaOrKana=0"_qs, u"KanaOrRoma=0"_qs, u"ToolTipOff=0"_qs, u"PdcType=P504i"_qs,
            u"MacroError=1"_qs, u"MacroWait=0"_qs, u"ArrivalDisplay=0"_qs, u"BSEmulation=0"_qs, u"DontKeyLog=0"_qs,
            u"REUDOcable=0"_qs, QString(), u"[Macro]"_qs});
const QByteArray FirstStartKeyMap =
    crlf({u"[KeyMap]"_qs, u"KEY_Left=37"_qs, u"KEY_Up=38"_qs, u"KEY_Right=39"_qs, u"KEY_Down=40"_qs, u"KEY_OK=13"_qs,
          u"KEY_Clear1=8"_qs, u"KEY_Clear2=27"_qs, u"KEY_Clear3=46"_qs, u"KEY_SubMenu=36"_qs,
          u"KEY_CharChange=45"_qs, u"KEY_OffHook=33"_qs, u"KEY_OnHook=34"_qs});

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void numbers_data();
    void numbers();
    void firstStart();
    void roundTrip();
    void macroListFollowsVerAndFiles();
    void badFilesAreReadAndKept_data();
    void badFilesAreReadAndKept();
    void oldFilesAreKept();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString home_;
};

void TestSettings::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    home_ = dir_->path() + u'/';
    qputenv("YUBISAKI_HOME", dir_->path().toLocal8Bit());
}

void TestSettings::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<qint64>>("ints"); // as 16 and as 32 bits
    QTest::addColumn<float>("single");
    QTest::addColumn<QString>("written");
    using Ints = QList<qint64>;
    QTest::newRow("2.5 to even") << u"2.5"_qs << Ints{2, 2} << 2.5f << u"2.5"_qs;
    QTest::newRow("blanks inside, sign") << u"- 1 2\t3"_qs << Ints{-123, -123} << -123.0f << u"-123"_qs;
    QTest::newRow("beyond 32 bits") << u"-1e12"_qs << Ints{-32768, INT_MIN} << -1e12f << u"-1000000000000"_qs;
    QTest::newRow("1.28 without float noise") << u"1.28"_qs << Ints{1, 1} << 1.28f << u"1.28"_qs;
    // Found by fuzzing: 1e28 read back as its neighbour, which seven digits wrote differently,
    // so every start and exit would have changed the file.
    QTest::newRow("1e28 does not drift") << u"1e28"_qs << Ints{32767, INT_MAX} << 1e28f
                                         << u"9999999000000000000000000000"_qs;
    QTest::newRow("its neighbour neither") << u"1.00000006e28"_qs << Ints{32767, INT_MAX} << 1.00000006e28f
                                           << u"10000001000000000000000000000"_qs;
}

void TestSettings::numbers()
{
    QFETCH(QString, text);
    QFETCH(QList<qint64>, ints);
    QFETCH(float, single);
    QFETCH(QString, written);
    QCOMPARE((QList<qint64>{ToInt16(text), ToInt32(text)}), ints);
    // Exact comparisons: QCOMPARE takes floats as equal within a few units of the last place.
    QVERIFY(ToSingle(text) == single);
    QCOMPARE(FormatSingle(single), written);
    // Written and read back, the very same value, and so the same text at every exit.
    QVERIFY2(ToSingle(written) == single, qPrintable(written));
}

void TestSettings::firstStart()
{
    const LoadedSettings first = LoadSettingsIn(home_, AnyScreen);
    QCOMPARE(FileBytes(SettingsFilePath(home_)), FirstStartSettings);
    QCOMPARE(FileBytes(KeyMapFilePath(home_)), FirstStartKeyMap);
    QCOMPARE(first.writes.size(), 2);
    QCOMPARE(first.window.MacroFiles, QStringList{QString()});
    // A keymap.ini of the user's own is kept when only setting.ini is missing.
    const QByteArray keyMap = "[KeyMap]\r\nKEY_OK=32\r\n";
    QVERIFY(QFile::remove(SettingsFilePath(home_)) && WriteFile(KeyMapFilePath(home_), keyMap));
    const LoadedSettings loaded = LoadSettingsIn(home_, AnyScreen);
    QCOMPARE(FileBytes(SettingsFilePath(home_)), FirstStartSettings);
    QCOMPARE(FileBytes(KeyMapFilePath(home_)), keyMap);
    QCOMPARE((QList<int>{loaded.keyMap.KEY_OK, loaded.keyMap.KEY_Left}), (QList<int>{32, 0}));
    // The program's own exit: a file that cannot be written, or loses characters that have no
    // CP932 form, is reported, not passed over.
    ScriptedMessageBoxes boxes;
    QVERIFY(WriteSettingsFile(loaded.settings, {.MacroFiles = {u"ゔ.mcr"_qs}}));
    QVERIFY(QFile::remove(KeyMapFilePath(home_)) && QDir(home_).mkpath(u"keymap.ini/keep"_qs));
    QVERIFY(!WriteKeyMapFile(KeyMap()));
    QCOMPARE(boxes.shown.size(), 2);
    QVERIFY2(boxes.shown[1].text.contains(u"keymap.ini"_qs), qPrintable(boxes.shown[1].text));
    QVERIFY(FileBytes(SettingsFilePath(home_)).endsWith("[Macro]\r\n?.mcr\r\n"));
}

void TestSettings::roundTrip()
{
    // Every field away from its first-start value.
    const Settings settings{1.28f, 4, 0, 0, 1, 1, 0, 1, u"ｱｲ SO506iC"_qs, 0, 1.5f, 1, 1, 1, 1};
    const MainWindowSettings window{0, 1, 1, 1500, 0, {u"メール.mcr"_qs, QString(), u"電話 帳.MCR"_qs}};
    const KeyMap keyMap{-1, 0, 112, 113, 32, 9, 0, 32767, -32768, 1, 2, 3};
    QVERIFY(WriteSettingsFileIn(home_, settings, window).result.ok);
    QVERIFY(WriteKeyMapFileIn(home_, keyMap).result.ok);
    const LoadedSettings loaded = LoadSettingsIn(home_, AnyScreen);
    // What is read writes the very same files again.
    QCOMPARE(SettingsFileLines(loaded.settings, loaded.window) + KeyMapFileLines(loaded.keyMap),
             SettingsFileLines(settings, window) + KeyMapFileLines(keyMap));
}

// Before 1.28 a [Macro] line held a file and its title; only entries whose files exist make
// items of the list, under their titles. Names may be quoted; blanks after them are kept.
void TestSettings::macroListFollowsVerAndFiles()
{
    QVERIFY(QDir(home_).mkdir(u"Macro"_qs));
    QVERIFY(WriteFile(MacroFolder(home_) + u"b.mcr"_qs, "#Bee\r\n<OK>\r\n"));
    for (const QByteArray ver : {"Ver=1.28", "Ver=1.27"}) {
        QVERIFY(WriteFile(SettingsFilePath(home_), "[Option]\r\n" + ver + "\r\n[Macro]\r\na.mcr,b.mcr\r\nc.mcr\r\n"));
        const LoadedSettings loaded = LoadSettingsIn(home_, AnyScreen);
        // The files, then the list's items.
        QCOMPARE(loaded.window.MacroFiles + loaded.macroListItems,
                 (ver.endsWith("28") ? QStringList{u"a.mcr"_qs, u"b.mcr"_qs, u"c.mcr"_qs, u"Bee"_qs}
                                     : QStringList{u"a.mcr"_qs, u"c.mcr"_qs}));
    }
    QCOMPARE(ReadMacroEntries({u"[Macro]"_qs, u" \"a, b\" x,c "_qs, u"\"d"_qs, QString()}, false),
             (QStringList{u"a, b"_qs, u"c "_qs, u"d"_qs, QString()}));
}

void TestSettings::badFilesAreReadAndKept_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("read"); // ComPort, PdcType, how many macro entries, the first two
    QByteArray noise(64 * 1024, Qt::Uninitialized);
    QRandomGenerator(932).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    QByteArray huge = "[Option]\r\nVer=1.28\r\n[Macro]\r\n";
    for (int i = 0; i < 100000; ++i)
        huge += "m" + QByteArray::number(i) + ".mcr\r\n";
    // A 1 MB line among them: only what a value may hold is kept of it.
    QTest::newRow("values after random bytes")
        << noise + "\r\n[Option]\r\nComPort=7\r\nPdcType=" + QByteArray(1 << 20, 'a')
               + "\r\nVer=1.28\r\n[Macro]\r\na.mcr,b.mcr\r\n"
        << QStringList{u"7"_qs, QString(254, u'a'), u"2"_qs, u"a.mcr"_qs, u"b.mcr"_qs};
    QTest::newRow("100,000 macro lines") << huge
                                         << QStringList{u"0"_qs, QString(), u"32767"_qs, u"m0.mcr"_qs, u"m1.mcr"_qs};
}

void TestSettings::badFilesAreReadAndKept()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, read);
    QVERIFY(WriteFile(SettingsFilePath(home_), bytes));
    QElapsedTimer timer;
    timer.start();
    const LoadedSettings loaded = LoadSettingsIn(home_, AnyScreen);
    // A loose bound against a quadratic read; the real figure is far below it.
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    const QStringList& files = loaded.window.MacroFiles;
    QCOMPARE((QStringList{QString::number(loaded.settings.ComPort), loaded.settings.PdcType,
                          QString::number(files.size())} + files.mid(0, 2)), read);
    // Only a missing file is written at start-up.
    QCOMPARE(FileBytes(SettingsFilePath(home_)), bytes);
}

// A setting.ini nothing of which can be read gives the first-start values and is not replaced;
// one that a full disk keeps from being written stays as it was. Nothing is left beside them.
void TestSettings::oldFilesAreKept()
{
    const QString path = SettingsFilePath(home_);
    const QByteArray old = "[Option]\r\nComPort=3\r\n";
    QVERIFY(QFile::setPermissions(home_, QFileDevice::Permissions(0x7755))); // nobody may look in
    QVERIFY(WriteFile(path, old) && WriteFile(KeyMapFilePath(home_), FirstStartKeyMap));
    QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
    QCOMPARE(inChild(true, [&] {
        const LoadedSettings loaded = LoadSettingsIn(home_, AnyScreen);
        return loaded.settings.ComPort == 1 && loaded.writes.isEmpty() ? 0 : 93;
    }), 0);
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    const int full = inChild(false, [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16, 16};
        setrlimit(RLIMIT_FSIZE, &limit);
        return WriteSettingsFileIn(home_, Settings(), MainWindowSettings()).result.ok ? 94 : 0;
    });
    QCOMPARE(full, 0);
    QCOMPARE(FileBytes(path), old);
    QCOMPARE(QDir(home_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             (QStringList{u"keymap.ini"_qs, u"setting.ini"_qs}));
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
