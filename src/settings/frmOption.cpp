#include "frmOption.h"

#include "settings/KeyCaptureBox.h"
#include "settings/OptionValues.h"
#include "settings/SettingsNumbers.h"
#include "platform/DesktopServices.h"
#include "platform/HelpViewer.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramFolder.h"
#include "platform/SerialPortService.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kKeyMapTab = 3;
constexpr int kHelpOptions = 20;
constexpr int kHelpKeyMap = 22;

struct TabRow {
    const char16_t* caption;
    const char16_t* toolTip;
    const char* frame;
};

constexpr TabRow kTabs[] = {
    {u"基本設定", u"基本設定を行います", "fraOption"},
    {u"文字入力設定", u"文字入力に関する設定を行います", "fraTextInput"},
    {u"マクロ関係", u"マクロに関する設定を行います", "fraMacro"},
    {u"キー割り当て", u"キーの割り当てを変更します", "fraKeyMap"},
};

struct CheckRow {
    const char* name;
    const char16_t* caption;
    const char16_t* toolTip; // nullptr: none
    std::int16_t Settings::*field;
    int tab;
};

constexpr CheckRow kChecks[] = {
    {"chkMostFront", u"常に手前に表示する", u"常に手前に表示されるようになります", &Settings::MostFront, 0},
    {"chkToolTipOff", u"ツールチップを表示しない", u"メイン画面で表示されるツールチップを抑制します",
     &Settings::ToolTipOff, 0},
    {"chkArrivalDisplay", u"着信があったら知らせる",
     u"「ON」ボタンと「受信レベル」ボタンが押されている状態で着信があると、メッセージで知らせてくれます",
     &Settings::ArrivalDisplay, 0},
    {"chkDontKeyLog", u"キー記録を残さない", nullptr, &Settings::DontKeyLog, 0},
    {"chkREUDE", u"リュウド製クリスタルケーブルを使用する", nullptr, &Settings::REUDOcable, 0},
    {"chkDontUseIME", u"文字入力にIMEを使わない",
     u"文字入力をする際、Windowsが提供しているIMEを使わないで文字入力ができます。IMEで使用していて不具合がある場合に"
     u"お試ください。",
     &Settings::DontUseIME, 1},
    {"chkTenKeySwap", u"テンキーの配置を携帯に合わせる",
     u"つまり1～3キーと7～9を入れ替えて、キー配置を携帯電話と同じにします", &Settings::TenKeySwap, 1},
    {"chkIMEON", u"IMEを自動起動する", u"電源をONした時に、自動でIMEもONします", &Settings::IMEON, 1},
    {"chkSpaceChange", u"スペースキーで漢字変換を行う", u"スペースを挿入したい場合はShift + Spaceを押して下さい",
     &Settings::SpaceChange, 1},
    {"chkBSEmulation", u"クリアキー(1)をBSのように動作させる", nullptr, &Settings::BSEmulation, 1},
    {"chkMacroError", u"マクロ実行時、エラーがあったら停止する",
     u"チェックを付けると、マクロ実行中にエラーがあった場合、その場で停止します", &Settings::MacroError, 2},
};

struct KeyBoxRow {
    const char* name;
    const char16_t* label;
    std::int16_t KeyMap::*field;
};

constexpr KeyBoxRow kKeyBoxes[] = {
    {"txtKeyLeft", u"←", &KeyMap::KEY_Left},
    {"txtKeyUp", u"↑", &KeyMap::KEY_Up},
    {"txtKeyRight", u"→", &KeyMap::KEY_Right},
    {"txtKeyDown", u"↓", &KeyMap::KEY_Down},
    {"txtKeyOK", u"決定キー", &KeyMap::KEY_OK},
    {"txtKeyClear1", u"クリアキー(1)", &KeyMap::KEY_Clear1},
    {"txtKeyClear2", u"クリアキー(2)", &KeyMap::KEY_Clear2},
    {"txtKeyClear3", u"クリアキー(3)", &KeyMap::KEY_Clear3},
    {"txtKeySubMenu", u"サブメニュー", &KeyMap::KEY_SubMenu},
    {"txtKeyCharChange", u"文字種別切替", &KeyMap::KEY_CharChange},
    {"txtKeyOffHook", u"オフフック", &KeyMap::KEY_OffHook},
    {"txtKeyOnHook", u"オンフック", &KeyMap::KEY_OnHook},
};

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A check box stores its 0/1, except that an untouched box keeps whatever the record held.
std::int16_t CheckValue(const QCheckBox* box, std::int16_t before)
{
    return box->isChecked() == (before == 1) ? before : std::int16_t(box->isChecked() ? 1 : 0);
}

} // namespace

frmOption::frmOption(Settings& settings, KeyMap& keyMap, bool diagnostics, OptionDialogTargets targets,
                     QWidget* parent)
    : QDialog(parent), settings_(settings), keyMap_(keyMap), targets_(std::move(targets))
{
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("設定"));
    // Above other programs from the start: changing the flag of a shown dialog would end it.
    if (settings_.MostFront == 1)
        setWindowFlag(Qt::WindowStaysOnTopHint);
    createControls(diagnostics);
    Form_Load();
}

void frmOption::createControls(bool diagnostics)
{
    tbsOption = named(new QTabBar(this), "tbsOption");
    for (const TabRow& tab : kTabs) {
        const int index = tbsOption->addTab(QString::fromUtf16(tab.caption));
        tbsOption->setTabToolTip(index, QString::fromUtf16(tab.toolTip));
    }
    std::array<QGridLayout*, 4> grids{};
    for (int i = 0; i < 4; ++i) {
        frames_[i] = named(new QFrame(this), kTabs[i].frame);
        frames_[i]->setFrameShape(QFrame::StyledPanel);
        grids[i] = new QGridLayout(frames_[i]);
    }
    fraOption = frames_[0];
    fraTextInput = frames_[1];
    fraMacro = frames_[2];
    fraKeyMap = frames_[3];

    lblComPort = named(new QLabel(QStringLiteral("ポート番号："), fraOption), "lblComPort");
    txtComPort = named(new QLineEdit(fraOption), "txtComPort");
    txtComPort->setToolTip(QStringLiteral("ケーブルの接続されているCOMポートを指定して下さい"));
    txtComPort->setMaximumWidth(60);
    lblComPort->setBuddy(txtComPort);
    lblComDevice = named(new QLabel(fraOption), "lblComDevice");
    lblComDevice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblComDevice->setToolTip(
        QStringLiteral("ポート番号nのデバイスは、環境変数YUBISAKI_COMnがあればその値、なければプログラムフォルダ"
                       "のcomn、どちらもなければ/dev/ttyS(n-1)です。\nCOM1をUSBケーブルにするには、例えば\n"
                       "ln -s /dev/ttyUSB0 %1com1")
            .arg(ProgramFolder()));
    auto* portLine = new QHBoxLayout;
    portLine->addWidget(lblComPort);
    portLine->addWidget(txtComPort);
    portLine->addWidget(lblComDevice, 1);
    grids[0]->addLayout(portLine, 0, 0);

    for (std::size_t i = 0; i < std::size(kChecks); ++i) {
        const CheckRow& row = kChecks[i];
        checks_[i] = named(new QCheckBox(QString::fromUtf16(row.caption), frames_[row.tab]), row.name);
        if (row.toolTip)
            checks_[i]->setToolTip(QString::fromUtf16(row.toolTip));
        grids[row.tab]->addWidget(checks_[i], grids[row.tab]->rowCount(), 0);
    }
    const auto check = [this](const char* name) { return findChild<QCheckBox*>(QString::fromLatin1(name)); };
    chkMostFront = check("chkMostFront");
    chkToolTipOff = check("chkToolTipOff");
    chkArrivalDisplay = check("chkArrivalDisplay");
    chkDontKeyLog = check("chkDontKeyLog");
    chkREUDE = check("chkREUDE");
    chkDontUseIME = check("chkDontUseIME");
    chkTenKeySwap = check("chkTenKeySwap");
    chkIMEON = check("chkIMEON");
    chkSpaceChange = check("chkSpaceChange");
    chkBSEmulation = check("chkBSEmulation");
    chkMacroError = check("chkMacroError");
    chkREUDE->setVisible(diagnostics);

    lblMaroWait = named(new QLabel(QStringLiteral("マクロ実行中のウェイト："), fraMacro), "lblMaroWait");
    txtMacroWait = named(new QLineEdit(fraMacro), "txtMacroWait");
    txtMacroWait->setToolTip(QStringLiteral("マクロ実行時のウェイトを0.1秒単位で指定できます"));
    txtMacroWait->setMaximumWidth(80);
    lblMaroWait->setBuddy(txtMacroWait);
    lblSec = named(new QLabel(QStringLiteral("秒"), fraMacro), "lblSec");
    auto* waitLine = new QHBoxLayout;
    waitLine->addWidget(lblMaroWait);
    waitLine->addWidget(txtMacroWait);
    waitLine->addWidget(lblSec);
    waitLine->addStretch();
    grids[2]->addLayout(waitLine, grids[2]->rowCount(), 0);
    for (int i = 0; i < 3; ++i)
        grids[i]->setRowStretch(grids[i]->rowCount(), 1);

    // The four arrow boxes under their heading, the other eight in two columns beside them.
    QGridLayout* keys = grids[kKeyMapTab];
    Label1 = named(new QLabel(QStringLiteral("カーソルキー"), fraKeyMap), "Label1");
    keys->addWidget(Label1, 0, 0, 1, 2);
    for (std::size_t i = 0; i < std::size(kKeyBoxes); ++i) {
        txtKey[i] = named(new KeyCaptureBox(fraKeyMap), kKeyBoxes[i].name);
        txtKey[i]->setMaximumWidth(60);
        auto* label = new QLabel(QString::fromUtf16(kKeyBoxes[i].label), fraKeyMap);
        label->setBuddy(txtKey[i]);
        const int row = i < 4 ? int(i) + 1 : int(i - 4) % 4 + 1;
        const int column = i < 4 ? 0 : (i < 8 ? 2 : 4);
        keys->addWidget(label, row, column);
        keys->addWidget(txtKey[i], row, column + 1);
    }
    keys->setRowStretch(5, 1);

    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdOK->setToolTip(QStringLiteral("設定を反映して閉じます"));
    cmdCancel = named(new QPushButton(QStringLiteral("キャンセル"), this), "cmdCancel");
    cmdCancel->setToolTip(QStringLiteral("設定を反映しないで閉じます"));
    cmdHelp = named(new QPushButton(QStringLiteral("ヘルプ(&H)"), this), "cmdHelp");
    cmdHelp->setToolTip(QStringLiteral("分からない事があったらこちらへ"));
    cmdOK->setDefault(true);

    auto* pages = new QGridLayout;
    for (QFrame* frame : frames_)
        pages->addWidget(frame, 0, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdHelp);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->addWidget(tbsOption);
    layout->addLayout(pages, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    connect(tbsOption, &QTabBar::currentChanged, this, &frmOption::tbsOption_Click);
    connect(txtComPort, &QLineEdit::textChanged, this, &frmOption::updateComDevice);
    connect(cmdOK, &QPushButton::clicked, this, &frmOption::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOption::cmdCancel_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmOption::cmdHelp_Click);
}

void frmOption::Form_Load()
{
    if (targets_.mainWindow)
        setWindowIcon(targets_.mainWindow->windowIcon());
    txtComPort->setText(QString::number(settings_.ComPort));
    for (std::size_t i = 0; i < std::size(kChecks); ++i)
        checks_[i]->setChecked(settings_.*kChecks[i].field == 1);
    txtMacroWait->setText(FormatSingle(settings_.MacroWait));
    for (std::size_t i = 0; i < std::size(kKeyBoxes); ++i)
        txtKey[i]->setText(QString::number(keyMap_.*kKeyBoxes[i].field));
    tbsOption->setCurrentIndex(0);
    tbsOption_Click();
    updateComDevice();
}

QString frmOption::ComDeviceText(const QString& portText)
{
    const std::optional<std::int16_t> port = PortNumberFromText(portText);
    if (!port)
        return {};
    const QString path = SerialPortService::DevicePathFor(*port);
    const QFileInfo device(path);
    const QString arrow = QStringLiteral("→ ");
    QString text = arrow + path;
    if (device.isSymLink())
        text += u' ' + arrow + device.symLinkTarget();
    if (!device.exists())
        text += QStringLiteral("（見つかりません）");
    return text;
}

void frmOption::updateComDevice() { lblComDevice->setText(ComDeviceText(txtComPort->text())); }

void frmOption::tbsOption_Click()
{
    const QString caption = tbsOption->tabText(tbsOption->currentIndex());
    const auto found = std::find_if(std::begin(kTabs), std::end(kTabs),
                                    [&](const TabRow& tab) { return caption == QString::fromUtf16(tab.caption); });
    if (found == std::end(kTabs))
        return;
    const int selected = int(found - std::begin(kTabs));
    for (int i = 0; i < int(frames_.size()); ++i)
        frames_[i]->setVisible(i == selected);
    // On the key tab Enter and Esc are keys to assign, not OK and Cancel.
    const bool buttonRoles = selected != kKeyMapTab;
    cmdOK->setDefault(buttonRoles);
    cmdOK->setAutoDefault(buttonRoles);
    cancelRole_ = buttonRoles;
}

void frmOption::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (cancelRole_)
            cmdCancel->click();
        event->accept();
        return;
    }
    // The dialog gives OK its default role back whenever a focused button lets it go, so on
    // the key tab Enter is kept from it here.
    if (!cancelRole_ && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmOption::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        SetTopmost(this, settings_.MostFront);
}

void frmOption::cmdHelp_Click()
{
    if (targets_.help)
        targets_.help->showContext(this, tbsOption->currentIndex() == kKeyMapTab ? kHelpKeyMap : kHelpOptions);
}

void frmOption::showRefusal(const QString& text, int tab, QLineEdit* box)
{
    MessageBox(text, MsgButtons::Ok, MsgIcon::Warning);
    // Back to the box that needs the correction, with its text as typed.
    tbsOption->setCurrentIndex(tab);
    box->setFocus();
    box->selectAll();
}

void frmOption::cmdOK_Click()
{
    const std::optional<std::int16_t> port = PortNumberFromText(txtComPort->text());
    if (!port) {
        showRefusal(QStringLiteral("ポート番号は1～15の範囲で指定してください。"), 0, txtComPort);
        return;
    }
    const std::optional<float> wait = MacroWaitFromText(txtMacroWait->text());
    if (!wait) {
        showRefusal(QStringLiteral("マクロ実行中のウェイトをもう一度ご確認ください。"), 2, txtMacroWait);
        return;
    }

    settings_.ComPort = *port;
    for (std::size_t i = 0; i < std::size(kChecks); ++i)
        settings_.*kChecks[i].field = CheckValue(checks_[i], settings_.*kChecks[i].field);
    settings_.MacroWait = *wait;

    if (targets_.ApplyImeOption)
        targets_.ApplyImeOption();
    SetTopmost(targets_.mainWindow, settings_.MostFront);
    if (targets_.ApplyToolTips)
        targets_.ApplyToolTips();

    for (std::size_t i = 0; i < std::size(kKeyBoxes); ++i)
        keyMap_.*kKeyBoxes[i].field = ToInt16(txtKey[i]->text());
    accept();
}

void frmOption::cmdCancel_Click() { reject(); }
