#include "MessageBoxes.h"

#include "core/ProgramInfo.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>

namespace {

class QtMessageBoxes : public MessageBoxes {
public:
    MsgAnswer show(const ShownMessage& m) override
    {
        // The texts keep their CR LF line breaks; a label wants LF alone.
        QString text = m.text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QMessageBox box(iconFor(m.icon), m.title, text, buttonsFor(m.buttons), QApplication::activeWindow());
        if (m.defaultAnswer)
            box.setDefaultButton(buttonFor(*m.defaultAnswer));
        switch (box.exec()) {
        case QMessageBox::Yes: return MsgAnswer::Yes;
        case QMessageBox::No: return MsgAnswer::No;
        case QMessageBox::Cancel: return MsgAnswer::Cancel;
        default: return m.buttons == MsgButtons::YesNo || m.buttons == MsgButtons::YesNoCancel ? MsgAnswer::No
               : m.buttons == MsgButtons::OkCancel                                             ? MsgAnswer::Cancel
                                                                                               : MsgAnswer::Ok;
        }
    }

private:
    static QMessageBox::Icon iconFor(MsgIcon icon)
    {
        switch (icon) {
        case MsgIcon::Critical: return QMessageBox::Critical;
        case MsgIcon::Question: return QMessageBox::Question;
        case MsgIcon::Warning: return QMessageBox::Warning;
        case MsgIcon::Information: return QMessageBox::Information;
        case MsgIcon::None: break;
        }
        return QMessageBox::NoIcon;
    }
    static QMessageBox::StandardButton buttonFor(MsgAnswer answer)
    {
        switch (answer) {
        case MsgAnswer::Cancel: return QMessageBox::Cancel;
        case MsgAnswer::Yes: return QMessageBox::Yes;
        case MsgAnswer::No: return QMessageBox::No;
        case MsgAnswer::Ok: break;
        }
        return QMessageBox::Ok;
    }
    static QMessageBox::StandardButtons buttonsFor(MsgButtons buttons)
    {
        switch (buttons) {
        case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
        case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
        case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MsgButtons::Ok: break;
        }
        return QMessageBox::Ok;
    }
};

QtMessageBoxes gQtBoxes;
MessageBoxes* gCurrent = &gQtBoxes;

} // namespace

MessageBoxes& CurrentMessageBoxes() { return *gCurrent; }

MsgAnswer MessageBox(const QString& text, MsgButtons buttons, MsgIcon icon, MsgAnswer defaultAnswer)
{
    return gCurrent->show(ShownMessage{text, ProgramInfo::Title(), icon, buttons, defaultAnswer});
}

MsgAnswer MessageBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title)
{
    return gCurrent->show(ShownMessage{text, title.isEmpty() ? ProgramInfo::Title() : title, icon, buttons, {}});
}

ScriptedMessageBoxes::ScriptedMessageBoxes() : previous_(gCurrent) { gCurrent = this; }

ScriptedMessageBoxes::~ScriptedMessageBoxes() { gCurrent = previous_; }

MsgAnswer ScriptedMessageBoxes::show(const ShownMessage& message)
{
    shown.append(message);
    if (onShow)
        onShow(message);
    if (!answers.isEmpty())
        return answers.takeFirst();
    return message.buttons == MsgButtons::YesNo || message.buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes
                                                                                              : MsgAnswer::Ok;
}

namespace {

class LoggingMessageBoxes : public MessageBoxes {
public:
    explicit LoggingMessageBoxes(QString path) : path_(std::move(path)) {}
    MsgAnswer show(const ShownMessage& m) override
    {
        QFile file(path_);
        if (file.open(QIODevice::Append)) {
            QString text = m.text;
            text.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"));
            file.write(QStringLiteral("%1\t%2\t%3\n").arg(int(m.icon)).arg(m.title, text).toUtf8());
        }
        const bool question = m.buttons == MsgButtons::YesNo || m.buttons == MsgButtons::YesNoCancel;
        // A script refuses the questions while the file beside the log says "no".
        QFile answer(path_ + QStringLiteral(".answer"));
        if (question && answer.open(QIODevice::ReadOnly) && answer.readAll().startsWith("no"))
            return MsgAnswer::No;
        return question ? MsgAnswer::Yes : MsgAnswer::Ok;
    }

private:
    QString path_;
};

} // namespace

bool InstallMessageLogFromEnvironment()
{
    const QString path = qEnvironmentVariable("YUBISAKI_MESSAGE_LOG");
    if (path.isEmpty())
        return false;
    static LoggingMessageBoxes logging(path);
    gCurrent = &logging;
    return true;
}
