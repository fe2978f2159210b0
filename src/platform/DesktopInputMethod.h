// The desktop input method, asked and told over D-Bus: fcitx5's controller (org.fcitx.Fcitx5,
// /controller) on the session bus or, when that is not there, IBus on its own bus, where on
// means a Japanese engine is the global one and off a keyboard engine. Calls that typing
// meets are asynchronous: the key handlers read the state last reported and ask again in the
// background. The rare mode selections (power-on, the options, exit) wait at most a short
// moment. With neither, everything answers as a system without an input method.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariant>

#include <functional>

class QDBusPendingCall;

class DesktopInputMethod : public QObject {
    Q_OBJECT
public:
    // The one the program talks to; created at the first use.
    static DesktopInputMethod& instance();
    // The same, or null when nothing has used it yet.
    static DesktopInputMethod* existing();

    // 2 active, 1 inactive, 0 no input method (or, with fcitx5, no box of ours has its focus).
    enum State { None = 0, Inactive = 1, Active = 2 };
    State state() const { return state_; }
    bool present() const { return present_; }

    // Asks the state again; stateChanged follows when the answer differs.
    void refresh();
    // Switches the input method of the focused box on or off; the request is repeated a few
    // times while the box's focus is still on its way to the input method.
    void setActive(bool active);
    // Makes a Japanese input method of the user's group the one in use; true when there is one.
    bool selectJapanese();
    // Puts back what the user had before the program switched anything.
    void restoreUserState();

Q_SIGNALS:
    void stateChanged();

private:
    DesktopInputMethod();
    // IBus's own bus, when its daemon has one for this display.
    void connectIBus();
    // A call to fcitx5's controller or to IBus, whichever is in use.
    QDBusMessage methodCall(const QString& method, const QVariantList& arguments = {}) const;
    // A call answered later through `done`, dropped after the timeout.
    void callAsync(const QDBusMessage& message, const std::function<void(const QDBusPendingCall&)>& done);
    // A call that waits for its answer, at most kWaitMs; false when none came.
    bool callNow(const QDBusMessage& message, QVariant* answer = nullptr);
    // The state, and with IBus the global engine's name, through `done` (false: no answer).
    void askState(const std::function<void(bool, State, const QString&)>& done);
    void requestSwitch(bool active);
    // The input method in use, and a switch to another; with IBus, the global engine.
    QString currentInputMethod();
    void setCurrentInputMethod(const QString& name);
    // The input methods of the user's group whose language is Japanese, in the group's order.
    QStringList japaneseInputMethods();
    void setState(State state);
    void requestActive(bool active, int attemptsLeft);

    QDBusConnection connection_;
    bool ibus_ = false;
    // IBus's keyboard engine, what switching off goes back to.
    QString keyboardEngine_;
    bool present_ = false;
    bool asking_ = false;
    State state_ = None;
    // What the user had before the program first switched it.
    bool touchedState_ = false;
    State userState_ = None;
    QString userInputMethod_;
    QStringList japanese_;
    // Each switch asked for; an older one's checks stop.
    int request_ = 0;
};
