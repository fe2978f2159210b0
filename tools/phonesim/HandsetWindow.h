// The simulated handset's window: its screen as the user would see it on the phone, and
// every byte it received with its time, and buttons for what the handset sends of its own accord.
#pragma once

#include <QWidget>

class QLabel;
class QLayout;
class QPlainTextEdit;

namespace phonesim {

class Handset;

class HandsetWindow : public QWidget {
    Q_OBJECT
public:
    explicit HandsetWindow(Handset& handset, QWidget* parent = nullptr);

private:
    QLayout* createSenders();
    void showScreen();
    void logBytes(const QByteArray& bytes);

    Handset& handset_;
    QLabel* port_ = nullptr;
    QPlainTextEdit* screen_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
};

} // namespace phonesim
