// The options dialog: its controls hold copies of Settings and KeyMap, which reach the records
// only on OK. OK changes memory only; the files are written at exit.
#pragma once

#include "settings/Settings.h"

#include <QDialog>
#include <array>
#include <functional>

class HelpViewer;
class KeyCaptureBox;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;

// What OK applies to the main window at once, and where help is shown.
struct OptionDialogTargets {
    QWidget* mainWindow = nullptr; // gives its icon; kept on top or released by MostFront
    std::function<void()> ApplyImeOption;
    std::function<void()> ApplyToolTips;
    HelpViewer* help = nullptr;
};

class frmOption : public QDialog {
    Q_OBJECT
public:
    // `diagnostics`: "/d" is on the command line, which shows the cable option.
    frmOption(Settings& settings, KeyMap& keyMap, bool diagnostics, OptionDialogTargets targets,
              QWidget* parent = nullptr);

    void tbsOption_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

    // What the label beside the port box says for a port text: the device it resolves to now.
    static QString ComDeviceText(const QString& portText);

    QTabBar* tbsOption = nullptr;
    QFrame* fraOption = nullptr;
    QFrame* fraTextInput = nullptr;
    QFrame* fraMacro = nullptr;
    QFrame* fraKeyMap = nullptr;

    QLabel* lblComPort = nullptr;
    QLineEdit* txtComPort = nullptr;
    QLabel* lblComDevice = nullptr;
    QCheckBox* chkMostFront = nullptr;
    QCheckBox* chkToolTipOff = nullptr;
    QCheckBox* chkArrivalDisplay = nullptr;
    QCheckBox* chkDontKeyLog = nullptr;
    QCheckBox* chkREUDE = nullptr;

    QCheckBox* chkDontUseIME = nullptr;
    QCheckBox* chkTenKeySwap = nullptr;
    QCheckBox* chkIMEON = nullptr;
    QCheckBox* chkSpaceChange = nullptr;
    QCheckBox* chkBSEmulation = nullptr;

    QCheckBox* chkMacroError = nullptr;
    QLabel* lblMaroWait = nullptr;
    QLineEdit* txtMacroWait = nullptr;
    QLabel* lblSec = nullptr;

    QLabel* Label1 = nullptr;
    // In KeyMap's order: txtKeyLeft, txtKeyUp, ... txtKeyOnHook.
    std::array<KeyCaptureBox*, 12> txtKey{};

    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdHelp = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createControls(bool diagnostics);
    void Form_Load();
    void updateComDevice();
    void showRefusal(const QString& text, int tab, QLineEdit* box);

    Settings& settings_;
    KeyMap& keyMap_;
    OptionDialogTargets targets_;
    std::array<QFrame*, 4> frames_{};
    std::array<QCheckBox*, 11> checks_{};
    // Esc cancels only while cmdCancel holds the cancel role.
    bool cancelRole_ = true;
};
