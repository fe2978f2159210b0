// The number button's query and the receive handler's notifications: what the handset says
// back, read with the reply reader and shown in the main window's controls.
#pragma once

class AntennaPicture;
class LogBox;
class QLineEdit;
class QPushButton;
class ReplyReader;
class SerialLink;
class ToggleButton;
struct Settings;

struct PhoneTalkWidgets {
    ToggleButton* chkPower;
    ToggleButton* chkGetStatus;
    QPushButton* cmdGetNumber;
    QLineEdit* txtInput;
    QLineEdit* txtNonArea;
    AntennaPicture* picAntena;
    LogBox* txtInputBuffer;
};

class PhoneQueries {
public:
    PhoneQueries(const PhoneTalkWidgets& widgets, SerialLink& link, ReplyReader& replies, Settings& settings,
                 bool diagnostics)
        : w_(widgets), link_(link), replies_(replies), settings_(settings), diagnostics_(diagnostics)
    {
    }

    // The number, then model and serial; the port is opened for it when the power is off.
    void cmdGetNumber_Click();
    // False when the reply stopped short; true when a model or the failure line was logged.
    bool QueryModelAndSerial();

    void chkGetStatus_Click();
    // One notification byte per run.
    void mscCOM_OnComm();

private:
    void readCallCharge();
    void drawSignalLevel(int level);
    void restoreReceiveState();

    PhoneTalkWidgets w_;
    SerialLink& link_;
    ReplyReader& replies_;
    Settings& settings_;
    bool diagnostics_;
};
