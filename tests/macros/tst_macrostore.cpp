// The macro editor's list of macros and what it stores: a save follows the macro shown, the
// Delete key in both lists, the questions that keep things as they were, typed names saved on
// closing and published to the main window, and the editor's windows kept on top with it.
#include "MacroEditorFixture.h"
#include "helpwindows/frmAbout.h"
#include "macros/CommandEditDialogs.h"
#include "macros/frmFileOpen.h"
#include "settings/MacroFields.h"
#include "settings/SettingsFiles.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

class TestMacroStore : public QObject, private MacroEditorFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }
    void saveFollowsTheShownMacro();
    void deleteKeysMovingAndNo();
    void keptOnTopWithTheMainWindow();
    void typedNamesRoundTripOrAreRefused_data();
    void typedNamesRoundTripOrAreRefused();

private:
    void writeMacros(const QStringList& names)
    {
        for (const QString& name : names)
            writeMacro(name + u".mcr"_qs, {u'#' + name, u"<UP>"_qs, u"<DOWN>"_qs});
    }
};

void TestMacroStore::saveFollowsTheShownMacro()
{
    writeMacros({u"a"_qs, u"b"_qs});
    frmMacro& e = openEditor({u"a.mcr"_qs, u"b.mcr"_qs});
    QListWidget* list = e.lstMacroList;
    // Ctrl+click takes the selection from the macro shown, which stays shown.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualItemRect(list->item(0)).center());
    QVERIFY(list->selectedItems().isEmpty());
    e.cmdAddCrlf->click();
    e.cmdSaveMacro->click();
    QCOMPARE(entries(e.lstFileName), (QStringList{u"a.mcr"_qs, u"b.mcr"_qs}));
    QVERIFY(!QFile::exists(macroFolder() + u"a_.mcr"_qs));
    QCOMPARE(Cp932::ReadLines(macroFolder() + u"a.mcr"_qs).lines, (QStringList{u"#a"_qs, u"<UP>"_qs, u"<DOWN>"_qs, u"<CR>"_qs}));
}

void TestMacroStore::deleteKeysMovingAndNo()
{
    writeMacros({u"a"_qs, u"b"_qs, u"c"_qs});
    frmMacro& e = openEditor({u"a.mcr"_qs, u"b.mcr"_qs, u"c.mcr"_qs});
    frmMacro::selectRow(e.lstMacro, 0);
    QTest::keyClick(e.lstMacro, Qt::Key_Delete);
    QCOMPARE(entries(e.lstMacro), QStringList{u"<DOWN>"_qs});
    // No before the chooser keeps the edits and opens nothing.
    bool reached = false;
    whenModal<frmFileOpen>([](frmFileOpen& chooser) { chooser.cmdCancel_Click(); }, reached);
    boxes->answers = {MsgAnswer::No};
    e.cmdFileOpen->click();
    QTest::qWait(0);
    QVERIFY(!reached);
    QVERIFY(e.MacroEdited);
    // Yes gives the edits up for b, which then moves up, loaded again.
    boxes->answers = {MsgAnswer::Yes};
    frmMacro::selectRow(e.lstMacroList, 1);
    e.cmdUpMacro->click();
    QCOMPARE(entries(e.lstFileName), (QStringList{u"b.mcr"_qs, u"a.mcr"_qs, u"c.mcr"_qs}));
    QCOMPARE(e.ShownMacroIndex, 0);
    QCOMPARE(entries(e.lstMacro), (QStringList{u"<UP>"_qs, u"<DOWN>"_qs}));
    // The Delete key asks; No keeps the macro, Yes removes it from the list only.
    boxes->answers = {MsgAnswer::No};
    QTest::keyClick(e.lstMacroList, Qt::Key_Delete);
    QCOMPARE(entries(e.lstFileName), (QStringList{u"b.mcr"_qs, u"a.mcr"_qs, u"c.mcr"_qs}));
    boxes->answers = {MsgAnswer::Yes};
    QTest::keyClick(e.lstMacroList, Qt::Key_Delete);
    QCOMPARE(boxes->shown.last().text, u"ファイルも削除されます。\r\n本当に削除してもよろしいですか？"_qs);
    QCOMPARE(entries(e.lstFileName), (QStringList{u"a.mcr"_qs, u"c.mcr"_qs}));
    QVERIFY(QFile::exists(macroFolder() + u"b.mcr"_qs));
}

void TestMacroStore::keptOnTopWithTheMainWindow()
{
    frmMacro& e = openEditor({}, [](Settings& s, KeyMap&) { s.MostFront = 1; });
    frmFileOpen chooser(e);
    frmLoopEdit loop(e);
    for (QWidget* w : std::initializer_list<QWidget*>{&e, &chooser, &loop})
        QVERIFY2(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint), qPrintable(w->objectName()));
    // The About box from the pop-up menu, on top as well.
    bool reached = false;
    whenModal<frmAbout>(
        [](frmAbout& about) {
            QVERIFY(about.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            about.close();
        },
        reached);
    e.close();
    window->mnuCOMMAND[7]->trigger();
    QVERIFY(reached);
}

void TestMacroStore::typedNamesRoundTripOrAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("250 Japanese characters, too long a file name")
        << QString(250, u'長') << u"マクロを保存できませんでした。"_qs;
    QTest::newRow("only blanks") << u"   "_qs << QString();
    QTest::newRow("a comma") << u"買い物,メモ"_qs << QString();
    QTest::newRow("a leading blank") << u" 先頭"_qs << QString();
    QTest::newRow("a way out of the folder") << u"../x"_qs << u"ファイル名に無効な文字が含まれています。"_qs;
}

void TestMacroStore::typedNamesRoundTripOrAreRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, refusal);
    frmMacro& e = openEditor({});
    e.txtMacroName->setText(name);
    e.txtFileName->setText(name);
    e.cmdAddCrlf->click();
    // Closing asks whether to save; the save publishes the list to the main window.
    boxes->answers = {MsgAnswer::Yes};
    e.cmdOK->click();
    QCOMPARE(e.isVisible(), !refusal.isEmpty());
    if (refusal.isEmpty()) {
        QCOMPARE(boxes->shown.size(), 1);
        // What the exit writes into [Macro] reads back as the same list.
        MainWindowSettings written;
        written.MacroFiles = window->macroFiles();
        QCOMPARE(ReadMacroEntries(SettingsFileLines(Settings{}, written), false), QStringList{name + u".mcr"_qs});
        QCOMPARE(window->cmbMacroList->count(), 1);
        QCOMPARE(Cp932::ReadLines(macroFolder() + name + u".mcr"_qs).lines, (QStringList{u'#' + name, u"<CR>"_qs}));
    } else {
        QVERIFY(boxes->shown.last().text.startsWith(refusal));
        QCOMPARE(e.lstFileName->count(), 0);
    }
    // Nothing but the settings files and the Macro folder, which holds at most the one file.
    QStringList files = QDir(home->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    QVERIFY(files.removeAll(QFileInfo(macroFolder()).dir().dirName()) <= 1);
    QCOMPARE(files, (QStringList{u"keymap.ini"_qs, u"setting.ini"_qs}));
    QVERIFY(QDir(macroFolder()).entryList(QDir::Files).size() <= (refusal.isEmpty() ? 1 : 0));
}

QTEST_MAIN(TestMacroStore)
#include "tst_macrostore.moc"
