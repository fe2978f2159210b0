#include "macros/CommandEditDialogs.h"

#include "core/frmMain.h"
#include "macros/CommandArguments.h"
#include "macros/MacroCommands.h"
#include "macros/frmMacro.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString selectedArgument(const frmMacro& editor)
{
    const int row = frmMacro::selectedRow(editor.lstMacro);
    return row < 0 ? QString() : CommandArgument(editor.lstMacro->item(row)->text());
}

} // namespace

void EditDialogLoad(frmMacro& editor, QLineEdit& box)
{
    // Typing goes into the box at once, not to the buttons.
    box.setFocus();
    if (!editor.MacroEditMode)
        return;
    box.setText(selectedArgument(editor));
    box.selectAll();
}

void EditDialogCommit(frmMacro& editor, QStringView tag, const QString& argument)
{
    const int row = frmMacro::selectedRow(editor.lstMacro);
    if (editor.MacroEditMode && row >= 0)
        editor.replaceCommand(row, ReplacedCommand(editor.lstMacro->item(row)->text(), tag, argument));
    else
        editor.AddMacroCommand(editor.MacroIndent() + tag.toString() + argument);
    editor.MacroEditMode = false;
    editor.MacroEdited = true;
}

CommandEditDialog::CommandEditDialog(frmMacro& editor, const QString& caption, const char* name)
    : QDialog(&editor), editor_(editor)
{
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(caption);
    TakeMainWindowLook(*this, editor.mainWindow());
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdOK, &QPushButton::clicked, this, &CommandEditDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &CommandEditDialog::cmdCancel_Click);
}

void CommandEditDialog::cmdCancel_Click()
{
    editor_.MacroEditMode = false;
    done(QDialog::Rejected);
}

void CommandEditDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
    cmdCancel_Click();
}

void CommandEditDialog::finish()
{
    editor_.MacroEditMode = false;
    editor_.MacroEdited = true;
    done(QDialog::Accepted);
}

OneLineCommandDialog::OneLineCommandDialog(frmMacro& editor, const Texts& texts)
    : CommandEditDialog(editor, QString::fromUtf16(texts.caption), texts.name)
{
    frame_ = new QGroupBox(QString::fromUtf16(texts.frameCaption), this);
    frame_->setObjectName(QString::fromLatin1(texts.frameName));
    auto* prompt = new QLabel(QString::fromUtf16(texts.prompt), frame_);
    prompt->setWordWrap(true);
    box_ = new QLineEdit(frame_);
    box_->setObjectName(QString::fromLatin1(texts.boxName));
    auto* entry = new QHBoxLayout;
    entry->addWidget(box_, 1);
    if (texts.unit)
        entry->addWidget(new QLabel(QString::fromUtf16(texts.unit), frame_));
    else
        box_->setMinimumWidth(320);
    auto* inside = new QVBoxLayout(frame_);
    inside->addWidget(prompt);
    inside->addLayout(entry);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* all = new QVBoxLayout(this);
    all->addWidget(frame_);
    all->addLayout(buttons);
    setFixedSize(sizeHint());
    EditDialogLoad(editor, *box_);
}

frmWaitEdit::frmWaitEdit(frmMacro& editor)
    : OneLineCommandDialog(editor, {u"WAIT編集", "frmWaitEdit", u"WAIT編集", "fraWaitEdit",
                                    u"WAIT(一時停止時間)を入力してください。(0.1秒単位で指定できます)", "txtWaitTime",
                                    u"秒"})
{
    fraWaitEdit = frame_;
    txtWaitTime = box_;
}

void frmWaitEdit::cmdOK_Click()
{
    const QString text = txtWaitTime->text();
    if (text.isEmpty())
        return cmdCancel_Click();
    // A refused time leaves the dialog open until it is corrected or cancelled.
    if (!IsAcceptedWait(text))
        return;
    EditDialogCommit(editor_, MacroTag::Wait, text);
    done(QDialog::Accepted);
}

frmDialogEdit::frmDialogEdit(frmMacro& editor)
    : OneLineCommandDialog(editor, {u"ダイアログ追加", "frmDialogEdit", u"ダイアログ編集", "fraDialogEdit",
                                    u"ダイアログに表示させるメッセージを入力してください。"
                                    u"何も入力しなかった場合は規定のメッセージが表示されます。",
                                    "txtDialogData", nullptr})
{
    fraDialogEdit = frame_;
    txtDialogData = box_;
}

void frmDialogEdit::cmdOK_Click()
{
    EditDialogCommit(editor_, MacroTag::Dialog, txtDialogData->text());
    done(QDialog::Accepted);
}

frmLoopEdit::frmLoopEdit(frmMacro& editor)
    : OneLineCommandDialog(editor, {u"Loopの編集", "frmLoopEdit", u"Loop回数の指定", "fraLoopEdit",
                                    u"ループする回数を指定して下さい。", "txtLoopCount", u"回"})
{
    fraLoopEdit = frame_;
    txtLoopCount = box_;
}

void frmLoopEdit::cmdOK_Click()
{
    const QString text = txtLoopCount->text();
    if (text.isEmpty())
        return cmdCancel_Click();
    const std::optional<QString> count = AcceptedLoopCount(text);
    if (!count)
        return;
    txtLoopCount->setText(*count);
    EditDialogCommit(editor_, MacroTag::Loop, *count);
    done(QDialog::Accepted);
}

frmTextEdit::frmTextEdit(frmMacro& editor)
    : CommandEditDialog(editor, QStringLiteral("テキスト編集"), "frmTextEdit")
{
    txtTextData = new QPlainTextEdit(this);
    txtTextData->setObjectName(QStringLiteral("txtTextData"));
    txtTextData->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const int dpi = logicalDpiX();
    for (QPushButton* b : {cmdOK, cmdCancel})
        b->resize(frmMain::TwipsToPixels(1215, dpi), frmMain::TwipsToPixels(375, dpi));
    resize(frmMain::TwipsToPixels(4800, dpi), frmMain::TwipsToPixels(3600, dpi));
    txtTextData->setFocus();
    if (editor.MacroEditMode) {
        txtTextData->setPlainText(selectedArgument(editor));
        txtTextData->moveCursor(QTextCursor::End);
    }
}

void frmTextEdit::cmdOK_Click()
{
    const QString text = txtTextData->toPlainText();
    if (text.isEmpty())
        return cmdCancel_Click();
    QListWidget* list = editor_.lstMacro;
    list->setUpdatesEnabled(false);
    const QString prefix = editor_.MacroIndent();
    const int row = frmMacro::selectedRow(list);
    if (editor_.MacroEditMode && row >= 0) {
        // The new lines go where the old one was.
        editor_.removeCommand(row);
        frmMacro::selectRow(list, row);
    }
    for (const QString& line : TextCommandLines(text, prefix))
        editor_.AddMacroCommand(line);
    const int after = frmMacro::selectedRow(list);
    if (after > 1)
        frmMacro::selectRow(list, after - 1);
    list->setUpdatesEnabled(true);
    finish();
}

void frmTextEdit::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (isMinimized())
        return;
    if (RaisedToMinimumHeight(*this, 1335))
        return;
    const int dpi = logicalDpiY();
    const auto px = [dpi](int twips) { return frmMain::TwipsToPixels(twips, dpi); };
    const int w = OuterSizeTwips(*this).width();
    const int h = OuterSizeTwips(*this).height();
    txtTextData->setGeometry(0, 0, px(w - 105), px(h - 960));
    cmdOK->move(px(w / 2 - 1440), px(h - 855));
    cmdCancel->move(px(w / 2), px(h - 855));
}
