#include "frmMain.h"

#include "core/ProgramIcon.h"
#include "core/ProgramInfo.h"
#include "helpwindows/frmAbout.h"
#include "helpwindows/frmKeyHelp.h"
#include "macros/frmMacro.h"
#include "platform/DesktopServices.h"
#include "platform/InputMethod.h"
#include "settings/LoadSettings.h"
#include "settings/frmOption.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPolygon>
#include <QTimer>

namespace {

constexpr int kWidth = 470;
constexpr int kFullTwips = 4470;
constexpr int kCompactTwips = 975;

struct ToolTipRow {
    const char* control;
    const char16_t* text;
};

// The main window's tooltips; picAntena shows the frame's text.
constexpr ToolTipRow kToolTips[] = {
    {"chkPower", u"電源ボタンです"},
    {"txtInput", u"ここに文字を入力して下さい"},
    {"chkHideOn", u"縮小表示ON/OFFします"},
    {"cmdExit", u"終了します"},
    {"cmdMacroSetting", u"キーマクロの作成/編集を行います"},
    {"cmbMacroList", u"実行したいマクロを選択して下さい"},
    {"cmdMacroStart", u"左のリストで選択したマクロを実行します"},
    {"cmdOption", u"設定を行います"},
    {"cmdKeyHelp", u"キーの割り当てを表示します"},
    {"cmdHelp", u"操作方法のヘルプを表示します"},
    {"chkGetStatus", u"携帯から送信されるデータやキー入力の履歴をテキストボックスに表示します"},
    {"cmdGetNumber", u"携帯の番号を取得します"},
    {"txtInputBuffer", u"携帯から送信されるデータを表示します"},
    {"cmdClear", u"このソフト上で表示されているデータをクリアします"},
    {"cmdAbout", u"バージョン情報を表示します"},
    {"fraRxLevel", u"「状態取得」ボタンが押されていれば、携帯の受信レベルを表示します"},
    {"chkIMEON", u"「文字入力にIMEを使わない」が設定されていると表示され、「半角/全角」キーでON/OFFできます"},
    {"chkAlphaOrKana", u"ひがらな/英数字を選択できます。「Caps」キーでON/OFFできます。"},
    {"chkKanaOrRoma", u"かな入力/ローマ字入力を選択できます。「無変換」キーでON/OFFできます。"},
    {"txtNonArea", u"圏外/圏内を表示します"},
};

QString noMacroCaption() { return QStringLiteral("(なし)"); }

QPixmap arrowPicture(bool up)
{
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(40, 40, 40));
    p.setPen(Qt::NoPen);
    p.drawPolygon(up ? QPolygon({QPoint(1, 9), QPoint(11, 9), QPoint(6, 3)})
                     : QPolygon({QPoint(1, 3), QPoint(11, 3), QPoint(6, 9)}));
    return pixmap;
}

template <typename W>
W* place(W* widget, const char* name, int x, int y, int w, int h)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

} // namespace

frmMain::frmMain(const CommandLine& commandLine, QWidget* parent)
    : QWidget(parent), commandLine_(commandLine), link_(port_, settings_), typist_(link_, settings_, *this)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(ProgramInfo::Title());
    // The other windows take theirs from this one.
    setWindowIcon(ProgramIcon());
    createControls();
    createMenu();
    modes_ = new InputModeControls({chkIMEON, chkAlphaOrKana, chkKanaOrRoma, mnuIME, lblLED, txtInput}, settings_, port_,
                                   this);
    keyboard_ = new KeyboardInput({this, chkPower, chkIMEON, chkAlphaOrKana, chkKanaOrRoma, cmdMacroStart, txtInput,
                                   txtInputBuffer},
                                  settings_, keyMap_, link_, typist_, this);
    keyboard_->ShowImeIndicator = [this] { modes_->ShowImeIndicator(); };
    keyboard_->Beep = [] { Beep(); };
    runner_ = new MacroRunner(*this);
    fraSendQueue = new SendQueueIndicator(*txtInput, port_, *txtInputBuffer);
    keyboard_->MacroAbort = [this] { runner_->RequestAbort(); };
    connect(cmdMacroStart, &QPushButton::clicked, runner_, &MacroRunner::cmdMacroStart_Click);
    for (int i = 0; i < int(mnuMACRO.size()); ++i)
        connect(mnuMACRO[i], &QAction::triggered, runner_, [this, i] { runner_->mnuMACRO_Click(i); });
    talk_ = std::make_unique<PhoneQueries>(
        PhoneTalkWidgets{chkPower, chkGetStatus, cmdGetNumber, txtInput, txtNonArea, picAntena, txtInputBuffer}, link_,
        replies_, settings_, commandLine_.diagnostics);

    connect(chkPower, &ToggleButton::valueChanged, this, &frmMain::chkPower_Click);
    connect(chkHideOn, &ToggleButton::valueChanged, this, &frmMain::chkHideOn_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmMain::cmdClear_Click);
    connect(cmdGetNumber, &QPushButton::clicked, this, &frmMain::cmdGetNumber_Click);
    connect(chkGetStatus, &ToggleButton::valueChanged, this, &frmMain::chkGetStatus_Click);
    connect(&port_, &SerialPortService::receiveEvent, this, &frmMain::mscCOM_OnComm);
    connect(cmdHelp, &QPushButton::clicked, this, &frmMain::cmdHelp_Click);
    connect(cmdAbout, &QPushButton::clicked, this, &frmMain::cmdAbout_Click);
    connect(cmdOption, &QPushButton::clicked, this, &frmMain::cmdOption_Click);
    connect(cmdKeyHelp, &QPushButton::clicked, this, &frmMain::cmdKeyHelp_Click);
    connect(cmdMacroSetting, &QPushButton::clicked, this, [this] {
        frmMacro editor(*this);
        editor.exec();
    });
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
}

// The key help window has no parent, so that it never stays above other programs with this one.
frmMain::~frmMain() { delete keyHelp_; }

void frmMain::createControls()
{
    chkPower = place(new ToggleButton({}, QStringLiteral("ON(&P)"), this), "chkPower", 6, 6, 66, 26);
    txtInput = place(new InputBox(this), "txtInput", 76, 6, 200, 26);
    txtInput->setReadOnly(true);
    lblIME = place(new QLabel(QStringLiteral("IME"), this), "lblIME", 282, 10, 24, 18);
    lblLED = place(new QLabel(QStringLiteral("●"), this), "lblLED", 306, 8, 14, 20);
    chkIMEON = place(new ToggleButton({}, QStringLiteral("IME"), this), "chkIMEON", 322, 6, 44, 26);
    chkAlphaOrKana = place(new ToggleButton({}, QStringLiteral("Ａ"), this), "chkAlphaOrKana", 368, 6, 30, 26);
    chkKanaOrRoma = place(new ToggleButton({}, QStringLiteral("かな"), this), "chkKanaOrRoma", 400, 6, 42, 26);
    chkHideOn = place(new ToggleButton({}, QString(), this), "chkHideOn", 444, 6, 22, 26);
    picUp_ = arrowPicture(true);
    picDown_ = arrowPicture(false);

    cmbMacroList = place(new QComboBox(this), "cmbMacroList", 6, 36, 200, 24);
    cmdMacroStart = place(new QPushButton(QStringLiteral("マクロ実行(&S)"), this), "cmdMacroStart", 210, 36, 124, 24);
    cmdMacroSetting = place(new QPushButton(QStringLiteral("マクロ作成(&M)"), this), "cmdMacroSetting", 338, 36, 126, 24);

    txtInputBuffer = place(new LogBox(this), "txtInputBuffer", 6, 68, 300, 190);
    fraRxLevel = place(new QGroupBox(QStringLiteral("受信レベル"), this), "fraRxLevel", 312, 64, 152, 62);
    picAntena = new AntennaPicture(fraRxLevel);
    picAntena->move(10, 20);
    lblNonArea = place(new QLabel(QStringLiteral("圏外状態"), this), "lblNonArea", 312, 132, 70, 20);
    txtNonArea = place(new QLineEdit(this), "txtNonArea", 384, 130, 80, 22);
    txtNonArea->setReadOnly(true);
    cmdGetNumber = place(new QPushButton(QStringLiteral("番号取得(&N)"), this), "cmdGetNumber", 312, 158, 152, 26);
    chkGetStatus = place(new ToggleButton({}, QStringLiteral("受信レベル(&G)"), this), "chkGetStatus", 312, 188, 152, 26);
    cmdClear = place(new QPushButton(QStringLiteral("表示クリア(&C)"), this), "cmdClear", 312, 226, 152, 28);

    cmdOption = place(new QPushButton(QStringLiteral("設定(&O)"), this), "cmdOption", 6, 264, 74, 28);
    cmdKeyHelp = place(new QPushButton(QStringLiteral("キーヘルプ(&K)"), this), "cmdKeyHelp", 84, 264, 96, 28);
    cmdHelp = place(new QPushButton(QStringLiteral("操作ヘルプ(&H)"), this), "cmdHelp", 184, 264, 96, 28);
    cmdAbout = place(new QPushButton(QStringLiteral("バージョン情報"), this), "cmdAbout", 284, 264, 96, 28);
    cmdExit = place(new QPushButton(QStringLiteral("終了(&X)"), this), "cmdExit", 384, 264, 80, 28);
}

void frmMain::createMenu()
{
    mnuMENU = new QMenu(QStringLiteral("メニュー"), this);
    mnuMENU->setObjectName(QStringLiteral("mnuMENU"));
    const char16_t* captions[] = {u"マクロ作成(&M)", u"マクロ実行(&S)", u"設定(&O)", u"IMEの設定",
                                  u"-",              u"キーヘルプ(&K)", u"操作ヘルプ(&H)", u"バージョン情報(&A)"};
    auto* macros = new QMenu(QString::fromUtf16(captions[1]), mnuMENU);
    for (int i = 0; i < int(mnuMACRO.size()); ++i) {
        mnuMACRO[i] = macros->addAction(noMacroCaption());
    }
    auto* ime = new QMenu(QString::fromUtf16(captions[3]), mnuMENU);
    const char16_t* imeCaptions[] = {u"IME", u"A", u"かな"};
    for (int i = 0; i < 3; ++i) {
        mnuIME[i] = ime->addAction(QString::fromUtf16(imeCaptions[i]));
    }
    for (int i = 0; i < int(mnuCOMMAND.size()); ++i) {
        if (i == 1)
            mnuCOMMAND[i] = mnuMENU->addMenu(macros);
        else if (i == 3)
            mnuCOMMAND[i] = mnuMENU->addMenu(ime);
        else if (i == 4)
            mnuCOMMAND[i] = mnuMENU->addSeparator();
        else
            mnuCOMMAND[i] = mnuMENU->addAction(QString::fromUtf16(captions[i]));
        connect(mnuCOMMAND[i], &QAction::triggered, this, [this, i] { mnuCOMMAND_Click(i); });
    }
}

void frmMain::Form_Load()
{
    ReplyTimeout = 5.0f;

    LoadedSettings loaded = LoadSettings();
    settings_ = loaded.settings;
    keyMap_ = loaded.keyMap;
    macroFiles_ = loaded.window.MacroFiles;
    placedTwips_ = QPoint(loaded.window.Xpos, loaded.window.Ypos);
    placedAt_ = QPoint(TwipsToPixels(loaded.window.Xpos, logicalDpiX()), TwipsToPixels(loaded.window.Ypos, logicalDpiY()));
    move(placedAt_);
    chkHideOn->setValue(loaded.window.HideOn);
    chkAlphaOrKana->setValue(loaded.window.AlphaOrKana);
    chkKanaOrRoma->setValue(loaded.window.KanaOrRoma);
    cmbMacroList->clear();
    for (int i = 0; i < int(loaded.macroListItems.size()); ++i)
        cmbMacroList->addItem(loaded.macroListItems[i], loaded.macroListPositions.value(i, i));
    if (cmbMacroList->count() > 0)
        cmbMacroList->setCurrentIndex(0);

    applyImeOption();
    chkHideOn_Click();
    SetTopmost(this, settings_.MostFront);
    ApplyToolTips();
    ShowImeIndicator();
    picAntena->drawNoSignal();
    help_.initialise();
    // "/M": once the window is up and the event loop runs.
    if (commandLine_.macroName)
        QTimer::singleShot(0, runner_, [this] { runner_->MacroRunFromCommandLine(*commandLine_.macroName); });
}

void frmMain::focusInputIfPowered()
{
    if (chkPower->value() == 1)
        txtInput->setFocus();
}

void frmMain::untickPower()
{
    // The click this raises must not try the port again.
    if (chkPower->value() == 0)
        return;
    IgnorePowerClick = -1;
    chkPower->setValue(0);
}

void frmMain::chkPower_Click()
{
    if (IgnorePowerClick != 0) {
        IgnorePowerClick = 0;
        return;
    }
    if (port_.isOpen()) {
        const PortError error = link_.Close();
        chkPower->setText(QStringLiteral("ON(&P)"));
        txtInput->setReadOnly(true);
        chkGetStatus->setValue(0);
        if (error.failed())
            SerialLink::ShowErrorReport(error, MsgIcon::Critical);
        return;
    }
    const PortError error = link_.OpenForUse();
    if (error.failed()) {
        SerialLink::ReportPowerSwitchError(error);
        // A switch that shows "on" over a closed port would open it again on the next
        // click, which the user meant as "off": whatever failed, it ends unticked.
        if (!port_.isOpen()) {
            untickPower();
            return;
        }
    }
    chkPower->setText(QStringLiteral("OFF(&P)"));
    txtInput->setReadOnly(false);
    if (settings_.DontUseIME == 0)
        SetImeConversion(txtInput, 25, 0);
    txtInput->setFocus();
}

void frmMain::SetCompactDisplay(bool full)
{
    fullDisplay_ = full;
    fitWindowHeight();
    for (QWidget* lower : std::initializer_list<QWidget*>{txtInputBuffer, lblNonArea, txtNonArea})
        lower->setEnabled(full);
    runner_->ApplyRuleStates();
}

void frmMain::fitWindowHeight()
{
    const int frame = frameGeometry().height() - height();
    const int inside = TwipsToPixels(fullDisplay_ ? kFullTwips : kCompactTwips, logicalDpiY()) - frame;
    if (size() != QSize(kWidth, inside))
        setFixedSize(kWidth, inside);
}

void frmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    fitWindowHeight();
}

// The window manager frames the window after it is shown and then moves it.
void frmMain::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    fitWindowHeight();
}

void frmMain::chkHideOn_Click()
{
    const bool full = chkHideOn->value() == 1;
    chkHideOn->setIcon(full ? picUp_ : picDown_);
    SetCompactDisplay(full);
    focusInputIfPowered();
}

void frmMain::ApplyToolTips()
{
    const bool show = settings_.ToolTipOff == 0;
    for (const ToolTipRow& row : kToolTips) {
        if (auto* widget = findChild<QWidget*>(QString::fromLatin1(row.control)))
            widget->setToolTip(show ? QString::fromUtf16(row.text) : QString());
    }
    picAntena->setToolTip(fraRxLevel->toolTip());
}

void frmMain::cmdClear_Click()
{
    txtInput->clear();
    txtInputBuffer->clear();
    txtNonArea->clear();
    picAntena->drawNoSignal();
    focusInputIfPowered();
}

void frmMain::cmdHelp_Click()
{
    help_.showContents(this);
    if (port_.isOpen())
        txtInput->setFocus();
}

void frmMain::cmdAbout_Click()
{
    frmAbout about(settings_.MostFront, this);
    about.exec();
}

void frmMain::cmdOption_Click()
{
    chkPower->setValue(0);
    chkGetStatus->setValue(0);
    newOptionDialog()->exec();
}

std::unique_ptr<frmOption> frmMain::newOptionDialog()
{
    return std::make_unique<frmOption>(settings_, keyMap_, commandLine_.diagnostics,
                                       OptionDialogTargets{this, [this] { applyImeOption(); },
                                                           [this] { ApplyToolTips(); }, &help_},
                                       this);
}

void frmMain::cmdKeyHelp_Click()
{
    if (!keyHelp_)
        keyHelp_ = new frmKeyHelp(settings_, keyMap_, this);
    keyHelp_->show();
    keyHelp_->raise();
    keyHelp_->activateWindow();
}

frmKeyHelp* frmMain::keyHelpWindow() const { return keyHelp_; }

void frmMain::mnuCOMMAND_Click(int index)
{
    switch (index) {
    case 0: cmdMacroSetting->click(); break;
    case 2: cmdOption->click(); break;
    case 5: cmdKeyHelp->click(); break;
    case 6: cmdHelp_Click(); break;
    case 7: cmdAbout_Click(); break;
    default: break;
    }
}

bool frmMain::Form_MouseUp(Qt::MouseButton button, QPoint globalPosition)
{
    if (button != Qt::RightButton || chkHideOn->value() == 1)
        return false;
    const int titles = cmbMacroList->count();
    mnuMACRO[0]->setText(titles > 0 ? cmbMacroList->itemText(0) : noMacroCaption());
    mnuMACRO[0]->setVisible(true);
    for (int i = 1; i < int(mnuMACRO.size()); ++i) {
        if (i < titles)
            mnuMACRO[i]->setText(cmbMacroList->itemText(i));
        mnuMACRO[i]->setVisible(i < titles);
    }
    // Each entry is as available as the control it stands for now, during a run too.
    const std::pair<QAction*, QWidget*> mirrors[] = {
        {mnuCOMMAND[0], cmdMacroSetting}, {mnuCOMMAND[1], cmdMacroStart}, {mnuCOMMAND[2], cmdOption},
        {mnuCOMMAND[5], cmdKeyHelp},      {mnuIME[0], chkIMEON},          {mnuIME[1], chkAlphaOrKana},
        {mnuIME[2], chkKanaOrRoma}};
    for (const auto& [entry, control] : mirrors)
        entry->setEnabled(control->isEnabled());
    mnuMENU->popup(globalPosition);
    return true;
}

void frmMain::mouseReleaseEvent(QMouseEvent* event)
{
    if (!Form_MouseUp(event->button(), event->globalPosition().toPoint()))
        QWidget::mouseReleaseEvent(event);
}

void frmMain::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !exited_) {
        SetTopmost(this, settings_.MostFront);
        focusInputIfPowered();
    }
}

void frmMain::cmdExit_Click()
{
    if (exited_)
        return;
    exited_ = true;
    if (port_.isOpen())
        link_.Close();
    MainWindowSettings window;
    window.HideOn = chkHideOn->value();
    window.AlphaOrKana = chkAlphaOrKana->value();
    window.KanaOrRoma = chkKanaOrRoma->value();
    const bool moved = pos() != placedAt_;
    window.Xpos = moved ? PixelsToTwips(x(), logicalDpiX()) : placedTwips_.x();
    window.Ypos = moved ? PixelsToTwips(y(), logicalDpiY()) : placedTwips_.y();
    window.MacroFiles = macroFiles_;
    // The model chosen in a key help window still open is kept as if the window had closed.
    if (keyHelp_)
        keyHelp_->StorePdcType();
    WriteSettingsFile(settings_, window);
    WriteKeyMapFile(keyMap_);
    RestoreInputMethod();
    help_.shutDown();
    delete keyHelp_;
    close();
    Q_EMIT ended();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (runner_->running()) {
        closeRequested_ = true;
        runner_->RequestAbort();
        event->ignore();
        return;
    }
    cmdExit_Click();
    event->accept();
}

void frmMain::insertIntoLog(const QString& characters) { txtInputBuffer->insertAtCaret(characters); }

void frmMain::clearInput() { txtInput->clear(); }
