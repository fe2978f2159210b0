#include "PhoneQueries.h"

#include "core/LogBox.h"
#include "core/ToggleButton.h"
#include "link/AntennaPicture.h"
#include "link/PhoneBytes.h"
#include "link/ReplyReader.h"
#include "link/SerialLink.h"
#include "link/mdlGetPdcType.h"
#include "platform/MessageBoxes.h"
#include "platform/SleepingWait.h"
#include "settings/Settings.h"

#include <QLineEdit>
#include <QPushButton>

using namespace PhoneBytes;

void PhoneQueries::restoreReceiveState()
{
    link_.port().setReceiveThreshold(w_.chkGetStatus->value() == 1 ? 1 : 0);
}

void PhoneQueries::cmdGetNumber_Click()
{
    SerialPortService& port = link_.port();
    bool openedHere = false;
    // Whatever fails, the button comes back and a port opened for the query is closed.
    const auto finish = [&](PortError error) {
        restoreReceiveState();
        if (openedHere) {
            const PortError closing = link_.Close();
            if (!error.failed())
                error = closing;
        } else if (!error.failed()) {
            w_.txtInput->setFocus();
        }
        w_.cmdGetNumber->setEnabled(true);
        w_.chkPower->setEnabled(true);
        if (error.failed())
            SerialLink::ReportPortError(error);
    };

    if (!port.isOpen()) {
        const PortError error = link_.OpenForQuery();
        openedHere = port.isOpen();
        // A click on the power switch meanwhile would close the port under the query.
        w_.chkPower->setEnabled(!openedHere);
        if (error.failed()) {
            finish(error);
            return;
        }
    }
    w_.cmdGetNumber->setEnabled(false);
    port.setReceiveThreshold(0);
    port.discard();
    if (const PortError error = port.write(QByteArray(1, char(NumberRequest))); error.failed()) {
        finish(error);
        return;
    }

    QString digits;
    bool answered = true;
    for (int i = 0; i < NumberDigitsMax; ++i) {
        quint8 b = 0;
        if (!replies_.ReadReplyByte(b)) {
            answered = false;
            break;
        }
        if (b == ReplyEnd)
            break;
        digits += ReplyDigit(b);
    }
    if (answered && port.isOpen() && !port.hungUp()) {
        WaitSeconds(0.1f);
        QueryModelAndSerial();
        w_.txtInputBuffer->prependLine(NumberLine(digits));
    }
    finish({});
}

bool PhoneQueries::QueryModelAndSerial()
{
    SerialPortService& port = link_.port();
    port.discard();
    QString serial;
    if (const PortError error = port.write(ModelRequest()); error.failed()) {
        SerialLink::ReportPortError(error);
        return false;
    }
    quint8 b = 0;
    for (const quint8 expected : {ModelReplyFirst, ModelReplySecond}) {
        if (!replies_.ReadReplyByte(b))
            return false;
        if (b != expected) {
            w_.txtInputBuffer->prependLine(FailureLine());
            return true;
        }
    }
    for (int i = 0; i < ModelReplyFiller; ++i)
        if (!replies_.ReadReplyByte(b))
            return false;
    for (int i = 0; i < ModelCodeCharacters; ++i) {
        quint8 high = 0;
        quint8 low = 0;
        if (!replies_.ReadReplyByte(high) || !replies_.ReadReplyByte(low))
            return false;
        serial += ModelCodeCharacter(high, low);
    }
    for (int i = 0; i < SerialGroups; ++i) {
        if (!replies_.ReadReplyByte(b))
            return false;
        serial += SerialGroup(b);
    }
    settings_.PdcType = ModelNameFromSerial(serial);
    w_.txtInputBuffer->prependLine(ModelLine(settings_.PdcType));
    w_.txtInputBuffer->prependLine(SerialLine(serial));
    return true;
}

void PhoneQueries::chkGetStatus_Click()
{
    if (w_.chkPower->value() == 0) {
        // Also no events: an unticked switch must not process notifications after the next power-on.
        link_.port().setReceiveThreshold(0);
        w_.chkGetStatus->setValue(0);
        return;
    }
    restoreReceiveState();
    w_.txtInput->setFocus();
}

void PhoneQueries::mscCOM_OnComm()
{
    SerialPortService& port = link_.port();
    if (port.receiveThreshold() == 0) {
        port.discard();
        // A pulled cable is told even while notifications are off.
        if (!port.hungUp())
            return;
    }
    quint8 b = 0;
    if (const PortError error = port.readByte(b); error.failed()) {
        SerialLink::ReportPortError(error);
        return;
    }
    switch (Classify(b, settings_.ArrivalDisplay == 1)) {
    case Notification::SignalLevel: drawSignalLevel(b & 0x0F); break;
    case Notification::ServiceArea: w_.txtNonArea->setText(ServiceAreaText(b)); break;
    case Notification::IncomingCall:
        if (MessageBox(IncomingCallText(), MsgButtons::YesNo, MsgIcon::Information) == MsgAnswer::Yes)
            link_.SendKeyCode(PhoneKeyCodes::OffHook);
        break;
    case Notification::CallCharge: readCallCharge(); break;
    case Notification::Other:
        if (diagnostics_)
            w_.txtInputBuffer->prependLine(DiagnosticLine(b));
        break;
    }
}

void PhoneQueries::drawSignalLevel(int level)
{
    w_.picAntena->clearDrawing();
    w_.picAntena->drawBlackBox({HiddenBarsLeftTwips(level), 0}, {HiddenBarsRightTwips, HiddenBarsBottomTwips});
    w_.picAntena->printText({35, 0}, SignalLevelText(level));
}

void PhoneQueries::readCallCharge()
{
    SerialPortService& port = link_.port();
    // The reader lets events run: without this the handler would take the digits itself.
    port.setReceiveThreshold(0);
    QString digits;
    for (int i = 0; i < ChargeDigitsMax; ++i) {
        quint8 b = 0;
        if (!replies_.ReadReplyByte(b)) {
            port.setReceiveThreshold(1);
            return;
        }
        if (b == ReplyEnd)
            break;
        digits += ReplyDigit(b);
    }
    w_.txtInputBuffer->prependLine(CallChargeLine(digits));
    port.setReceiveThreshold(1);
}
