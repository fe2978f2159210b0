// The interpreter's walk against a recording host: what each command does, in order, and how
// a run ends; the macro-file rules of a save; what the command dialogs store.
#include "macros/CommandArguments.h"
#include "macros/MacroFile.h"
#include "macros/MacroWalk.h"
#include "settings/Settings.h"

#include <QTest>

namespace {

// Records each action as a short word: K<key>/<flags>, T<char>, W<seconds>, D<message>,
// E<the error's lines, each after a "|">, and the controls given back as "+".
class RecordingHost : public MacroHost {
public:
    QStringList actions;

    void ProcessEvents() override {}
    bool TakeAbort() override { return false; }
    void EnableControls(bool enable) override { actions << (enable ? u"+"_qs : u"-"_qs); }
    void TypeCharacter(const QString& c) override { actions << u'T' + c; }
    void WaitSeconds(float s) override { actions << u'W' + QString::number(s); }
    void ShowDialog(const QString& m) override { actions << u'D' + m; }
    void ShowError(const QString& m) override { actions << u'E' + m.split(u"\r\n"_qs).join(u'|'); }
    void KeyDown(int key, int flags) override { actions << QStringLiteral("K%1/%2").arg(key).arg(flags); }
};

} // namespace

class TestMacroWalk : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commands_data();
    void commands();
    void saveChecks_data();
    void saveChecks();
    void whatIsStored();
};

void TestMacroWalk::commands_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<float>("macroWait");
    QTest::addColumn<int>("macroError");
    QTest::addColumn<QString>("actions"); // and "=" with the result
    QTest::newRow("nested 2x2, a pause after each key and after each loop")
        << u"#t\n<LOOP>2\n  <LOOP>2\n    <OK>\n  <LOOPEND>\n  <CLEAR>\n<LOOPEND>"_qs << 0.5f << 1
        << u"K13/0 W0.5 K13/0 W0.5 W0.5 K8/0 W0.5 K13/0 W0.5 K13/0 W0.5 W0.5 K8/0 W0.5 W0.5 =0"_qs;
    QTest::newRow("lower-case tags; a key tag fills its line: blanks inside are errors, passed over")
        << u"<up>\n<F 1>\n<ten-5>\n<F1 >\n< F1>\n<f24>\n<F+1>\n<cr>"_qs << 0.0f << 0
        << u"K38/0 K101/0 K123/1 K13/1 =0"_qs;
    QTest::newRow("key tag with more after it is an error")
        << u"#t\n<UP>x"_qs << 0.0f << 1 << u"Eマクロエラーです。|コマンドをよく確認してください。|ステップ : 2行目|コマンド : <UP>x + =2"_qs;
    QTest::newRow("ctrl and F13 as F1 with Shift; ctrl then text drops it; dialogs; text keeps case and blanks")
        << u"<CTRL>\n<F13>\n<F1>\n<CTRL>ignored\n<TEXT>aB\n<UP>\n<DIALOG>\n<Dialog>Hello World\n  <text> x "_qs
        << 0.1f << 1 << u"K112/3 W0.1 K112/0 W0.1 Ta TB W0.03 W0.1 K38/0 W0.1 DOKを押すと続行します。 W0.1 "
                        u"DHello World W0.1 T  Tx T  W0.045 W0.1 =0"_qs;
    QTest::newRow("a wait only for an ordinary number; loop counts round half to even; an empty body ends at once")
        << u"<WAIT>0.25\n<WAIT>\n<WAIT>abc\n<WAIT>1e3\n<WAIT> 1 \n<LOOP>2.5\n<UP>\n<LOOPEND>\n<LOOP>0.5\n<DOWN>\n"
           u"<LOOPEND>\n<LOOP>2147483647\n<LOOPEND>\n<OK>"_qs << 0.0f << 1 << u"W0.25 W1 K38/0 K38/0 K13/0 =0"_qs;
    QTest::newRow("stray LOOPEND on line 7")
        << u"#title\n\n; note\n  #<UP>\n<UP>\n\n<LOOPEND>\n<DOWN>"_qs << 0.0f << 1
        << u"K38/0 E<LOOPEND>に対する<LOOP>がありません。|コマンドをよく確認してください。|ステップ : 7行目|コマンド : <LOOPEND> + =2"_qs;
    QTest::newRow("unclosed LOOP reported") << u"<UP>\n<LOOP>2\n<DOWN>"_qs << 0.0f << 1
                                            << u"K38/0 E<LOOP>と<LOOPEND>の対応が正しくありません。|コマンドをよく確認してください。 + =2"_qs;
    QTest::newRow("32,767 nested loops around one key, walked without native recursion")
        << (u"<LOOP>1\n"_qs.repeated(32'766) + u"<OK>"_qs + u"\n<LOOPEND>"_qs.repeated(32'766)) << 0.0f << 1
        << u"K13/0 =0"_qs;
}

void TestMacroWalk::commands()
{
    QFETCH(QString, file);
    QFETCH(float, macroWait);
    QFETCH(int, macroError);
    QFETCH(QString, actions);
    RecordingHost host;
    const auto got = MacroExecute(ReadMacroCommands(file.split(u'\n')), host, {macroWait, qint16(macroError)}, {});
    QCOMPARE(host.actions.join(u' ') + u" ="_qs + QString::number(got), actions);
}

void TestMacroWalk::saveChecks_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("no title first") << QString() << QString() << QStringList{u"<LOOP>1"_qs}
                                    << u"マクロ名を入力してください。"_qs;
    for (const QChar c : QStringView(u"\\/:*?\"<>|"))
        QTest::addRow("forbidden %s", qPrintable(QString(c)))
            << u"t"_qs << u"a"_qs + c << QStringList{u"<LOOP>1"_qs}
            << u"ファイル名に無効な文字が含まれています。\r\n\\、/、:、*、?、\"、<、>、|\r\nもう一度ご確認ください。"_qs;
    QTest::newRow("characters Shift-JIS cannot store, each named once; a right quote it can")
        << u"caf\u00e9"_qs << u"a\u2013b"_qs << QStringList{u"<TEXT>it\u2019s \U0001F600\u00e9"_qs, u"<LOOP>1"_qs}
        << u"Shift-JISで保存できない文字が含まれています。\r\n\u00e9、\u2013、\U0001F600\r\nもう一度ご確認ください。"_qs;
    QTest::newRow("last loop unclosed") << u"t"_qs << u"a"_qs << QStringList{u"<LOOP>2"_qs, u"<UP>"_qs}
                                        << u"<LOOP>と<LOOPEND>の対応が正しくありません。\r\nコマンドをよく確認してください。"_qs;
    QTest::newRow("a disabled loop does not count") << u"t"_qs << u"a"_qs << QStringList{u"#<LOOP>3"_qs} << QString();
}

void TestMacroWalk::saveChecks()
{
    QFETCH(QString, title);
    QFETCH(QString, file);
    QFETCH(QStringList, entries);
    QFETCH(QString, refusal);
    QCOMPARE(MacroSaveRefusal(title, file, entries).value_or(QString()), refusal);
}

// What a save writes, and what the command dialogs store.
void TestMacroWalk::whatIsStored()
{
    QCOMPARE(CompletedMacroFileName(u"TEST.MCR"_qs), u"TEST.MCR"_qs);
    QCOMPARE(CompletedMacroFileName(u"a.mcr.txt"_qs), u"a.mcr.txt.mcr"_qs);
    const QStringList written = MacroFileLines(
        u"My, title"_qs, {u"<LOOP>2"_qs, u"  <LOOP>3"_qs, u"<UP>"_qs, u"<LOOPEND>"_qs, u"    <LOOPEND>"_qs, u"<TEXT> a "_qs});
    QCOMPARE(written, (QStringList{u"#My, title"_qs, u"<LOOP>2"_qs, u"  <LOOP>3"_qs, u"    <UP>"_qs, u"  <LOOPEND>"_qs,
                                   u"<LOOPEND>"_qs, u"<TEXT> a "_qs}));
    // Read back, the indented file does what its commands say: six UPs, then the text as typed.
    RecordingHost saved;
    MacroExecute(ReadMacroCommands(written), saved, {0.0f, 1}, KeyMap{});
    QCOMPARE(saved.actions.join(u' '), u"K38/0 K38/0 K38/0 K38/0 K38/0 K38/0 T  Ta T  W0.045"_qs);
    // What the command dialogs store: a wait as typed when above 0, a loop count held to 32 bits,
    // each line break of a text a CR.
    QVERIFY(IsAcceptedWait(u" 1.50 "_qs) && !IsAcceptedWait(u"0"_qs) && !IsAcceptedWait(u"1e39"_qs));
    QCOMPARE(AcceptedLoopCount(u"3000000000"_qs), std::optional(u"2147483647"_qs));
    QCOMPARE(AcceptedLoopCount(u"0.4"_qs), std::nullopt);
    QCOMPARE(TextCommandLines(u"a\n\nb"_qs, u"  "_qs),
             (QStringList{u"  <TEXT>a"_qs, u"  <CR>"_qs, u"  <CR>"_qs, u"  <TEXT>b"_qs}));
}

QTEST_APPLESS_MAIN(TestMacroWalk)
#include "tst_macrowalk.moc"
