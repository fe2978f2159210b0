// Field reading of the [Macro] section, in the current and the older layout.
#include "settings/MacroFields.h"

#include <QTest>

class TestMacroFields : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void entries_data();
    void entries();
};

void TestMacroFields::entries_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("older");
    QTest::addColumn<QStringList>("entries");
    const QStringList head{u";c"_qs, QString(), u"[Option]"_qs, u"Ver=1.28"_qs, QString(), u"[Macro]"_qs};
    auto row = [&](const char* name, const QStringList& after, bool older, const QStringList& entries) {
        QTest::newRow(name) << head + after << older << entries;
    };
    row("one per line", {u"a.mcr"_qs, u"b.mcr"_qs}, false, {u"a.mcr"_qs, u"b.mcr"_qs});
    row("comma, blanks", {u"a.mcr, b.mcr "_qs}, false, {u"a.mcr"_qs, u"b.mcr "_qs});
    row("older: second field dropped", {u"a.mcr,メール.mcr"_qs, u"b,x"_qs}, true, {u"a.mcr"_qs, u"b"_qs});
    row("older, odd field count", {u"a,x"_qs, u"b"_qs}, true, {u"a"_qs, u"b"_qs});
    row("empty lines are entries", {QString(), u"  "_qs, u"b"_qs}, false, {QString(), QString(), u"b"_qs});
    row("comma at the end", {u"a,"_qs}, false, {u"a"_qs, QString()});
    row("quoted", {u" \"a, b\" x,c"_qs, u"\"d"_qs}, false, {u"a, b"_qs, u"c"_qs, u"d"_qs});
    row("quote inside kept", {u"a\"b"_qs}, false, {u"a\"b"_qs});
    row("nothing after [Macro]", {}, false, {QString()});
    QTest::newRow("no [Macro]") << QStringList{u"[Option]"_qs, u"a"_qs} << false << QStringList{QString()};
    QTest::newRow("[macro] in other case") << QStringList{u"[macro]"_qs, u"a"_qs} << false << QStringList{QString()};
    QTest::newRow("indented, quoted [Macro]") << QStringList{u" \"[Macro]\",a"_qs} << false << QStringList{u"a"_qs};
}

void TestMacroFields::entries()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, older);
    QFETCH(QStringList, entries);
    QCOMPARE(ReadMacroEntries(lines, older), entries);
}

QTEST_APPLESS_MAIN(TestMacroFields)
#include "tst_macrofields.moc"
