// The key help window: the model read at load and stored at close, the table refilled from the
// current key map, the copy from its pop-up menu, the height rule, and how the main window
// opens it, never modal and never above other programs.
#include "MainWindowFixture.h"
#include "core/frmMain.h"
#include "helpwindows/KeyHelpTable.h"
#include "helpwindows/frmKeyHelp.h"
#include "settings/SettingsFiles.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

QStringList ListCells(const QTreeWidget* list)
{
    QStringList cells;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        cells.append(QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join(u'|'));
    }
    return cells;
}

QStringList TableCells(QStringView model, const KeyMap& keyMap)
{
    QStringList cells;
    for (const KeyHelpRow& row : KeyHelpRows(model, keyMap))
        cells.append(QStringList{row.key, row.function, row.withCtrl, row.reassignable}.join(u'|'));
    return cells;
}

int Px(const QWidget* w, int twips) { return frmMain::TwipsToPixels(twips, w->logicalDpiY()); }

} // namespace

class TestKeyHelp : public QObject, private MainWindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void loadSelectsTheStoredModel_data();
    void loadSelectsTheStoredModel();
    void selectorRefillsFromTheCurrentKeyMap();
    void copyFromThePopUpMenu_data();
    void copyFromThePopUpMenu();
    void heightRule();
    void chosenModelShownAtTheNextOpening();
    void neverKeptOnTop();
    void exitKeepsTheModelOfAnOpenWindow();

private:
    frmMain& start(const QString& pdcType = u"P504i"_qs, std::int16_t mostFront = 0);
    frmKeyHelp& openFromMain();
};

void TestKeyHelp::init() { QVERIFY(setUpFixture()); }

void TestKeyHelp::cleanup() { tearDownFixture(); }

frmMain& TestKeyHelp::start(const QString& pdcType, std::int16_t mostFront)
{
    Settings s;
    s.PdcType = pdcType;
    s.MostFront = mostFront;
    if (!WriteSettingsFileIn(home->path() + u'/', s, {}).result.ok)
        qFatal("setting.ini not written");
    window = std::make_unique<frmMain>(ParseCommandLine({}));
    window->Form_Load();
    window->show();
    return *window;
}

frmKeyHelp& TestKeyHelp::openFromMain()
{
    QTest::mouseClick(window->cmdKeyHelp, Qt::LeftButton);
    frmKeyHelp* help = window->keyHelpWindow();
    if (!help || !QTest::qWaitForWindowExposed(help))
        qFatal("key help window not shown");
    return *help;
}

void TestKeyHelp::loadSelectsTheStoredModel_data()
{
    QTest::addColumn<QString>("pdcType");
    QTest::addColumn<int>("index");
    QTest::newRow("N504is") << u"N504is"_qs << 6;
    QTest::newRow("first model") << u"P504i"_qs << 0;
    QTest::newRow("last model") << u"F504i"_qs << 16;
    QTest::newRow("empty: nothing") << QString() << -1;
    QTest::newRow("other letter case: nothing") << u"n504is"_qs << -1;
    QTest::newRow("unknown model: nothing") << u"不明"_qs << -1;
}

void TestKeyHelp::loadSelectsTheStoredModel()
{
    QFETCH(QString, pdcType);
    QFETCH(int, index);
    frmMain& w = start(pdcType);
    frmKeyHelp& help = openFromMain();
    QCOMPARE(help.windowTitle(), u"キーの説明"_qs);
    const QStringList models{u"P504i"_qs,  u"P503i"_qs,  u"P503is"_qs, u"P502i"_qs, u"P211i"_qs, u"N504i"_qs,
                             u"N504is"_qs, u"N503i"_qs,  u"N503is"_qs, u"N251i"_qs, u"N210i"_qs, u"D503i"_qs,
                             u"D503is"_qs, u"D502i"_qs,  u"D209i"_qs,  u"SO503i"_qs, u"F504i"_qs};
    QStringList items;
    for (int i = 0; i < help.cmbPdcType->count(); ++i)
        items.append(help.cmbPdcType->itemText(i));
    QCOMPARE(items, models);
    QCOMPARE(help.lstKeyHelp->headerItem()->text(2), u"Ctrlを押しながらの場合"_qs);
    QCOMPARE(help.cmbPdcType->currentIndex(), index);
    QCOMPARE(ListCells(help.lstKeyHelp), TableCells(index < 0 ? QString() : models[index], KeyMap{}));
    QCOMPARE(help.lstKeyHelp->topLevelItemCount() == 0, index < 0);
    QTest::mouseClick(help.cmdClose, Qt::LeftButton);
    QTRY_VERIFY(!w.keyHelpWindow());
    QCOMPARE(w.settings().PdcType, index < 0 ? QString() : models[index]);
}

void TestKeyHelp::selectorRefillsFromTheCurrentKeyMap()
{
    frmMain& w = start();
    frmKeyHelp& help = openFromMain();
    QCOMPARE(help.lstKeyHelp->topLevelItem(1)->text(0), u"Return"_qs);
    // The table shows the key map as it was when it was last filled.
    w.keyMap().KEY_OK = 145;
    QCOMPARE(help.lstKeyHelp->topLevelItem(1)->text(0), u"Return"_qs);
    help.cmbPdcType->setCurrentIndex(help.cmbPdcType->findText(u"F504i"_qs));
    QCOMPARE(ListCells(help.lstKeyHelp), TableCells(u"F504i", w.keyMap()));
    QCOMPARE(help.lstKeyHelp->topLevelItem(1)->text(0), u"ScrollLock"_qs);
    QCOMPARE(help.lstKeyHelp->topLevelItem(2)->text(0), u"Shift + ScrollLock"_qs);
}

void TestKeyHelp::copyFromThePopUpMenu_data()
{
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing selected clears the clipboard") << QList<int>{} << QString();
    QTest::newRow("one row, fourth column left out") << QList<int>{1} << u"Return, 決定キー, ―, \r\n"_qs;
    QTest::newRow("rows in table order, second line included")
        << QList<int>{13, 12} << u"PageDown, オンフック(電話切断), ―, \r\n, メール作成画面で押すと､現在の時刻を表示, , \r\n"_qs;
}

void TestKeyHelp::copyFromThePopUpMenu()
{
    QFETCH(QList<int>, selected);
    QFETCH(QString, text);
    start();
    frmKeyHelp& help = openFromMain();
    QApplication::clipboard()->setText(u"before"_qs);
    for (int row : selected)
        help.lstKeyHelp->topLevelItem(row)->setSelected(true);
    QWidget* viewport = help.lstKeyHelp->viewport();
    QTest::mouseRelease(viewport, Qt::RightButton, {}, QPoint(20, 20));
    QTRY_VERIFY(help.mnuMENU->isVisible());
    QCOMPARE(help.mnuEdit->text(), u"コピー"_qs);
    help.mnuEdit->trigger();
    help.mnuMENU->close();
    QCOMPARE(QApplication::clipboard()->text(), text);
    // The left button pops up nothing.
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(!help.mnuMENU->isVisible());
}

void TestKeyHelp::heightRule()
{
    start();
    frmKeyHelp& help = openFromMain();
    help.resize(help.width(), 20);
    QTRY_COMPARE(help.frameGeometry().height(), Px(&help, frmKeyHelp::kMinimumTwips));
    help.resize(700, 500);
    QTRY_COMPARE(help.height(), 500);
    const int widthTwips = frmMain::PixelsToTwips(help.frameGeometry().width(), help.logicalDpiY());
    const int heightTwips = frmMain::PixelsToTwips(help.frameGeometry().height(), help.logicalDpiY());
    QCOMPARE(help.lstKeyHelp->geometry(),
             QRect(Px(&help, 120), Px(&help, 120), Px(&help, widthTwips - 360), Px(&help, heightTwips - 1065)));
    QCOMPARE(help.cmbPdcType->y(), Px(&help, heightTwips - 840));
    QCOMPARE(help.cmdClose->y(), Px(&help, heightTwips - 840));
    QVERIFY(help.cmdClose->geometry().right() <= help.lstKeyHelp->geometry().right());
}

void TestKeyHelp::chosenModelShownAtTheNextOpening()
{
    frmMain& w = start();
    frmKeyHelp& first = openFromMain();
    QVERIFY(!first.isModal());
    QVERIFY(!QApplication::activeModalWidget());
    // A second click brings the open window forward instead of another one.
    QTest::mouseClick(w.cmdKeyHelp, Qt::LeftButton);
    QCOMPARE(w.keyHelpWindow(), &first);
    first.cmbPdcType->setCurrentIndex(first.cmbPdcType->findText(u"N210i"_qs));
    QCOMPARE(w.settings().PdcType, u"P504i"_qs); // only at close
    QTest::mouseClick(first.cmdClose, Qt::LeftButton);
    QTRY_VERIFY(!w.keyHelpWindow());
    QCOMPARE(w.settings().PdcType, u"N210i"_qs);

    frmKeyHelp& second = openFromMain();
    QCOMPARE(second.cmbPdcType->currentText(), u"N210i"_qs);
    QCOMPARE(ListCells(second.lstKeyHelp), TableCells(u"N210i", KeyMap{}));
    // Closing from the title bar stores the model too, and so does the menu's entry open it.
    second.cmbPdcType->setCurrentIndex(second.cmbPdcType->findText(u"D209i"_qs));
    second.close();
    QTRY_VERIFY(!w.keyHelpWindow());
    QCOMPARE(w.settings().PdcType, u"D209i"_qs);
    w.mnuCOMMAND_Click(5);
    QVERIFY(w.keyHelpWindow());
    QCOMPARE(w.keyHelpWindow()->cmbPdcType->currentText(), u"D209i"_qs);
}

void TestKeyHelp::neverKeptOnTop()
{
    frmMain& w = start(u"P504i"_qs, 1);
    QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    frmKeyHelp& help = openFromMain();
    help.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&help));
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(&help, &activation);
    QVERIFY(!help.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    // Not owned by the main window, so that window's order does not carry it along.
    QVERIFY(!help.parentWidget());
}

void TestKeyHelp::exitKeepsTheModelOfAnOpenWindow()
{
    frmMain& w = start();
    QPointer<frmKeyHelp> help = &openFromMain();
    help->cmbPdcType->setCurrentIndex(help->cmbPdcType->findText(u"SO503i"_qs));
    w.close();
    QVERIFY(w.exited());
    QVERIFY(!help);
    QFile file(SettingsFilePath(home->path() + u'/'));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("PdcType=SO503i\r\n"));
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TestKeyHelp test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_keyhelp.moc"
