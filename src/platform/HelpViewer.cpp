#include "HelpViewer.h"

#include "HelpContexts.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "ProgramFolder.h"

#ifndef YUBISAKI_DATA_DIR
#define YUBISAKI_DATA_DIR "/usr/local/share/yubisaki"
#endif

class HelpBrowser : public QTextBrowser {
public:
    HelpBrowser(const ChmArchive& archive, QWidget* owner) : QTextBrowser(owner), archive_(archive)
    {
        setWindowFlag(Qt::Window);
        setObjectName(QStringLiteral("helpViewer"));
        setOpenExternalLinks(true);
        resize(640, 520);
        connect(this, &QTextBrowser::sourceChanged, this, [this] { setWindowTitle(documentTitle()); });
    }

    QVariant loadResource(int type, const QUrl& url) override
    {
        if (url.scheme().isEmpty() || url.scheme() == u"chm") {
            const QByteArray bytes = archive_.read(u'/' + url.path().section(u'/', -1));
            if (!bytes.isEmpty())
                return bytes;
        }
        return QTextBrowser::loadResource(type, url);
    }

private:
    const ChmArchive& archive_;
};

QString HelpTopicForContext(int context)
{
    for (const HelpContext& entry : kHelpContexts) {
        if (entry.number == context)
            return entry.topic.toString();
    }
    return {};
}

QString HelpViewer::HelpFileName()
{
    const QString name = QStringLiteral("yubisaki.chm");
    // The installed data folder also relative to the executable, so an install under any
    // prefix finds its own help.
    const QString beside = QCoreApplication::applicationDirPath() + u'/';
    const QStringList folders{ProgramFolder(), beside, beside + QStringLiteral("../share/yubisaki/"),
                              QStringLiteral(YUBISAKI_DATA_DIR "/")};
    for (const QString& folder : folders) {
        if (QFileInfo(folder + name).isFile())
            return folder + name;
    }
    return ProgramFolder() + name;
}

void HelpViewer::initialise(const QString& helpFile) { helpFile_ = helpFile; }

bool HelpViewer::showContents(QWidget* owner) { return show(owner, kHelpContentsTopic.toString()); }

bool HelpViewer::showContext(QWidget* owner, int context)
{
    const QString topic = HelpTopicForContext(context);
    return !topic.isEmpty() && show(owner, topic);
}

bool HelpViewer::show(QWidget* owner, const QString& topic)
{
    if (!archive_.isOpen() && (helpFile_.isEmpty() || !archive_.open(helpFile_)))
        return false;
    if (!archive_.contains(u'/' + topic))
        return false;
    if (!browser_)
        browser_ = new HelpBrowser(archive_, owner);
    else if (browser_->parentWidget() != owner)
        // Under a modal dialog, a help window owned by another window could not be used.
        browser_->setParent(owner, browser_->windowFlags());
    browser_->setSource(QUrl(topic), QTextDocument::HtmlResource);
    browser_->show();
    browser_->raise();
    browser_->activateWindow();
    return true;
}

void HelpViewer::shutDown()
{
    delete browser_;
    archive_.close();
}

QString HelpViewer::currentTopic() const { return browser_ ? browser_->source().path().section(u'/', -1) : QString(); }

QTextBrowser* HelpViewer::window() const { return browser_; }
