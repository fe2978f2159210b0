// The macro editor's list of macros and its files: selecting, loading, moving, removing,
// saving, and publishing the list to the main window when the editor closes with OK.
#include "macros/frmMacro.h"

#include "core/frmMain.h"
#include "macros/MacroEditing.h"
#include "macros/MacroFile.h"
#include "macros/MacroSave.h"
#include "macros/frmFileOpen.h"
#include "platform/Cp932.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramFolder.h"
#include "settings/MacroTitle.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

namespace {

QString listedFile(const QString& fileName)
{
    return IsPlainMacroFileName(fileName) ? MacroFolder(ProgramFolder()) + fileName : QString();
}

bool listedFileExists(const QString& fileName)
{
    const QString path = listedFile(fileName);
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QStringList texts(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

} // namespace

void frmMacro::addListedMacro(const QString& title, const QString& fileName)
{
    const QSignalBlocker quiet(lstMacroList);
    lstMacroList->addItem(title);
    lstFileName->addItem(fileName);
}

void frmMacro::lstMacroList_Click()
{
    const int row = selectedRow(lstMacroList);
    if (row < 0 || row == ShownMacroIndex)
        return;
    if (ConfirmDiscard())
        return;
    MacroEdited = false;
    txtMacroName->setText(lstMacroList->item(row)->text());
    txtFileName->setText(lstFileName->item(row)->text());
    ShownMacroIndex = std::int16_t(row);
    ShowMacro(lstFileName->item(row)->text());
}

void frmMacro::ShowMacro(const QString& fileName)
{
    lstMacro->clear();
    const Cp932::ReadResult file = listedFileExists(fileName) ? Cp932::ReadLines(listedFile(fileName))
                                                              : Cp932::ReadResult{};
    if (!file.ok) {
        MessageBox(MacroFileNotFoundMessage(), MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    const EditorMacro macro = EditorMacroFromFile(file.lines);
    if (macro.title)
        txtMacroName->setText(*macro.title);
    lstMacro->addItems(macro.entries);
}

bool frmMacro::ConfirmDiscard()
{
    if (!MacroEdited)
        return false;
    if (MessageBox(QStringLiteral("編集した内容が失われます。\r\nよろしいですか？"), MsgButtons::YesNo,
                   MsgIcon::Question, MsgAnswer::No)
        != MsgAnswer::No)
        return false;
    selectRow(lstMacroList, ShownMacroIndex);
    return true;
}

bool frmMacro::ConfirmSave()
{
    if (!MacroEdited)
        return false;
    switch (MessageBox(QStringLiteral("編集した内容を保存しますか？"), MsgButtons::YesNoCancel, MsgIcon::Question)) {
    case MsgAnswer::Yes:
        // A save that was refused or failed keeps the editor open with the edits.
        return !cmdSaveMacro_Click();
    case MsgAnswer::No: MacroEdited = false; return false;
    default: return true;
    }
}

void frmMacro::cmdDelMacro_Click()
{
    const int row = selectedRow(lstMacroList);
    if (row < 0)
        return;
    if (MessageBox(QStringLiteral("ファイルも削除されます。\r\n本当に削除してもよろしいですか？"), MsgButtons::YesNo,
                   MsgIcon::Question)
        == MsgAnswer::No)
        return;
    const QString file = lstFileName->item(row)->text();
    if (DeletedMacroFiles.size() == 1 && DeletedMacroFiles.front().isEmpty())
        DeletedMacroFiles.front() = file;
    else
        DeletedMacroFiles.append(file);
    {
        const QSignalBlocker quiet(lstMacroList);
        delete lstFileName->takeItem(row);
        delete lstMacroList->takeItem(row);
    }
    cmdClearMacro_Click();
}

void frmMacro::moveMacro(int row, int to)
{
    for (QListWidget* list : {lstMacroList, lstFileName}) {
        const QString other = list->item(to)->text();
        list->item(to)->setText(list->item(row)->text());
        list->item(row)->setText(other);
    }
    // The shown macro moves with its entry, so that its edits stay its own.
    if (ShownMacroIndex == row)
        ShownMacroIndex = std::int16_t(to);
    else if (ShownMacroIndex == to)
        ShownMacroIndex = std::int16_t(row);
    selectRow(lstMacroList, to);
}

void frmMacro::cmdUpMacro_Click() { moveSelected(lstMacroList, -1, &frmMacro::moveMacro); }

void frmMacro::cmdDownMacro_Click() { moveSelected(lstMacroList, 1, &frmMacro::moveMacro); }

void frmMacro::cmdClearMacro_Click()
{
    txtMacroName->clear();
    txtFileName->clear();
    {
        const QSignalBlocker quiet(lstMacroList);
        selectRow(lstMacroList, -1);
    }
    ShownMacroIndex = -1;
    lstMacro->clear();
    MacroEdited = false;
    txtMacroName->setFocus();
}

void frmMacro::cmdFileOpen_Click()
{
    if (ConfirmDiscard())
        return;
    frmFileOpen chooser(*this);
    chooser.exec();
}

bool frmMacro::cmdSaveMacro_Click()
{
    // The macro shown is the one saved over, whatever the list's selection says now (a
    // Ctrl+click may have taken it away).
    const int row = ShownMacroIndex < lstMacroList->count() ? ShownMacroIndex : -1;
    // Never over another listed macro's file: the name then gets an underscore.
    QStringList otherFiles = texts(lstFileName);
    if (row >= 0)
        otherFiles.removeAt(row);
    QString fileName = UnclashedFileName(txtFileName->text(), otherFiles);
    const QString title = txtMacroName->text();
    const bool saved = MacroSave(title, fileName, commands());
    txtFileName->setText(fileName);
    if (!saved)
        return false;
    if (row < 0) {
        // The new entry is the one shown now, so that the next save replaces it.
        addListedMacro(title, fileName);
        ShownMacroIndex = std::int16_t(lstMacroList->count() - 1);
        selectRow(lstMacroList, ShownMacroIndex);
    } else {
        lstMacroList->item(row)->setText(title);
        lstFileName->item(row)->setText(fileName);
        selectRow(lstMacroList, row);
    }
    MacroEdited = false;
    return true;
}

void frmMacro::cmdSaveAs_Click()
{
    QString fileName = txtFileName->text();
    const bool saved = MacroSave(txtMacroName->text(), fileName, commands());
    txtFileName->setText(fileName);
    if (!saved)
        return;
    addListedMacro(txtMacroName->text(), fileName);
    cmdClearMacro_Click();
}

void frmMacro::publishMacroList()
{
    QStringList files = texts(lstFileName);
    if (files.isEmpty())
        files.append(QString());
    main_.macroFiles() = files;
    QComboBox* list = main_.cmbMacroList;
    list->clear();
    // As at start-up, a macro whose file is gone is not offered to run; each item knows its place.
    for (int i = 0; i < lstMacroList->count(); ++i)
        if (listedFileExists(lstFileName->item(i)->text()))
            list->addItem(lstMacroList->item(i)->text(), i);
    if (list->count() > 0)
        list->setCurrentIndex(0);
}

void frmMacro::deleteRemovedFiles()
{
    const QStringList listed = texts(lstFileName);
    for (const QString& file : DeletedMacroFiles) {
        // A file still listed (saved again, or listed twice) stays; nothing outside the folder goes.
        if (file.isEmpty() || listed.contains(file) || !listedFileExists(file))
            continue;
        QFile::remove(listedFile(file));
    }
}

void frmMacro::cmdOK_Click()
{
    if (ConfirmSave())
        return;
    publishMacroList();
    deleteRemovedFiles();
    done(QDialog::Accepted);
}

void frmMacro::cmdCancel_Click()
{
    if (ConfirmSave())
        return;
    done(QDialog::Rejected);
}
