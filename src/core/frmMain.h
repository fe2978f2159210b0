// The main window: creates the controls and wires them to their handlers. The handlers'
// bodies live in their subsystems; what stays here is start-up, the power switch, the
// display, the pop-up menu and exit.
#pragma once

#include "core/CommandLine.h"
#include "core/LogBox.h"
#include "core/SendQueueIndicator.h"
#include "core/ToggleButton.h"
#include "link/AntennaPicture.h"
#include "link/PhoneQueries.h"
#include "link/ReplyReader.h"
#include "link/SerialLink.h"
#include "macros/MacroRunner.h"
#include "platform/HelpViewer.h"
#include "platform/InputBox.h"
#include "platform/SerialPortService.h"
#include "settings/Settings.h"
#include "textentry/InputModeControls.h"
#include "textentry/KeyboardInput.h"
#include "textentry/TypeCharacter.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class frmKeyHelp;
class frmOption;

class frmMain : public QWidget, private TypingSinks {
    Q_OBJECT
public:
    explicit frmMain(const CommandLine& commandLine, QWidget* parent = nullptr);
    ~frmMain() override;

    // Start-up after the single-instance check: settings, display, tooltips, help.
    void Form_Load();

    void chkPower_Click();
    void chkHideOn_Click();
    void cmdClear_Click();
    void cmdGetNumber_Click() { talk_->cmdGetNumber_Click(); }
    void chkGetStatus_Click() { talk_->chkGetStatus_Click(); }
    void mscCOM_OnComm() { talk_->mscCOM_OnComm(); }
    // Each reply byte's time limit in seconds; start-up sets 5.
    float replyTimeout() const { return ReplyTimeout; }
    void setReplyTimeout(float seconds) { ReplyTimeout = seconds; }
    void cmdHelp_Click();
    void cmdAbout_Click();
    // Switches the link off first, so that the port and cable chosen apply at the next power-on.
    void cmdOption_Click();
    // The options dialog over this window's records, as cmdOption_Click runs it.
    std::unique_ptr<frmOption> newOptionDialog();
    void cmdKeyHelp_Click();
    void cmdExit_Click();
    void mnuCOMMAND_Click(int index);
    // Fills the menu's macro entries and pops it up, only in the compact display.
    bool Form_MouseUp(Qt::MouseButton button, QPoint globalPosition);

    void SetCompactDisplay(bool full);
    bool fullDisplay() const { return fullDisplay_; }
    void ApplyToolTips();
    // The IME part of start-up and of the options dialog's OK.
    void applyImeOption() { modes_->ApplyImeOption(); }
    void ShowImeIndicator() { modes_->ShowImeIndicator(); }
    KeyboardInput& keyboard() { return *keyboard_; }
    InputModeControls& inputModes() { return *modes_; }
    MacroRunner& macros() { return *runner_; }
    Typist& typist() { return typist_; }
    // The title bar's close during a run waits for the run to stop.
    bool closeRequestedDuringRun() const { return closeRequested_; }

    // The controls, under their established names.
    ToggleButton* chkPower = nullptr;
    InputBox* txtInput = nullptr;
    LogBox* txtInputBuffer = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdGetNumber = nullptr;
    ToggleButton* chkGetStatus = nullptr;
    QGroupBox* fraRxLevel = nullptr;
    AntennaPicture* picAntena = nullptr;
    QLabel* lblNonArea = nullptr;
    QLineEdit* txtNonArea = nullptr;
    QLabel* lblIME = nullptr;
    QLabel* lblLED = nullptr;
    ToggleButton* chkIMEON = nullptr;
    ToggleButton* chkAlphaOrKana = nullptr;
    ToggleButton* chkKanaOrRoma = nullptr;
    ToggleButton* chkHideOn = nullptr;
    QComboBox* cmbMacroList = nullptr;
    QPushButton* cmdMacroStart = nullptr;
    QPushButton* cmdMacroSetting = nullptr;
    QPushButton* cmdOption = nullptr;
    QPushButton* cmdKeyHelp = nullptr;
    QPushButton* cmdHelp = nullptr;
    QPushButton* cmdAbout = nullptr;
    QPushButton* cmdExit = nullptr;
    // What is still on its way to the handset, beside the typed text.
    SendQueueIndicator* fraSendQueue = nullptr;
    QMenu* mnuMENU = nullptr;
    std::array<QAction*, 8> mnuCOMMAND{};
    std::array<QAction*, 10> mnuMACRO{};
    std::array<QAction*, 3> mnuIME{};

    SerialPortService& mscCOM() { return port_; }
    Settings& settings() { return settings_; }
    KeyMap& keyMap() { return keyMap_; }
    const CommandLine& commandLine() const { return commandLine_; }
    HelpViewer& helpViewer() { return help_; }
    // The key help window while it is open.
    frmKeyHelp* keyHelpWindow() const;
    QStringList& macroFiles() { return macroFiles_; }
    // True once the exit sequence ran; the window is then only waiting to be destroyed.
    bool exited() const { return exited_; }

    static int TwipsToPixels(int twips, int dpi) { return int(qRound(twips * dpi / 1440.0)); }
    static int PixelsToTwips(int pixels, int dpi) { return int(qRound(pixels * 1440.0 / dpi)); }

Q_SIGNALS:
    // The exit sequence is done: the program ends.
    void ended();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void insertIntoLog(const QString& characters) override;
    void clearInput() override;
    void createControls();
    void createMenu();
    void focusInputIfPowered();
    void untickPower();
    // The display's height is the whole window's, title bar included, once the frame is known.
    void fitWindowHeight();

    CommandLine commandLine_;
    Settings settings_;
    KeyMap keyMap_;
    QStringList macroFiles_{QString()};
    SerialPortService port_;
    SerialLink link_;
    Typist typist_;
    InputModeControls* modes_ = nullptr;
    KeyboardInput* keyboard_ = nullptr;
    MacroRunner* runner_ = nullptr;
    bool closeRequested_ = false;
    HelpViewer help_;
    QPointer<frmKeyHelp> keyHelp_;
    QPixmap picUp_;
    QPixmap picDown_;
    std::int16_t IgnorePowerClick = 0;
    float ReplyTimeout = 5.0f;
    bool exited_ = false;
    bool fullDisplay_ = true;
    // Where start-up put the window, in twips and in pixels: a window the user did not move
    // writes back the stored values, not a round trip through pixels.
    QPoint placedTwips_;
    QPoint placedAt_;
    ReplyReader replies_{port_, ReplyTimeout};
    std::unique_ptr<PhoneQueries> talk_;
};
