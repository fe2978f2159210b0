#include "macros/MacroRunner.h"

#include "core/frmMain.h"
#include "macros/MacroFile.h"
#include "platform/Cp932.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramFolder.h"
#include "platform/SleepingWait.h"
#include "settings/MacroTitle.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

MacroRunner::MacroRunner(frmMain& window) : QObject(&window), w_(window)
{
    // After the IME switch's own handling, which knows nothing of runs.
    connect(w_.chkIMEON, &ToggleButton::valueChanged, this, &MacroRunner::ApplyRuleStates);
}

void MacroRunner::cmdMacroStart_Click()
{
    const QStringList& files = w_.macroFiles();
    if (files.isEmpty() || files.front().isEmpty() || w_.chkPower->value() != 1)
        return;
    // The list holds only the macros whose files were found; each item knows its place.
    const QVariant position = w_.cmbMacroList->currentData();
    const int index = position.isValid() ? position.toInt() : w_.cmbMacroList->currentIndex();
    if (index < 0 || index >= files.size())
        return;
    MacroRun(files[index]);
}

void MacroRunner::mnuMACRO_Click(int index)
{
    // During a run the entry does nothing, the list's selection included.
    if (!w_.cmdMacroStart->isEnabled())
        return;
    if (w_.cmbMacroList->count() == 0 || index < 0 || index >= w_.cmbMacroList->count())
        return;
    w_.cmbMacroList->setCurrentIndex(index);
    cmdMacroStart_Click();
}

void MacroRunner::MacroRunFromCommandLine(const QString& name)
{
    QCoreApplication::processEvents();
    w_.chkPower->setValue(1);
    QString file = WithoutTrailingBlanks(WithoutLeadingBlanks(name)).toString();
    if (!file.contains(u'.'))
        file += QStringLiteral(".mcr");
    MacroRun(file);
    if (!w_.exited())
        w_.chkPower->setValue(0);
}

void MacroRunner::MacroRun(const QString& fileName)
{
    if (running_)
        return;
    // Nothing outside the Macro folder is read, whatever the name says.
    const QString path = MacroFolder(ProgramFolder()) + fileName;
    const Cp932::ReadResult file =
        IsPlainMacroFileName(fileName) && QFileInfo(path).isFile() ? Cp932::ReadLines(path) : Cp932::ReadResult{};
    if (!file.ok) {
        MessageBox(MacroFileNotFoundMessage(), MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    running_ = true;
    MacroEnableControls(false);
    MacroAbort = false;
    const Settings& settings = w_.settings();
    const std::int16_t result =
        MacroExecute(ReadMacroCommands(file.lines), *this, {settings.MacroWait, settings.MacroError}, w_.keyMap());
    // Closing the window ends the program: no message waits for an answer then.
    if (result == MacroResult::Stopped && !w_.closeRequestedDuringRun())
        MessageBox(QStringLiteral("ユーザによって中断されました。"), MsgButtons::Ok, MsgIcon::Critical);
    MacroEnableControls(true);
    running_ = false;
    if (w_.closeRequestedDuringRun())
        w_.close();
}

void MacroRunner::MacroEnableControls(bool enable)
{
    // Each state comes from its rule, not from before the run: the display or the IME may
    // have changed meanwhile.
    locked_ = !enable;
    for (QWidget* control : std::initializer_list<QWidget*>{w_.chkPower, w_.cmdExit, w_.cmdMacroSetting,
                                                            w_.cmbMacroList, w_.cmdMacroStart, w_.cmdOption,
                                                            w_.cmdGetNumber})
        control->setEnabled(enable);
    ApplyRuleStates();
    w_.txtInput->setReadOnly(locked_ || !w_.mscCOM().isOpen());
    w_.setWindowTitle(enable ? QStringLiteral("ユビサキ!") : QStringLiteral("ユビサキ!(ESCで中止)"));
}

void MacroRunner::ApplyRuleStates()
{
    const bool free = !locked_;
    w_.chkGetStatus->setEnabled(free && w_.fullDisplay());
    w_.chkIMEON->setEnabled(free);
    const bool modes = free && w_.chkIMEON->value() == 1;
    w_.chkAlphaOrKana->setEnabled(modes);
    w_.chkKanaOrRoma->setEnabled(modes);
}

void MacroRunner::ProcessEvents() { QCoreApplication::processEvents(); }

bool MacroRunner::TakeAbort()
{
    const bool abort = MacroAbort;
    MacroAbort = false;
    return abort;
}

void MacroRunner::RequestAbort()
{
    MacroAbort = true;
    waits_.wake();
}

bool MacroRunner::roomToSend()
{
    // A run with no pause would queue keys for minutes; kept within the transmit buffer,
    // ESC silences the handset within seconds.
    SerialPortService& port = w_.mscCOM();
    const auto room = [&] {
        return MacroAbort || port.outputQueue().bytes + SerialPortService::kFrameBytes <= SerialPortService::kTransmitBuffer;
    };
    if (!room()) {
        const QMetaObject::Connection drained =
            connect(&port, &SerialPortService::outputQueueChanged, &waits_, &SleepingWait::wake);
        const bool waited = waits_.until(QDeadlineTimer::Forever, room);
        disconnect(drained);
        if (!waited)
            return false;
    }
    return !MacroAbort;
}

void MacroRunner::TypeCharacter(const QString& character)
{
    if (roomToSend())
        w_.typist().TypeCharacter(character);
}

void MacroRunner::WaitSeconds(float seconds)
{
    if (seconds > 0.0f)
        waits_.until(DeadlineInSeconds(seconds), [this] { return MacroAbort; });
}

void MacroRunner::ShowDialog(const QString& message) { MessageBox(message, MsgButtons::Ok, MsgIcon::Information); }

void MacroRunner::ShowError(const QString& message) { MessageBox(message, MsgButtons::Ok, MsgIcon::Critical); }

void MacroRunner::KeyDown(int key, int flags)
{
    if (roomToSend())
        w_.keyboard().txtInput_KeyDown(key, flags);
}
