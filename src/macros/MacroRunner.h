// Macro runs in the main window: the start button, the pop-up menu's entries, "/M" at
// start-up; the window locked meanwhile and ESC to stop.
#pragma once

#include "macros/MacroWalk.h"
#include "platform/SleepingWait.h"

#include <QObject>
#include <QWidget>
#include <vector>

class frmMain;

class MacroRunner : public QObject, private MacroHost {
    Q_OBJECT
public:
    explicit MacroRunner(frmMain& window);

    void cmdMacroStart_Click();
    void mnuMACRO_Click(int index);
    void MacroRunFromCommandLine(const QString& name);
    void MacroRun(const QString& fileName);
    void MacroEnableControls(bool enable);

    bool running() const { return running_; }
    // ESC, or closing the window, while a run is in progress: set MacroAbort and end the
    // wait the run is in at once.
    void RequestAbort();
    bool MacroAbort = false;

private:
    void ProcessEvents() override;
    bool TakeAbort() override;
    void EnableControls(bool enable) override { MacroEnableControls(enable); }
    void TypeCharacter(const QString& character) override;
    void WaitSeconds(float seconds) override;
    void ShowDialog(const QString& message) override;
    void ShowError(const QString& message) override;
    void KeyDown(int key, int flags) override;
    // Holds the run back while the port's transmit buffer is full; false when it is to stop.
    bool roomToSend();

    frmMain& w_;
    bool running_ = false;
    bool locked_ = false;
    // What each locked control was before the run, so that the run gives back just that.
    std::vector<std::pair<QWidget*, bool>> enabledBefore_;
    bool readOnlyBefore_ = false;
    // Every wait of a run sleeps on this, so that one abort ends whichever is running.
    SleepingWait waits_;
};
