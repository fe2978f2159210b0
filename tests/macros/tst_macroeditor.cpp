// The macro editor on the offscreen platform over a real main window and a temporary program
// folder: the selection rule and its question, key recording, the command and macro list
// operations, the command dialogs, the file chooser, saving and closing. Re-editing a command
// is typed for real in the real-X tests.
#include "MacroEditorFixture.h"
#include "macros/CommandEditDialogs.h"
#include "macros/frmFileOpen.h"

#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>

class TestMacroEditor : public QObject, private MacroEditorFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }
    void selectingAMacro();
    void recording();
    void commandOperations_data();
    void commandOperations();
    void removingAnEntry_data();
    void removingAnEntry();
    void savingNeverReplacesAnotherListedFile();
    void aFailedSaveOnCloseKeepsTheEditorOpen();
    void commandDialogs_data();
    void commandDialogs();
    void fileChooser();

};

void TestMacroEditor::selectingAMacro()
{
    writeMacro(u"a.mcr"_qs, {u"#Alpha, with a comma"_qs, u"<up>"_qs, u"  #<text>keep Case"_qs});
    writeMacro(u"b.mcr"_qs, {u"#Beta"_qs, u"<DOWN>"_qs});
    frmMacro& e = openEditor({u"a.mcr"_qs, u"gone.mcr"_qs, u"b.mcr"_qs});
    // The first entry is loaded at opening; the missing file keeps its place under its name.
    QCOMPARE(entries(e.lstMacroList), (QStringList{u"Alpha"_qs, u"gone.mcr"_qs, u"Beta"_qs}));
    QCOMPARE(e.txtMacroName->text(), u"Alpha, with a comma"_qs);
    QCOMPARE(entries(e.lstMacro), (QStringList{u"<UP>"_qs, u"  #<TEXT>keep Case"_qs}));
    e.cmdAddCrlf->click();
    // Another macro with unsaved edits: No keeps the edits and the selection.
    boxes->answers = {MsgAnswer::No};
    frmMacro::selectRow(e.lstMacroList, 2);
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].text, u"編集した内容が失われます。\r\nよろしいですか？"_qs);
    QCOMPARE(boxes->shown[0].defaultAnswer, std::optional(MsgAnswer::No));
    QCOMPARE(frmMacro::selectedRow(e.lstMacroList), 0);
    QCOMPARE(e.lstMacro->count(), 3);
    // Yes loads it.
    frmMacro::selectRow(e.lstMacroList, 2);
    QCOMPARE(entries(e.lstMacro), QStringList{u"<DOWN>"_qs});
    QVERIFY(!e.MacroEdited);
    // Moving it keeps its edits.
    e.cmdAddCrlf->click();
    e.cmdUpMacro->click();
    QCOMPARE(entries(e.lstFileName), (QStringList{u"a.mcr"_qs, u"b.mcr"_qs, u"gone.mcr"_qs}));
    QCOMPARE(entries(e.lstMacro), (QStringList{u"<DOWN>"_qs, u"<CR>"_qs}));
    // The missing file is reported and shows no commands.
    boxes->shown.clear();
    boxes->answers = {MsgAnswer::Yes};
    frmMacro::selectRow(e.lstMacroList, 2);
    QCOMPARE(boxes->shown.last().text, u"ファイルが見つかりませんでした。\r\n一度ご確認ください。"_qs);
    QCOMPARE(e.lstMacro->count(), 0);
}

void TestMacroEditor::recording()
{
    frmMacro& e = openEditor({});
    e.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&e));
    e.chkRecording->setChecked(true);
    QVERIFY(!e.cmdOK->isDefault());
    QCOMPARE(QApplication::focusWidget(), e.txtInput);
    // Shift+F5 is F17, Ctrl+Up is CTRL then UP; ESC and Enter are recorded, not the buttons' roles.
    QTest::keyClick(e.txtInput, Qt::Key_F5, Qt::ShiftModifier);
    QTest::keyClick(e.txtInput, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(e.txtInput, Qt::Key_Escape);
    QTest::keyClick(e.txtInput, Qt::Key_Return);
    QVERIFY(e.isVisible() && e.txtInput->text().isEmpty());
    QCOMPARE(entries(e.lstMacro), (QStringList{u"<F17>"_qs, u"<CTRL>"_qs, u"<UP>"_qs, u"<CLEAR>"_qs, u"<OK>"_qs}));
    // Recording inserts before the selected command, indented like it.
    e.lstMacro->clear();
    e.lstMacro->addItems({u"<LOOP>2"_qs, u"  <DOWN>"_qs});
    frmMacro::selectRow(e.lstMacro, 1);
    QTest::keyClick(e.txtInput, Qt::Key_Left);
    QCOMPARE(entries(e.lstMacro), (QStringList{u"<LOOP>2"_qs, u"  <LEFT>"_qs, u"  <DOWN>"_qs}));
    QCOMPARE(frmMacro::selectedRow(e.lstMacro), 2);
    // A listed control taking the focus ends recording and gives the roles back.
    e.txtMacroName->setFocus();
    QVERIFY(!e.chkRecording->isChecked() && e.cmdOK->isDefault());
    // The title bar's close is Cancel: with edits it asks, and Cancel keeps the window.
    boxes->answers = {MsgAnswer::Cancel};
    e.close();
    QCOMPARE(boxes->shown.last().text, u"編集した内容を保存しますか？"_qs);
    QVERIFY(e.isVisible());
    boxes->answers = {MsgAnswer::No};
    QTest::keyClick(e.txtMacroName, Qt::Key_Escape);
    QVERIFY(!e.isVisible());
}

void TestMacroEditor::commandOperations_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("selectedAfter");
    const QStringList loop{u"<CR>"_qs, u"  <LOOP>2"_qs, u"    <UP>"_qs, u"<DOWN>"_qs, u"  <LOOPEND>"_qs};
    QTest::newRow("up below a LOOP: two blanks more than it")
        << loop << 3 << u"cmdUpCommand"_qs
        << QStringList{u"<CR>"_qs, u"  <LOOP>2"_qs, u"    <DOWN>"_qs, u"    <UP>"_qs, u"  <LOOPEND>"_qs} << 2;
    QTest::newRow("down past the LOOPEND")
        << loop << 3 << u"cmdDownCommand"_qs
        << QStringList{u"<CR>"_qs, u"  <LOOP>2"_qs, u"    <UP>"_qs, u"  <LOOPEND>"_qs, u"  <DOWN>"_qs} << 4;
    QTest::newRow("disable after the blanks") << QStringList{u"  <UP>"_qs} << 0 << u"cmdComment"_qs
                                              << QStringList{u"  #<UP>"_qs} << 0;
}

void TestMacroEditor::commandOperations()
{
    QFETCH(QStringList, before);
    QFETCH(int, selected);
    QFETCH(QString, button);
    QFETCH(QStringList, after);
    QFETCH(int, selectedAfter);
    frmMacro& e = openEditor({}, {}, {u"/d"_qs});
    e.lstMacro->addItems(before);
    frmMacro::selectRow(e.lstMacro, selected);
    auto* pressed = e.findChild<QPushButton*>(button);
    QVERIFY(pressed && pressed->isVisible());
    pressed->click();
    QCOMPARE(entries(e.lstMacro), after);
    QCOMPARE(frmMacro::selectedRow(e.lstMacro), selectedAfter);
    QVERIFY(e.MacroEdited);
}

void TestMacroEditor::removingAnEntry_data()
{
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<bool>("kept"); // the first entry's file
    QTest::newRow("OK deletes the file") << QStringList{u"a.mcr"_qs, u"b.mcr"_qs} << false;
    QTest::newRow("a file another entry lists is kept") << QStringList{u"a.mcr"_qs, u"b.mcr"_qs, u"a.mcr"_qs} << true;
    QTest::newRow("outside the folder, never deleted") << QStringList{u"../setting.ini"_qs, u"b.mcr"_qs} << true;
}

void TestMacroEditor::removingAnEntry()
{
    QFETCH(QStringList, listed);
    QFETCH(bool, kept);
    writeMacro(u"a.mcr"_qs, {u"#A"_qs, u"<UP>"_qs});
    writeMacro(u"b.mcr"_qs, {u"#B"_qs, u"<DOWN>"_qs});
    frmMacro& e = openEditor(listed);
    e.cmdDelMacro->click();
    QCOMPARE(boxes->shown.last().text, u"ファイルも削除されます。\r\n本当に削除してもよろしいですか？"_qs);
    QCOMPARE(e.ShownMacroIndex, -1);
    e.cmdOK->click();
    QVERIFY(!e.isVisible());
    QCOMPARE(QFileInfo::exists(macroFolder() + listed[0]), kept);
    QCOMPARE(window->macroFiles(), listed.mid(1));
    QCOMPARE(window->cmbMacroList->itemText(0), u"B"_qs);
}

void TestMacroEditor::savingNeverReplacesAnotherListedFile()
{
    writeMacro(u"a.mcr"_qs, {u"#A"_qs, u"<UP>"_qs});
    writeMacro(u"b.mcr"_qs, {u"#B"_qs, u"<DOWN>"_qs});
    frmMacro& e = openEditor({u"a.mcr"_qs, u"b.mcr"_qs});
    // Another listed macro's file name gets an underscore.
    e.txtFileName->setText(u"b"_qs);
    QVERIFY(e.cmdSaveMacro_Click());
    QCOMPARE(entries(e.lstFileName), (QStringList{u"b_.mcr"_qs, u"b.mcr"_qs}));
    QCOMPARE(Cp932::ReadLines(macroFolder() + u"b.mcr"_qs).lines, (QStringList{u"#B"_qs, u"<DOWN>"_qs}));
    // A new macro is appended and becomes the shown one, so a second save replaces it.
    e.cmdClearMacro->click();
    e.txtMacroName->setText(u"New"_qs);
    e.txtFileName->setText(u"n"_qs);
    QVERIFY(e.cmdSaveMacro_Click());
    QVERIFY(e.cmdSaveMacro_Click());
    QCOMPARE(entries(e.lstFileName), (QStringList{u"b_.mcr"_qs, u"b.mcr"_qs, u"n.mcr"_qs}));
}

// A file that cannot be written on the way out keeps the editor and its edits.
void TestMacroEditor::aFailedSaveOnCloseKeepsTheEditorOpen()
{
    QVERIFY(QDir().mkpath(macroFolder() + u"taken.mcr"_qs)); // a folder cannot be replaced by the file
    frmMacro& e = openEditor({});
    e.cmdAddCrlf->click();
    e.txtMacroName->setText(u"t"_qs);
    e.txtFileName->setText(u"taken.mcr"_qs);
    boxes->answers = {MsgAnswer::Yes};
    e.cmdOK->click();
    QCOMPARE(boxes->shown.size(), 2);
    QVERIFY2(boxes->shown[1].text.startsWith(u"マクロを保存できませんでした。"_qs),
             qPrintable(boxes->shown[1].text));
    QVERIFY(e.isVisible() && e.MacroEdited);
    QCOMPARE(entries(e.lstMacro), QStringList{u"<CR>"_qs});
    QCOMPARE(window->macroFiles(), QStringList{QString()});
}

void TestMacroEditor::commandDialogs_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("stored"); // before the selected "  <UP>"; empty: nothing stored
    QTest::addColumn<bool>("staysOpen");
    QTest::newRow("wait with blanks kept") << u"cmdAddWait"_qs << u" 1.50 "_qs << QStringList{u"  <WAIT> 1.50 "_qs}
                                           << false;
    QTest::newRow("wait 0 refused") << u"cmdAddWait"_qs << u"0"_qs << QStringList{} << true;
    QTest::newRow("loop above the range") << u"cmdLoopStart"_qs << u"3000000000"_qs
                                          << QStringList{u"  <LOOP>2147483647"_qs} << false;
    QTest::newRow("text: two line breaks are two CRs")
        << u"cmdAddText"_qs << u"a\n\nb"_qs << QStringList{u"  <TEXT>a"_qs, u"  <CR>"_qs, u"  <CR>"_qs, u"  <TEXT>b"_qs}
        << false;
}

void TestMacroEditor::commandDialogs()
{
    QFETCH(QString, button);
    QFETCH(QString, typed);
    QFETCH(QStringList, stored);
    QFETCH(bool, staysOpen);
    frmMacro& e = openEditor({});
    e.lstMacro->addItems({u"<LOOP>2"_qs, u"  <UP>"_qs, u"<LOOPEND>"_qs});
    frmMacro::selectRow(e.lstMacro, 1);
    bool reached = false, refused = false;
    whenModal<CommandEditDialog>(
        [&](CommandEditDialog& d) {
            if (auto* text = d.findChild<QPlainTextEdit*>())
                text->setPlainText(typed);
            else
                d.findChild<QLineEdit*>()->setText(typed);
            d.cmdOK->click();
            if ((refused = d.isVisible()))
                d.cmdCancel->click();
        },
        reached);
    e.findChild<QPushButton*>(button)->click();
    QVERIFY(reached);
    QCOMPARE(refused, staysOpen);
    QCOMPARE(entries(e.lstMacro), (QStringList{u"<LOOP>2"_qs} + stored + QStringList{u"  <UP>"_qs, u"<LOOPEND>"_qs}));
    // The text dialog's selection ends on the last line put in; the others keep it.
    QCOMPARE(frmMacro::selectedRow(e.lstMacro),
             int(stored.size()) + (button == u"cmdAddText" && !stored.isEmpty() ? 0 : 1));
    QCOMPARE(e.MacroEdited, !stored.isEmpty());
    QVERIFY(boxes->shown.isEmpty());
}

void TestMacroEditor::fileChooser()
{
    writeMacro(u"b.mcr"_qs, {u"#B"_qs, u"<DOWN>"_qs});
    writeMacro(u"a.mcr"_qs, {u"#A"_qs, u"<UP>"_qs});
    writeMacro(u"other.mcr"_qs, {u"#Other, titled"_qs, u"<left>"_qs});
    writeMacro(u"a.mcr.bak"_qs, {u"x"_qs});
    QVERIFY(QDir().mkpath(macroFolder() + u"folder.mcr"_qs));
    frmMacro& e = openEditor({u"a.mcr"_qs, u"b.mcr"_qs});
    e.cmdAddCrlf->click();
    // Through the editor's button: the question first, then a double-click on the file.
    bool reached = false;
    QStringList listed;
    whenModal<frmFileOpen>(
        [&listed](frmFileOpen& chooser) {
            listed = entries(chooser.filMacroFile);
            doubleClickRow(chooser.filMacroFile, listed.indexOf(u"other.mcr"_qs));
        },
        reached);
    e.cmdFileOpen->click();
    QVERIFY(reached);
    QCOMPARE(listed, (QStringList{u"a.mcr"_qs, u"b.mcr"_qs, u"other.mcr"_qs}));
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(e.txtMacroName->text(), u"Other, titled"_qs);
    QCOMPARE(entries(e.lstMacro), QStringList{u"<LEFT>"_qs});
    // The editor's selection and its edited mark stay, so saving replaces the selected entry.
    QCOMPARE(e.ShownMacroIndex, 0);
    QVERIFY(e.MacroEdited);
    QVERIFY(e.cmdSaveMacro_Click());
    QCOMPARE(entries(e.lstFileName), (QStringList{u"other.mcr"_qs, u"b.mcr"_qs}));
}

QTEST_MAIN(TestMacroEditor)
#include "tst_macroeditor.moc"
