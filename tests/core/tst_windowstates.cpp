// The windows' looks and the main window's states, offscreen: the program's icon everywhere,
// sizes that are whole-window sizes, the key help's first size, and the controls and pop-up
// menu during and after a macro run.
#include "MacroEditorFixture.h"
#include "helpwindows/frmAbout.h"
#include "helpwindows/frmKeyHelp.h"
#include "macros/CommandEditDialogs.h"
#include "macros/frmFileOpen.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

class TestWindowStates : public QObject, private MacroEditorFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }
    void everyWindowHasTheIcon();
    void sizesAreWholeWindowSizes();
    void keyHelpOpensWithAllColumns();
    void runStatesFollowTheRules();

private:
    int px(int twips) const { return frmMain::TwipsToPixels(twips, window->logicalDpiY()); }
};

void TestWindowStates::everyWindowHasTheIcon()
{
    frmMacro& editor = openEditor({});
    frmAbout about(0, window.get());
    frmWaitEdit wait(editor);
    // The handset's body left of its keys, in the picture's colour.
    for (const QIcon& icon : {window->windowIcon(), editor.windowIcon(), wait.windowIcon(), about.cmdICON->icon()})
        QCOMPARE(icon.pixmap(32).toImage().pixelColor(9, 20), QColor(0x2d, 0x3a, 0x4a));
}

void TestWindowStates::sizesAreWholeWindowSizes()
{
    frmMacro& editor = openEditor({});
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    // The frame and title bar count: the compact window is 975 twips high in all.
    window->chkHideOn->setValue(0);
    QTRY_COMPARE(window->frameGeometry().height(), px(975));
    window->chkHideOn->setValue(1);
    QTRY_COMPARE(window->frameGeometry().height(), px(4470));
    // The chooser and the text dialog snap back to their least heights, frame included.
    frmFileOpen chooser(editor);
    frmTextEdit text(editor);
    for (auto [dialog, least] : {std::pair<QDialog*, int>{&chooser, 1380}, {&text, 1335}}) {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        dialog->resize(dialog->width(), 20);
        QTRY_COMPARE(dialog->frameGeometry().height(), px(least));
    }
}

void TestWindowStates::keyHelpOpensWithAllColumns()
{
    start({});
    window->cmdKeyHelp_Click();
    frmKeyHelp* help = window->keyHelpWindow();
    QVERIFY(help && QTest::qWaitForWindowExposed(help));
    const QHeaderView* header = help->lstKeyHelp->header();
    QVERIFY(header->sectionViewportPosition(3) + header->sectionSize(3) <= help->lstKeyHelp->viewport()->width());
}

void TestWindowStates::runStatesFollowTheRules()
{
    writeMacro(u"a.mcr"_qs, {u"#a"_qs, u"<DIALOG>"_qs});
    writeMacro(u"b.mcr"_qs, {u"#b"_qs, u"<UP>"_qs});
    frmMain& w = start({u"a.mcr"_qs, u"b.mcr"_qs}, [](Settings& s, KeyMap&) { s.IMEON = 1; });
    // Compact display, IME switch on; during the run the display goes full and the IME off.
    w.chkHideOn->setValue(0);
    QStringList during;
    boxes->onShow = [&](const ShownMessage&) {
        QVERIFY(w.Form_MouseUp(Qt::RightButton, w.mapToGlobal(QPoint(5, 5))));
        for (QAction* entry : {w.mnuCOMMAND[0], w.mnuCOMMAND[1], w.mnuCOMMAND[2], w.mnuIME[0], w.mnuIME[1]})
            if (entry->isEnabled())
                during << entry->text();
        w.mnuMACRO[1]->trigger();
        w.mnuMENU->close();
        w.chkHideOn->setValue(1);
        w.chkIMEON->setValue(0);
        for (QWidget* control : std::initializer_list<QWidget*>{w.chkGetStatus, w.chkIMEON, w.cmbMacroList})
            if (control->isEnabled())
                during << control->objectName();
    };
    w.cmdMacroStart->click();
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(during, QStringList());
    QCOMPARE(w.cmbMacroList->currentIndex(), 0);
    // After it, each control as its rule has it now.
    QVERIFY(w.chkGetStatus->isEnabled() && w.chkIMEON->isEnabled() && !w.txtInput->isReadOnly());
    QVERIFY(!w.chkAlphaOrKana->isEnabled() && !w.chkKanaOrRoma->isEnabled());
    w.chkHideOn->setValue(0);
    QVERIFY(w.Form_MouseUp(Qt::RightButton, w.mapToGlobal(QPoint(5, 5))));
    QVERIFY(w.mnuCOMMAND[0]->isEnabled() && w.mnuCOMMAND[1]->isEnabled() && !w.mnuIME[1]->isEnabled());
    w.mnuMENU->close();
}

QTEST_MAIN(TestWindowStates)
#include "tst_windowstates.moc"
