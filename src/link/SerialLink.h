// The link below the level of meaning: key frames, the REUDO cable's commands, the
// opening and closing sequences, and the messages for port errors.
#pragma once

#include "platform/MessageBoxes.h"
#include "platform/SerialPortService.h"
#include "textentry/mdlGetBinary.h"

struct Settings;

class SerialLink {
public:
    SerialLink(SerialPortService& port, const Settings& settings);

    SerialPortService& port() { return port_; }

    // One key frame: the header F2 02 01 00 00 as one write, then `code` as a second.
    // A failed write is reported once, until the port is opened or closed again.
    void SendKeyCode(const QByteArray& code);
    void SendKeyCode(const KeyCode& code) { SendKeyCode(code.bytes()); }

    // 1: "ATQ1%B0" CR, "AT-WT=1" CR; otherwise "AT-WT=0" CR; then the settings text again.
    PortError SetCableMode(quint8 mode);

    // The power switch's opening: port number, settings text, open, cable mode on.
    PortError OpenForUse();
    // A query's opening of a closed port: as above, but the cable mode is set off.
    PortError OpenForQuery();
    // Cable mode off, then close (the power switch, exit, and the end of a query). What is
    // still queued leaves first when it takes at most kKeepQueuedSeconds, else it is dropped.
    PortError Close();
    static constexpr double kKeepQueuedSeconds = 1.0;

    // The message for an error caught while reading from the port.
    static void ReportPortError(const PortError& error);
    // The power switch's message; true when the switch is to be unticked again.
    static bool ReportPowerSwitchError(const PortError& error);
    // The common report for any other error.
    static void ShowErrorReport(const PortError& error, MsgIcon icon);
    static QString ErrorReportText(const PortError& error);

    static QString InvalidPortText();
    static QString PortInUseText();
    static QString CablePulledText();

private:
    PortError openAndSetCable(quint8 mode);

    SerialPortService& port_;
    const Settings& settings_;
    bool writeErrorReported_ = false;
};
