#include "macros/frmMacro.h"

#include "core/frmMain.h"
#include "macros/MacroCommands.h"
#include "platform/DesktopServices.h"
#include "platform/ProgramFolder.h"
#include "platform/VirtualKeys.h"
#include "settings/MacroTitle.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int kHelpContext = 36;

template <typename W>
W* named(W* widget, const char* name, const char16_t* toolTip = nullptr)
{
    widget->setObjectName(QString::fromLatin1(name));
    if (toolTip)
        widget->setToolTip(QString::fromUtf16(toolTip));
    return widget;
}

QPushButton* iconButton(QStyle::StandardPixmap icon, const char* name, const char16_t* toolTip, QWidget* parent)
{
    auto* button = named(new QPushButton(parent), name, toolTip);
    button->setIcon(parent->style()->standardIcon(icon));
    return button;
}

QPushButton* textButton(const char16_t* caption, const char* name, const char16_t* toolTip, QWidget* parent)
{
    return named(new QPushButton(QString::fromUtf16(caption), parent), name, toolTip);
}

QVBoxLayout* column(std::initializer_list<QWidget*> widgets)
{
    auto* layout = new QVBoxLayout;
    for (QWidget* w : widgets)
        layout->addWidget(w);
    layout->addStretch();
    return layout;
}

} // namespace

void TakeMainWindowLook(QWidget& window, frmMain& main)
{
    window.setWindowIcon(main.windowIcon());
    // Above other programs from the start, rather than raised after appearing.
    if (main.settings().MostFront == 1)
        window.setWindowFlag(Qt::WindowStaysOnTopHint);
}

QSize OuterSizeTwips(const QWidget& window)
{
    const QSize outer = window.frameGeometry().size();
    const int dpi = window.logicalDpiY();
    return {frmMain::PixelsToTwips(outer.width(), dpi), frmMain::PixelsToTwips(outer.height(), dpi)};
}

bool RaisedToMinimumHeight(QWidget& window, int minimumTwips)
{
    if (OuterSizeTwips(window).height() >= minimumTwips)
        return false;
    const int frame = window.frameGeometry().height() - window.height();
    window.resize(window.width(), frmMain::TwipsToPixels(minimumTwips, window.logicalDpiY()) - frame);
    return true;
}

frmMacro::frmMacro(frmMain& main) : QDialog(&main), main_(main)
{
    setObjectName(QStringLiteral("frmMacro"));
    setWindowTitle(QStringLiteral("キーマクロ編集"));
    TakeMainWindowLook(*this, main);
    createControls();
    createMenus();
    wire();
    Form_Load();
}

void frmMacro::createControls()
{
    lstMacroList = named(new QListWidget(this), "lstMacroList", u"今、登録されているマクロリストです");
    lstFileName = named(new QListWidget(this), "lstFileName");
    lstFileName->hide();
    cmdUpMacro = iconButton(QStyle::SP_ArrowUp, "cmdUpMacro", u"現在選択しているマクロを1つ上に移動します", this);
    cmdDownMacro =
        iconButton(QStyle::SP_ArrowDown, "cmdDownMacro", u"現在選択しているマクロを1つ下に移動します", this);
    cmdDelMacro = iconButton(QStyle::SP_TrashIcon, "cmdDelMacro", u"現在選択しているマクロを削除します", this);

    fraMacroEdit = named(new QGroupBox(QStringLiteral("マクロの編集"), this), "fraMacroEdit");
    txtMacroName = named(new QLineEdit(fraMacroEdit), "txtMacroName", u"マクロの名前を付けてください");
    txtFileName = named(new QLineEdit(fraMacroEdit), "txtFileName", u"ファイル名を付けてください");
    cmdFileOpen =
        iconButton(QStyle::SP_DialogOpenButton, "cmdFileOpen", u"マクロファイルを選択します", fraMacroEdit);
    cmdClearMacro = iconButton(QStyle::SP_FileIcon, "cmdClearMacro", u"マクロをクリアします", fraMacroEdit);
    cmdSaveMacro = iconButton(QStyle::SP_DialogSaveButton, "cmdSaveMacro", u"上書き保存します", fraMacroEdit);
    cmdSaveAs = iconButton(QStyle::SP_FileDialogNewFolder, "cmdSaveAs", u"新しく保存します", fraMacroEdit);
    lstMacro = named(new QListWidget(fraMacroEdit), "lstMacro", u"マクロコマンドの一覧です");
    lstMacro->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    cmdDelCommand = iconButton(QStyle::SP_TrashIcon, "cmdDelCommand", u"現在選択しているコマンドを削除します",
                               fraMacroEdit);
    cmdUpCommand = iconButton(QStyle::SP_ArrowUp, "cmdUpCommand", u"現在選択しているコマンドを1つ上に移動します",
                              fraMacroEdit);
    cmdDownCommand = iconButton(QStyle::SP_ArrowDown, "cmdDownCommand",
                                u"現在選択しているコマンドを1つ下に移動します", fraMacroEdit);

    fraEdit = named(new QGroupBox(QStringLiteral("コマンドの種類"), fraMacroEdit), "fraEdit");
    chkRecording = named(new QCheckBox(QStringLiteral("キー記録(&K)"), fraEdit), "chkRecording", u"キー操作を記録します");
    txtInput = named(new QLineEdit(fraEdit), "txtInput");
    txtInput->setReadOnly(true);
    cmdAddWait = textButton(u"WAIT挿入(&W)...", "cmdAddWait", u"ウェイトを入力できます", fraEdit);
    cmdAddText = textButton(u"テキスト挿入(&T)...", "cmdAddText", u"テキスト入力ができます", fraEdit);
    cmdAddCrlf = textButton(u"改行挿入(&C)", "cmdAddCrlf", u"改行を入力します", fraEdit);
    cmdComment = textButton(u"コマンド無効/解除", "cmdComment",
                            u"選択したコマンドをコメントアウトにしたり、解除したりできます", fraEdit);
    cmdLoopStart = textButton(u"ループ始点...", "cmdLoopStart", u"繰り返し処理をする始点を指定します", fraEdit);
    cmdAddLoopEnd = textButton(u"ループ終点", "cmdAddLoopEnd", u"繰り返し処理をする終点を指定します", fraEdit);
    AddDialog = textButton(u"ダイアログ追加...", "AddDialog", u"ダイアログ表示を追加します", fraEdit);
    cmdCosmetic = textButton(u"整", "cmdCosmetic", nullptr, fraEdit);
    cmdCosmetic->hide();

    cmdOK = textButton(u"OK", "cmdOK", u"設定を反映して閉じます", this);
    cmdOK->setDefault(true);
    cmdCancel = textButton(u"キャンセル", "cmdCancel", u"設定を反映しないで閉じます", this);
    cmdHelp = textButton(u"ヘルプ(&H)", "cmdHelp", u"分からない事があったらこちらへ", this);

    auto* names = new QGridLayout;
    names->addWidget(new QLabel(QStringLiteral("マクロ名"), fraMacroEdit), 0, 0);
    names->addWidget(txtMacroName, 0, 1);
    names->addWidget(new QLabel(QStringLiteral("ファイル名"), fraMacroEdit), 1, 0);
    names->addWidget(txtFileName, 1, 1);
    auto* fileButtons = new QHBoxLayout;
    for (QPushButton* b : {cmdFileOpen, cmdClearMacro, cmdSaveMacro, cmdSaveAs})
        fileButtons->addWidget(b);
    fileButtons->addStretch();
    names->addLayout(fileButtons, 2, 0, 1, 2);

    auto* kinds = new QGridLayout(fraEdit);
    kinds->addWidget(chkRecording, 0, 0);
    kinds->addWidget(txtInput, 0, 1);
    const std::initializer_list<QPushButton*> inserts = {cmdAddWait, cmdAddText,   cmdAddCrlf, cmdComment,
                                                         cmdLoopStart, cmdAddLoopEnd, AddDialog,  cmdCosmetic};
    int cell = 0;
    for (QPushButton* b : inserts) {
        kinds->addWidget(b, 1 + cell / 2, cell % 2);
        ++cell;
    }

    auto* commandsRow = new QHBoxLayout;
    commandsRow->addWidget(lstMacro, 1);
    commandsRow->addLayout(column({cmdDelCommand, cmdUpCommand, cmdDownCommand}));
    auto* edit = new QVBoxLayout(fraMacroEdit);
    edit->addLayout(names);
    edit->addLayout(commandsRow, 1);
    edit->addWidget(fraEdit);

    auto* macrosColumn = new QHBoxLayout;
    macrosColumn->addWidget(lstMacroList, 1);
    macrosColumn->addLayout(column({cmdUpMacro, cmdDownMacro, cmdDelMacro}));
    auto* closing = new QHBoxLayout;
    closing->addStretch();
    for (QPushButton* b : {cmdOK, cmdCancel, cmdHelp})
        closing->addWidget(b);
    auto* top = new QGridLayout(this);
    top->addLayout(macrosColumn, 0, 0);
    top->addWidget(fraMacroEdit, 0, 1);
    top->addLayout(closing, 1, 0, 1, 2);
    top->setColumnStretch(1, 2);
    resize(640, 480);
}

void frmMacro::createMenus()
{
    macroMenu = new QMenu(QStringLiteral("マクロメニュー"), this);
    const char16_t* macroCaptions[] = {u"削除(&D)", nullptr, u"1つ上に移動(&U)", u"1つ下に移動(&D)"};
    for (int i = 0; i < int(mnuMacroMenu.size()); ++i)
        mnuMacroMenu[i] = macroCaptions[i] ? macroMenu->addAction(QString::fromUtf16(macroCaptions[i]))
                                           : macroMenu->addSeparator();
    commandMenu = new QMenu(QStringLiteral("コマンドメニュー"), this);
    const char16_t* commandCaptions[] = {u"削除(&D)",
                                         nullptr,
                                         u"1つ上に移動(&U)",
                                         u"1つ下に移動(&D)",
                                         nullptr,
                                         u"WAITの再編集(&W)",
                                         u"テキストの再編集(&T)",
                                         u"ダイアログの再編集(&D)",
                                         u"LOOP回数の再編集(&L)"};
    for (int i = 0; i < int(mnuCommandMenu.size()); ++i)
        mnuCommandMenu[i] = commandCaptions[i] ? commandMenu->addAction(QString::fromUtf16(commandCaptions[i]))
                                               : commandMenu->addSeparator();
}

void frmMacro::wire()
{
    const auto click = [this](QPushButton* button, void (frmMacro::*handler)()) {
        connect(button, &QPushButton::clicked, this, handler);
    };
    click(cmdUpMacro, &frmMacro::cmdUpMacro_Click);
    click(cmdDownMacro, &frmMacro::cmdDownMacro_Click);
    click(cmdDelMacro, &frmMacro::cmdDelMacro_Click);
    click(cmdFileOpen, &frmMacro::cmdFileOpen_Click);
    click(cmdClearMacro, &frmMacro::cmdClearMacro_Click);
    connect(cmdSaveMacro, &QPushButton::clicked, this, [this] { cmdSaveMacro_Click(); });
    click(cmdSaveAs, &frmMacro::cmdSaveAs_Click);
    click(cmdDelCommand, &frmMacro::cmdDelCommand_Click);
    click(cmdUpCommand, &frmMacro::cmdUpCommand_Click);
    click(cmdDownCommand, &frmMacro::cmdDownCommand_Click);
    click(cmdAddWait, &frmMacro::cmdAddWait_Click);
    click(cmdAddText, &frmMacro::cmdAddText_Click);
    click(cmdAddCrlf, &frmMacro::cmdAddCrlf_Click);
    click(cmdComment, &frmMacro::cmdComment_Click);
    click(cmdLoopStart, &frmMacro::cmdLoopStart_Click);
    click(cmdAddLoopEnd, &frmMacro::cmdAddLoopEnd_Click);
    click(AddDialog, &frmMacro::AddDialog_Click);
    click(cmdCosmetic, &frmMacro::cmdCosmetic_Click);
    click(cmdOK, &frmMacro::cmdOK_Click);
    click(cmdCancel, &frmMacro::cmdCancel_Click);
    click(cmdHelp, &frmMacro::cmdHelp_Click);
    connect(chkRecording, &QCheckBox::toggled, this, &frmMacro::chkRecording_Click);
    connect(lstMacroList, &QListWidget::itemSelectionChanged, this, &frmMacro::lstMacroList_Click);
    connect(lstMacro, &QListWidget::itemDoubleClicked, this, [this] { EditSelectedCommand(); });

    connect(mnuMacroMenu[0], &QAction::triggered, this, &frmMacro::cmdDelMacro_Click);
    connect(mnuMacroMenu[2], &QAction::triggered, this, &frmMacro::cmdUpMacro_Click);
    connect(mnuMacroMenu[3], &QAction::triggered, this, &frmMacro::cmdDownMacro_Click);
    connect(mnuCommandMenu[0], &QAction::triggered, this, &frmMacro::cmdDelCommand_Click);
    connect(mnuCommandMenu[2], &QAction::triggered, this, &frmMacro::cmdUpCommand_Click);
    connect(mnuCommandMenu[3], &QAction::triggered, this, &frmMacro::cmdDownCommand_Click);
    for (int i = 5; i <= 8; ++i)
        connect(mnuCommandMenu[i], &QAction::triggered, this, [this] { EditSelectedCommand(); });

    txtInput->installEventFilter(this);
    lstMacro->installEventFilter(this);
    lstMacroList->installEventFilter(this);
    lstMacro->viewport()->installEventFilter(this);
    lstMacroList->viewport()->installEventFilter(this);
    // Any of these taking the focus ends recording.
    for (QWidget* w : std::initializer_list<QWidget*>{
             txtMacroName, txtFileName, cmdFileOpen, cmdAddWait, cmdAddText, cmdAddCrlf, cmdComment,
             cmdSaveMacro, cmdClearMacro, lstMacro, lstMacroList, cmdDelCommand, cmdUpCommand, cmdDownCommand,
             cmdCosmetic, cmdDelMacro, cmdUpMacro, cmdDownMacro, cmdOK, cmdCancel, cmdHelp})
        w->installEventFilter(this);
}

void frmMacro::Form_Load()
{
    DeletedMacroFiles = QStringList{QString()};
    ShownMacroIndex = -1;
    MacroEditMode = false;
    MacroEdited = false;
    const QStringList& files = main_.macroFiles();
    if (!files.isEmpty() && !files.front().isEmpty()) {
        // A file that is gone is listed under its name, so that both lists stay aligned and
        // selecting it says what is wrong.
        const QString folder = MacroFolder(ProgramFolder());
        for (const QString& file : files)
            addListedMacro(MacroTitle(folder, file).value_or(file), file);
        if (lstMacroList->count() > 0)
            selectRow(lstMacroList, 0);
    }
    cmdCosmetic->setVisible(main_.commandLine().diagnostics);
}

bool frmMacro::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        if (watched != txtInput)
            chkRecording->setChecked(false);
        break;
    case QEvent::FocusOut: {
        // Leaving the box from the keyboard ends recording; the record box's own mnemonic
        // toggles it itself.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (watched == txtInput
            && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
                || (reason == Qt::ShortcutFocusReason && QApplication::focusWidget() != chkRecording)))
            chkRecording->setChecked(false);
        break;
    }
    case QEvent::Shortcut:
        // A button's mnemonic clicks it without moving the focus: while recording, it moves
        // there, which ends recording.
        if (watched != txtInput && chkRecording->isChecked())
            static_cast<QWidget*>(watched)->setFocus(Qt::ShortcutFocusReason);
        break;
    case QEvent::ShortcutOverride:
        // While recording, Ctrl combinations are keys to record; Alt ones stay the window's mnemonics.
        if (watched == txtInput && chkRecording->isChecked()
            && !static_cast<QKeyEvent*>(event)->modifiers().testFlag(Qt::AltModifier)) {
            event->accept();
            return true;
        }
        break;
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == txtInput && chkRecording->isChecked()) {
            const Qt::KeyboardModifiers held = key->modifiers();
            // Tab and Shift+Tab leave the box; the handset has no use for Alt.
            if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
                && !(held & (Qt::ControlModifier | Qt::AltModifier)))
                break;
            if (!held.testFlag(Qt::AltModifier))
                txtInput_KeyDown(VirtualKeyFromQt(*key), held);
            return true;
        }
        if (key->key() == Qt::Key_Delete && watched == lstMacro) {
            cmdDelCommand_Click();
            return true;
        }
        if (key->key() == Qt::Key_Delete && watched == lstMacroList) {
            cmdDelMacro_Click();
            return true;
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // The right button selects nothing in the macro list: loading another macro there
        // would ask about the edits before the menu even shows.
        if (watched == lstMacroList->viewport() && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
            return true;
        break;
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton)
            break;
        if (watched == lstMacro->viewport()) {
            updateCommandMenu();
            commandMenu->popup(mouse->globalPosition().toPoint());
            return true;
        }
        if (watched == lstMacroList->viewport()) {
            // The menu acts on the macro shown.
            {
                const QSignalBlocker quiet(lstMacroList);
                selectRow(lstMacroList, ShownMacroIndex);
            }
            macroMenu->popup(mouse->globalPosition().toPoint());
            return true;
        }
        break;
    }
    default: break;
    }
    return QDialog::eventFilter(watched, event);
}

void frmMacro::keyPressEvent(QKeyEvent* event)
{
    // While recording ESC is a key like any other, not the cancel button's.
    if (event->key() == Qt::Key_Escape && !cancelRole_) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmMacro::closeEvent(QCloseEvent* event)
{
    // The title bar's close is the cancel button, which may keep the window open.
    event->ignore();
    cmdCancel_Click();
}

void frmMacro::chkRecording_Click()
{
    const bool recording = chkRecording->isChecked();
    cmdOK->setDefault(!recording);
    cancelRole_ = !recording;
    if (recording)
        txtInput->setFocus();
}

void frmMacro::txtInput_KeyDown(int virtualKey, Qt::KeyboardModifiers modifiers)
{
    if (!chkRecording->isChecked())
        return;
    MacroEdited = true;
    const int flags = modifiers.testFlag(Qt::ShiftModifier) ? MacroShiftFlag : 0;
    const std::optional<QString> tag = KeyTagOf(virtualKey, flags, main_.keyMap());
    if (!tag)
        return;
    if (modifiers.testFlag(Qt::ControlModifier))
        AddMacroCommand(MacroIndent() + MacroTag::Ctrl.toString());
    AddMacroCommand(MacroIndent() + *tag);
}

void frmMacro::cmdHelp_Click() { main_.helpViewer().showContext(this, kHelpContext); }

int frmMacro::selectedRow(const QListWidget* list)
{
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.front());
}

void frmMacro::selectRow(QListWidget* list, int row)
{
    if (row >= 0 && row < list->count()) {
        list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        return;
    }
    list->clearSelection();
    list->setCurrentRow(-1);
}

void frmMacro::moveSelected(const QListWidget* list, int step, void (frmMacro::*move)(int, int))
{
    const int row = selectedRow(list);
    if (row >= 0 && row + step >= 0 && row + step < list->count())
        (this->*move)(row, row + step);
}
