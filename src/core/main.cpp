// ユビサキ: operate a PDC handset from the PC keyboard.
#include "core/CommandLine.h"
#include "core/ProgramIcon.h"
#include "core/SingleInstance.h"
#include "core/frmMain.h"
#include "platform/HelpViewer.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <memory>

namespace {

// For the start-up benchmark and the tests of the real program: says when the window has
// first been painted and which folder and help file it uses, then closes it the ordinary way.
class FirstPaintProbe : public QObject {
public:
    FirstPaintProbe(QWidget& window, const QElapsedTimer& clock) : window_(window), clock_(clock)
    {
        window.installEventFilter(this);
        // A reader that has what it wanted may close the pipe: the exit must still run whole.
        std::signal(SIGPIPE, SIG_IGN);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &window_ && event->type() == QEvent::Paint && !reported_) {
            reported_ = true;
            std::printf("shown %.3f ms\nfolder %s\nhelp %s\n", double(clock_.nsecsElapsed()) / 1e6,
                        qPrintable(ProgramFolder()), qPrintable(HelpViewer::HelpFileName()));
            std::fflush(stdout);
            // The value is how long the window stays open, in milliseconds; a negative one
            // leaves it open for a test that closes it as a user does.
            const int stayMs = qEnvironmentVariableIntValue("YUBISAKI_CLOSE_WHEN_SHOWN");
            if (stayMs < 0)
                return false;
            QTimer::singleShot(stayMs, &window_, [this] {
                std::printf("closing\n");
                std::fflush(stdout);
                window_.close();
            });
        }
        return false;
    }

private:
    QWidget& window_;
    const QElapsedTimer& clock_;
    bool reported_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("yubisaki"));
    QApplication::setWindowIcon(ProgramIcon());

    InstallMessageLogFromEnvironment();

    // Before anything reads or writes a settings file.
    SingleInstance instance(ProgramFolder());
    if (!instance.acquired()) {
        MessageBox(SingleInstance::AlreadyRunningText(), MsgButtons::Ok, MsgIcon::Critical);
        return 0;
    }

    frmMain window(ParseCommandLine(QApplication::arguments().mid(1)));
    QObject::connect(&window, &frmMain::ended, &app, &QApplication::quit, Qt::QueuedConnection);
    std::unique_ptr<FirstPaintProbe> probe;
    if (qEnvironmentVariableIsSet("YUBISAKI_CLOSE_WHEN_SHOWN"))
        probe = std::make_unique<FirstPaintProbe>(window, clock);
    window.Form_Load();
    window.show();
    return QApplication::exec();
}
