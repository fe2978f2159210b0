#include "frmAbout.h"

#include "core/ProgramInfo.h"
#include "platform/DesktopServices.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#ifndef YUBISAKI_HOMEPAGE
#define YUBISAKI_HOMEPAGE "https://www.example.com/yubisaki/"
#endif
#ifndef YUBISAKI_MAIL
#define YUBISAKI_MAIL "yubisaki@example.com"
#endif

namespace {
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

QLabel* namedLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}
} // namespace

QString frmAbout::HomePage() { return QStringLiteral(YUBISAKI_HOMEPAGE); }
QString frmAbout::MailAddress() { return QStringLiteral(YUBISAKI_MAIL); }

QString frmAbout::NoticeText()
{
    return QStringLiteral("\u3000\r\n\u3000\r\n\u3000携帯電話の文字入力を、パソコンのキーボードで楽にします。\r\n\u3000");
}

frmAbout::frmAbout(std::int16_t mostFront, QWidget* parent) : QDialog(parent), mostFront_(mostFront)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setMouseTracking(true);
    if (parent)
        setWindowIcon(parent->windowIcon());
    // Shown above other programs from the start, rather than raised after appearing.
    if (mostFront_ == 1)
        setWindowFlag(Qt::WindowStaysOnTopHint);

    cmdICON = new QPushButton(this);
    cmdICON->setObjectName(QStringLiteral("cmdICON"));
    cmdICON->setIcon(windowIcon().isNull() ? QApplication::windowIcon() : windowIcon());
    cmdICON->setIconSize(QSize(32, 32));
    cmdICON->setToolTip(QStringLiteral("押しても何もなりません^_^;"));

    auto* title = namedLabel(QStringLiteral("Label1"), ProgramInfo::Title(), this);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    title->setFont(big);
    lblVERSION = namedLabel(QStringLiteral("lblVERSION"), ProgramInfo::AboutVersionText(), this);
    QString notice = NoticeText();
    lblData = namedLabel(QStringLiteral("lblData"), notice.replace(QStringLiteral("\r\n"), QStringLiteral("\n")), this);
    auto* support = namedLabel(QStringLiteral("lblSupport"), QStringLiteral("サポート先"), this);
    lblHOMEPAGE = namedLabel(QStringLiteral("lblHOMEPAGE"), HomePage(), this);
    lblHOMEPAGE->setToolTip(QStringLiteral("最新版のアップロード先です"));
    lblMAIL = namedLabel(QStringLiteral("lblMAIL"), MailAddress(), this);
    lblMAIL->setToolTip(QStringLiteral("作者にメールをするときはこちら"));
    for (QLabel* link : {lblHOMEPAGE, lblMAIL}) {
        link->setCursor(Qt::PointingHandCursor);
        link->setMouseTracking(true);
        link->installEventFilter(this);
        setLinkColour(link, kBlue);
    }
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setToolTip(QStringLiteral("閉じます"));
    OKButton->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(cmdICON, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(title, 0, 1);
    grid->addWidget(lblVERSION, 1, 1);
    grid->addWidget(lblData, 2, 1);
    grid->addWidget(support, 3, 0);
    grid->addWidget(lblHOMEPAGE, 3, 1);
    grid->addWidget(lblMAIL, 4, 1);
    grid->addWidget(OKButton, 5, 1, Qt::AlignRight);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdICON, &QPushButton::clicked, OKButton, [this] { OKButton->setFocus(); });
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void frmAbout::setLinkColour(QLabel* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    auto* label = qobject_cast<QLabel*>(watched);
    if (label && (label == lblHOMEPAGE || label == lblMAIL)) {
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
            setLinkColour(label, kRed);
            // A label passes unused moves on to the window, whose background turns links blue.
            return event->type() == QEvent::MouseMove;
        }
        if (event->type() == QEvent::MouseButtonRelease
                   && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            ShellOpen(label == lblHOMEPAGE ? HomePage() : QStringLiteral("mailto:") + MailAddress());
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmAbout::mouseMoveEvent(QMouseEvent* event)
{
    setLinkColour(lblHOMEPAGE, kBlue);
    setLinkColour(lblMAIL, kBlue);
    QDialog::mouseMoveEvent(event);
}

void frmAbout::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        SetTopmost(this, mostFront_);
}
