// The macro editor on the offscreen platform over a real main window and a temporary program
// folder: the selection rule and its question, key recording, the command and macro list
// operations, the Delete key in both lists, the file chooser, saving (a
// save follows the macro shown, typed names saved on closing and published to the main window),
// the editor's windows kept on top with the main window and carrying the program's icon, and
// sizes that are whole-window sizes. The command dialogs are typed into for real in the real-X
// tests; what they store is the walk test's.
#include "MainWindowFixture.h"
#include "macros/CommandEditDialogs.h"
#include "macros/frmFileOpen.h"
#include "settings/MacroFields.h"

class TestMacroEditor : public QObject, private MainWindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }
    void selectingAndSaving();
    void editingCommands_data();
    void editingCommands();
    void windowsOnTopAndRemovingEntries();
    void typedNamesRoundTripOrAreRefused_data();
    void typedNamesRoundTripOrAreRefused();
};

// The selection rule and its question; a save follows the macro shown and never replaces another
// listed file; the chooser loads into the entry shown.
void TestMacroEditor::selectingAndSaving()
{
    writeMacro(u"a.mcr"_qs, {u"#Alpha, with a comma"_qs, u"<up>"_qs, u"  #<text>keep Case"_qs});
    writeMacro(u"b.mcr"_qs, {u"#Beta"_qs, u"<DOWN>"_qs});
    writeMacro(u"other.mcr"_qs, {u"#Other, titled"_qs, u"<left>"_qs});
    writeMacro(u"a.mcr.bak"_qs, {u"x"_qs});
    QVERIFY(QDir().mkpath(macroFolder() + u"folder.mcr"_qs));
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
    frmMacro::selectRow(e.lstMacroList, 2);
    QCOMPARE(boxes->shown.last().text, u"ファイルが見つかりませんでした。\r\n一度ご確認ください。"_qs);
    QCOMPARE(e.lstMacro->count(), 0);
    // Ctrl+click takes the selection from the macro shown, which stays shown and is replaced.
    frmMacro::selectRow(e.lstMacroList, 0);
    QTest::mouseClick(e.lstMacroList->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      e.lstMacroList->visualItemRect(e.lstMacroList->item(0)).center());
    QVERIFY(e.lstMacroList->selectedItems().isEmpty());
    e.cmdAddCrlf->click();
    e.cmdSaveMacro->click();
    QCOMPARE(Cp932::ReadLines(macroFolder() + u"a.mcr"_qs).lines,
             (QStringList{u"#Alpha, with a comma"_qs, u"<UP>"_qs, u"#<TEXT>keep Case"_qs, u"<CR>"_qs}));
    // Another listed macro's file name gets an underscore.
    e.txtFileName->setText(u"b"_qs);
    QVERIFY(e.cmdSaveMacro_Click());
    QCOMPARE(entries(e.lstFileName), (QStringList{u"b_.mcr"_qs, u"b.mcr"_qs, u"gone.mcr"_qs}));
    QCOMPARE(Cp932::ReadLines(macroFolder() + u"b.mcr"_qs).lines, (QStringList{u"#Beta"_qs, u"<DOWN>"_qs}));
    // The chooser through the editor's button: the question first, where No keeps the edits and
    // opens nothing; after Yes, a double-click on the file.
    e.cmdAddCrlf->click();
    bool reached = false;
    QStringList listed;
    whenModal<frmFileOpen>(
        [&listed](frmFileOpen& chooser) {
            listed = entries(chooser.filMacroFile);
            doubleClickRow(chooser.filMacroFile, listed.indexOf(u"other.mcr"_qs));
        },
        reached);
    boxes->answers = {MsgAnswer::No};
    e.cmdFileOpen->click();
    QCOMPARE(e.lstMacro->count(), 4);
    e.cmdFileOpen->click();
    QVERIFY(reached);
    QCOMPARE(listed, (QStringList{u"a.mcr"_qs, u"b.mcr"_qs, u"b_.mcr"_qs, u"other.mcr"_qs}));
    QCOMPARE(e.txtMacroName->text(), u"Other, titled"_qs);
    QCOMPARE(entries(e.lstMacro), QStringList{u"<LEFT>"_qs});
    // The entry shown and its edited mark stay, so saving replaces that entry.
    QVERIFY(e.MacroEdited);
    QVERIFY(e.cmdSaveMacro_Click());
    QCOMPARE(entries(e.lstFileName), (QStringList{u"other.mcr"_qs, u"b.mcr"_qs, u"gone.mcr"_qs}));
    // A new macro is appended and becomes the shown one, so a second save replaces it.
    e.cmdClearMacro->click();
    e.txtMacroName->setText(u"New"_qs);
    e.txtFileName->setText(u"n"_qs);
    QVERIFY(e.cmdSaveMacro_Click());
    QVERIFY(e.cmdSaveMacro_Click());
    QCOMPARE(entries(e.lstFileName), (QStringList{u"other.mcr"_qs, u"b.mcr"_qs, u"gone.mcr"_qs, u"n.mcr"_qs}));
}

void TestMacroEditor::editingCommands_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("widget"); // recording: keys typed there, or a button clicked
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("selectedAfter");
    // Recorded: Shift+F5 is F17, Ctrl+Up is CTRL then UP, ESC and Enter are keys, not the buttons' roles.
    QTest::newRow("recorded before the selected command, indented like it")
        << QStringList{u"<LOOP>2"_qs, u"  <DOWN>"_qs} << 1 << u"txtInput"_qs
        << QKeySequence(u"Shift+F5, Ctrl+Up, Esc, Return"_qs)
        << QStringList{u"<LOOP>2"_qs, u"  <F17>"_qs, u"  <CTRL>"_qs, u"  <UP>"_qs, u"  <CLEAR>"_qs, u"  <OK>"_qs,
                       u"  <DOWN>"_qs}
        << 6;
    const QStringList loop{u"<CR>"_qs, u"  <LOOP>2"_qs, u"    <UP>"_qs, u"<DOWN>"_qs, u"  <LOOPEND>"_qs};
    QTest::newRow("up below a LOOP: two blanks more than it")
        << loop << 3 << u"cmdUpCommand"_qs << QKeySequence()
        << QStringList{u"<CR>"_qs, u"  <LOOP>2"_qs, u"    <DOWN>"_qs, u"    <UP>"_qs, u"  <LOOPEND>"_qs} << 2;
    QTest::newRow("down past the LOOPEND")
        << loop << 3 << u"cmdDownCommand"_qs << QKeySequence()
        << QStringList{u"<CR>"_qs, u"  <LOOP>2"_qs, u"    <UP>"_qs, u"  <LOOPEND>"_qs, u"  <DOWN>"_qs} << 4;
    QTest::newRow("disable after the blanks") << QStringList{u"  <UP>"_qs} << 0 << u"cmdComment"_qs << QKeySequence()
                                              << QStringList{u"  #<UP>"_qs} << 0;
    QTest::newRow("Delete in the command list") << QStringList{u"<UP>"_qs, u"<DOWN>"_qs} << 0 << u"lstMacro"_qs
                                                << QKeySequence(Qt::Key_Delete) << QStringList{u"<DOWN>"_qs} << 0;
}

void TestMacroEditor::editingCommands()
{
    QFETCH(QStringList, before);
    QFETCH(int, selected);
    QFETCH(QString, widget);
    QFETCH(QKeySequence, keys);
    QFETCH(QStringList, after);
    QFETCH(int, selectedAfter);
    frmMacro& e = openEditor({});
    e.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&e));
    e.lstMacro->addItems(before);
    frmMacro::selectRow(e.lstMacro, selected);
    e.chkRecording->setChecked(true);
    QVERIFY(!e.cmdOK->isDefault());
    auto* target = e.findChild<QWidget*>(widget);
    QVERIFY(target && target->isVisible());
    keys.isEmpty() ? QTest::mouseClick(target, Qt::LeftButton) : QTest::keySequence(target, keys);
    QVERIFY(e.isVisible() && e.txtInput->text().isEmpty());
    QCOMPARE(entries(e.lstMacro), after);
    QCOMPARE(frmMacro::selectedRow(e.lstMacro), selectedAfter);
    QVERIFY(e.MacroEdited);
    // A listed control taking the focus ends recording and gives the roles back: a clicked button
    // takes it itself, the name box then takes it from the button.
    QCOMPARE(e.chkRecording->isChecked(), !keys.isEmpty());
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

// The editor's windows on top with the main window and the program's icon, at whole-window
// sizes; then removing an entry listed twice, one that leads out of the macro folder, and one of
// its own.
void TestMacroEditor::windowsOnTopAndRemovingEntries()
{
    writeMacro(u"a.mcr"_qs, {u"#a"_qs, u"<UP>"_qs, u"<DOWN>"_qs});
    writeMacro(u"b.mcr"_qs, {u"#b"_qs, u"<UP>"_qs, u"<DOWN>"_qs});
    frmMacro& e = openEditor({u"a.mcr"_qs, u"../setting.ini"_qs, u"b.mcr"_qs, u"a.mcr"_qs},
                             [](Settings& s, KeyMap&, MainWindowSettings&) { s.MostFront = 1; });
    const auto px = [this](int twips) { return frmMain::TwipsToPixels(twips, window->logicalDpiY()); };
    // The frame and title bar count: the compact window is 975 twips high in all.
    window->chkHideOn->setValue(0);
    QTRY_COMPARE(window->frameGeometry().height(), px(975));
    window->chkHideOn->setValue(1);
    QTRY_COMPARE(window->frameGeometry().height(), px(4470));
    frmFileOpen chooser(e);
    frmTextEdit text(e);
    // The program's icon: the handset's body left of its keys, in the picture's colour.
    for (QWidget* w : std::initializer_list<QWidget*>{window.get(), &e, &chooser, &text})
        QVERIFY2(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint)
                     && w->windowIcon().pixmap(32).toImage().pixelColor(9, 20) == QColor(0x2d, 0x3a, 0x4a),
                 qPrintable(w->objectName()));
    // The chooser and the text dialog snap back to their least heights, frame included.
    for (auto [dialog, least] : {std::pair<QDialog*, int>{&chooser, 1380}, {&text, 1335}}) {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        dialog->resize(dialog->width(), 20);
        QTRY_COMPARE(dialog->frameGeometry().height(), px(least));
    }

    // The button asks and No keeps the macro; the Delete key asks too, and Yes takes it off the list.
    boxes->answers = {MsgAnswer::No, MsgAnswer::Yes};
    e.cmdDelMacro->click();
    QCOMPARE(e.lstFileName->count(), 4);
    QTest::keyClick(e.lstMacroList, Qt::Key_Delete);
    QVERIFY(boxes->answers.isEmpty());
    QCOMPARE(boxes->shown.last().text, u"ファイルも削除されます。\r\n本当に削除してもよろしいですか？"_qs);
    QCOMPARE(e.ShownMacroIndex, -1);
    for (int i = 0; i < 2; ++i) {
        frmMacro::selectRow(e.lstMacroList, 0);
        e.cmdDelMacro->click();
    }
    QCOMPARE(entries(e.lstFileName), QStringList{u"a.mcr"_qs});
    QVERIFY(QFileInfo::exists(macroFolder() + u"b.mcr"_qs));
    // OK deletes the files, except one still listed and any outside the folder.
    e.cmdOK->click();
    QVERIFY(!QFileInfo::exists(macroFolder() + u"b.mcr"_qs));
    QVERIFY(QFileInfo::exists(macroFolder() + u"a.mcr"_qs) && QFileInfo::exists(settingsPath()));
    QCOMPARE(window->macroFiles(), QStringList{u"a.mcr"_qs});
}

void TestMacroEditor::typedNamesRoundTripOrAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("250 Japanese characters, too long a file name")
        << QString(250, u'長') << u"マクロを保存できませんでした。"_qs;
    QTest::newRow("a comma") << u"買い物,メモ"_qs << QString();
    QTest::newRow("a leading blank") << u" 先頭"_qs << QString();
    QTest::newRow("a way out of the folder") << u"../x"_qs << u"ファイル名に無効な文字が含まれています。"_qs;
}

void TestMacroEditor::typedNamesRoundTripOrAreRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, refusal);
    frmMacro& e = openEditor({});
    e.txtMacroName->setText(name);
    e.txtFileName->setText(name);
    e.cmdAddCrlf->click();
    // Closing asks whether to save; the save publishes the list to the main window. A save that
    // cannot be done on the way out keeps the editor and its edits.
    boxes->answers = {MsgAnswer::Yes};
    e.cmdOK->click();
    const bool saved = refusal.isEmpty();
    QCOMPARE(e.isVisible(), !saved);
    QVERIFY(boxes->shown.last().text.startsWith(saved ? u"編集した内容を保存しますか？"_qs : refusal));
    QCOMPARE(e.MacroEdited, !saved);
    QCOMPARE(window->cmbMacroList->count(), saved ? 1 : 0);
    // What the exit writes into [Macro] reads back as the same list.
    QCOMPARE(ReadMacroEntries(SettingsFileLines(Settings{}, {.MacroFiles = window->macroFiles()}), false),
             QStringList(saved ? name + u".mcr"_qs : QString()));
    QCOMPARE(Cp932::ReadLines(macroFolder() + name + u".mcr"_qs).lines,
             (saved ? QStringList{u'#' + name, u"<CR>"_qs} : QStringList()));
    // No other file under another name.
    QCOMPARE(QDir(macroFolder()).entryList(QDir::Files).size(), saved ? 1 : 0);
}

QTEST_MAIN(TestMacroEditor)
#include "tst_macroeditor.moc"
