// Saving the macro the editor shows: its title, its file name (completed with ".mcr") and its
// command lines, into the Macro folder.
#pragma once

#include <QString>
#include <QStringList>

// False after a refusal or a failed write, each told to the user; `fileName` then keeps only
// its ".mcr" completion, and an older file of that name is as it was.
bool MacroSave(const QString& title, QString& fileName, const QStringList& entries);
