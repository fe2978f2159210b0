// The program as a package installs it: every file in its place under a fresh prefix, the
// installed program's settings in ~/.config/yubisaki/ although it may write its own folder
// (beside it only when that folder is marked portable), and a .deb that the distribution's
// checkers pass.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Every file the package installs, under its prefix.
const char* const kInstalled[] = {"bin/yubisaki", "bin/yubisaki-phonesim", "share/yubisaki/yubisaki.chm",
                                  "share/applications/io.github.yubisaki.Yubisaki.desktop",
                                  "share/icons/hicolor/scalable/apps/io.github.yubisaki.Yubisaki.svg",
                                  "share/metainfo/io.github.yubisaki.Yubisaki.metainfo.xml",
                                  "share/man/man1/yubisaki.1.gz", "share/man/man1/yubisaki-phonesim.1.gz",
                                  "share/doc/yubisaki/copyright", "share/doc/yubisaki/changelog.gz"};

// A program run to its end: its exit code (-1 when it does not end) and what it said on both channels.
std::pair<int, QString> run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(120'000);
    return {ended ? process.exitCode() : -1, QString::fromLocal8Bit(process.readAll())};
}

} // namespace

class TestInstalled : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Installs, and finds every file in its place.
    void initTestCase()
    {
        QVERIFY(scratch.isValid());
        prefix = scratch.filePath(u"prefix"_qs);
        const auto [code, out] = run(QStringLiteral(YUBISAKI_CMAKE),
                                     {u"--install"_qs, QStringLiteral(YUBISAKI_BUILD_DIR), u"--prefix"_qs, prefix});
        QVERIFY2(code == 0, qPrintable(out));
        for (const char* file : kInstalled) {
            const QFileInfo info(prefix + u'/' + QString::fromLatin1(file));
            QVERIFY2(info.isFile() && info.size() > 0 && (info.isExecutable() || !info.path().endsWith(u"/bin")), file);
        }
    }

    void settingsFolder_data()
    {
        QTest::addColumn<bool>("portable");
        QTest::newRow("installed") << false;
        QTest::newRow("marked portable") << true;
    }

    void settingsFolder()
    {
        QFETCH(bool, portable);
        const QString bin = prefix + u"/bin/"_qs;
        const QString marker = bin + u"portable"_qs;
        if (portable)
            QVERIFY(QFile(marker).open(QIODevice::WriteOnly));
        const QStringList before = QDir(bin).entryList(QDir::Files);
        QTemporaryDir home;
        // A user's environment, with none of the variables that choose another folder or port.
        const QString messages = home.filePath(u"messages"_qs);
        const QStringList env = u"-u YUBISAKI_HOME -u XDG_CONFIG_HOME -u YUBISAKI_COM1 QT_QPA_PLATFORM=offscreen "
                                "YUBISAKI_CLOSE_WHEN_SHOWN=0 ASAN_OPTIONS=detect_leaks=0"_qs.split(u' ')
                                + QStringList{u"HOME="_qs + home.path(), u"YUBISAKI_MESSAGE_LOG="_qs + messages};
        const auto [code, said] = run(u"env"_qs, env + QStringList{bin + u"yubisaki"_qs});
        const QStringList after = QDir(bin).entryList(QDir::Files);
        QFile::remove(marker);
        QVERIFY2(code == 0, qPrintable(said));
        QVERIFY2(!QFileInfo::exists(messages), "the program showed a message");

        // The probe says which folder and which help file the program uses, a line each.
        const QString folder = portable ? bin : home.path() + u"/.config/yubisaki/"_qs;
        QVERIFY2(said.contains(u"\nfolder "_qs + folder + u'\n'), qPrintable(said));
        for (const char* name : {"setting.ini", "keymap.ini"})
            QVERIFY2(QFileInfo(folder + QString::fromLatin1(name)).isFile(), name);
        if (!portable)
            QCOMPARE(after, before);
        const QString help = said.section(u"\nhelp "_qs, 1, 1).section(u'\n', 0, 0);
        QVERIFY2(QFileInfo(help).isFile(), qPrintable(said));
        QCOMPARE(QFileInfo(help).canonicalFilePath(),
                 QFileInfo(prefix + u"/share/yubisaki/yubisaki.chm"_qs).canonicalFilePath());
    }

    void debianPackage()
    {
        const QString out = scratch.filePath(u"deb"_qs);
        const auto [code, log] = run(QStringLiteral(YUBISAKI_CPACK),
                                     {u"-G"_qs, u"DEB"_qs, u"-B"_qs, out, u"--config"_qs,
                                      QStringLiteral(YUBISAKI_BUILD_DIR "/CPackConfig.cmake")});
        QVERIFY2(code == 0, qPrintable(log));
        const QStringList debs = QDir(out).entryList({u"yubisaki_*.deb"_qs});
        QCOMPARE(debs.size(), 1);
        const QString deb = out + u'/' + debs.front();
        const QString contents = run(u"dpkg-deb"_qs, {u"-c"_qs, deb}).second;
        for (const char* file : kInstalled)
            QVERIFY2(contents.contains(u"./usr/"_qs + QString::fromLatin1(file)), file);
        const QString depends = run(u"dpkg-deb"_qs, {u"-f"_qs, deb, u"Depends"_qs}).second;
        QVERIFY2(depends.contains(u"libqt6widgets6"_qs) && depends.contains(u"qt6-qpa-plugins"_qs), qPrintable(depends));

        // The distribution's checkers: no error, no warning (desktop-file-validate only says its warnings).
        const QString share = prefix + u"/share/"_qs;
        const QList<QStringList> checkers = {
            {u"lintian"_qs, u"--no-cfg"_qs, u"--fail-on"_qs, u"error,warning"_qs, deb},
            {u"desktop-file-validate"_qs, share + u"applications/io.github.yubisaki.Yubisaki.desktop"_qs},
            {u"appstreamcli"_qs, u"validate"_qs, u"--no-net"_qs,
             share + u"metainfo/io.github.yubisaki.Yubisaki.metainfo.xml"_qs}};
        for (const QStringList& checker : checkers) {
            const auto [checked, said] = run(checker.front(), checker.mid(1));
            QVERIFY2(checked == 0 && !said.contains(u"warning"_qs, Qt::CaseInsensitive), qPrintable(said));
        }
    }

private:
    QTemporaryDir scratch;
    QString prefix;
};

QTEST_GUILESS_MAIN(TestInstalled)
#include "tst_installed.moc"
