#include "DesktopServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QWidget>

namespace {

class SystemDesktopServices : public DesktopServices {
public:
    void open(const QString& target) override { QDesktopServices::openUrl(QUrl(target)); }
    void beep() override { QApplication::beep(); }
};

SystemDesktopServices gSystem;
DesktopServices* gCurrent = &gSystem;

} // namespace

DesktopServices& CurrentDesktopServices() { return *gCurrent; }

RecordingDesktopServices::RecordingDesktopServices() : previous_(gCurrent) { gCurrent = this; }

RecordingDesktopServices::~RecordingDesktopServices() { gCurrent = previous_; }

void SetTopmost(QWidget* window, std::int16_t value)
{
    if (!window || (value != 0 && value != 1))
        return;
    const bool top = value == 1;
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) != top) {
        // Changing a window's flags hides it; put it back where it was.
        const QPoint position = window->pos();
        window->setWindowFlag(Qt::WindowStaysOnTopHint, top);
        window->move(position);
    }
    window->show();
}
