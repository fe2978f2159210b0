// phonesim: a simulated handset on a pseudo-terminal, for trying ユビサキ without a phone.
#include "phonesim/Handset.h"
#include "phonesim/HandsetWindow.h"

#include <QApplication>

#include <QCommandLineParser>
#include <QSocketNotifier>

#include <csignal>
#include <memory>
#include <cstdio>
#include <unistd.h>

namespace {
int gSignalPipe[2] = {-1, -1};
void onSignal(int) { [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], "x", 1); }

void printLine(const QString& line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}
// "level N", "area in|out", "call", "charge YEN", "bytes HEX…", "number DIGITS", "serial TEXT",
// "delay MS", "cut N", "garble on|off", "vanish N", "faults off".
bool runCommand(phonesim::Handset& handset, const QString& line)
{
    const QString verb = line.section(u' ', 0, 0);
    const QString rest = line.section(u' ', 1).trimmed();
    bool ok = true;
    const int n = rest.toInt(&ok);
    phonesim::Handset::ReplyFaults faults = handset.replyFaults();
    if (verb == u"level" && ok)
        handset.sendSignalLevel(n);
    else if (verb == u"area" && (rest == u"in" || rest == u"out"))
        handset.sendServiceArea(rest == u"in");
    else if (verb == u"call")
        handset.sendIncomingCall();
    else if (verb == u"charge" && ok)
        handset.sendCallCharge(n);
    else if (verb == u"bytes")
        handset.send(QByteArray::fromHex(rest.toLatin1()));
    else if (verb == u"number")
        handset.setNumber(rest);
    else if (verb == u"serial")
        handset.setSerial(rest);
    else if (verb == u"delay" && ok)
        faults.delayMs = n;
    else if (verb == u"cut" && ok)
        faults.cutAfter = n;
    else if (verb == u"garble")
        faults.garble = rest == u"on";
    else if (verb == u"vanish" && ok)
        faults.vanishAfter = n;
    else if (verb == u"faults" && rest == u"off")
        faults = {};
    else
        return false;
    handset.setReplyFaults(faults);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // Headless runs need no display; look at the switch before Qt does.
    bool headlessRun = false;
    for (int i = 1; i < argc; ++i)
        headlessRun = headlessRun || qstrcmp(argv[i], "--headless") == 0 || qstrcmp(argv[i], "--help") == 0;
    std::unique_ptr<QCoreApplication> application(headlessRun ? new QCoreApplication(argc, argv)
                                                               : new QApplication(argc, argv));
    QCoreApplication& app = *application;
    QCoreApplication::setApplicationName(QStringLiteral("phonesim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated PDC handset on a pseudo-terminal. Prints the port, then one line per decoded event,\n"
        "and shows the handset's screen and the bytes it received in a window unless --headless.\n"
        "Commands on standard input: level N, area in|out, call, charge YEN, bytes HEX, number DIGITS,\n"
        "serial TEXT, delay MS, cut N, garble on|off, vanish N, faults off."));
    parser.addHelpOption();
    const QCommandLineOption headless(QStringLiteral("headless"), QStringLiteral("No window: print events only."));
    const QCommandLineOption link(QStringLiteral("link"), QStringLiteral("Link FOLDER/com<N> to the port."),
                                  QStringLiteral("FOLDER"));
    const QCommandLineOption com(QStringLiteral("com"), QStringLiteral("The port number N for --link (default 1)."),
                                 QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption paced(QStringLiteral("paced"), QStringLiteral("Read at the real line speed, 600 baud."));
    const QCommandLineOption number(QStringLiteral("number"), QStringLiteral("The handset's telephone number."),
                                    QStringLiteral("DIGITS"), QStringLiteral("09012345678"));
    const QCommandLineOption serial(QStringLiteral("serial"),
                                    QStringLiteral("The serial text: five model-code characters, then hex digits."),
                                    QStringLiteral("TEXT"), QStringLiteral("NMABK12ABCD"));
    parser.addOptions({headless, link, com, paced, number, serial});
    parser.process(app);

    phonesim::Handset handset;
    QString error;
    if (!handset.start(&error)) {
        std::fprintf(stderr, "phonesim: %s\n", qPrintable(error));
        return 1;
    }
    handset.setPaced(parser.isSet(paced));
    handset.setNumber(parser.value(number));
    handset.setSerial(parser.value(serial));
    printLine(QStringLiteral("port ") + handset.portPath());
    if (parser.isSet(link)) {
        bool ok = false;
        const int n = parser.value(com).toInt(&ok);
        if (!ok || n < 1 || !handset.linkAs(parser.value(link), n, &error)) {
            std::fprintf(stderr, "phonesim: %s\n", qPrintable(error.isEmpty() ? QStringLiteral("bad --com") : error));
            return 1;
        }
        printLine(QStringLiteral("link %1/com%2").arg(parser.value(link)).arg(n));
    }
    QObject::connect(&handset, &phonesim::Handset::eventDecoded, &app,
                     [](const phonesim::WireEvent& event) { printLine(event.describe()); });
    QObject::connect(&handset, &phonesim::Handset::offSettingsReceived, &app, [](const QByteArray& bytes, int baud) {
        printLine(QStringLiteral("off settings %1 baud %2").arg(baud).arg(QString::fromLatin1(bytes.toHex(' ').toUpper())));
    });

    // Scripts drive the handset through standard input, one command a line.
    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, &app, [&handset, &commands] {
        char buffer[512];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer - 1);
        if (n <= 0) {
            commands.setEnabled(false);
            return;
        }
        for (const QByteArray& line : QByteArray(buffer, n).split('\n'))
            if (!line.trimmed().isEmpty() && !runCommand(handset, QString::fromUtf8(line.trimmed())))
                printLine(QStringLiteral("unknown command: ") + QString::fromUtf8(line.trimmed()));
    });

    std::unique_ptr<phonesim::HandsetWindow> window;
    if (!headlessRun) {
        window = std::make_unique<phonesim::HandsetWindow>(handset);
        window->show();
    }

    // Signals end the event loop through a pipe, so the handset closes its side cleanly.
    if (::pipe(gSignalPipe) != 0)
        return 1;
    QSocketNotifier signalNotifier(gSignalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    return QCoreApplication::exec();
}
