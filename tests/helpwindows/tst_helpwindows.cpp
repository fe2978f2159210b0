// The help windows over a real main window: the key help tables and their window (the model read
// at load and stored at close, all columns shown, the table refilled from the current key map,
// the copy), and the About box from the menu. The help topics are opened from the options and the macro editor.
#include "MainWindowFixture.h"
#include "helpwindows/KeyHelpTable.h"
#include "helpwindows/frmAbout.h"
#include "helpwindows/frmKeyHelp.h"
#include "platform/DesktopServices.h"

#include <QClipboard>
#include <QHeaderView>
#include <QTreeWidget>

class TestHelpWindows : public QObject, private MainWindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }
    void keyHelpAndAbout();
};

// Every model's table, then the windows that show them and the About box.
void TestHelpWindows::keyHelpAndAbout()
{
    // Each family's function keys: F1, F2 ... in order, each once and fixed, then the range to
    // F24; only second lines between them. Every key is assigned elsewhere, each to a key with a
    // name: a family row that spelled a default key instead of the user's would show a key that
    // does nothing.
    const KeyMap remapped{35 /*End*/, 33 /*PageUp*/, 34 /*PageDown*/, 19 /*Pause*/, 145 /*ScrollLock*/, 46 /*Del*/,
                          8 /*BS*/,   27 /*Esc*/,    45 /*Ins*/,      36 /*Home*/,  40 /*↓*/,          38 /*↑*/};
    const QMap<QString, int> fixedKeys{{u"P"_qs, 4}, {u"N"_qs, 6}, {u"D"_qs, 12}, {u"SO"_qs, 2}, {u"F"_qs, 3}};
    const QStringList models = KeyHelpModels();
    QCOMPARE(models.size(), 17);
    for (const QString& model : models) {
        const QString family = model.startsWith(u"SO") ? u"SO"_qs : model.first(1);
        QString text;
        QStringList fromF1; // each keyed row from F1 on, with its fourth column
        bool afterF1 = false;
        for (const KeyHelpRow& row : KeyHelpRows(model, remapped)) {
            text += u'\n' + QStringList{row.key, row.function, row.withCtrl, row.reassignable}.join(u'|');
            afterF1 = afterF1 || row.key == u"F1";
            if (afterF1 && !row.key.isEmpty())
                fromF1 << row.key + row.reassignable;
        }
        QStringList expected;
        for (int f = 1; f <= fixedKeys[family]; ++f)
            expected << QStringLiteral("F%1×").arg(f);
        expected << QStringLiteral("F%1～F24×").arg(fixedKeys[family] + 1);
        QVERIFY2(fromF1 == expected, qPrintable(model + u": "_qs + fromF1.join(u' ')));
        QVERIFY2(!text.contains(u"Return"_qs) && !text.contains(u"BSまたはEsc"_qs) && !text.contains(u"←："_qs),
                 qPrintable(model + text));
        QVERIFY2(text.contains(u"\nScrollLock|決定キー|"_qs), qPrintable(model + text));
    }

    // The About box from the pop-up menu, on top like the main window and with its icon: each link
    // opens and closes it. The key help's model is read at opening and stored at closing, or at the
    // program's exit; its table shows the key map as it was when it was last filled; its pop-up
    // menu copies.
    frmMain& w = startWindow({.MostFront = 1, .PdcType = u"n504is"_qs});
    RecordingDesktopServices shell;
    for (const bool mail : {false, true}) {
        bool reached = false;
        whenModal<frmAbout>(
            [&](frmAbout& about) {
                QTest::mouseClick(mail ? about.lblMAIL : about.lblHOMEPAGE, Qt::LeftButton);
                QVERIFY(!about.isVisible() && about.result() == QDialog::Accepted);
                QVERIFY(about.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
                QCOMPARE(about.cmdICON->icon().pixmap(32).toImage(), w.windowIcon().pixmap(32).toImage());
            },
            reached);
        w.mnuCOMMAND[7]->trigger();
        QVERIFY(reached);
    }
    QCOMPARE(shell.opened, (QStringList{frmAbout::HomePage(), u"mailto:"_qs + frmAbout::MailAddress()}));
    QTest::mouseClick(w.cmdKeyHelp, Qt::LeftButton);
    QVERIFY(w.keyHelpWindow());
    frmKeyHelp& first = *w.keyHelpWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&first));
    QVERIFY(!first.isModal());
    // Another letter case names no model: nothing selected, no table.
    QCOMPARE(first.cmbPdcType->currentText(), QString());
    QCOMPARE(first.lstKeyHelp->topLevelItemCount(), 0);
    // A second click brings the open window forward instead of another one.
    QTest::mouseClick(w.cmdKeyHelp, Qt::LeftButton);
    QCOMPARE(w.keyHelpWindow(), &first);
    first.cmbPdcType->setCurrentIndex(0);
    // All four columns show at the first size.
    const QHeaderView* header = first.lstKeyHelp->header();
    QVERIFY(header->sectionViewportPosition(3) + header->sectionSize(3) <= first.lstKeyHelp->viewport()->width());
    w.keyMap().KEY_OK = 145;
    QCOMPARE(first.lstKeyHelp->topLevelItem(1)->text(0), u"Return"_qs);
    // The pop-up menu copies the selected rows in table order, without the fourth column.
    first.lstKeyHelp->topLevelItem(13)->setSelected(true);
    first.lstKeyHelp->topLevelItem(12)->setSelected(true);
    QTest::mouseRelease(first.lstKeyHelp->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(!first.mnuMENU->isVisible());
    QTest::mouseRelease(first.lstKeyHelp->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    QTRY_VERIFY(first.mnuMENU->isVisible());
    first.mnuEdit->trigger();
    first.mnuMENU->close();
    QCOMPARE(QApplication::clipboard()->text(),
             u"PageDown, オンフック(電話切断), ―, \r\n, メール作成画面で押すと､現在の時刻を表示, , \r\n"_qs);
    first.cmbPdcType->setCurrentIndex(first.cmbPdcType->findText(u"F504i"_qs));
    QCOMPARE(first.lstKeyHelp->topLevelItem(1)->text(0), u"ScrollLock"_qs);
    QCOMPARE(w.settings().PdcType, u"n504is"_qs); // only at close
    first.close();
    QTRY_VERIFY(!w.keyHelpWindow());
    // Stored at closing, the model is the one the next window opens with.
    w.mnuCOMMAND_Click(5);
    QPointer<frmKeyHelp> second = w.keyHelpWindow();
    QVERIFY(second);
    QCOMPARE(second->cmbPdcType->currentText(), u"F504i"_qs);
    QCOMPARE(second->lstKeyHelp->topLevelItemCount(), KeyHelpRows(u"F504i"_qs, w.keyMap()).size());
    second->cmbPdcType->setCurrentIndex(second->cmbPdcType->findText(u"SO503i"_qs));
    w.close();
    QVERIFY(w.exited() && !second);
    QVERIFY(FileBytes(settingsPath()).contains("PdcType=SO503i\r\n"));
}

QTEST_MAIN(TestHelpWindows)
#include "tst_helpwindows.moc"
