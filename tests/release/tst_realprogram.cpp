// The real program, started as a process in a scratch program folder: what its exit leaves of
// setting.ini and keymap.ini when the disk is full, the folder is read-only, it is killed in the
// middle, or a second copy starts meanwhile. Each file is always the old one or the new one.
#include "settings/SettingsFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

bool put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The messages the program showed, from its message log on standard error.
QStringList messages(const QByteArray& stderrBytes)
{
    QStringList out;
    for (const QByteArray& line : stderrBytes.split('\n'))
        if (line.count('\t') >= 2)
            out << QString::fromUtf8(line).section(u'\t', 2);
    return out;
}

// Whether a user who is neither owner nor group may reach `path`: every folder on the way lets
// others through.
bool othersMayReach(const QString& path)
{
    for (QDir dir(path); !dir.isRoot(); dir.setPath(QFileInfo(dir.absolutePath()).path()))
        if (!QFileInfo(dir.absolutePath()).permission(QFile::ExeOther))
            return false;
    return true;
}

} // namespace

class TestRealProgram : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        home = std::make_unique<QTemporaryDir>();
        program = QCoreApplication::applicationDirPath() + u"/yubisaki"_qs;
        // The files a first start writes, and an old copy with one comment more: a rewrite never keeps it.
        QVERIFY(WriteSettingsFileIn(home->path() + u'/', Settings{}, MainWindowSettings{}).result.ok
                && WriteKeyMapFileIn(home->path() + u'/', KeyMap{}).result.ok);
        newSettings = contents(path("setting.ini"));
        newKeyMap = contents(path("keymap.ini"));
        oldSettings = "; old\r\n" + newSettings;
        oldKeyMap = "; old\r\n" + newKeyMap;
        putOldFiles();
    }

    void exitThatCannotWrite_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("disk full") << u"full"_qs;
        QTest::newRow("read-only folder") << u"read-only"_qs;
    }

    void exitThatCannotWrite()
    {
        QFETCH(QString, failure);
        const bool root = ::geteuid() == 0;
        if (failure == u"read-only"_qs)
            QVERIFY(QFile::setPermissions(home->path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther
                                                            | QFile::ExeOther));
        // The messages go to a pipe, so that a full disk does not silence them too; for another
        // user, who may not open this process's pipe, to a file of its own.
        QTemporaryDir logs;
        QVERIFY(QFile::setPermissions(logs.path(), QFileDevice::Permissions(0x7777)));
        // Root runs the program as nobody, who may not reach this build (the checkout may lie in a
        // folder only its owner enters): a copy of the program, from a folder anyone may enter.
        QTemporaryDir copy;
        if (root && failure == u"read-only"_qs) {
            QVERIFY(QFile::setPermissions(copy.path(), QFileDevice::Permissions(0x7755)));
            for (const char* name : {"yubisaki", "yubisaki.chm"}) {
                const QString to = copy.filePath(QString::fromLatin1(name));
                QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + u'/' + QString::fromLatin1(name), to));
                QVERIFY(QFile::setPermissions(to, QFileDevice::Permissions(0x7755)));
            }
            program = copy.filePath(u"yubisaki"_qs);
            for (const QString& folder : {copy.path(), home->path(), logs.path()})
                if (!othersMayReach(folder))
                    QSKIP(qPrintable(u"nobody cannot reach the temporary folder "_qs + folder
                                     + u"; set TMPDIR to a folder others may enter"_qs));
        }
        const QString log = failure == u"full"_qs ? u"/dev/stderr"_qs : logs.filePath(u"messages"_qs);
        QProcess program;
        start(program, 0, [failure, root] {
            if (failure == u"full"_qs) {
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{16, 16};
                setrlimit(RLIMIT_FSIZE, &limit);
            } else if (root && (setgid(65534) != 0 || setuid(65534) != 0)) {
                _exit(97); // root writes anywhere; nobody does not
            }
        }, log);
        const QByteArray errors = failure == u"full"_qs ? program.readAllStandardError() : contents(log);
        QVERIFY(QFile::setPermissions(home->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(contents(path("setting.ini")), oldSettings);
        QCOMPARE(contents(path("keymap.ini")), oldKeyMap);
        // The user is told of each file, and the program did start: the folder's lock lives elsewhere.
        const QStringList shown = messages(errors);
        QCOMPARE(shown.filter(u"を保存できませんでした"_qs).size(), 2);
        QVERIFY(shown.filter(u"すでに起動"_qs).isEmpty());
    }

    void killedDuringExit()
    {
        // A clean exit writes the new files; the window, not moved, its stored place of 100 twips,
        // which is no whole pixel.
        QProcess clean;
        start(clean, 0);
        QCOMPARE(clean.exitCode(), 0);
        QCOMPARE(contents(path("setting.ini")), newSettings);
        QCOMPARE(contents(path("keymap.ini")), newKeyMap);

        QRandomGenerator rng(50);
        int killedMidway = 0;
        for (int round = 0; round < 50; ++round) {
            putOldFiles();
            QProcess program;
            // Killed from a moment before the exit begins until a moment after it ended.
            const int delayMs = int(rng.bounded(5)) - 1;
            connect(&program, &QProcess::readyReadStandardOutput, &program, [&] {
                if (!program.readAllStandardOutput().contains("closing"))
                    return;
                if (delayMs < 0)
                    ::kill(pid_t(program.processId()), SIGKILL);
                else
                    QTimer::singleShot(delayMs, &program, [&] { ::kill(pid_t(program.processId()), SIGKILL); });
            });
            start(program, 0);
            const QByteArray settings = contents(path("setting.ini"));
            const QByteArray keyMap = contents(path("keymap.ini"));
            QVERIFY2(settings == oldSettings || settings == newSettings, qPrintable(QString::number(round)));
            QVERIFY2(keyMap == oldKeyMap || keyMap == newKeyMap, qPrintable(QString::number(round)));
            if (program.exitStatus() == QProcess::CrashExit && (settings != newSettings || keyMap != newKeyMap))
                ++killedMidway;
        }
        qInfo("%d of 50 kills landed before the files were both replaced", killedMidway);
    }

    void secondCopyDuringExit()
    {
        QProcess first;
        start(first, 600);
        QVERIFY(first.waitForReadyRead(30'000));
        // Second copies, one after another, are refused until one starts after the first has gone.
        int refused = 0;
        for (; refused < 50; ++refused) {
            QProcess second;
            start(second, 0);
            const QStringList shown = messages(second.readAllStandardError());
            if (shown.isEmpty())
                break;
            QCOMPARE(shown, QStringList{u"すでに起動していますよ！"_qs});
        }
        QVERIFY(first.waitForFinished(5000) || first.state() == QProcess::NotRunning);
        QVERIFY(first.exitCode() == 0 && refused > 0 && refused < 50);
        // Each file whole, as one copy wrote it.
        QCOMPARE(contents(path("setting.ini")), newSettings);
        QCOMPARE(contents(path("keymap.ini")), newKeyMap);
    }

private:
    // Starts the program; `stayMs` after its first paint it closes its window itself. With 0, until its end.
    void start(QProcess& process, int stayMs, const std::function<void()>& inChild = {},
               const QString& messageLog = u"/dev/stderr"_qs)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"YUBISAKI_HOME"_qs, home->path());
        env.insert(u"YUBISAKI_CLOSE_WHEN_SHOWN"_qs, QString::number(stayMs));
        env.insert(u"YUBISAKI_MESSAGE_LOG"_qs, messageLog);
        env.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
        env.insert(u"ASAN_OPTIONS"_qs, u"detect_leaks=0"_qs);
        process.setProcessEnvironment(env);
        if (inChild)
            process.setChildProcessModifier(inChild);
        process.start(program, QStringList());
        QVERIFY(process.waitForStarted(10'000) && (stayMs > 0 || process.waitForFinished(30'000)));
    }

    QString path(const char* name) const { return home->filePath(QString::fromLatin1(name)); }

    void putOldFiles()
    {
        QVERIFY(put(path("setting.ini"), oldSettings) && put(path("keymap.ini"), oldKeyMap));
    }

    std::unique_ptr<QTemporaryDir> home;
    QString program;
    QByteArray newSettings;
    QByteArray newKeyMap;
    QByteArray oldSettings;
    QByteArray oldKeyMap;
};

QTEST_GUILESS_MAIN(TestRealProgram)
#include "tst_realprogram.moc"
