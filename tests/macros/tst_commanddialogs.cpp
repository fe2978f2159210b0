// The four command dialogs over a real macro editor: what each stores, what it refuses
// silently, re-editing the selected command in place, and the text dialog's layout.
#include "MacroEditorFixture.h"
#include "macros/CommandEditDialogs.h"

#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

class TestCommandDialogs : public QObject, private MacroEditorFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }
    void oneLineDialogs_data();
    void oneLineDialogs();
    void textDialog_data();
    void textDialog();
    void reEditing_data();
    void reEditing();
};

void TestCommandDialogs::oneLineDialogs_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored"); // empty: refused, the dialog stays open
    QTest::newRow("wait 0.5 as typed") << u"wait"_qs << u"0.5"_qs << u"<WAIT>0.5"_qs;
    QTest::newRow("wait with blanks kept") << u"wait"_qs << u" 1.50 "_qs << u"<WAIT> 1.50 "_qs;
    QTest::newRow("wait 0 refused") << u"wait"_qs << u"0"_qs << QString();
    QTest::newRow("wait -1 refused") << u"wait"_qs << u"-1"_qs << QString();
    QTest::newRow("wait not a number") << u"wait"_qs << u"1s"_qs << QString();
    QTest::newRow("loop 0.4 refused") << u"loop"_qs << u"0.4"_qs << QString();
    QTest::newRow("loop 0.5 is 0, refused") << u"loop"_qs << u"0.5"_qs << QString();
    QTest::newRow("loop 0.6 as typed") << u"loop"_qs << u"0.6"_qs << u"<LOOP>0.6"_qs;
    QTest::newRow("loop above the range") << u"loop"_qs << u"3000000000"_qs << u"<LOOP>2147483647"_qs;
    QTest::newRow("empty message is a bare DIALOG") << u"dialog"_qs << QString() << u"<DIALOG>"_qs;
    QTest::newRow("message as typed") << u"dialog"_qs << u" Ready? "_qs << u"<DIALOG> Ready? "_qs;
}

void TestCommandDialogs::oneLineDialogs()
{
    QFETCH(QString, dialog);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    frmMacro& e = openEditor({});
    std::unique_ptr<CommandEditDialog> d;
    if (dialog == u"wait")
        d = std::make_unique<frmWaitEdit>(e);
    else if (dialog == u"loop")
        d = std::make_unique<frmLoopEdit>(e);
    else
        d = std::make_unique<frmDialogEdit>(e);
    d->show();
    d->findChild<QLineEdit*>()->setText(typed);
    d->cmdOK->click();
    QCOMPARE(d->isVisible(), stored.isEmpty());
    QCOMPARE(entries(e.lstMacro), stored.isEmpty() ? QStringList{} : QStringList{stored});
    QCOMPARE(e.MacroEdited, !stored.isEmpty());
    QVERIFY(boxes->shown.isEmpty());
}

void TestCommandDialogs::textDialog_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("stored");
    QTest::newRow("three lines") << u"one\ntwo\nthree"_qs
                                 << QStringList{u"  <TEXT>one"_qs, u"  <CR>"_qs, u"  <TEXT>two"_qs, u"  <CR>"_qs,
                                                u"  <TEXT>three"_qs};
    QTest::newRow("two line breaks are two CRs")
        << u"a\n\nb"_qs << QStringList{u"  <TEXT>a"_qs, u"  <CR>"_qs, u"  <CR>"_qs, u"  <TEXT>b"_qs};
    QTest::newRow("a final line break") << u"a b \n"_qs << QStringList{u"  <TEXT>a b "_qs, u"  <CR>"_qs};
    QTest::newRow("empty is Cancel") << QString() << QStringList{};
}

void TestCommandDialogs::textDialog()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, stored);
    frmMacro& e = openEditor({});
    e.lstMacro->addItems({u"<LOOP>2"_qs, u"  <UP>"_qs, u"<LOOPEND>"_qs});
    frmMacro::selectRow(e.lstMacro, 1);
    frmTextEdit d(e);
    d.show();
    d.txtTextData->setPlainText(typed);
    d.cmdOK->click();
    QVERIFY(!d.isVisible());
    QCOMPARE(entries(e.lstMacro), (QStringList{u"<LOOP>2"_qs} + stored + QStringList{u"  <UP>"_qs, u"<LOOPEND>"_qs}));
    // The selection ends on the last line put in.
    QCOMPARE(frmMacro::selectedRow(e.lstMacro), stored.isEmpty() ? 1 : int(stored.size()));
}

void TestCommandDialogs::reEditing_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("menuEntry");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("an indented WAIT keeps its indentation")
        << u"  <WAIT>1"_qs << 5 << u"2.5"_qs << QStringList{u"<UP>"_qs, u"  <WAIT>2.5"_qs, u"<DOWN>"_qs} << true;
    QTest::newRow("a TEXT is replaced in place")
        << u"<TEXT>old"_qs << 6 << u"new\nline"_qs
        << QStringList{u"<UP>"_qs, u"<TEXT>new"_qs, u"<CR>"_qs, u"<TEXT>line"_qs, u"<DOWN>"_qs} << false;
    QTest::newRow("a DIALOG emptied") << u"<DIALOG>Go"_qs << 7 << QString()
                                      << QStringList{u"<UP>"_qs, u"<DIALOG>"_qs, u"<DOWN>"_qs} << false;
    QTest::newRow("a LOOP count") << u"<LOOP>2"_qs << 8 << u"7"_qs
                                  << QStringList{u"<UP>"_qs, u"<LOOP>7"_qs, u"<DOWN>"_qs} << false;
    QTest::newRow("a key has no dialog") << u"<OK>"_qs << -1 << QString()
                                         << QStringList{u"<UP>"_qs, u"<OK>"_qs, u"<DOWN>"_qs} << true;
    QTest::newRow("nor has a disabled WAIT") << u"#<WAIT>1"_qs << -1 << QString()
                                             << QStringList{u"<UP>"_qs, u"#<WAIT>1"_qs, u"<DOWN>"_qs} << true;
}

void TestCommandDialogs::reEditing()
{
    QFETCH(QString, entry);
    QFETCH(int, menuEntry);
    QFETCH(QString, typed);
    QFETCH(QStringList, after);
    QFETCH(bool, doubleClick);
    frmMacro& e = openEditor({});
    e.lstMacro->addItems({u"<UP>"_qs, entry, u"<DOWN>"_qs});
    frmMacro::selectRow(e.lstMacro, 1);
    e.updateCommandMenu();
    for (int i = 5; i <= 8; ++i)
        QCOMPARE(e.mnuCommandMenu[i]->isEnabled(), i == menuEntry);

    // The dialog starts with the argument; what is typed replaces it.
    bool reached = false;
    QString shownArgument;
    whenModal<QDialog>(
        [&](QDialog& d) {
            if (auto* text = d.findChild<QPlainTextEdit*>()) {
                shownArgument = text->toPlainText();
                text->setPlainText(typed);
            } else {
                auto* box = d.findChild<QLineEdit*>();
                shownArgument = box->selectedText();
                box->setText(typed);
            }
            static_cast<CommandEditDialog&>(d).cmdOK->click();
        },
        reached);
    if (!doubleClick) {
        e.mnuCommandMenu[menuEntry]->trigger();
    } else {
        doubleClickRow(e.lstMacro, 1);
    }
    QCOMPARE(reached, menuEntry >= 0);
    if (reached)
        QCOMPARE(shownArgument, entry.mid(entry.indexOf(u'>') + 1));
    QCOMPARE(entries(e.lstMacro), after);
    QVERIFY(!e.MacroEditMode);
    QCOMPARE(e.MacroEdited, menuEntry >= 0);
}

QTEST_MAIN(TestCommandDialogs)
#include "tst_commanddialogs.moc"
