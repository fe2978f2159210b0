// The real program, started as a process in a scratch program folder: what its exit leaves of
// setting.ini and keymap.ini when the disk is full, the folder is read-only or it is killed in the
// middle (each file is always the old one or the new one), and a second copy's refusal.
#include "Files.h"
#include "core/SingleInstance.h"
#include "settings/SettingsFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

class TestRealProgram : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        home = std::make_unique<QTemporaryDir>();
        // The files a first start writes, and an old copy with one comment more: a rewrite never keeps it.
        QVERIFY(WriteSettingsFileIn(folder(), Settings{}, MainWindowSettings{}).result.ok
                && WriteKeyMapFileIn(folder(), KeyMap{}).result.ok);
        newSettings = FileBytes(settingsFile());
        newKeyMap = FileBytes(keyMapFile());
        oldSettings = "; old\r\n" + newSettings;
        oldKeyMap = "; old\r\n" + newKeyMap;
        putOldFiles();
    }

    void exitThatCannotWrite_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("disk full") << false;
        QTest::newRow("read-only folder") << true;
    }

    void exitThatCannotWrite()
    {
        QFETCH(bool, readOnly);
        if (readOnly)
            QVERIFY(QFile::setPermissions(home->path(), QFile::ReadOwner | QFile::ExeOwner));
        // The messages go to a pipe, so that a full disk does not silence them too.
        QProcess program;
        start(program, [readOnly] {
            if (readOnly) {
                // Root, too, keeps to the folder's permissions once it may no longer override them.
                if (prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0) != 0 && ::geteuid() == 0)
                    _exit(97);
                return;
            }
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{16, 16};
            setrlimit(RLIMIT_FSIZE, &limit);
        });
        // The message log, on standard error.
        const QString shown = QString::fromUtf8(program.readAllStandardError());
        QVERIFY(QFile::setPermissions(home->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(FileBytes(settingsFile()), oldSettings);
        QCOMPARE(FileBytes(keyMapFile()), oldKeyMap);
        // The user is told of each file, and the program did start: the folder's lock lives elsewhere.
        QCOMPARE(shown.count(u"を保存できませんでした"_qs), 2);
        QVERIFY(!shown.contains(SingleInstance::AlreadyRunningText()));
    }

    void killedDuringExit()
    {
        // A clean exit writes the new files; the window, not moved, its stored place of 100 twips,
        // which is no whole pixel.
        QProcess clean;
        start(clean);
        QCOMPARE(clean.exitCode(), 0);
        QCOMPARE(FileBytes(settingsFile()), newSettings);
        QCOMPARE(FileBytes(keyMapFile()), newKeyMap);

        QRandomGenerator rng(50);
        int killedMidway = 0;
        for (int round = 0; round < 50; ++round) {
            putOldFiles();
            QProcess program;
            // Killed from a moment before the exit begins until a moment after it ended.
            const int delayMs = int(rng.bounded(5)) - 1;
            const auto killIt = [&] { ::kill(pid_t(program.processId()), SIGKILL); };
            connect(&program, &QProcess::readyReadStandardOutput, &program, [&] {
                if (program.readAllStandardOutput().contains("closing"))
                    delayMs < 0 ? killIt() : QTimer::singleShot(delayMs, &program, killIt);
            });
            start(program);
            const QByteArray settings = FileBytes(settingsFile());
            const QByteArray keyMap = FileBytes(keyMapFile());
            QVERIFY2(settings == oldSettings || settings == newSettings, qPrintable(QString::number(round)));
            QVERIFY2(keyMap == oldKeyMap || keyMap == newKeyMap, qPrintable(QString::number(round)));
            if (program.exitStatus() == QProcess::CrashExit && (settings != newSettings || keyMap != newKeyMap))
                ++killedMidway;
        }
        qInfo("%d of 50 kills landed before the files were both replaced", killedMidway);
    }

    void secondCopyIsRefused()
    {
        QProcess first;
        start(first, {}, true);
        QProcess second;
        start(second);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(QString::fromUtf8(second.readAllStandardError()).contains(SingleInstance::AlreadyRunningText()));
        first.kill();
        QVERIFY(first.waitForFinished(10'000));
    }

private:
    // Runs the program to its end: it closes its window itself once it has painted it. With
    // `stayOpen`, the window stays, and this returns once it is painted.
    void start(QProcess& process, const std::function<void()>& inChild = {}, bool stayOpen = false)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"YUBISAKI_HOME"_qs, home->path());
        env.insert(u"YUBISAKI_CLOSE_WHEN_SHOWN"_qs, stayOpen ? u"-1"_qs : u"0"_qs);
        env.insert(u"YUBISAKI_MESSAGE_LOG"_qs, u"/dev/stderr"_qs);
        env.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
        env.insert(u"ASAN_OPTIONS"_qs, u"detect_leaks=0"_qs);
        process.setProcessEnvironment(env);
        if (inChild)
            process.setChildProcessModifier(inChild);
        process.start(QCoreApplication::applicationDirPath() + u"/yubisaki"_qs, QStringList());
        QVERIFY(process.waitForStarted(10'000)
                && (stayOpen ? process.waitForReadyRead(30'000) : process.waitForFinished(30'000)));
    }

    QString folder() const { return home->path() + u'/'; }
    QString settingsFile() const { return SettingsFilePath(folder()); }
    QString keyMapFile() const { return KeyMapFilePath(folder()); }

    void putOldFiles()
    {
        QVERIFY(WriteFile(settingsFile(), oldSettings) && WriteFile(keyMapFile(), oldKeyMap));
    }

    std::unique_ptr<QTemporaryDir> home;
    QByteArray newSettings;
    QByteArray newKeyMap;
    QByteArray oldSettings;
    QByteArray oldKeyMap;
};

QTEST_GUILESS_MAIN(TestRealProgram)
#include "tst_realprogram.moc"
