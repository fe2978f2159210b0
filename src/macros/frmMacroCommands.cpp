// The macro editor's command list: inserting, moving, disabling and tidying commands, and
// the dialogs that build or re-edit the commands with an argument.
#include "macros/frmMacro.h"

#include "macros/CommandEditDialogs.h"
#include "macros/MacroCommands.h"
#include "macros/MacroEditing.h"
#include "macros/MacroFile.h"

#include <QAction>
#include <QListWidget>

namespace {

// The re-edit entries of the command menu, by the tag each edits.
constexpr std::pair<int, QStringView> kReEdits[] = {
    {5, MacroTag::Wait}, {6, MacroTag::Text}, {7, MacroTag::Dialog}, {8, MacroTag::Loop}};

} // namespace

QStringList frmMacro::commands() const
{
    QStringList lines;
    for (int i = 0; i < lstMacro->count(); ++i)
        lines.append(lstMacro->item(i)->text());
    return lines;
}

void frmMacro::replaceCommand(int row, const QString& line) { lstMacro->item(row)->setText(line); }

void frmMacro::removeCommand(int row) { delete lstMacro->takeItem(row); }

void frmMacro::AddMacroCommand(const QString& line)
{
    const int row = selectedRow(lstMacro);
    if (row < 0) {
        lstMacro->addItem(line);
        lstMacro->scrollToBottom();
        return;
    }
    // The selection moves down with its entry, so that the next insertion follows this one.
    lstMacro->insertItem(row, line);
    selectRow(lstMacro, row + 1);
}

QString frmMacro::MacroIndentAt(int position) const { return ::MacroIndentAt(commands(), position); }

QString frmMacro::MacroIndent() const { return MacroIndentAt(selectedRow(lstMacro)); }

void frmMacro::openCommandDialog(const QString& tag)
{
    if (tag == MacroTag::Wait) {
        frmWaitEdit dialog(*this);
        dialog.exec();
    } else if (tag == MacroTag::Text) {
        frmTextEdit dialog(*this);
        dialog.exec();
    } else if (tag == MacroTag::Dialog) {
        frmDialogEdit dialog(*this);
        dialog.exec();
    } else if (tag == MacroTag::Loop) {
        frmLoopEdit dialog(*this);
        dialog.exec();
    }
}

void frmMacro::cmdAddWait_Click() { openCommandDialog(MacroTag::Wait.toString()); }
void frmMacro::cmdAddText_Click() { openCommandDialog(MacroTag::Text.toString()); }
void frmMacro::AddDialog_Click() { openCommandDialog(MacroTag::Dialog.toString()); }
void frmMacro::cmdLoopStart_Click() { openCommandDialog(MacroTag::Loop.toString()); }

bool frmMacro::EditSelectedCommand()
{
    const int row = selectedRow(lstMacro);
    if (row < 0)
        return false;
    const QString tag = CommandTag(lstMacro->item(row)->text()).toUpper();
    for (const auto& [entry, edited] : kReEdits) {
        if (tag == edited) {
            MacroEditMode = true;
            openCommandDialog(tag);
            return true;
        }
    }
    return false;
}

void frmMacro::updateCommandMenu()
{
    const int row = selectedRow(lstMacro);
    const QString tag = row < 0 ? QString() : CommandTag(lstMacro->item(row)->text()).toUpper();
    for (const auto& [entry, edited] : kReEdits)
        mnuCommandMenu[entry]->setEnabled(tag == edited);
}

void frmMacro::cmdAddCrlf_Click()
{
    AddMacroCommand(MacroIndent() + MacroTag::Cr.toString());
    MacroEdited = true;
}

void frmMacro::cmdAddLoopEnd_Click()
{
    // The end stands where its "<LOOP>" stands, two blanks left of the body.
    QString indent = MacroIndent();
    if (indent.size() >= 2)
        indent.chop(2);
    AddMacroCommand(indent + MacroTag::LoopEnd.toString());
    MacroEdited = true;
}

void frmMacro::cmdComment_Click()
{
    const int row = selectedRow(lstMacro);
    if (row < 0)
        return;
    replaceCommand(row, ToggledComment(lstMacro->item(row)->text()));
    MacroEdited = true;
}

void frmMacro::cmdCosmetic_Click()
{
    const QStringList tidy = LoopIndented(commands());
    for (int i = 0; i < tidy.size(); ++i)
        replaceCommand(i, tidy[i]);
}

void frmMacro::cmdDelCommand_Click()
{
    const int row = selectedRow(lstMacro);
    if (row < 0)
        return;
    removeCommand(row);
    selectRow(lstMacro, std::min(row, lstMacro->count() - 1));
    MacroEdited = true;
}

void frmMacro::moveCommand(int row, int to)
{
    const QString other = lstMacro->item(to)->text();
    replaceCommand(to, lstMacro->item(row)->text());
    replaceCommand(row, other);
    for (const int i : {std::min(row, to), std::max(row, to)})
        replaceCommand(i, Reindented(lstMacro->item(i)->text(), MacroIndentAt(i)));
    selectRow(lstMacro, to);
    MacroEdited = true;
}

void frmMacro::cmdUpCommand_Click() { moveSelected(lstMacro, -1, &frmMacro::moveCommand); }

void frmMacro::cmdDownCommand_Click() { moveSelected(lstMacro, 1, &frmMacro::moveCommand); }
