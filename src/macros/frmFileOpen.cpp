#include "macros/frmFileOpen.h"

#include "core/frmMain.h"
#include "macros/frmMacro.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramFolder.h"
#include "settings/MacroTitle.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

frmFileOpen::frmFileOpen(frmMacro& editor) : QDialog(&editor), editor_(editor)
{
    setObjectName(QStringLiteral("frmFileOpen"));
    setWindowTitle(QStringLiteral("マクロファイルの選択"));
    TakeMainWindowLook(*this, editor.mainWindow());
    filMacroFile = new QListWidget(this);
    filMacroFile->setObjectName(QStringLiteral("filMacroFile"));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdDelFile = new QPushButton(this);
    cmdDelFile->setObjectName(QStringLiteral("cmdDelFile"));
    cmdDelFile->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    const int dpi = logicalDpiX();
    for (QPushButton* b : {cmdOK, cmdCancel, cmdDelFile})
        b->resize(frmMain::TwipsToPixels(1215, dpi), frmMain::TwipsToPixels(375, dpi));
    connect(cmdOK, &QPushButton::clicked, this, &frmFileOpen::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFileOpen::cmdCancel_Click);
    connect(cmdDelFile, &QPushButton::clicked, this, &frmFileOpen::cmdDelFile_Click);
    connect(filMacroFile, &QListWidget::itemDoubleClicked, this, &frmFileOpen::cmdOK_Click);
    refresh();
    resize(frmMain::TwipsToPixels(4800, dpi), frmMain::TwipsToPixels(3600, dpi));
}

void frmFileOpen::refresh()
{
    filMacroFile->clear();
    // A folder that does not exist yet lists nothing.
    filMacroFile->addItems(QDir(MacroFolder(ProgramFolder()))
                               .entryList({QStringLiteral("*.mcr")}, QDir::Files, QDir::Name));
}

QString frmFileOpen::selectedFile() const
{
    const int row = frmMacro::selectedRow(filMacroFile);
    return row < 0 ? QString() : filMacroFile->item(row)->text();
}

void frmFileOpen::cmdOK_Click()
{
    const QString file = selectedFile();
    if (!file.isEmpty()) {
        editor_.txtFileName->setText(file);
        editor_.ShowMacro(file);
    }
    done(QDialog::Accepted);
}

void frmFileOpen::cmdDelFile_Click()
{
    if (MessageBox(QStringLiteral("ファイルを削除します。よろしいですか？"), MsgButtons::YesNo, MsgIcon::Question)
        == MsgAnswer::No)
        return;
    const QString file = selectedFile();
    if (file.isEmpty() || !IsPlainMacroFileName(file))
        return;
    QFile::remove(MacroFolder(ProgramFolder()) + file);
    refresh();
}

void frmFileOpen::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (isMinimized())
        return;
    if (RaisedToMinimumHeight(*this, 1380))
        return;
    const int dpi = logicalDpiY();
    const auto px = [dpi](double twips) { return frmMain::TwipsToPixels(int(qRound(twips)), dpi); };
    const double w = OuterSizeTwips(*this).width();
    const double h = OuterSizeTwips(*this).height();
    filMacroFile->setGeometry(0, 0, px(w - 120), px(h - 960));
    const int top = px(h - 900);
    cmdOK->move(px(w / 2 - 1747), top);
    cmdCancel->move(px(w / 2 - 307.5), top);
    cmdDelFile->move(px(w / 2 + 1132.5), top);
}
