// CPU used while a query waits its full reply timeout (5 s) for a number reply that never
// comes, side by side with a wait that loops on processing events.
#include "BenchMode.h"
#include "Measure.h"
#include "link/PhoneBytes.h"
#include "link/ReplyReader.h"
#include "phonesim/Handset.h"
#include "platform/SerialPortService.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>


int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const BenchMode mode(argc, argv);
    QTemporaryDir home;
    qputenv("YUBISAKI_HOME", home.path().toLocal8Bit());
    phonesim::Handset handset; // knows no number: the request stays unanswered
    if (!handset.start())
        return 1;
    qputenv("YUBISAKI_COM1", handset.portPath().toLocal8Bit());
    SerialPortService port;
    port.setPortNumber(1);
    if (port.setSettings(QStringLiteral("600,e,8,1")).failed() || port.open().failed())
        return 1;

    const float replyTimeout = mode.size(5.0f, 0.3f);
    ReplyReader replies(port, replyTimeout);
    const QByteArray request(1, char(PhoneBytes::NumberRequest));
    port.write(request);
    bool answered = false;
    const Measured sleeping = Measure([&] {
        quint8 b = 0;
        answered = replies.ReadReplyByte(b);
    });
    port.write(request);
    const Measured busy = Measure([&] {
        QElapsedTimer clock;
        clock.start();
        while (port.pendingCount() == 0 && clock.elapsed() < qint64(replyTimeout * 1000))
            QCoreApplication::processEvents();
    });
    port.close();

    std::printf("ReadReplyByte, no reply: wall %.4f s, CPU %.4f s (%.2f%% of a core)\n", sleeping.wall, sleeping.cpu,
                sleeping.share());
    std::printf("busy processEvents loop: wall %.4f s, CPU %.4f s (%.2f%% of a core)\n", busy.wall, busy.cpu,
                busy.share());
    if (answered || sleeping.wall < replyTimeout) {
        std::fprintf(stderr, "the read did not wait its full timeout\n");
        return 2;
    }
    return mode.verdict("under 1% of a core", sleeping.share() < 1.0);
}
