// The help window: topics of yubisaki.chm shown in a browser of our own, opened at the
// contents page or at a context number. A missing help file is silently ignored.
#pragma once

#include "ChmArchive.h"

#include <QPointer>
#include <QString>
#include <QTextBrowser>

class HelpBrowser;

class HelpViewer {
public:
    // The help file's place: the program folder, then beside the executable, then the
    // installed data folder.
    static QString HelpFileName();

    // Remembers the file; it is opened only when help is first asked for.
    void initialise(const QString& helpFile = HelpFileName());
    bool showContents(QWidget* owner);
    bool showContext(QWidget* owner, int context);
    void shutDown();

    // The topic shown now ("settings.html"), or empty.
    QString currentTopic() const;
    QTextBrowser* window() const;

private:
    bool show(QWidget* owner, const QString& topic);

    QString helpFile_;
    ChmArchive archive_;
    QPointer<HelpBrowser> browser_;
};

// The topic a context number opens, or empty for an unknown number.
QString HelpTopicForContext(int context);
