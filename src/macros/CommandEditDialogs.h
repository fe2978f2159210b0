// The four dialogs that build the commands with an argument (text, wait, message, loop start),
// inserted before the editor's selected command or, in the editor's edit mode, replacing it.
#pragma once

#include <QDialog>

class frmMacro;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Gives `box` the focus; in edit mode fills it with the selected command's argument, all of it selected.
void EditDialogLoad(frmMacro& editor, QLineEdit& box);
// Replaces the selected command's tag and argument (its indentation kept) in edit mode, else
// inserts an indented command; ends edit mode and marks the macro edited.
void EditDialogCommit(frmMacro& editor, QStringView tag, const QString& argument);

// The main window's icon and OK and Cancel; Cancel and the title bar's close end edit mode.
class CommandEditDialog : public QDialog {
    Q_OBJECT
public:
    virtual void cmdOK_Click() = 0;
    void cmdCancel_Click();

    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    CommandEditDialog(frmMacro& editor, const QString& caption, const char* name);
    void reject() override { cmdCancel_Click(); }
    void closeEvent(QCloseEvent* event) override;
    // Ends edit mode, marks the macro edited and closes.
    void finish();

    frmMacro& editor_;
};

// A frame with a prompt, one line to type and an optional unit after it.
class OneLineCommandDialog : public CommandEditDialog {
    Q_OBJECT
public:
    struct Texts {
        const char16_t* caption;
        const char* name;
        const char16_t* frameCaption;
        const char* frameName;
        const char16_t* prompt;
        const char* boxName;
        const char16_t* unit;
    };

protected:
    OneLineCommandDialog(frmMacro& editor, const Texts& texts);

    QGroupBox* frame_ = nullptr;
    QLineEdit* box_ = nullptr;
};

class frmWaitEdit : public OneLineCommandDialog {
    Q_OBJECT
public:
    explicit frmWaitEdit(frmMacro& editor);
    void cmdOK_Click() override;

    QGroupBox* fraWaitEdit = nullptr;
    QLineEdit* txtWaitTime = nullptr;
};

class frmDialogEdit : public OneLineCommandDialog {
    Q_OBJECT
public:
    explicit frmDialogEdit(frmMacro& editor);
    void cmdOK_Click() override;

    QGroupBox* fraDialogEdit = nullptr;
    QLineEdit* txtDialogData = nullptr;
};

class frmLoopEdit : public OneLineCommandDialog {
    Q_OBJECT
public:
    explicit frmLoopEdit(frmMacro& editor);
    void cmdOK_Click() override;

    QGroupBox* fraLoopEdit = nullptr;
    QLineEdit* txtLoopCount = nullptr;
};

// Several lines of text: each line a "<TEXT>" command, each line break a "<CR>".
class frmTextEdit : public CommandEditDialog {
    Q_OBJECT
public:
    explicit frmTextEdit(frmMacro& editor);
    void cmdOK_Click() override;

    QPlainTextEdit* txtTextData = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
};
