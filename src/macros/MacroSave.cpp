#include "macros/MacroSave.h"

#include "macros/MacroFile.h"
#include "platform/Cp932.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramFolder.h"
#include "settings/MacroTitle.h"

#include <QDir>

bool MacroSave(const QString& title, QString& fileName, const QStringList& entries)
{
    if (const std::optional<QString> refusal = MacroSaveRefusal(title, fileName, entries)) {
        MessageBox(*refusal, MsgButtons::Ok, MsgIcon::Critical);
        return false;
    }
    fileName = CompletedMacroFileName(fileName);
    const QString folder = MacroFolder(ProgramFolder());
    QString error;
    if (!QDir().mkpath(folder)) {
        error = folder;
    } else {
        const Cp932::WriteResult written = Cp932::WriteLines(folder + fileName, MacroFileLines(title, entries));
        if (written.ok)
            return true;
        error = written.error;
    }
    MessageBox(QStringLiteral("マクロを保存できませんでした。\r\n") + error, MsgButtons::Ok, MsgIcon::Critical);
    return false;
}
