// The macro editor opened over a started main window.
#pragma once

#include "MacroWindowFixture.h"
#include "macros/frmMacro.h"

#include <QListWidget>
#include <QPointer>

struct MacroEditorFixture : MacroWindowFixture {
    QPointer<frmMacro> editor;

    // The editor as the main window's button opens it, but shown without blocking.
    frmMacro& openEditor(const QStringList& macroFiles, const std::function<void(Settings&, KeyMap&)>& tweak = {},
                         const QStringList& args = {})
    {
        start(macroFiles, tweak, args);
        editor = new frmMacro(*window);
        editor->show();
        return *editor;
    }

    static QStringList entries(const QListWidget* list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

    // An item view takes a double click as a second press on the item it was pressed on.
    static void doubleClickRow(QListWidget* list, int row)
    {
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
};
