// The program as a package installs it: every file in its place under a fresh prefix, the
// installed program started from a folder it may not write (its settings then live in
// ~/.config/yubisaki/), and the .deb that CPack builds.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

QString run(const QString& program, const QStringList& arguments, int* exitCode = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120'000))
        return u"(timed out)"_qs;
    if (exitCode)
        *exitCode = process.exitCode();
    return QString::fromLocal8Bit(process.readAll());
}

} // namespace

class TestInstalled : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void filesInTheirPlaces_data();
    void filesInTheirPlaces();
    void installedProgramKeepsSettingsInTheConfigFolder();
    void debianPackage();

private:
    QTemporaryDir scratch;
    QString prefix;
};

void TestInstalled::initTestCase()
{
    QVERIFY(scratch.isValid());
    // Others (the program run as another user below) may enter the scratch folder.
    QVERIFY(QFile::setPermissions(scratch.path(), QFileDevice::Permissions(0x7755)));
    prefix = scratch.filePath(u"prefix"_qs);
    int code = -1;
    const QString out = run(QStringLiteral(YUBISAKI_CMAKE),
                            {u"--install"_qs, QStringLiteral(YUBISAKI_BUILD_DIR), u"--prefix"_qs, prefix}, &code);
    QVERIFY2(code == 0, qPrintable(out));
}

void TestInstalled::filesInTheirPlaces_data()
{
    QTest::addColumn<QString>("file");
    for (const char* file : {"bin/yubisaki", "bin/phonesim", "share/yubisaki/yubisaki.chm",
                             "share/applications/io.github.yubisaki.Yubisaki.desktop",
                             "share/icons/hicolor/scalable/apps/io.github.yubisaki.Yubisaki.svg",
                             "share/metainfo/io.github.yubisaki.Yubisaki.metainfo.xml"})
        QTest::newRow(file) << QString::fromLatin1(file);
}

void TestInstalled::filesInTheirPlaces()
{
    QFETCH(QString, file);
    const QFileInfo info(prefix + u'/' + file);
    QVERIFY2(info.isFile() && info.size() > 0, qPrintable(info.filePath()));
    if (file.startsWith(u"bin/"_qs))
        QVERIFY(info.isExecutable());
}

void TestInstalled::installedProgramKeepsSettingsInTheConfigFolder()
{
    const QString home = scratch.filePath(u"home"_qs);
    QVERIFY(QDir().mkpath(home));
    QVERIFY(QFile::setPermissions(home, QFileDevice::Permissions(0x7777)));
    const QString bin = prefix + u"/bin"_qs;
    QVERIFY(QFile::setPermissions(bin, QFileDevice::Permissions(0x5555)));

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"YUBISAKI_HOME", "XDG_CONFIG_HOME", "YUBISAKI_COM1"})
        env.remove(QString::fromLatin1(name));
    env.insert(u"HOME"_qs, home);
    env.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
    env.insert(u"YUBISAKI_CLOSE_WHEN_SHOWN"_qs, u"0"_qs);
    env.insert(u"YUBISAKI_MESSAGE_LOG"_qs, home + u"/messages"_qs);
    env.insert(u"ASAN_OPTIONS"_qs, u"detect_leaks=0"_qs);
    program.setProcessEnvironment(env);
    // Root may write anywhere; an ordinary user may not write the program's folder.
    if (::geteuid() == 0)
        program.setChildProcessModifier([] {
            if (setgid(65534) != 0 || setuid(65534) != 0)
                _exit(97);
        });
    program.start(bin + u"/yubisaki"_qs, QStringList());
    QVERIFY(program.waitForFinished(60'000));
    QVERIFY(QFile::setPermissions(bin, QFileDevice::Permissions(0x7755)));
    QCOMPARE(program.exitCode(), 0);
    for (const char* name : {"setting.ini", "keymap.ini"}) {
        QVERIFY2(QFileInfo(home + u"/.config/yubisaki/"_qs + QString::fromLatin1(name)).isFile(), name);
        QVERIFY(!QFileInfo::exists(bin + u'/' + QString::fromLatin1(name)));
    }
    QVERIFY(!QFileInfo::exists(home + u"/messages"_qs));
}

void TestInstalled::debianPackage()
{
    const QString out = scratch.filePath(u"deb"_qs);
    int code = -1;
    const QString log = run(QStringLiteral(YUBISAKI_CPACK),
                            {u"-G"_qs, u"DEB"_qs, u"-B"_qs, out, u"--config"_qs,
                             QStringLiteral(YUBISAKI_BUILD_DIR "/CPackConfig.cmake")},
                            &code);
    QVERIFY2(code == 0, qPrintable(log));
    const QStringList debs = QDir(out).entryList({u"yubisaki_*.deb"_qs});
    QCOMPARE(debs.size(), 1);
    const QString deb = out + u'/' + debs.front();
    const QString contents = run(u"dpkg-deb"_qs, {u"-c"_qs, deb});
    for (const char* file : {"./usr/bin/yubisaki", "./usr/bin/phonesim", "./usr/share/yubisaki/yubisaki.chm",
                             "./usr/share/applications/io.github.yubisaki.Yubisaki.desktop"})
        QVERIFY2(contents.contains(QString::fromLatin1(file)), file);
    const QString depends = run(u"dpkg-deb"_qs, {u"-f"_qs, deb, u"Depends"_qs});
    QVERIFY2(depends.contains(u"libqt6widgets6"_qs) && depends.contains(u"qt6-qpa-plugins"_qs), qPrintable(depends));
}

QTEST_GUILESS_MAIN(TestInstalled)
#include "tst_installed.moc"
