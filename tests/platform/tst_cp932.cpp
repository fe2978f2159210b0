// CP932 text and files: the handset's characters round-trip, line ends are kept, bad bytes
// and characters without a CP932 form never cut a file short, and a failed write keeps the old file.
#include "platform/Cp932.h"
#include "textentry/mdlGetBinary.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

class TestCp932 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyTableCharacterRoundTrips();
    void knownBytes_data();
    void knownBytes();
    void invalidBytesDecodeToReplacement_data();
    void invalidBytesDecodeToReplacement();
    void unmappableCharactersBecomeQuestionMarks();
    void splitLines_data();
    void splitLines();
    void filesKeepCrLf();
    void failedWriteKeepsOldFile();
    void missingFileIsReported();
};

void TestCp932::everyTableCharacterRoundTrips()
{
    for (const auto* rows : {&FullWidthRows(), &HalfWidthRows()}) {
        for (QStringView row : *rows) {
            int lost = -1;
            const QByteArray bytes = Cp932::Encode(row, &lost);
            QCOMPARE(lost, 0);
            int invalid = -1;
            QCOMPARE(Cp932::Decode(bytes, &invalid), row.toString());
            QCOMPARE(invalid, 0);
        }
    }
}

void TestCp932::knownBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("full-width tilde") << u"～"_qs << QByteArray::fromHex("8160");
    QTest::newRow("full-width hyphen") << u"－"_qs << QByteArray::fromHex("817c");
    QTest::newRow("full-width yen") << u"\uFFE5"_qs << QByteArray::fromHex("818f");
    QTest::newRow("voiced mark") << u"″"_qs << QByteArray::fromHex("818d");
    QTest::newRow("ideographic space") << u"\u3000"_qs << QByteArray::fromHex("8140");
    QTest::newRow("あ and half-width ｱ") << u"あｱ"_qs << QByteArray::fromHex("82a0b1");
    QTest::newRow("backslash and tilde unchanged") << u"\\~"_qs << QByteArray("\\~");
}

void TestCp932::knownBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(Cp932::Encode(text), bytes);
    QCOMPARE(Cp932::Decode(bytes), text);
}

void TestCp932::invalidBytesDecodeToReplacement_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("invalid");
    QTest::newRow("lead byte cut off at the end") << QByteArray("ab\x82") << u"ab\uFFFD"_qs << 1;
    QTest::newRow("undefined lead byte") << QByteArray("a\xA0" "b") << u"a\uFFFDb"_qs << 1;
    QTest::newRow("bad trail byte keeps the next character") << QByteArray("\x82\x0a" "c") << u"\uFFFD\nc"_qs << 1;
    QTest::newRow("text after an error survives") << QByteArray("\xff\xff\x82\xa0") << u"\uFFFD\uFFFDあ"_qs << 2;
}

void TestCp932::invalidBytesDecodeToReplacement()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(int, invalid);
    int counted = -1;
    QCOMPARE(Cp932::Decode(bytes, &counted), text);
    QCOMPARE(counted, invalid);
}

void TestCp932::unmappableCharactersBecomeQuestionMarks()
{
    int lost = -1;
    QCOMPARE(Cp932::Encode(u"aゔb😀c", &lost), QByteArray("a?b?c"));
    QCOMPARE(lost, 2);
}

void TestCp932::splitLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF") << u"a\r\nb\r\n"_qs << QStringList{u"a"_qs, u"b"_qs};
    QTest::newRow("LF and lone CR") << u"a\nb\rc"_qs << QStringList{u"a"_qs, u"b"_qs, u"c"_qs};
    QTest::newRow("empty lines kept") << u"\r\n\r\nx"_qs << QStringList{QString(), QString(), u"x"_qs};
    QTest::newRow("LF CR is two ends") << u"a\n\rb"_qs << QStringList{u"a"_qs, QString(), u"b"_qs};
    QTest::newRow("empty text") << QString() << QStringList{};
}

void TestCp932::splitLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(Cp932::SplitLines(text), lines);
}

void TestCp932::filesKeepCrLf()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"a.ini"_qs);
    const QStringList lines{u"[Option]"_qs, u"PdcType=P504i"_qs, QString(), u"名前=ｶﾞ～"_qs};
    const Cp932::WriteResult written = Cp932::WriteLines(path, lines);
    QVERIFY(written.ok);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("[Option]\r\nPdcType=P504i\r\n\r\n\x96\xbc\x91\x4f=\xb6\xde\x81\x60\r\n"));
    const Cp932::ReadResult read = Cp932::ReadLines(path);
    QVERIFY(read.ok);
    QCOMPARE(read.lines, lines);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"a.ini"_qs});
}

void TestCp932::failedWriteKeepsOldFile()
{
    // A full disk, as root sees one too: the child may write no more than 64 bytes.
    QTemporaryDir dir;
    const QString path = dir.filePath(u"a.ini"_qs);
    QVERIFY(Cp932::WriteLines(path, {u"old"_qs}).ok);
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        setrlimit(RLIMIT_FSIZE, &limit);
        const Cp932::WriteResult result = Cp932::WriteLines(path, QStringList(100, u"新しい行"_qs));
        _exit(!result.ok && !result.error.isEmpty() ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(Cp932::ReadLines(path).lines, QStringList{u"old"_qs});
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"a.ini"_qs});
}

void TestCp932::missingFileIsReported()
{
    QTemporaryDir dir;
    const Cp932::ReadResult read = Cp932::ReadLines(dir.filePath(u"none.ini"_qs));
    QVERIFY(!read.ok);
    QVERIFY(read.lines.isEmpty());
    QVERIFY(!Cp932::ReadLines(dir.path()).ok);
}

QTEST_APPLESS_MAIN(TestCp932)
#include "tst_cp932.moc"
