// The CPU of watching the modem-status lines: the real main window with the power on, idle, for
// ten seconds (or the seconds given), its port answering the lines' question as a serial device
// does; and against a pseudo-terminal, which cannot answer and so is not polled at all.
#include "HandsetOnCom1.h"
#include "Measure.h"
#include "TypingWindow.h"
#include "platform/SleepingWait.h"

#include <sys/ioctl.h>

#include <algorithm>
#include <cstdlib>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 10.0;
    phonesim::Handset handset;
    if (!StartHandsetOnCom1(handset))
        return 2;
    QTemporaryDir home;
    std::unique_ptr<frmMain> w = OpenTypingWindow(home);
    if (!w)
        return 2;
    const bool ptyPolled = w->mscCOM().watchingLines();
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
    const bool ok = polled && !ptyPolled && asked > 0 && asked <= int(seconds * 4) + 1 && watched.share() < 0.1;
    std::printf("target (at most 4 polls a second, under 0.1%% of a core): %s\n", ok ? "met" : "MISSED");
    return ok ? 0 : 1;
}
