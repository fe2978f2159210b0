// libFuzzer target: any bytes as what the handset sends, through the simulated handset's end of
// a pseudo-terminal into the real port service, receive handler and reply reader. The first byte
// picks the options; the rest arrives once as notifications (receive switch on), once as the
// reply to a model query. Whatever arrives, the handler takes every byte, the port stays open,
// receive events come back on after a charge read, and the query ends.
#include "Require.h"
#include "core/LogBox.h"
#include "core/ToggleButton.h"
#include "link/AntennaPicture.h"
#include "link/PhoneQueries.h"
#include "link/ReplyReader.h"
#include "link/SerialLink.h"
#include "phonesim/Handset.h"
#include "platform/SleepingWait.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

struct Rig {
    Rig()
    {
        Require(handset.start());
        qputenv("YUBISAKI_COM1", handset.portPath().toLocal8Bit());
        // A second descriptor on the port, opened before the service takes it for itself, only
        // to ask how many bytes still wait in the device.
        device = ::open(handset.portPath().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        settings.ComPort = 1;
        Require(device >= 0 && !link.OpenForUse().failed());
        QObject::connect(&port, &SerialPortService::receiveEvent, &port, [this] { talk.mscCOM_OnComm(); });
        chkPower.setValue(1);
        chkGetStatus.setValue(1);
        port.setReceiveThreshold(1);
    }

    // Events run until every byte sent has been taken from the device and the port.
    bool drained()
    {
        SleepingWait wait;
        QObject::connect(&port, &SerialPortService::activity, &wait, &SleepingWait::wake);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &wait, &SleepingWait::wake);
        poll.start(2);
        int inDevice = 0;
        return wait.until(QDeadlineTimer(10'000), [&] {
            return port.pendingCount() == 0 && ::ioctl(device, FIONREAD, &inDevice) == 0 && inDevice == 0;
        });
    }

    phonesim::Handset handset;
    int device = -1;
    ScriptedMessageBoxes boxes;
    QWidget window;
    ToggleButton chkPower{u"chkPower"_qs, u"電源"_qs, &window}, chkGetStatus{u"chkGetStatus"_qs, u"受信"_qs, &window};
    QPushButton cmdGetNumber{&window};
    QLineEdit txtInput{&window}, txtNonArea{&window};
    AntennaPicture picAntena{&window};
    LogBox txtInputBuffer{&window};
    SerialPortService port;
    Settings settings;
    SerialLink link{port, settings};
    // A charge or reply cut short waits this long for its next byte.
    float replyTimeout = 0.005f;
    ReplyReader replies{port, replyTimeout};
    PhoneQueries talk{PhoneTalkWidgets{&chkPower, &chkGetStatus, &cmdGetNumber, &txtInput, &txtNonArea,
                                       &picAntena, &txtInputBuffer},
                      link, replies, settings, true};
};

Rig* rig = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv);
    rig = new Rig;
    // libFuzzer ends with exit(): the port's lock file must go with it, or another user could
    // not open this device after us.
    std::atexit([] { rig->port.close(); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    Rig& r = *rig;
    r.settings.ArrivalDisplay = data[0] & 1;
    r.boxes.answers = {(data[0] & 2) ? MsgAnswer::Yes : MsgAnswer::No};
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    // As notifications.
    r.handset.send(bytes);
    Require(r.drained() && r.port.isOpen() && !r.port.hungUp() && r.port.receiveThreshold() == 1);

    // As the reply to a model query, arriving once the query has asked.
    r.port.setReceiveThreshold(0);
    QTimer::singleShot(0, &r.handset, [&] { r.handset.send(bytes); });
    r.talk.QueryModelAndSerial();
    // What the query left is taken as notifications.
    r.port.setReceiveThreshold(1);
    Require(r.drained() && r.port.isOpen() && !r.port.hungUp());
    r.boxes.shown.clear();
    return 0;
}
