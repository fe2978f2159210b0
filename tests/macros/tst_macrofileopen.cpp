// The macro file chooser over a real macro editor and a temporary Macro folder: what it
// lists, loading a file without touching the editor's selection, deleting, and its layout.
#include "MacroEditorFixture.h"
#include "macros/frmFileOpen.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

class TestMacroFileOpen : public QObject, private MacroEditorFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }
    void listsOnlyMacroFiles();
    void aMissingFolderListsNothing();
    void loading_data();
    void loading();
    void deletingAListedFile();
};

void TestMacroFileOpen::listsOnlyMacroFiles()
{
    writeMacro(u"b.mcr"_qs, {u"#B"_qs});
    writeMacro(u"a.mcr"_qs, {u"#A"_qs});
    writeMacro(u"notes.txt"_qs, {u"x"_qs});
    writeMacro(u"a.mcr.bak"_qs, {u"x"_qs});
    QVERIFY(QDir().mkpath(macroFolder() + u"folder.mcr"_qs));
    frmMacro& e = openEditor({});
    frmFileOpen chooser(e);
    QCOMPARE(chooser.windowTitle(), u"マクロファイルの選択"_qs);
    QCOMPARE(entries(chooser.filMacroFile), (QStringList{u"a.mcr"_qs, u"b.mcr"_qs}));
}

void TestMacroFileOpen::aMissingFolderListsNothing()
{
    frmMacro& e = openEditor({});
    QVERIFY(!QFileInfo::exists(macroFolder()));
    frmFileOpen chooser(e);
    QCOMPARE(chooser.filMacroFile->count(), 0);
    chooser.show();
    chooser.cmdOK->click();
    QVERIFY(!chooser.isVisible());
    QVERIFY(boxes->shown.isEmpty());
}

void TestMacroFileOpen::loading_data()
{
    QTest::addColumn<QStringList>("file");
    QTest::addColumn<QString>("name");
    QTest::newRow("a title line replaces the name") << QStringList{u"#Other, titled"_qs, u"<left>"_qs} << u"Other, titled"_qs;
    QTest::newRow("without one the name box stays") << QStringList{u"<left>"_qs} << u"A"_qs;
}

void TestMacroFileOpen::loading()
{
    QFETCH(QStringList, file);
    QFETCH(QString, name);
    writeMacro(u"a.mcr"_qs, {u"#A"_qs, u"<UP>"_qs});
    writeMacro(u"other.mcr"_qs, file);
    frmMacro& e = openEditor({u"a.mcr"_qs});
    e.cmdAddCrlf->click();
    // Through the editor's button: the question first, then a double-click on the file.
    bool reached = false;
    whenModal<frmFileOpen>(
        [](frmFileOpen& chooser) {
            const QList<QListWidgetItem*> found = chooser.filMacroFile->findItems(u"other.mcr"_qs, Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            doubleClickRow(chooser.filMacroFile, chooser.filMacroFile->row(found.front()));
        },
        reached);
    e.cmdFileOpen->click();
    QVERIFY(reached);
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(e.txtFileName->text(), u"other.mcr"_qs);
    QCOMPARE(e.txtMacroName->text(), name);
    QCOMPARE(entries(e.lstMacro), QStringList{u"<LEFT>"_qs});
    // The editor's selection and its edited mark stay as they were.
    QCOMPARE(frmMacro::selectedRow(e.lstMacroList), 0);
    QCOMPARE(e.ShownMacroIndex, 0);
    QVERIFY(e.MacroEdited);
    // So saving replaces the selected entry with the loaded file.
    QVERIFY(e.cmdSaveMacro_Click());
    QCOMPARE(entries(e.lstFileName), QStringList{u"other.mcr"_qs});
}

void TestMacroFileOpen::deletingAListedFile()
{
    writeMacro(u"a.mcr"_qs, {u"#A"_qs, u"<UP>"_qs});
    writeMacro(u"b.mcr"_qs, {u"#B"_qs, u"<DOWN>"_qs});
    frmMacro& e = openEditor({u"a.mcr"_qs, u"b.mcr"_qs});
    frmFileOpen chooser(e);
    chooser.show();
    frmMacro::selectRow(chooser.filMacroFile, 1);
    boxes->answers = {MsgAnswer::No};
    chooser.cmdDelFile->click();
    QCOMPARE(boxes->shown.last().text, u"ファイルを削除します。よろしいですか？"_qs);
    QCOMPARE(boxes->shown.last().icon, MsgIcon::Question);
    QVERIFY(QFileInfo::exists(macroFolder() + u"b.mcr"_qs));
    chooser.cmdDelFile->click();
    QVERIFY(!QFileInfo::exists(macroFolder() + u"b.mcr"_qs));
    QCOMPARE(entries(chooser.filMacroFile), QStringList{u"a.mcr"_qs});
    QVERIFY(chooser.isVisible());
    // Nothing selected: the question, then nothing deleted.
    chooser.cmdDelFile->click();
    QVERIFY(QFileInfo::exists(macroFolder() + u"a.mcr"_qs));
    chooser.cmdCancel->click();

    // The editor still lists it, and selecting it reports the missing file.
    QCOMPARE(entries(e.lstMacroList), (QStringList{u"A"_qs, u"B"_qs}));
    boxes->shown.clear();
    frmMacro::selectRow(e.lstMacroList, 1);
    QCOMPARE(boxes->shown.size(), 1);
    QVERIFY(boxes->shown[0].text.startsWith(u"ファイルが見つかりませんでした。"_qs));
    QCOMPARE(e.lstMacro->count(), 0);
}

QTEST_MAIN(TestMacroFileOpen)
#include "tst_macrofileopen.moc"
