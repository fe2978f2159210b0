// ユビサキ: operate a PDC handset from the PC keyboard.
#include "core/CommandLine.h"
#include "core/ProgramInfo.h"
#include "core/SingleInstance.h"
#include "core/frmMain.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramFolder.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("yubisaki"));
    QApplication::setApplicationDisplayName(ProgramInfo::Title());

    InstallMessageLogFromEnvironment();

    // Before anything reads or writes a settings file.
    SingleInstance instance(ProgramFolder());
    if (!instance.acquired()) {
        MessageBox(SingleInstance::AlreadyRunningText(), MsgButtons::Ok, MsgIcon::Critical);
        return 0;
    }

    frmMain window(ParseCommandLine(QApplication::arguments().mid(1)));
    QObject::connect(&window, &frmMain::ended, &app, &QApplication::quit, Qt::QueuedConnection);
    window.Form_Load();
    window.show();
    return QApplication::exec();
}
