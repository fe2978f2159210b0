// The CPU of watching the modem-status lines: the real main window with the power on, idle, for
// ten seconds, its port answering the lines' question as a serial device
// does; and against a pseudo-terminal, which cannot answer and so is not polled at all.
#include "BenchMode.h"
#include "Measure.h"
#include "TypingWindow.h"
#include "platform/SleepingWait.h"

#include <sys/ioctl.h>


int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const BenchMode mode(argc, argv);
    const double seconds = mode.size(10.0, 1.0);
    phonesim::Handset handset;
    QTemporaryDir home;
    std::unique_ptr<frmMain> w = OpenTypingWindow(home, handset);
    if (!w)
        return 2;
    const bool ptyPolled = w->mscCOM().watchingLines();
    WaitSeconds(1.0f); // the window's first paint and settling, outside the figures
    const Measured pty = Measure([&] { WaitSeconds(float(seconds)); });

    int asked = 0;
    w->mscCOM().setLineStateSource([&asked](int) {
        ++asked;
        return std::optional<int>(TIOCM_DSR | TIOCM_CTS | TIOCM_CAR);
    });
    w->chkPower->setValue(0);
    w->chkPower->setValue(1);
    asked = 0;
    const Measured watched = Measure([&] { WaitSeconds(float(seconds)); });
    const bool polled = w->mscCOM().watchingLines();
    std::printf("power on, idle %.0f s: lines watched, %d polls: CPU %.4f s (%.3f%% of a core); a pseudo-terminal, %s: "
                "CPU %.4f s (%.3f%%)\n",
                seconds, asked, watched.cpu, watched.share(), ptyPolled ? "polled" : "not polled", pty.cpu, pty.share());
    w->chkPower->setValue(0);
    if (!polled || ptyPolled || asked == 0) {
        std::fprintf(stderr, "the lines were not watched, or a pseudo-terminal was polled\n");
        return 2;
    }
    return mode.verdict("at most 4 polls a second, under 0.1% of a core",
                        asked <= int(seconds * 4) + 1 && watched.share() < 0.1);
}
