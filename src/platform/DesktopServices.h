// Small desktop services: the shell's "open" for web and mail addresses, the beep, and
// keeping a window above others. Tests replace the first two with recorders.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

class QWidget;

class DesktopServices {
public:
    virtual ~DesktopServices() = default;
    virtual void open(const QString& target) = 0; // result not checked, as nobody is told
    virtual void beep() = 0;
};

DesktopServices& CurrentDesktopServices();
inline void ShellOpen(const QString& target) { CurrentDesktopServices().open(target); }
inline void Beep() { CurrentDesktopServices().beep(); }

// Records instead of opening or beeping; installed for its lifetime.
class RecordingDesktopServices : public DesktopServices {
public:
    RecordingDesktopServices();
    ~RecordingDesktopServices() override;
    RecordingDesktopServices(const RecordingDesktopServices&) = delete;
    RecordingDesktopServices& operator=(const RecordingDesktopServices&) = delete;
    void open(const QString& target) override { opened.append(target); }
    void beep() override { ++beeps; }

    QStringList opened;
    int beeps = 0;

private:
    DesktopServices* previous_;
};

// 1 keeps the window above other programs' windows, 0 puts it back into the normal order;
// any other value changes nothing. The window is shown in either case, where it was.
void SetTopmost(QWidget* window, std::int16_t value);
