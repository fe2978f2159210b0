// The help viewer over the help file the build compiles: contents, context numbers, links
// between topics, and silence for an unknown context or a missing file.
#include "platform/HelpContexts.h"
#include "platform/HelpViewer.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

class TestHelpViewer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void contextsOpenTheirTopics_data();
    void contextsOpenTheirTopics();
    void linksAreFollowed();
    void unknownContextOpensNothing();
    void missingFileIsSilent();
};

void TestHelpViewer::contextsOpenTheirTopics_data()
{
    QTest::addColumn<int>("context");
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("title");
    QTest::newRow("contents") << -1 << u"index.html"_qs << u"ユビサキ！ ヘルプ 目次"_qs;
    QTest::newRow("20 basic and text-input settings") << 20 << u"settings.html"_qs << u"基本設定と文字入力設定"_qs;
    QTest::newRow("22 key assignments") << 22 << u"keymap.html"_qs << u"キーの割り当て"_qs;
    QTest::newRow("36 macro editor") << 36 << u"macroeditor.html"_qs << u"キーマクロの作成と編集"_qs;
}

void TestHelpViewer::contextsOpenTheirTopics()
{
    QFETCH(int, context);
    QFETCH(QString, topic);
    QFETCH(QString, title);
    HelpViewer viewer;
    viewer.initialise(QStringLiteral(YUBISAKI_TEST_CHM));
    QWidget owner;
    QVERIFY(context < 0 ? viewer.showContents(&owner) : viewer.showContext(&owner, context));
    QCOMPARE(viewer.currentTopic(), topic);
    QVERIFY(viewer.window()->isVisible());
    QCOMPARE(viewer.window()->documentTitle(), title);
    QCOMPARE(viewer.window()->windowTitle(), title);
    viewer.shutDown();
    QVERIFY(!viewer.window());
}

void TestHelpViewer::linksAreFollowed()
{
    HelpViewer viewer;
    viewer.initialise(QStringLiteral(YUBISAKI_TEST_CHM));
    QWidget owner;
    QVERIFY(viewer.showContents(&owner));
    viewer.window()->setSource(QUrl(u"typing.html"_qs));
    QCOMPARE(viewer.window()->documentTitle(), u"文字の入力"_qs);
    QVERIFY(viewer.window()->toPlainText().contains(u"Shift+Space"_qs));
    viewer.window()->backward();
    QCOMPARE(viewer.currentTopic(), u"index.html"_qs);
    viewer.shutDown();
}

void TestHelpViewer::unknownContextOpensNothing()
{
    HelpViewer viewer;
    viewer.initialise(QStringLiteral(YUBISAKI_TEST_CHM));
    QWidget owner;
    QVERIFY(!viewer.showContext(&owner, 99));
    QVERIFY(!viewer.window());
    QVERIFY(HelpTopicForContext(0).isEmpty());
}

void TestHelpViewer::missingFileIsSilent()
{
    QTemporaryDir dir;
    HelpViewer viewer;
    viewer.initialise(dir.filePath(u"yubisaki.chm"_qs));
    QWidget owner;
    QVERIFY(!viewer.showContents(&owner));
    QVERIFY(!viewer.showContext(&owner, 20));
    QVERIFY(!viewer.window());
    viewer.shutDown();
}

QTEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"
