// The cost of watching the send queue: CPU used by the program (the real main window,
// offscreen) while ten seconds of frames drain to the simulated handset, which runs as a
// process of its own reading at 600 baud.
#include "BenchMode.h"
#include "Measure.h"
#include "TypingWindow.h"
#include "platform/SleepingWait.h"

#include <QProcess>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const BenchMode mode(argc, argv);
    QTemporaryDir home;
    QProcess handset;
    handset.start(QCoreApplication::applicationDirPath() + u"/phonesim"_qs,
                  {u"--headless"_qs, u"--paced"_qs, u"--link"_qs, home.path(), u"--com"_qs, u"1"_qs});
    // It says "link …" once com1 is in place.
    while (handset.waitForReadyRead(10'000))
        if (handset.readAll().contains("link "))
            break;
    qunsetenv("YUBISAKI_COM1");
    std::unique_ptr<frmMain> w = OpenTypingWindow(home);
    if (!w)
        return 2;

    // 68 frames of 8 bytes at 11 bits a byte: ten seconds on the line.
    const int kFrames = mode.size(68, 7);
    const double lineSeconds = kFrames * SerialPortService::kFrameBytes * 11 / 600.0;
    SleepingWait drained;
    QObject::connect(&w->mscCOM(), &SerialPortService::outputQueueChanged, &drained,
                     [&](const SerialPortService::Queue& q) {
                         if (q.bytes == 0)
                             drained.wake();
                     });
    QString text;
    for (int i = 0; i < kFrames; ++i)
        text += QChar(u'a' + i % 26);
    const double shownSeconds = w->mscCOM().outputQueue().seconds;
    bool empty = false;
    const Measured drain = Measure([&] {
        w->txtInput->insert(text);
        empty = drained.until(QDeadlineTimer(30'000), [&] { return w->mscCOM().outputQueue().bytes == 0; });
    });
    std::printf("%d frames drained in %.2f s (the queue said %.2f s at first): CPU %.4f s, %.2f%% of a core\n", kFrames,
                drain.wall, shownSeconds, drain.cpu, drain.share());
    w->chkPower->setValue(0);
    handset.terminate();
    handset.waitForFinished(5000);
    // A queue that empties faster than the line was never paced.
    if (!empty || drain.wall < 0.9 * lineSeconds) {
        std::fprintf(stderr, "the queue did not drain at the line's speed\n");
        return 2;
    }
    return mode.verdict("under 0.5% of a core", drain.share() < 0.5);
}
