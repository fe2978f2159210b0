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

MacroRunner::MacroRunner(frmMain& window) : QObject(&window), w_(window) {}

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
    if (!enable && !locked_) {
        enabledBefore_.clear();
        for (QWidget* control : std::initializer_list<QWidget*>{
                 w_.chkPower, w_.cmdExit, w_.cmdMacroSetting, w_.cmbMacroList, w_.cmdMacroStart, w_.cmdOption,
                 w_.cmdGetNumber, w_.chkGetStatus, w_.chkIMEON, w_.chkAlphaOrKana, w_.chkKanaOrRoma}) {
            enabledBefore_.emplace_back(control, control->isEnabled());
            control->setEnabled(false);
        }
        readOnlyBefore_ = w_.txtInput->isReadOnly();
        w_.txtInput->setReadOnly(true);
        locked_ = true;
    } else if (enable && locked_) {
        for (const auto& [control, wasEnabled] : enabledBefore_)
            control->setEnabled(wasEnabled);
        // Read-only again when the power was off before the run.
        w_.txtInput->setReadOnly(readOnlyBefore_);
        locked_ = false;
    }
    w_.setWindowTitle(enable ? QStringLiteral("ユビサキ!") : QStringLiteral("ユビサキ!(ESCで中止)"));
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
    constexpr qint64 kFrameBytes = 8;
    SerialPortService& port = w_.mscCOM();
    const QMetaObject::Connection drained =
        connect(&port, &SerialPortService::outputQueueChanged, &waits_, &SleepingWait::wake);
    const bool room = waits_.until(QDeadlineTimer::Forever, [&] {
        return MacroAbort || port.outputQueue().bytes + kFrameBytes <= SerialPortService::kTransmitBuffer;
    });
    disconnect(drained);
    return room && !MacroAbort;
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
