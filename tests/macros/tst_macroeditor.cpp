// The macro editor on the offscreen platform over a real main window and a temporary program
// folder: the selection rule and its question, key recording, the command and macro list
// operations, saving, closing, and a macro built here that the interpreter then plays.
#include "HandsetKeys.h"
#include "MacroEditorFixture.h"
#include "macros/CommandEditDialogs.h"
#include "phonesim/Handset.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QString discardQuestion() { return u"編集した内容が失われます。\r\nよろしいですか？"_qs; }

} // namespace

class TestMacroEditor : public QObject, private MacroEditorFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }
    void selectingAMacro();
    void recordingKeys_data();
    void recordingKeys();
    void recordingTakesTheButtonsRoles();
    void commandOperations_data();
    void commandOperations();
    void deletingAMacro_data();
    void deletingAMacro();
    void savingAsAddsAnEntry();
    void savingNeverReplacesAnotherListedFile();
    void aFailedSaveOnCloseKeepsTheEditorOpen_data();
    void aFailedSaveOnCloseKeepsTheEditorOpen();
    void movingAMacroKeepsItsEdits();
    void aRemovedEntryOutsideTheFolderIsNeverDeleted();
    void builtSavedReloadedAndPlayed();
    void theMainWindowOpensTheEditor();
    void helpOpensAtTheEditorsTopic();

private:
    // Types into the command dialog that the next click opens, and presses its OK.
    template <typename D>
    static void typeIntoDialog(const QString& text, bool& reached)
    {
        whenModal<D>(
            [text](D& d) {
                if constexpr (std::is_same_v<D, frmTextEdit>)
                    d.txtTextData->setPlainText(text);
                else
                    d.template findChild<QLineEdit*>()->setText(text);
                d.cmdOK->click();
            },
            reached);
    }
};

void TestMacroEditor::selectingAMacro()
{
    writeMacro(u"a.mcr"_qs, {u"#Alpha, with a comma"_qs, u"<up>"_qs, u"  #<text>keep Case"_qs});
    writeMacro(u"b.mcr"_qs, {u"#Beta"_qs, u"<DOWN>"_qs});
    frmMacro& e = openEditor({u"a.mcr"_qs, u"gone.mcr"_qs, u"b.mcr"_qs});
    // The first entry is loaded at opening; the missing file keeps its place under its name.
    QCOMPARE(entries(e.lstMacroList), (QStringList{u"Alpha"_qs, u"gone.mcr"_qs, u"Beta"_qs}));
    QCOMPARE(e.ShownMacroIndex, 0);
    QCOMPARE(e.txtMacroName->text(), u"Alpha, with a comma"_qs);
    QCOMPARE(entries(e.lstMacro), (QStringList{u"<UP>"_qs, u"  #<TEXT>keep Case"_qs}));
    QVERIFY(!e.cmdCosmetic->isVisible());

    // Reselecting the loaded entry asks nothing and reloads nothing.
    e.cmdAddCrlf->click();
    frmMacro::selectRow(e.lstMacroList, 0);
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(e.lstMacro->count(), 3);

    // Another macro with unsaved edits: No keeps the edits and the selection.
    boxes->answers = {MsgAnswer::No};
    frmMacro::selectRow(e.lstMacroList, 2);
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].text, discardQuestion());
    QCOMPARE(boxes->shown[0].icon, MsgIcon::Question);
    QCOMPARE(boxes->shown[0].defaultAnswer, std::optional(MsgAnswer::No));
    QCOMPARE(frmMacro::selectedRow(e.lstMacroList), 0);
    QCOMPARE(e.lstMacro->count(), 3);
    QVERIFY(e.MacroEdited);

    // Yes loads it.
    frmMacro::selectRow(e.lstMacroList, 2);
    QCOMPARE(entries(e.lstMacro), QStringList{u"<DOWN>"_qs});
    QCOMPARE(e.txtFileName->text(), u"b.mcr"_qs);
    QVERIFY(!e.MacroEdited);

    // The missing file is reported and shows no commands.
    boxes->shown.clear();
    frmMacro::selectRow(e.lstMacroList, 1);
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown[0].text, u"ファイルが見つかりませんでした。\r\n一度ご確認ください。"_qs);
    QCOMPARE(boxes->shown[0].icon, MsgIcon::Critical);
    QCOMPARE(e.lstMacro->count(), 0);
}

void TestMacroEditor::recordingKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("recorded");
    QTest::newRow("Shift+F5 is F17") << int(Qt::Key_F5) << int(Qt::ShiftModifier) << QStringList{u"<F17>"_qs};
    QTest::newRow("Shift with KEY_OK is CR") << int(Qt::Key_Return) << int(Qt::ShiftModifier) << QStringList{u"<CR>"_qs};
    QTest::newRow("Ctrl+Up is CTRL then UP")
        << int(Qt::Key_Up) << int(Qt::ControlModifier) << QStringList{u"<CTRL>"_qs, u"<UP>"_qs};
    QTest::newRow("Shift+Up is nothing") << int(Qt::Key_Up) << int(Qt::ShiftModifier) << QStringList{};
    QTest::newRow("Enter is OK") << int(Qt::Key_Return) << 0 << QStringList{u"<OK>"_qs};
    QTest::newRow("ESC is a clear key") << int(Qt::Key_Escape) << 0 << QStringList{u"<CLEAR>"_qs};
    QTest::newRow("keypad minus is TEN-#") << int(Qt::Key_Minus) << int(Qt::KeypadModifier) << QStringList{u"<TEN-#>"_qs};
    QTest::newRow("a letter is not recorded") << int(Qt::Key_A) << 0 << QStringList{};
}

void TestMacroEditor::recordingKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QStringList, recorded);
    frmMacro& e = openEditor({});
    e.chkRecording->setChecked(true);
    QTest::keyClick(e.txtInput, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(entries(e.lstMacro), recorded);
    QVERIFY(e.MacroEdited);
    QVERIFY(e.isVisible());
    QVERIFY(e.txtInput->text().isEmpty());

    // Recording inserts before the selected command, indented like it.
    e.lstMacro->clear();
    e.lstMacro->addItems({u"<LOOP>2"_qs, u"  <DOWN>"_qs});
    frmMacro::selectRow(e.lstMacro, 1);
    QTest::keyClick(e.txtInput, Qt::Key_Left);
    QCOMPARE(entries(e.lstMacro), (QStringList{u"<LOOP>2"_qs, u"  <LEFT>"_qs, u"  <DOWN>"_qs}));
    QCOMPARE(frmMacro::selectedRow(e.lstMacro), 2);
}

void TestMacroEditor::recordingTakesTheButtonsRoles()
{
    frmMacro& e = openEditor({});
    e.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&e));
    QVERIFY(e.cmdOK->isDefault());
    e.chkRecording->setChecked(true);
    QVERIFY(!e.cmdOK->isDefault());
    QCOMPARE(QApplication::focusWidget(), e.txtInput);
    // ESC and Enter are recorded, not the buttons' roles.
    QTest::keyClick(e.txtInput, Qt::Key_Escape);
    QTest::keyClick(e.txtInput, Qt::Key_Return);
    QVERIFY(e.isVisible());
    QCOMPARE(entries(e.lstMacro), (QStringList{u"<CLEAR>"_qs, u"<OK>"_qs}));
    // A listed control taking the focus ends recording and gives the roles back.
    for (QWidget* w : std::initializer_list<QWidget*>{e.txtMacroName, e.lstMacro, e.cmdHelp}) {
        e.chkRecording->setChecked(true);
        w->setFocus();
        QVERIFY2(!e.chkRecording->isChecked(), qPrintable(w->objectName()));
    }
    e.txtMacroName->setFocus();
    QVERIFY(e.cmdOK->isDefault());
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
    QTest::newRow("up at the top does nothing") << loop << 0 << u"cmdUpCommand"_qs << loop << 0;
    QTest::newRow("disable after the blanks")
        << QStringList{u"  <UP>"_qs} << 0 << u"cmdComment"_qs << QStringList{u"  #<UP>"_qs} << 0;
    QTest::newRow("enable again") << QStringList{u"  #<UP>"_qs} << 0 << u"cmdComment"_qs << QStringList{u"  <UP>"_qs} << 0;
    QTest::newRow("the marker nearest the tag goes")
        << QStringList{u"#;<UP>"_qs} << 0 << u"cmdComment"_qs << QStringList{u"#<UP>"_qs} << 0;
    QTest::newRow("delete the last selects the new last")
        << QStringList{u"<UP>"_qs, u"<DOWN>"_qs} << 1 << u"cmdDelCommand"_qs << QStringList{u"<UP>"_qs} << 0;
    QTest::newRow("delete the only one")
        << QStringList{u"<UP>"_qs} << 0 << u"cmdDelCommand"_qs << QStringList{} << -1;
    QTest::newRow("CR before the selected one, which stays selected")
        << QStringList{u"<LOOP>2"_qs, u"  <UP>"_qs} << 1 << u"cmdAddCrlf"_qs
        << QStringList{u"<LOOP>2"_qs, u"  <CR>"_qs, u"  <UP>"_qs} << 2;
    QTest::newRow("loop end two blanks left of the body")
        << QStringList{u"<LOOP>2"_qs, u"  <UP>"_qs, u"<DOWN>"_qs} << 2 << u"cmdAddLoopEnd"_qs
        << QStringList{u"<LOOP>2"_qs, u"  <UP>"_qs, u"<LOOPEND>"_qs, u"<DOWN>"_qs} << 3;
    QTest::newRow("appending: no indentation, no selection")
        << QStringList{u"<LOOP>2"_qs} << -1 << u"cmdAddCrlf"_qs << QStringList{u"<LOOP>2"_qs, u"<CR>"_qs} << -1;
    QTest::newRow("tidy") << QStringList{u"<LOOP>2"_qs, u"<UP>"_qs, u"      <LOOPEND>"_qs, u"<LOOPEND>"_qs} << -1
                          << u"cmdCosmetic"_qs
                          << QStringList{u"<LOOP>2"_qs, u"  <UP>"_qs, u"<LOOPEND>"_qs, u"<LOOPEND>"_qs} << -1;
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
    QCOMPARE(e.MacroEdited, button != u"cmdCosmetic" && !(before == after && button != u"cmdComment"));
}

void TestMacroEditor::deletingAMacro_data()
{
    QTest::addColumn<bool>("ok");
    QTest::newRow("Cancel keeps the file and the main list") << false;
    QTest::newRow("OK deletes the file") << true;
}

void TestMacroEditor::deletingAMacro()
{
    QFETCH(bool, ok);
    writeMacro(u"a.mcr"_qs, {u"#A"_qs, u"<UP>"_qs});
    writeMacro(u"b.mcr"_qs, {u"#B"_qs, u"<DOWN>"_qs});
    frmMacro& e = openEditor({u"a.mcr"_qs, u"b.mcr"_qs});
    e.cmdDelMacro->click();
    QCOMPARE(boxes->shown.last().text, u"ファイルも削除されます。\r\n本当に削除してもよろしいですか？"_qs);
    QCOMPARE(entries(e.lstMacroList), QStringList{u"B"_qs});
    QCOMPARE(e.ShownMacroIndex, -1);
    QVERIFY(e.txtMacroName->text().isEmpty() && e.lstMacro->count() == 0);
    (ok ? e.cmdOK : e.cmdCancel)->click();
    QVERIFY(!e.isVisible());
    QCOMPARE(QFileInfo::exists(macroFolder() + u"a.mcr"_qs), !ok);
    QCOMPARE(window->macroFiles(), ok ? QStringList{u"b.mcr"_qs} : (QStringList{u"a.mcr"_qs, u"b.mcr"_qs}));
    QCOMPARE(window->cmbMacroList->count(), ok ? 1 : 2);
    QCOMPARE(window->cmbMacroList->itemText(0), ok ? u"B"_qs : u"A"_qs);
    QCOMPARE(window->cmbMacroList->itemData(0).toInt(), 0);
}

void TestMacroEditor::savingAsAddsAnEntry()
{
    writeMacro(u"a.mcr"_qs, {u"#A"_qs, u"<UP>"_qs});
    frmMacro& e = openEditor({u"a.mcr"_qs});
    e.cmdSaveAs->click();
    QCOMPARE(entries(e.lstMacroList), (QStringList{u"A"_qs, u"A"_qs}));
    QCOMPARE(entries(e.lstFileName), (QStringList{u"a.mcr"_qs, u"a.mcr"_qs}));
    QCOMPARE(e.ShownMacroIndex, -1);
    QVERIFY(e.txtFileName->text().isEmpty());
    // Removing one of the two entries leaves the file the other still lists.
    frmMacro::selectRow(e.lstMacroList, 0);
    e.cmdDelMacro->click();
    e.cmdOK->click();
    QVERIFY(QFileInfo::exists(macroFolder() + u"a.mcr"_qs));
    QCOMPARE(window->macroFiles(), QStringList{u"a.mcr"_qs});
}

void TestMacroEditor::savingNeverReplacesAnotherListedFile()
{
    writeMacro(u"a.mcr"_qs, {u"#A"_qs, u"<UP>"_qs});
    writeMacro(u"b.mcr"_qs, {u"#B"_qs, u"<DOWN>"_qs});
    frmMacro& e = openEditor({u"a.mcr"_qs, u"b.mcr"_qs});
    // Its own file is replaced in place.
    e.cmdAddCrlf->click();
    QVERIFY(e.cmdSaveMacro_Click());
    QCOMPARE(Cp932::ReadLines(macroFolder() + u"a.mcr"_qs).lines, (QStringList{u"#A"_qs, u"<UP>"_qs, u"<CR>"_qs}));
    QVERIFY(!e.MacroEdited);
    // Another listed macro's file name gets an underscore.
    e.txtFileName->setText(u"b"_qs);
    QVERIFY(e.cmdSaveMacro_Click());
    QCOMPARE(e.txtFileName->text(), u"b_.mcr"_qs);
    QCOMPARE(entries(e.lstFileName), (QStringList{u"b_.mcr"_qs, u"b.mcr"_qs}));
    QCOMPARE(Cp932::ReadLines(macroFolder() + u"b.mcr"_qs).lines, (QStringList{u"#B"_qs, u"<DOWN>"_qs}));
    // A new macro is appended and becomes the shown one, so a second save replaces it.
    e.cmdClearMacro->click();
    e.txtMacroName->setText(u"New"_qs);
    e.txtFileName->setText(u"n"_qs);
    QVERIFY(e.cmdSaveMacro_Click());
    QVERIFY(e.cmdSaveMacro_Click());
    QCOMPARE(entries(e.lstFileName), (QStringList{u"b_.mcr"_qs, u"b.mcr"_qs, u"n.mcr"_qs}));
    QCOMPARE(e.ShownMacroIndex, 2);
}

void TestMacroEditor::aFailedSaveOnCloseKeepsTheEditorOpen_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("message");
    QTest::newRow("a refused name") << u"bad?name"_qs << u"ファイル名に無効な文字が含まれています。"_qs;
    QTest::newRow("a file that cannot be written") << u"taken.mcr"_qs << u"マクロを保存できませんでした。"_qs;
}

void TestMacroEditor::aFailedSaveOnCloseKeepsTheEditorOpen()
{
    QFETCH(QString, fileName);
    QFETCH(QString, message);
    // A folder where the file would go cannot be replaced by it.
    QVERIFY(QDir().mkpath(macroFolder() + u"taken.mcr"_qs));
    frmMacro& e = openEditor({});
    e.cmdAddCrlf->click();
    e.txtMacroName->setText(u"t"_qs);
    e.txtFileName->setText(fileName);
    boxes->answers = {MsgAnswer::Yes};
    e.cmdOK->click();
    QCOMPARE(boxes->shown.size(), 2);
    QVERIFY2(boxes->shown[1].text.startsWith(message), qPrintable(boxes->shown[1].text));
    QVERIFY(e.isVisible());
    QCOMPARE(entries(e.lstMacro), QStringList{u"<CR>"_qs});
    QCOMPARE(e.txtFileName->text(), fileName);
    QCOMPARE(e.lstMacroList->count(), 0);
    QVERIFY(e.MacroEdited);
    QCOMPARE(window->macroFiles(), QStringList{QString()});
}

void TestMacroEditor::movingAMacroKeepsItsEdits()
{
    writeMacro(u"a.mcr"_qs, {u"#A"_qs, u"<UP>"_qs});
    writeMacro(u"b.mcr"_qs, {u"#B"_qs, u"<DOWN>"_qs});
    frmMacro& e = openEditor({u"a.mcr"_qs, u"b.mcr"_qs});
    e.cmdAddCrlf->click();
    e.cmdDownMacro->click();
    QVERIFY(boxes->shown.isEmpty());
    QCOMPARE(entries(e.lstFileName), (QStringList{u"b.mcr"_qs, u"a.mcr"_qs}));
    QCOMPARE(frmMacro::selectedRow(e.lstMacroList), 1);
    QCOMPARE(e.ShownMacroIndex, 1);
    QCOMPARE(entries(e.lstMacro), (QStringList{u"<UP>"_qs, u"<CR>"_qs}));
    boxes->answers = {MsgAnswer::No};
    e.cmdOK->click();
    QCOMPARE(window->macroFiles(), (QStringList{u"b.mcr"_qs, u"a.mcr"_qs}));
    QCOMPARE(window->cmbMacroList->itemText(1), u"A"_qs);
}

void TestMacroEditor::aRemovedEntryOutsideTheFolderIsNeverDeleted()
{
    writeMacro(u"a.mcr"_qs, {u"#A"_qs, u"<UP>"_qs});
    frmMacro& e = openEditor({u"../setting.ini"_qs, u"a.mcr"_qs});
    const QString settingsFile = home->path() + u"/setting.ini"_qs;
    QVERIFY(QFileInfo::exists(settingsFile));
    QCOMPARE(frmMacro::selectedRow(e.lstMacroList), 0);
    e.cmdDelMacro->click();
    e.cmdOK->click();
    QVERIFY(QFileInfo::exists(settingsFile));
    QCOMPARE(window->macroFiles(), QStringList{u"a.mcr"_qs});
}

void TestMacroEditor::builtSavedReloadedAndPlayed()
{
    frmMacro& e = openEditor({});
    e.txtMacroName->setText(u"全部"_qs);
    e.txtFileName->setText(u"all"_qs);
    e.chkRecording->setChecked(true);
    QTest::keyClick(e.txtInput, Qt::Key_Up, Qt::ControlModifier);
    bool reached = false;
    typeIntoDialog<frmLoopEdit>(u"2"_qs, reached);
    e.cmdLoopStart->click();
    QVERIFY(reached);
    typeIntoDialog<frmTextEdit>(u"かa\nb"_qs, reached);
    e.cmdAddText->click();
    QVERIFY(reached);
    e.cmdAddLoopEnd->click();
    typeIntoDialog<frmWaitEdit>(u"0.1"_qs, reached);
    e.cmdAddWait->click();
    QVERIFY(reached);
    typeIntoDialog<frmDialogEdit>(QString(), reached);
    e.AddDialog->click();
    QVERIFY(reached);
    e.chkRecording->setChecked(true);
    QTest::keyClick(e.txtInput, Qt::Key_5, Qt::KeypadModifier);
    QTest::keyClick(e.txtInput, Qt::Key_F3, Qt::ShiftModifier);
    e.lstMacro->addItem(u"#<F9>"_qs);
    const QStringList built{u"<CTRL>"_qs, u"<UP>"_qs, u"<LOOP>2"_qs, u"<TEXT>かa"_qs, u"<CR>"_qs, u"<TEXT>b"_qs,
                            u"<LOOPEND>"_qs, u"<WAIT>0.1"_qs, u"<DIALOG>"_qs, u"<TEN-5>"_qs, u"<F15>"_qs, u"#<F9>"_qs};
    QCOMPARE(entries(e.lstMacro), built);
    QVERIFY(e.cmdSaveMacro_Click());

    e.cmdClearMacro->click();
    e.ShowMacro(u"all.mcr"_qs);
    QCOMPARE(e.txtMacroName->text(), u"全部"_qs);
    QStringList indented = built;
    for (int i = 3; i <= 5; ++i)
        indented[i] = u"  "_qs + indented[i];
    QCOMPARE(entries(e.lstMacro), indented);
    e.cmdOK->click();

    QCOMPARE(window->cmbMacroList->currentText(), u"全部"_qs);
    window->cmdMacroStart->click();
    // Ctrl+UP, then twice か, a, CR, b; the keypad 5 and F15 (F3 with Shift); the disabled F9 not.
    const auto keyFrames = [this] { return KeyFrameList(handset->events()); };
    QVERIFY(QTest::qWaitFor([&] { return keyFrames().size() >= 11; }, 10'000));
    const QStringList frames = keyFrames();
    QCOMPARE(frames.size(), 11);
    QCOMPARE(frames.first(), u"911"_qs);
    QCOMPARE(frames.mid(1, 4), frames.mid(5, 4));
    QCOMPARE(boxes->shown.last().text, u"OKを押すと続行します。"_qs);
    QVERIFY2(handset->screen().text().startsWith(u"かa\nbかa\nb"_qs), qPrintable(handset->screen().text()));
}

void TestMacroEditor::theMainWindowOpensTheEditor()
{
    writeMacro(u"a.mcr"_qs, {u"#A"_qs, u"<UP>"_qs});
    start({u"a.mcr"_qs});
    QVERIFY(window->cmdMacroSetting->isEnabled());
    QVERIFY(window->mnuCOMMAND[0]->isEnabled());
    bool reached = false;
    whenModal<frmMacro>(
        [](frmMacro& e) {
            QCOMPARE(e.windowTitle(), u"キーマクロ編集"_qs);
            QVERIFY(e.isModal());
            e.cmdCancel->click();
        },
        reached);
    window->mnuCOMMAND[0]->trigger();
    QVERIFY(reached);
}

void TestMacroEditor::helpOpensAtTheEditorsTopic()
{
    frmMacro& e = openEditor({});
    e.cmdHelp->click();
    QCOMPARE(window->helpViewer().currentTopic(), u"macroeditor.html"_qs);
    QVERIFY(e.isVisible());
}

QTEST_MAIN(TestMacroEditor)
#include "tst_macroeditor.moc"
