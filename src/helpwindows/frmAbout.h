// The About box: name, version, a short notice and the two links to the author.
#pragma once

#include <QDialog>
#include <cstdint>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(std::int16_t mostFront, QWidget* parent = nullptr);

    static QString NoticeText();
    static QString HomePage();
    static QString MailAddress();

    QLabel* lblHOMEPAGE = nullptr;
    QLabel* lblMAIL = nullptr;
    QLabel* lblVERSION = nullptr;
    QLabel* lblData = nullptr;
    QPushButton* cmdICON = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setLinkColour(QLabel* label, const QColor& colour);
    std::int16_t mostFront_;
};
