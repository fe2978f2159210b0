// The real program on a real X server, typed at like a person types: Xvfb on a free display
// (optionally with the Japanese layout), optionally a real fcitx5 or IBus with anthy on a private
// session bus, the simulated handset at the line's speed as COM1, and the yubisaki executable
// in a scratch program folder. Keys go in as XTest events; every wait sleeps in the event loop
// until a byte, the program's output or a short tick wakes it, up to a deadline.
//
//     RealDesktop desk({.layout = u"jp"_qs, .inputMethod = true});
//     QVERIFY2(desk.startPoweredOn([](Settings& s, KeyMap&, MainWindowSettings&) { s.DontUseIME = 0; }),
//              qPrintable(desk.error()));
//     QVERIFY(desk.type(u"ka"_qs));
//     QVERIFY(desk.waitForScreen(u"か"_qs));
#pragma once

#include "phonesim/Handset.h"
#include "settings/Settings.h"

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QTemporaryDir>

#include <functional>

class RealDesktop : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString layout = QStringLiteral("us"); // as setxkbmap names it: "us", "jp"
        bool inputMethod = false;               // fcitx5 with anthy, and QT_IM_MODULE=fcitx for the program
        bool ibus = false;                      // the same with IBus in place of fcitx5
        bool paced = true;                      // the handset reads at 600 baud
        QByteArray quickPhrases = {};           // fcitx5's own phrases, "key phrase" a line; Super+; then the key commits one
    };
    using SettingsEdit = std::function<void(Settings&, KeyMap&, MainWindowSettings&)>;
    explicit RealDesktop(const Options& options);
    // Ends what is still running: the program, the input method, the bus, the X server.
    ~RealDesktop() override;

    // The X server, its layout, and the input method when asked for. False with error() set.
    bool start();
    // start(), the settings edited from the defaults, the program, and its power switch on.
    bool startPoweredOn(const SettingsEdit& edit = {});
    QString error() const { return error_; }
    // For helper programs: DISPLAY, HOME and the private bus.
    QProcessEnvironment environment() const { return env_; }

    // The scratch program folder (YUBISAKI_HOME) and the files the program will read there.
    QString home() const { return home_.path(); }
    bool writeSettings(const SettingsEdit& edit);
    // The messages the program showed (each answered with its first button), one a line.
    QStringList messages() const;

    // Starts the executable from the build's bin folder and waits for its first paint.
    bool startProgram();
    // Gives the main window the focus and closes it with Alt+X, as a user does; waits for the end.
    bool endProgram(int timeoutMs = 15'000);
    QProcess& program() { return program_; }
    // Alt+P, and until the program holds the handset's port open: a mnemonic clicks its
    // button a moment after the key, and keys typed meanwhile meet a locked box.
    bool powerOn(int timeoutMs = 5000);
    // Whether the program holds the handset's port open now.
    bool portOpen() const;
    phonesim::Handset& handset() { return handset_; }

    // XTest key events. A chord is keysym names joined by "+" ("a", "shift+comma", "plus",
    // "ctrl+space", "Zenkaku_Hankaku"): the first ones held while the last is pressed and released.
    // "shift", "ctrl", "alt" and "super" name the left modifier keys; "code:97" names a key by its
    // X keycode (evdev code + 8): 97 is ろ and 132 is ¥ on a Japanese keyboard.
    bool key(const QString& chord);
    // Chords one after another, separated by blanks; "down:shift" and "up:shift" press and
    // release a key alone, so that it is held across the chords between them.
    bool keys(const QString& chords);
    // ASCII text, each character by its own key, Shift held only around those that need it.
    bool type(const QString& text);

    // The program's mapped top-level windows: the main window first, then the newest others.
    QList<unsigned long> windows() const;
    QString windowTitle(unsigned long window) const;
    // Whether a client holds the keyboard grabbed, as an open menu does once it takes keys.
    bool keyboardGrabbed() const;
    // Gives the keyboard focus to one of the program's windows (there is no window manager).
    bool focus(unsigned long window);
    // What part of a window shows now (the main window when window is 0).
    QImage grab(QRect inWindow, unsigned long window = 0) const;

    // Sleeps until done() holds; woken by the handset's bytes, the program's output and a
    // 20 ms tick. False at the deadline.
    bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);
    // Until the handset's screen shows exactly `text`, or ends with it; if not, says what it shows.
    bool waitForScreen(const QString& text, int timeoutMs = 5000, bool ending = false);

    // fcitx5's state as fcitx5-remote says it (2 active, 1 inactive, 0 no focus); -1 without one.
    // With IBus: 2 while anthy is the global engine, else 1.
    static constexpr int kActive = 2;
    static constexpr int kInactive = 1;
    int inputMethodState();
    // A signal to fcitx5: SIGSTOP, and it stops answering as a hung input method does; SIGCONT,
    // and it goes on; SIGKILL, and it ends as when it crashes, its bus name with it.
    bool signalInputMethod(int signal);
    // Runs a helper program to its end in the desktop's environment; its standard output.
    // The command is the program and its arguments separated by blanks.
    QByteArray run(const QString& command, int timeoutMs = 10'000);

private:
    bool fail(const QString& message)
    {
        error_ = message;
        return false;
    }
    // Starts a helper; with `firstLine`, also waits for the first line of its standard output.
    bool launch(QProcess& process, const QString& command, QByteArray* firstLine = nullptr);
    bool press(const QString& name, bool down);
    // waitUntil(), woken also by a helper's output and its end.
    bool waitUntil(const std::function<bool()>& done, int timeoutMs, const QProcess* helper);

    Options options_;
    QTemporaryDir home_;
    QTemporaryDir userHome_;
    QString error_;
    QProcessEnvironment env_;
    QProcess xvfb_;
    QProcess bus_;
    QProcess inputMethod_;
    QProcess program_;
    phonesim::Handset handset_;
    struct _XDisplay* display_ = nullptr; // Xlib's Display
};
