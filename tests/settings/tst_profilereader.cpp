// The profile lookup behind ReadSettingValue and ReadKeyMapValue.
#include "settings/ProfileReader.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestProfileReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lookup_data();
    void lookup();
    void missingFileOrFolderGivesEmptyText();
};

void TestProfileReader::lookup_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    const QString o = u"[Option]\r\n"_qs;
    const QString long300 = QString(150, u'ア') + QString(150, u'x');
    QTest::newRow("key and section in other case") << u"[OPTION]\r\ncomport=2"_qs << u"COMPORT"_qs << u"2"_qs;
    QTest::newRow("blanks around all") << u" [ Option ] \r\n\t ComPort \t=  3 4 \t"_qs << u"ComPort"_qs << u"3 4"_qs;
    QTest::newRow("comment line") << o + u";ComPort=2"_qs << u";ComPort"_qs << QString();
    QTest::newRow("line without =") << o + u"ComPort\r\nComPort=5"_qs << u"ComPort"_qs << u"5"_qs;
    QTest::newRow("= in the value") << o + u"PdcType=a=b"_qs << u"PdcType"_qs << u"a=b"_qs;
    QTest::newRow("matching quotes stripped") << o + u"PdcType=\" P5 \""_qs << u"PdcType"_qs << u" P5 "_qs;
    QTest::newRow("single quotes stripped") << o + u"PdcType='P5'"_qs << u"PdcType"_qs << u"P5"_qs;
    QTest::newRow("unmatched quotes kept") << o + u"PdcType=\"P5'"_qs << u"PdcType"_qs << u"\"P5'"_qs;
    QTest::newRow("lone quote kept") << o + u"PdcType=\""_qs << u"PdcType"_qs << u"\""_qs;
    QTest::newRow("first of two keys") << o + u"ComPort=1\r\nCOMPORT=2"_qs << u"ComPort"_qs << u"1"_qs;
    QTest::newRow("first of two sections") << o + u"A=1\r\n[option]\r\nB=2"_qs << u"B"_qs << QString();
    QTest::newRow("CR alone ends a line") << u"[Option]\rA=7\rB=1"_qs << u"A"_qs << u"7"_qs;
    QTest::newRow("NUL ends the value") << o + u"A=P5"_qs + QChar(0) + u"x"_qs << u"A"_qs << u"P5"_qs;
    QTest::newRow("missing key") << o + u"ComPort=2"_qs << u"IMEON"_qs << QString();
    QTest::newRow("key before the section") << u"A=2\r\n[Option]"_qs << u"A"_qs << QString();
    QTest::newRow("key of the next section") << o + u"[Macro]\r\nA=2"_qs << u"A"_qs << QString();
    QTest::newRow("no closing bracket") << u"[Option\r\nA=2"_qs << u"A"_qs << QString();
    QTest::newRow("254 characters, after the quotes")
        << o + u"A=\""_qs + long300 + u'"' << u"A"_qs << long300.first(254);
}

void TestProfileReader::lookup()
{
    QFETCH(QString, text);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QCOMPARE(Profile::FromText(text).Value(u"Option", key), value);
}

void TestProfileReader::missingFileOrFolderGivesEmptyText()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(u"setting.ini"_qs));
    QCOMPARE(ReadProfileValue(dir.filePath(u"setting.ini"_qs), u"Option", u"Ver"), QString());
    QCOMPARE(ReadProfileValue(dir.filePath(u"none.ini"_qs), u"Option", u"Ver"), QString());
}

QTEST_APPLESS_MAIN(TestProfileReader)
#include "tst_profilereader.moc"
