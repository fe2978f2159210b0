// setting.ini and keymap.ini in a real program folder: first start, round trips, the window
// clamp, the macro list, and files that are broken, huge or cannot be written.
#include "settings/MacroTitle.h"
#include "settings/SettingsFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QSize AnyScreen(1 << 30, 1 << 30);

QByteArray crlf(const QStringList& lines)
{
    return (lines.join(u"\r\n"_qs) + u"\r\n"_qs).toUtf8();
}

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

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Runs `body` in a child process and gives its exit code. Root ignores file permissions, so
// with `unprivileged` a root child becomes nobody first.
int inChild(bool unprivileged, const std::function<int()>& body)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(90);
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

Q_DECLARE_METATYPE(Settings)
Q_DECLARE_METATYPE(MainWindowSettings)
Q_DECLARE_METATYPE(KeyMap)

class TestSettingsFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void firstStart_data();
    void firstStart();
    void roundTrip_data();
    void roundTrip();
    void windowPositionInsideTheScreen_data();
    void windowPositionInsideTheScreen();
    void macroListFollowsVerAndFiles();
    void macroTitles_data();
    void macroTitles();
    void badFilesAreReadAndKept_data();
    void badFilesAreReadAndKept();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString home_;
};

void TestSettingsFiles::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    home_ = dir_->path() + u'/';
}

void TestSettingsFiles::firstStart_data()
{
    QTest::addColumn<QByteArray>("keyMap");
    QTest::newRow("neither file") << QByteArray();
    QTest::newRow("keymap.ini present") << QByteArray("[KeyMap]\r\nKEY_OK=32\r\n");
}

void TestSettingsFiles::firstStart()
{
    QFETCH(QByteArray, keyMap);
    if (!keyMap.isEmpty())
        QVERIFY(put(KeyMapFilePath(home_), keyMap));
    const LoadedSettings loaded = LoadSettingsIn(home_, AnyScreen);
    QCOMPARE(contents(SettingsFilePath(home_)), FirstStartSettings);
    QCOMPARE(contents(KeyMapFilePath(home_)), keyMap.isEmpty() ? FirstStartKeyMap : keyMap);
    QCOMPARE(loaded.writes.size(), keyMap.isEmpty() ? 2 : 1);
    QCOMPARE(loaded.keyMap.KEY_OK, keyMap.isEmpty() ? 13 : 32);
    QCOMPARE(loaded.keyMap.KEY_Left, keyMap.isEmpty() ? 37 : 0);
    QCOMPARE(loaded.settings.PdcType, u"P504i"_qs);
    QCOMPARE(loaded.window.Xpos, 100);
    QCOMPARE(loaded.window.MacroFiles, QStringList{QString()});
}

void TestSettingsFiles::roundTrip_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<MainWindowSettings>("window");
    QTest::addColumn<KeyMap>("keyMap");
    QTest::newRow("first-start values") << Settings() << MainWindowSettings() << KeyMap();
    const Settings changed{1.28f, 4, 0, 0, 1, 1, 0, 1, u"ｱｲ SO506iC"_qs, 0, 0.25f, 1, 1, 1, 1};
    const MainWindowSettings moved{0, 1, 1, 1500, 0, {u"メール.mcr"_qs, QString(), u"電話 帳.MCR"_qs}};
    const KeyMap keys{-1, 0, 112, 113, 32, 9, 0, 32767, -32768, 1, 2, 3};
    QTest::newRow("everything changed") << changed << moved << keys;
    Settings slower = changed;
    slower.MacroWait = 1.5f;
    QTest::newRow("MacroWait 1.5") << slower << MainWindowSettings{1, 0, 0, 0, 7, {u"a.mcr"_qs}} << KeyMap();
}

void TestSettingsFiles::roundTrip()
{
    QFETCH(Settings, settings);
    QFETCH(MainWindowSettings, window);
    QFETCH(KeyMap, keyMap);
    QVERIFY(WriteSettingsFileIn(home_, settings, window).result.ok);
    QVERIFY(WriteKeyMapFileIn(home_, keyMap).result.ok);
    const QByteArray settingsBytes = contents(SettingsFilePath(home_));
    const QByteArray keyMapBytes = contents(KeyMapFilePath(home_));

    const LoadedSettings loaded = LoadSettingsIn(home_, AnyScreen);
    QVERIFY(loaded.writes.isEmpty());
    QCOMPARE(loaded.settings.MacroWait, settings.MacroWait);
    QCOMPARE(loaded.window.MacroFiles, window.MacroFiles);
    QCOMPARE(loaded.keyMap.KEY_Clear3, keyMap.KEY_Clear3);
    QVERIFY(WriteSettingsFileIn(home_, loaded.settings, loaded.window).result.ok);
    QVERIFY(WriteKeyMapFileIn(home_, loaded.keyMap).result.ok);
    QCOMPARE(contents(SettingsFilePath(home_)), settingsBytes);
    QCOMPARE(contents(KeyMapFilePath(home_)), keyMapBytes);
}

void TestSettingsFiles::windowPositionInsideTheScreen_data()
{
    QTest::addColumn<QByteArray>("x");
    QTest::addColumn<QByteArray>("y");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::newRow("inside") << QByteArray("1500") << QByteArray("900") << 1500 << 900;
    QTest::newRow("on the edges") << QByteArray("12000") << QByteArray("9000") << 12000 << 9000;
    QTest::newRow("beyond the edges") << QByteArray("12001") << QByteArray("9001") << 0 << 0;
    QTest::newRow("negative, beyond 32 bits") << QByteArray("-1") << QByteArray("1e12") << 0 << 0;
}

void TestSettingsFiles::windowPositionInsideTheScreen()
{
    QFETCH(QByteArray, x);
    QFETCH(QByteArray, y);
    QFETCH(int, left);
    QFETCH(int, top);
    QVERIFY(put(SettingsFilePath(home_), "[Option]\r\nXpos=" + x + "\r\nYpos=" + y + "\r\n"));
    const LoadedSettings loaded = LoadSettingsIn(home_, QSize(12000, 9000));
    QCOMPARE(loaded.window.Xpos, left);
    QCOMPARE(loaded.window.Ypos, top);
}

void TestSettingsFiles::macroListFollowsVerAndFiles()
{
    QVERIFY(QDir(home_).mkdir(u"Macro"_qs));
    QVERIFY(put(MacroFolder(home_) + u"b.mcr"_qs, "#Bee\r\n<OK>\r\n"));
    const struct {
        QByteArray ver;
        QStringList files;
    } cases[] = {
        {"Ver=1.28", {u"a.mcr"_qs, u"b.mcr"_qs, u"c.mcr"_qs}},
        {"Ver=2", {u"a.mcr"_qs, u"b.mcr"_qs, u"c.mcr"_qs}},
        {"Ver=1.27", {u"a.mcr"_qs, u"c.mcr"_qs}},
        {"", {u"a.mcr"_qs, u"c.mcr"_qs}},
    };
    for (const auto& c : cases) {
        QVERIFY(put(SettingsFilePath(home_), "[Option]\r\n" + c.ver + "\r\n[Macro]\r\na.mcr,b.mcr\r\nc.mcr\r\n"));
        const LoadedSettings loaded = LoadSettingsIn(home_, AnyScreen);
        QCOMPARE(loaded.window.MacroFiles, c.files);
        // Only the entries whose files exist make items of the list, under their titles.
        QCOMPARE(loaded.macroListItems, c.files.contains(u"b.mcr"_qs) ? QStringList{u"Bee"_qs} : QStringList());
    }
}

void TestSettingsFiles::macroTitles_data()
{
    QTest::addColumn<QByteArray>("firstLine");
    QTest::addColumn<QString>("title");
    QTest::newRow("title with a comma") << QByteArray("#\x83\x81\x81[\x83\x8b, draft\r\n") << u"メール"_qs;
    QTest::newRow("blanks, CR alone") << QByteArray("  # x\r<OK>") << u" x"_qs;
    QTest::newRow("no title line") << QByteArray("<TEXT>#a\r\n") << u"m.mcr"_qs;
    QTest::newRow("empty file") << QByteArray() << u"m.mcr"_qs;
    QTest::newRow("long line without end") << QByteArray("#") + QByteArray(3 << 20, 'x') << QString((1 << 20) - 1, u'x');
}

void TestSettingsFiles::macroTitles()
{
    QFETCH(QByteArray, firstLine);
    QFETCH(QString, title);
    const QString folder = MacroFolder(home_);
    QVERIFY(QDir(home_).mkpath(u"Macro/dir.mcr"_qs));
    QVERIFY(put(folder + u"m.mcr"_qs, firstLine));
    QStringList list{u"before"_qs};
    QVERIFY(AddMacroTitle(folder, u"m.mcr"_qs, list));
    QCOMPARE(list, (QStringList{u"before"_qs, title}));
    for (const QString& none : {u"missing.mcr"_qs, u"dir.mcr"_qs, QString()})
        QVERIFY(!MacroTitle(folder, none));
}

void TestSettingsFiles::badFilesAreReadAndKept_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("comPort");
    QTest::addColumn<int>("entries");
    QByteArray noise(64 * 1024, Qt::Uninitialized);
    QRandomGenerator rng(932);
    for (char& b : noise)
        b = char(rng.bounded(256));
    QByteArray huge = "[Option]\r\nVer=1.28\r\n[Macro]\r\n";
    for (int i = 0; i < 100000; ++i)
        huge += "m" + QByteArray::number(i) + ".mcr\r\n";
    QTest::newRow("random bytes") << noise << 0 << -1;
    QTest::newRow("invalid Shift-JIS") << QByteArray("[Option]\r\nPdcType=\x82\xff\x81\r\nComPort=\x81") << 0 << 1;
    QTest::newRow("1 MB line") << QByteArray("[Option]\r\nComPort=3\r\nPdcType=") + QByteArray(1 << 20, 'a') << 3 << 1;
    QTest::newRow("100,000 macro lines") << huge << 0 << 32767;
}

void TestSettingsFiles::badFilesAreReadAndKept()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, comPort);
    QFETCH(int, entries);
    QVERIFY(put(SettingsFilePath(home_), bytes));
    QElapsedTimer timer;
    timer.start();
    const LoadedSettings loaded = LoadSettingsIn(home_, AnyScreen);
    // A loose bound against a quadratic read; the real figure is far below it.
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(loaded.settings.ComPort, comPort);
    QVERIFY(loaded.settings.PdcType.size() <= 254);
    QVERIFY(entries < 0 || loaded.window.MacroFiles.size() == entries);
    // Only a missing file is written at start-up.
    QCOMPARE(contents(SettingsFilePath(home_)), bytes);
}

void TestSettingsFiles::failedWriteKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("read-only folder") << u"read-only"_qs;
    QTest::newRow("disk full") << u"full"_qs;
    QTest::newRow("setting.ini is a folder") << u"folder"_qs;
    QTest::newRow("unreadable setting.ini") << u"unreadable"_qs;
}

void TestSettingsFiles::failedWriteKeepsTheOldFile()
{
    QFETCH(QString, failure);
    const QString path = SettingsFilePath(home_);
    const QByteArray old = "[Option]\r\nComPort=3\r\n";
    const auto rx = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(home_, rx | QFile::WriteOwner));
    if (failure == u"folder"_qs)
        QVERIFY(QDir(home_).mkpath(u"setting.ini/keep"_qs));
    else
        QVERIFY(put(path, old));
    if (failure == u"read-only"_qs) {
        // setting.ini itself stays writable: only its folder refuses the replacement.
        QVERIFY(geteuid() != 0 || chown(path.toLocal8Bit().constData(), 65534, 65534) == 0);
        QVERIFY(QFile::setPermissions(home_, rx));
    } else if (failure == u"unreadable"_qs) {
        QVERIFY(put(KeyMapFilePath(home_), FirstStartKeyMap));
        QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
    }
    const bool unprivileged = failure == u"read-only"_qs || failure == u"unreadable"_qs;
    const int code = inChild(unprivileged, [&] {
        if (failure == u"full"_qs) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{16, 16};
            setrlimit(RLIMIT_FSIZE, &limit);
        } else if (failure == u"unreadable"_qs) {
            // Nothing of it can be read: the first-start values, and it is not replaced.
            const LoadedSettings loaded = LoadSettingsIn(home_, AnyScreen);
            return loaded.settings.ComPort == 1 && loaded.writes.isEmpty() ? 0 : 93;
        }
        const Settings changed{1.28f, 9, 0, 0, 0, 0, 0, 0, u"x"_qs, 0, 0.5f, 0, 0, 0, 0};
        return WriteSettingsFileIn(home_, changed, MainWindowSettings()).result.ok ? 94 : 0;
    });
    QCOMPARE(code, 0);
    QVERIFY(QFile::setPermissions(home_, rx | QFile::WriteOwner));
    if (failure != u"folder"_qs) {
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(contents(path), old);
    }
    QStringList left{u"setting.ini"_qs};
    if (failure == u"unreadable"_qs)
        left.prepend(u"keymap.ini"_qs);
    QCOMPARE(QDir(home_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), left);
}

QTEST_APPLESS_MAIN(TestSettingsFiles)
#include "tst_settingsfiles.moc"
