// The About box: the version line, the link colours as the pointer moves, the links opened
// through the shell, and the icon button that only moves the focus.
#include "core/ProgramInfo.h"
#include "helpwindows/frmAbout.h"
#include "platform/DesktopServices.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

class TestAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void versionText_data();
    void versionText();
    void texts();
    void linkColoursFollowThePointer();
    void linksOpenAndClose_data();
    void linksOpenAndClose();
    void iconButtonMovesFocusToOk();
};

namespace {
QColor colourOf(const QLabel* label) { return label->palette().color(QPalette::WindowText); }
// The pointer moving over a widget, as the window system reports it.
void moveOver(QWidget* widget, QPoint at = {2, 2})
{
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}
} // namespace

void TestAbout::versionText_data()
{
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("text");
    QTest::newRow("revision 0 left out") << 0 << u"Ver 1.28"_qs;
    QTest::newRow("revision above 0 appended") << 3 << u"Ver 1.28.3"_qs;
}

void TestAbout::versionText()
{
    QFETCH(int, revision);
    QFETCH(QString, text);
    QCOMPARE(ProgramInfo::AboutVersionText(1, 28, revision), text);
}

void TestAbout::texts()
{
    frmAbout about(0);
    QCOMPARE(about.windowTitle(), u"バージョン情報"_qs);
    QCOMPARE(about.lblVERSION->text(), u"Ver 1.28"_qs);
    const QStringList lines = frmAbout::NoticeText().split(u"\r\n"_qs);
    QCOMPARE(lines.size(), 4);
    for (const QString& line : lines)
        QVERIFY(line.startsWith(QChar(0x3000)));
    QCOMPARE(lines[0], u"\u3000"_qs);
    QCOMPARE(lines[3], u"\u3000"_qs);
    QCOMPARE(about.findChild<QLabel*>(u"Label1"_qs)->text(), u"ユビサキ！"_qs);
    QCOMPARE(about.lblHOMEPAGE->toolTip(), u"最新版のアップロード先です"_qs);
    QCOMPARE(about.lblMAIL->toolTip(), u"作者にメールをするときはこちら"_qs);
    QCOMPARE(about.cmdICON->toolTip(), u"押しても何もなりません^_^;"_qs);
    QCOMPARE(about.OKButton->toolTip(), u"閉じます"_qs);
    QVERIFY(!(about.windowFlags() & Qt::WindowStaysOnTopHint));
    frmAbout onTop(1);
    QVERIFY(onTop.windowFlags() & Qt::WindowStaysOnTopHint);
}

void TestAbout::linkColoursFollowThePointer()
{
    frmAbout about(0);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    const QColor blue(0, 0, 255), red(255, 0, 0);
    QCOMPARE(colourOf(about.lblHOMEPAGE), blue);
    QCOMPARE(colourOf(about.lblMAIL), blue);
    moveOver(about.lblHOMEPAGE);
    QCOMPARE(colourOf(about.lblHOMEPAGE), red);
    moveOver(about.lblMAIL);
    QCOMPARE(colourOf(about.lblHOMEPAGE), red);
    QCOMPARE(colourOf(about.lblMAIL), red);
    moveOver(&about, about.rect().bottomLeft() + QPoint(1, -1));
    QCOMPARE(colourOf(about.lblHOMEPAGE), blue);
    QCOMPARE(colourOf(about.lblMAIL), blue);
}

void TestAbout::linksOpenAndClose_data()
{
    QTest::addColumn<bool>("mail");
    QTest::addColumn<QString>("target");
    QTest::newRow("home page") << false << frmAbout::HomePage();
    QTest::newRow("mail with mailto:") << true << u"mailto:"_qs + frmAbout::MailAddress();
}

void TestAbout::linksOpenAndClose()
{
    QFETCH(bool, mail);
    QFETCH(QString, target);
    RecordingDesktopServices shell;
    frmAbout about(0);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QTest::mouseClick(mail ? about.lblMAIL : about.lblHOMEPAGE, Qt::LeftButton);
    QCOMPARE(shell.opened, QStringList{target});
    QVERIFY(!about.isVisible());
    QCOMPARE(about.result(), int(QDialog::Accepted));
}

void TestAbout::iconButtonMovesFocusToOk()
{
    RecordingDesktopServices shell;
    frmAbout about(0);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    about.cmdICON->setFocus();
    QTest::mouseClick(about.cmdICON, Qt::LeftButton);
    QVERIFY(about.isVisible());
    QTRY_VERIFY(about.OKButton->hasFocus());
    QVERIFY(shell.opened.isEmpty());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
