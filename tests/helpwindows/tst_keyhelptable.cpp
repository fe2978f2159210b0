// The key help tables: the base rows with the user's key names, each family's changes, the
// models' own rows, and the copy text.
#include "helpwindows/KeyHelpTable.h"

#include <QRegularExpression>
#include <QTest>

class TestKeyHelpTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keyDisplayName_data();
    void keyDisplayName();
    void defaultKeyMapOnP504i();
    void remappedKeysInTheFullTable();
    void familyRows_data();
    void familyRows();
    void functionKeyRows_data();
    void functionKeyRows();
    void unnamedKeyLeavesItsCellEmpty();
    void noTableForOtherTexts_data();
    void noTableForOtherTexts();
    void copyText_data();
    void copyText();
};

namespace {

// One row as "key|function|ctrl|reassignable", so that a failing comparison shows the texts.
QStringList Cells(const QList<KeyHelpRow>& rows)
{
    QStringList cells;
    for (const KeyHelpRow& row : rows)
        cells.append(QStringList{row.key, row.function, row.withCtrl, row.reassignable}.join(u'|'));
    return cells;
}

// Every key assigned elsewhere, each to a key with a name.
KeyMap Remapped()
{
    KeyMap m;
    m.KEY_Left = 35;       // End
    m.KEY_Up = 33;         // PageUp
    m.KEY_Right = 34;      // PageDown
    m.KEY_Down = 19;       // Pause
    m.KEY_OK = 145;        // ScrollLock
    m.KEY_Clear1 = 46;     // Del
    m.KEY_Clear2 = 8;      // BS
    m.KEY_Clear3 = 27;     // Esc
    m.KEY_SubMenu = 45;    // Ins
    m.KEY_CharChange = 36; // Home
    m.KEY_OffHook = 40;    // ↓
    m.KEY_OnHook = 38;     // ↑
    return m;
}

bool ContainsInOrder(const QStringList& table, const QStringList& slice)
{
    for (qsizetype i = 0; i + slice.size() <= table.size(); ++i) {
        if (table.mid(i, slice.size()) == slice)
            return true;
    }
    return false;
}

} // namespace

void TestKeyHelpTable::keyDisplayName_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("Insert") << 45 << u"Ins"_qs;
    QTest::newRow("Enter") << 13 << u"Return"_qs;
    QTest::newRow("letter A has no name") << 65 << QString();
    QTest::newRow("F1 has no name") << 112 << QString();
    QTest::newRow("negative") << -37 << QString();
}

void TestKeyHelpTable::keyDisplayName()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    QCOMPARE(KeyDisplayName(code), name);
}

void TestKeyHelpTable::defaultKeyMapOnP504i()
{
    const QList<KeyHelpRow> rows = KeyHelpRows(u"P504i", KeyMap{});
    QCOMPARE(rows.size(), 19);
    QCOMPARE(rows[0].key, u"カーソルキーの←↑→↓"_qs);
    QCOMPARE(rows[1].key, u"Return"_qs);
    QCOMPARE(rows[2].key, u"Shift + Return"_qs);
    QCOMPARE(rows[3].key, u"BSまたはEsc、Del"_qs);
    QCOMPARE(rows[4].key, u"Shift + BSまたはEsc、Del"_qs);
    QCOMPARE(rows[6].key, u"Home"_qs);
    QCOMPARE(rows[7].key, u"Ins"_qs);
    QCOMPARE(rows[11].key, u"PageUp"_qs);
    QCOMPARE(rows[12].key, u"PageDown"_qs);
    QCOMPARE(Cells({rows[13]}), QStringList{u"|メール作成画面で押すと､現在の時刻を表示||"_qs});
    QCOMPARE(rows.last().key, u"F5～F24"_qs);
}

void TestKeyHelpTable::remappedKeysInTheFullTable()
{
    const QStringList expected{
        u"カーソルキーのEndPageUpPageDownPause|←↑→↓|―|○"_qs,
        u"ScrollLock|決定キー|―|○"_qs,
        u"Shift + ScrollLock|文中の改行|―|○"_qs,
        u"DelまたはBS、Esc|クリアキー|―|○"_qs,
        u"Shift + DelまたはBS、Esc|カーソルの位置より後ろの文字列を削除|―|○"_qs,
        u"|カーソル最後尾の時､文字列全消去||"_qs,
        u"Ins|サブメニュー|―|○"_qs,
        u"Home|文章作成中の文字(かな、カナ、英数字などの)変換キー|―|○"_qs,
        u"テンキーの0～9|端末上にある0～9キーと同様|―|×"_qs,
        u"テンキーの*|端末上にある*キーと同様|―|×"_qs,
        u"テンキーの-|端末上にある#キーと同様|―|×"_qs,
        u"↓|オフフック(電話接続)|―|○"_qs,
        u"↑|オンフック(電話切断)|―|○"_qs,
        u"F1|文中の改行|―|×"_qs,
        u"F2|メール作成キー|―|×"_qs,
        u"F3|メール送信キー|―|×"_qs,
        u"F4|電話帳呼び出し|電話帳登録|×"_qs,
        u"F5～F24|―|―|×"_qs,
    };
    QCOMPARE(Cells(KeyHelpRows(u"P503i", Remapped())), expected);
    // The other P models differ only by the current-time row.
    for (const QStringView model : {u"P503is", u"P502i"})
        QCOMPARE(Cells(KeyHelpRows(model, Remapped())), expected);
    QStringList withTime = expected;
    withTime.insert(13, u"|メール作成画面で押すと､現在の時刻を表示||"_qs);
    QCOMPARE(Cells(KeyHelpRows(u"P211i", Remapped())), withTime);
}

void TestKeyHelpTable::familyRows_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("remapped");
    QTest::addColumn<QStringList>("slice"); // consecutive rows of the table
    QTest::addColumn<QStringList>("absent");

    QTest::newRow("P503i: no current-time row")
        << u"P503i"_qs << false << QStringList{u"PageDown|オンフック(電話切断)|―|○"_qs, u"F1|文中の改行|―|×"_qs}
        << QStringList{u"|メール作成画面で押すと､現在の時刻を表示||"_qs};
    QTest::newRow("N504is: both address-list rows")
        << u"N504is"_qs << false
        << QStringList{u"カーソルキーの←↑→↓|←↑→↓|←：受信アドレス一覧|○"_qs, u"||→：送信アドレス一覧|○"_qs,
                       u"Return|決定キー|―|○"_qs}
        << QStringList{};
    QTest::newRow("N503i: no address lists")
        << u"N503i"_qs << false << QStringList{u"カーソルキーの←↑→↓|←↑→↓|―|○"_qs, u"Return|決定キー|―|○"_qs}
        << QStringList{u"||→：送信アドレス一覧|○"_qs};
    QTest::newRow("N504i remapped: side, service and power keys")
        << u"N504i"_qs << true
        << QStringList{u"カーソルキーのEndPageUpPageDownPause|←↑→↓|End：受信アドレス一覧|○"_qs,
                       u"||PageDown：送信アドレス一覧|○"_qs}
        << QStringList{};
    QTest::newRow("N503is remapped: Ctrl column of R6, R11, R12")
        << u"N503is"_qs << true
        << QStringList{u"↓|オフフック(電話接続)|サービス設定番号|○"_qs, u"↑|オンフック(電話切断)|端末の電源OFF|○"_qs,
                       u"F1|文中の改行|―|×"_qs, u"F2|メールメニュー呼出し|センター問合わせ|×"_qs}
        << QStringList{};
    QTest::newRow("N251i remapped: standby keys, no second line under R5")
        << u"N251i"_qs << true
        << QStringList{u"カーソルキーのEndPageUpPageDownPause|←↑→↓|End：受信アドレス一覧|○"_qs,
                       u"||PageDown：送信アドレス一覧|○"_qs, u"待受け画面でEnd|着信履歴|―|○"_qs,
                       u"待受け画面でPageUp|グループ検索|―|○"_qs, u"待受け画面でPageDown|リダイヤル|―|○"_qs,
                       u"待受け画面でPause|行検索|―|○"_qs, u"ScrollLock|決定キー|iモードボタン|○"_qs}
        << QStringList{u"|カーソル最後尾の時､文字列全消去||"_qs};
    QTest::newRow("N251i: R5 then the side button")
        << u"N251i"_qs << false
        << QStringList{u"Shift + BSまたはEsc、Del|カーソルの位置より後ろの文字列を削除|―|○"_qs,
                       u"Home|サブメニュー|サイドボタンの設定|○"_qs}
        << QStringList{};
    QTest::newRow("N210i remapped: volume, redial, no deletion")
        << u"N210i"_qs << true
        << QStringList{u"カーソルキーのEndPageUpPageDownPause|←↑→↓|End：音量下げ|○"_qs,
                       u"||PageDown：音量上げ|○"_qs, u"ScrollLock|決定キー|iモードボタン|○"_qs,
                       u"Shift + ScrollLock|文中の改行|―|○"_qs, u"DelまたはBS、Esc|クリアキー(リダイヤル)|―|○"_qs,
                       u"Shift + DelまたはBS、Esc|―|―|○"_qs, u"Ins|サブメニュー|サイドボタンの設定|○"_qs}
        << QStringList{};
    QTest::newRow("N210i: F2 with Ctrl")
        << u"N210i"_qs << false << QStringList{u"F1|―|―|×"_qs, u"F2|メールメニュー呼出し|メールメニュー呼出し|×"_qs}
        << QStringList{};
    QTest::newRow("D503i remapped: no line break on Shift")
        << u"D503i"_qs << true
        << QStringList{u"Shift + ScrollLock|―|―|○"_qs, u"DelまたはBS、Esc|クリアキー|―|○"_qs}
        << QStringList{};
    QTest::newRow("D209i remapped: R6 to R10")
        << u"D209i"_qs << true
        << QStringList{u"Ins|―|―|○"_qs, u"Home|文章作成中の文字(かな、カナ、英数字などの)変換キー|―|○"_qs,
                       u"|または「ボイス」||"_qs, u"テンキーの0～9|端末上にある0～9キーと同様|―|×"_qs,
                       u"テンキーの*|端末上にある*キーと同様|―|×"_qs, u"テンキーの-|端末上にある#キーと同様|文中の改行|×"_qs}
        << QStringList{};
    QTest::newRow("D503i: mail menu and centre rows with their second lines")
        << u"D503i"_qs << false
        << QStringList{u"F1|メールメニューの表示|―|×"_qs, u"|(電話機上のメールボタンを押したときと同じ)||"_qs,
                       u"F2|センター問い合わせ|―|×"_qs, u"|(iモードメールセンターへの問い合わせメニュー)||"_qs,
                       u"F3|iモードメール作成メニュー|―|×"_qs}
        << QStringList{};
    QTest::newRow("D502i: i-mode rows without second lines")
        << u"D502i"_qs << false
        << QStringList{u"F1|iモードメニュー|―|×"_qs, u"F2|iモード|―|×"_qs, u"F3|iモードメール作成メニュー|―|×"_qs}
        << QStringList{u"|(電話機上のメールボタンを押したときと同じ)||"_qs};
    QTest::newRow("SO503i remapped: clear key and sub-menu")
        << u"SO503i"_qs << true
        << QStringList{u"DelまたはBS、Esc|クリアキーまたはメールメニュー|―|○"_qs,
                       u"Shift + DelまたはBS、Esc|カーソルの位置より後ろの文字列を削除|―|○"_qs,
                       u"|カーソル最後尾の時､文字列全消去||"_qs, u"Ins|―|―|○"_qs, u"Home|サブメニュー|―|○"_qs}
        << QStringList{};
    QTest::newRow("F504i remapped: no line break on Shift")
        << u"F504i"_qs << true
        << QStringList{u"ScrollLock|決定キー|―|○"_qs, u"Shift + ScrollLock|―|―|○"_qs, u"DelまたはBS、Esc|クリアキー|―|○"_qs}
        << QStringList{};
    QTest::newRow("F504i: phone book first")
        << u"F504i"_qs << false
        << QStringList{u"F1|電話帳呼び出し|電話帳登録|×"_qs, u"F2|メール作成キー|―|×"_qs, u"F3|受信メール呼び出し|―|×"_qs}
        << QStringList{};
}

void TestKeyHelpTable::familyRows()
{
    QFETCH(QString, model);
    QFETCH(bool, remapped);
    QFETCH(QStringList, slice);
    QFETCH(QStringList, absent);
    const QStringList table = Cells(KeyHelpRows(model, remapped ? Remapped() : KeyMap{}));
    QVERIFY2(ContainsInOrder(table, slice), qPrintable(table.join(u'\n')));
    for (const QString& row : absent)
        QVERIFY2(!table.contains(row), qPrintable(row));
}

void TestKeyHelpTable::functionKeyRows_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("last");
    QTest::addColumn<int>("functionRows"); // function-key rows, second lines not counted
    QTest::newRow("P504i") << u"P504i"_qs << u"F5～F24"_qs << 5;
    QTest::newRow("N504i") << u"N504i"_qs << u"F7～F24"_qs << 7;
    QTest::newRow("N251i") << u"N251i"_qs << u"F7～F24"_qs << 7;
    QTest::newRow("N210i") << u"N210i"_qs << u"F7～F24"_qs << 7;
    QTest::newRow("D502i") << u"D502i"_qs << u"F13～F24"_qs << 13;
    QTest::newRow("D503i") << u"D503i"_qs << u"F13～F24"_qs << 13;
    QTest::newRow("SO503i") << u"SO503i"_qs << u"F3～F24"_qs << 3;
    QTest::newRow("F504i") << u"F504i"_qs << u"F4～F24"_qs << 4;
}

void TestKeyHelpTable::functionKeyRows()
{
    QFETCH(QString, model);
    QFETCH(QString, last);
    QFETCH(int, functionRows);
    const QList<KeyHelpRow> rows = KeyHelpRows(model, KeyMap{});
    QCOMPARE(rows.last().key, last);
    // F1, F2 ... in order, each fixed, the range last; only second lines between them.
    static const QRegularExpression functionKey(QStringLiteral("^F([0-9]+)(～F24)?$"));
    int expected = 1;
    bool inFunctionKeys = false;
    for (const KeyHelpRow& row : rows) {
        const QRegularExpressionMatch match = functionKey.match(row.key);
        if (!match.hasMatch()) {
            QVERIFY2(!inFunctionKeys || row.key.isEmpty(), qPrintable(row.key));
            continue;
        }
        inFunctionKeys = true;
        QCOMPARE(match.captured(1).toInt(), expected++);
        QCOMPARE(row.reassignable, u"×"_qs);
    }
    QCOMPARE(expected - 1, functionRows);
}

void TestKeyHelpTable::unnamedKeyLeavesItsCellEmpty()
{
    KeyMap letters;
    letters.KEY_OK = 'A';
    letters.KEY_Clear2 = 112; // F1
    const QList<KeyHelpRow> rows = KeyHelpRows(u"P504i", letters);
    QCOMPARE(rows[1].key, QString());
    QCOMPARE(rows[1].function, u"決定キー"_qs);
    QCOMPARE(rows[2].key, u"Shift + "_qs);
    QCOMPARE(rows[3].key, u"BSまたは、Del"_qs);
}

void TestKeyHelpTable::noTableForOtherTexts_data()
{
    QTest::addColumn<QString>("model");
    QTest::newRow("empty") << QString();
    QTest::newRow("unknown model") << u"不明"_qs;
    QTest::newRow("other letter case") << u"p504i"_qs;
    QTest::newRow("a model outside the list") << u"P504is"_qs;
    QTest::newRow("trailing blank") << u"P504i "_qs;
}

void TestKeyHelpTable::noTableForOtherTexts()
{
    QFETCH(QString, model);
    QVERIFY(KeyHelpRows(model, KeyMap{}).isEmpty());
    QVERIFY(!KeyHelpModels().contains(model));
}

void TestKeyHelpTable::copyText_data()
{
    QTest::addColumn<QList<KeyHelpRow>>("rows");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing") << QList<KeyHelpRow>{} << QString();
    QTest::newRow("fourth column left out")
        << QList<KeyHelpRow>{{u"F4"_qs, u"電話帳呼び出し"_qs, u"電話帳登録"_qs, u"×"_qs}}
        << u"F4, 電話帳呼び出し, 電話帳登録, \r\n"_qs;
    QTest::newRow("second line with empty cells")
        << QList<KeyHelpRow>{{u"Return"_qs, u"決定キー"_qs, u"―"_qs, u"○"_qs},
                             {QString(), u"または「ボイス」"_qs, QString(), QString()}}
        << u"Return, 決定キー, ―, \r\n, または「ボイス」, , \r\n"_qs;
}

void TestKeyHelpTable::copyText()
{
    QFETCH(QList<KeyHelpRow>, rows);
    QFETCH(QString, text);
    QCOMPARE(KeyHelpCopyText(rows), text);
}

QTEST_APPLESS_MAIN(TestKeyHelpTable)
#include "tst_keyhelptable.moc"
