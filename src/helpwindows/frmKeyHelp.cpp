#include "frmKeyHelp.h"

#include "helpwindows/KeyHelpTable.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

namespace {
constexpr int kListMargin = 120;
constexpr int kListSpareWidth = 360;
constexpr int kControlsFromBottom = 840;
constexpr int kStartWidth = 9600;
constexpr int kStartHeight = 6300;
constexpr int kColumnWidths[] = {170, 330, 200, 70};
} // namespace

frmKeyHelp::frmKeyHelp(Settings& settings, const KeyMap& keyMap, const QWidget* iconSource, QWidget* parent)
    : QWidget(parent, Qt::Window), settings_(settings), keyMap_(keyMap)
{
    setObjectName(QStringLiteral("frmKeyHelp"));
    setWindowTitle(QStringLiteral("キーの説明"));
    setAttribute(Qt::WA_DeleteOnClose);
    if (iconSource)
        setWindowIcon(iconSource->windowIcon());

    cmbPdcType = new QComboBox(this);
    cmbPdcType->setObjectName(QStringLiteral("cmbPdcType"));
    cmbPdcType->addItems(KeyHelpModels());
    cmbPdcType->resize(150, cmbPdcType->sizeHint().height());

    lstKeyHelp = new QTreeWidget(this);
    lstKeyHelp->setObjectName(QStringLiteral("lstKeyHelp"));
    lstKeyHelp->setColumnCount(4);
    lstKeyHelp->setHeaderLabels({QStringLiteral("パソコンのキー"), QStringLiteral("携帯電話側の機能"),
                                 QStringLiteral("Ctrlを押しながらの場合"), QStringLiteral("割当て変更")});
    // Each column as wide as its heading at least; the window opens with all four in view.
    int columnsWidth = 0;
    for (int i = 0; i < 4; ++i) {
        lstKeyHelp->setColumnWidth(i, std::max(kColumnWidths[i], lstKeyHelp->header()->sectionSizeHint(i)));
        columnsWidth += lstKeyHelp->columnWidth(i);
    }
    lstKeyHelp->setRootIsDecorated(false);
    lstKeyHelp->setUniformRowHeights(true);
    lstKeyHelp->setAllColumnsShowFocus(true);
    lstKeyHelp->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstKeyHelp->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstKeyHelp->viewport()->installEventFilter(this);

    cmdClose = new QPushButton(QStringLiteral("閉じる"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setToolTip(QStringLiteral("閉じます"));
    cmdClose->resize(90, cmdClose->sizeHint().height());

    mnuMENU = new QMenu(this);
    mnuMENU->setObjectName(QStringLiteral("mnuMENU"));
    mnuEdit = mnuMENU->addAction(QStringLiteral("コピー"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    // Ctrl+C in the list does what the menu does.
    mnuEdit->setShortcut(QKeySequence::Copy);
    mnuEdit->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    lstKeyHelp->addAction(mnuEdit);

    setMinimumWidth(cmbPdcType->width() + cmdClose->width() + 2 * twipsToPixels(kListMargin) + 20);
    const int listWidth = columnsWidth + 2 * lstKeyHelp->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    resize(std::max(twipsToPixels(kStartWidth), listWidth + twipsToPixels(kListSpareWidth)), twipsToPixels(kStartHeight));

    // Load: the model of the settings, exactly as written there, or none.
    cmbPdcType->setCurrentIndex(cmbPdcType->findText(settings_.PdcType, Qt::MatchExactly | Qt::MatchCaseSensitive));
    FillKeyHelp();

    connect(cmbPdcType, &QComboBox::currentIndexChanged, this, &frmKeyHelp::FillKeyHelp);
    connect(mnuEdit, &QAction::triggered, this, &frmKeyHelp::mnuEdit_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmKeyHelp::cmdClose_Click);
}

int frmKeyHelp::twipsToPixels(int twips) const { return int(qRound(twips * logicalDpiY() / 1440.0)); }
int frmKeyHelp::pixelsToTwips(int pixels) const { return int(qRound(pixels * 1440.0 / logicalDpiY())); }

void frmKeyHelp::AddKeyHelpRow(const QString& key, const QString& function, const QString& withCtrl,
                               const QString& reassignable)
{
    lstKeyHelp->addTopLevelItem(new QTreeWidgetItem(QStringList{key, function, withCtrl, reassignable}));
}

void frmKeyHelp::FillKeyHelp()
{
    lstKeyHelp->clear();
    for (const KeyHelpRow& row : KeyHelpRows(cmbPdcType->currentText(), keyMap_))
        AddKeyHelpRow(row.key, row.function, row.withCtrl, row.reassignable);
}

void frmKeyHelp::mnuEdit_Click()
{
    QList<KeyHelpRow> selected;
    for (int i = 0; i < lstKeyHelp->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = lstKeyHelp->topLevelItem(i);
        if (item->isSelected())
            selected.append({item->text(0), item->text(1), item->text(2), item->text(3)});
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(KeyHelpCopyText(selected));
}

bool frmKeyHelp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lstKeyHelp->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            mnuMENU->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmKeyHelp::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (isMinimized())
        return;
    // The rule is in outer sizes, as the window manager draws the window.
    const QRect outer = frameGeometry();
    const int height = pixelsToTwips(outer.height());
    if (height < kMinimumTwips) {
        resize(width(), twipsToPixels(kMinimumTwips) - (outer.height() - this->height()));
        return;
    }
    const int width = pixelsToTwips(outer.width());
    const int margin = twipsToPixels(kListMargin);
    lstKeyHelp->setGeometry(margin, margin, std::max(0, twipsToPixels(width - kListSpareWidth)),
                            std::max(0, twipsToPixels(height - kMinimumTwips)));
    const int top = twipsToPixels(height - kControlsFromBottom);
    cmbPdcType->move(margin, top);
    cmdClose->move(std::max(margin + cmbPdcType->width(), lstKeyHelp->geometry().right() + 1 - cmdClose->width()),
                   top);
}

void frmKeyHelp::StorePdcType() { settings_.PdcType = cmbPdcType->currentIndex() < 0 ? QString() : cmbPdcType->currentText(); }

void frmKeyHelp::cmdClose_Click() { close(); }

void frmKeyHelp::closeEvent(QCloseEvent* event)
{
    StorePdcType();
    event->accept();
}
