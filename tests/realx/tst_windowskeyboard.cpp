// The editor, its dialogs and the options dialog from a real keyboard and mouse: the windows
// live in this process on a real X server (Xvfb, started around the test by xvfb-run), and every
// key and click reaches them through XTest (xdotool), with X's focus, mnemonics and button events.
#include "MainWindowFixture.h"
#include "macros/CommandEditDialogs.h"
#include "settings/KeyCaptureBox.h"
#include "settings/frmOption.h"

#include <QProcess>
#include <QScopeGuard>

namespace {

bool xdo(const QStringList& arguments) { return QProcess::execute(u"xdotool"_qs, arguments) == 0; }
// Chords one after another, separated by blanks.
bool press(const QString& chords) { return xdo(QStringList{u"key"_qs} + chords.split(u' ')); }
bool layout(const QString& name) { return QProcess::execute(u"setxkbmap"_qs, {u"-layout"_qs, name}) == 0; }
bool click(const QWidget* widget, QPoint at, int button = 1)
{
    const QPoint p = widget->mapToGlobal(at);
    return xdo({u"mousemove"_qs, QString::number(p.x()), QString::number(p.y()), u"click"_qs, QString::number(button)});
}

} // namespace

class TestWindowsKeyboard : public QObject, private MainWindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(setUpFixture()); }
    void cleanup() { tearDownFixture(); }

    void commandDialogsTakeTypingAtOnce_data()
    {
        QTest::addColumn<QString>("shown"); // the command re-edited, or none for a new one
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("wait") << QString() << u"0.5"_qs << u"<WAIT>0.5"_qs;
        QTest::newRow("loop re-edited") << u"<LOOP>5"_qs << u"7"_qs << u"<LOOP>7"_qs;
        QTest::newRow("text re-edited: the cursor at the end") << u"<TEXT>ab"_qs << u"c"_qs << u"<TEXT>abc"_qs;
    }

    void commandDialogsTakeTypingAtOnce()
    {
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        frmMacro& e = openEditor({});
        QVERIFY(activate(&e));
        if (!shown.isEmpty()) {
            e.lstMacro->addItem(shown);
            frmMacro::selectRow(e.lstMacro, 0);
        }
        const bool reached = whileOpen<CommandEditDialog>(
            [&] { shown.isEmpty() ? e.cmdAddWait->click() : void(e.EditSelectedCommand()); },
            [&](CommandEditDialog& dialog) {
                QVERIFY(xdo({u"type"_qs, typed}));
                // Enter would break the text's line, so its OK is clicked.
                QVERIFY(expected.startsWith(u"<TEXT>") ? click(dialog.cmdOK, dialog.cmdOK->rect().center()) : press(u"Return"_qs));
            });
        QVERIFY(reached);
        QCOMPARE(entries(e.lstMacro), QStringList{expected});
    }

    void recordingTakesOnlyTheHandsetsKeys_data()
    {
        QTest::addColumn<QString>("chords");
        QTest::addColumn<QStringList>("added"); // by the chords
        QTest::addColumn<bool>("ends");
        QTest::newRow("Tab") << u"Tab"_qs << QStringList() << true;
        QTest::newRow("Shift+Tab") << u"shift+Tab"_qs << QStringList() << true;
        QTest::newRow("Alt+C, the line break button's mnemonic") << u"alt+c"_qs << QStringList{u"<CR>"_qs} << true;
        // Keys the handset has no use for, on the Japanese keyboard, against key map entries of 0.
        QTest::newRow("keys mapped to 0")
            << u"comma at bracketleft Super_L shift+comma Up"_qs << QStringList{u"<UP>"_qs} << false;
    }

    void recordingTakesOnlyTheHandsetsKeys()
    {
        QFETCH(QString, chords);
        QFETCH(QStringList, added);
        QFETCH(bool, ends);
        QVERIFY(layout(u"jp"_qs));
        const auto us = qScopeGuard([] { layout(u"us"_qs); });
        frmMacro& e = openEditor({}, [](Settings&, KeyMap& k, MainWindowSettings&) { k.KEY_Left = k.KEY_OK = 0; });
        QVERIFY(activate(&e));
        QVERIFY(press(u"alt+k"_qs));
        QTRY_VERIFY(e.chkRecording->isChecked() && QApplication::focusWidget() == e.txtInput);
        // Alt+Up means nothing to the handset; Up is recorded.
        QVERIFY(press(u"alt+Up Up"_qs));
        QTRY_COMPARE(entries(e.lstMacro), QStringList{u"<UP>"_qs});
        QVERIFY(press(chords));
        // Recording ends when the keyboard leaves the box.
        QTRY_COMPARE(e.chkRecording->isChecked(), !ends);
        QTRY_COMPARE(entries(e.lstMacro), QStringList{u"<UP>"_qs} + added);
        QCOMPARE(QApplication::focusWidget() == e.txtInput, !ends);
    }

    void rightClickOnTheMacroListChangesNothing()
    {
        writeMacro(u"a.mcr"_qs, {u"#a"_qs, u"<UP>"_qs});
        writeMacro(u"b.mcr"_qs, {u"#b"_qs, u"<DOWN>"_qs});
        frmMacro& e = openEditor({u"a.mcr"_qs, u"b.mcr"_qs});
        QVERIFY(activate(&e));
        e.cmdAddCrlf->click();
        // On b, while a is shown with an edit: the menu comes up for a, nothing is asked.
        QVERIFY(click(e.lstMacroList->viewport(), e.lstMacroList->visualItemRect(e.lstMacroList->item(1)).center(), 3));
        QTRY_VERIFY(e.macroMenu->isVisible());
        QCOMPARE(frmMacro::selectedRow(e.lstMacroList), 0);
        QCOMPARE(e.ShownMacroIndex, 0);
        QCOMPARE(boxes->shown.size(), 0);
        QVERIFY(press(u"Escape"_qs));
        QTRY_VERIFY(!e.macroMenu->isVisible());
    }

    void enterNeverConfirmsTheKeyTab()
    {
        start({});
        const std::unique_ptr<frmOption> options = window->newOptionDialog();
        int result = -1;
        const bool reached = whileOpen<frmOption>([&] { result = options->exec(); }, [](frmOption& d) {
            QVERIFY(click(d.tbsOption, d.tbsOption->tabRect(3).center()));
            QTRY_VERIFY(d.fraKeyMap->isVisible());
            // Round the buttons, which take the default role as they pass, back to the tab strip.
            for (QWidget* goal : {static_cast<QWidget*>(d.cmdCancel), static_cast<QWidget*>(d.tbsOption)})
                for (int i = 0; i < 30 && QApplication::focusWidget() != goal; ++i) {
                    QWidget* before = QApplication::focusWidget();
                    QVERIFY(press(u"Tab"_qs));
                    QTRY_VERIFY(QApplication::focusWidget() != before);
                }
            QCOMPARE(QApplication::focusWidget(), d.tbsOption);
            QVERIFY(press(u"Return"_qs));
            // In a key box Enter is the key to assign.
            QVERIFY(click(d.txtKey[0], d.txtKey[0]->rect().center()));
            QVERIFY(press(u"Return"_qs));
            QTRY_COMPARE(d.txtKey[0]->text(), u"13"_qs);
            QVERIFY(d.isVisible());
            d.cmdCancel_Click();
        });
        QVERIFY(reached);
        QCOMPARE(result, int(QDialog::Rejected));
    }

private:
    // Until X has given the window the keyboard focus.
    static bool activate(QWidget* window)
    {
        window->activateWindow();
        return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
    }

    // Runs `open`, which shows a modal D, and lets `act` work on it once it is up and active.
    // A dialog still open after 20 s is cancelled, so that a fault fails instead of hanging.
    template <typename D>
    static bool whileOpen(const std::function<void()>& open, const std::function<void(D&)>& act)
    {
        bool reached = false;
        QTimer::singleShot(0, qApp, [&] {
            if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
                QTimer::singleShot(20'000, dialog, &QDialog::reject);
                reached = activate(dialog);
                if (reached)
                    act(*dialog);
            }
        });
        open();
        return reached;
    }
};

QTEST_MAIN(TestWindowsKeyboard)
#include "tst_windowskeyboard.moc"
