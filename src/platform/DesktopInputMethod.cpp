#include "DesktopInputMethod.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

namespace {

constexpr int kAsyncTimeoutMs = 300;
constexpr int kWaitMs = 250;
// How often, and how far apart, a switch is asked for while the focus travels.
constexpr int kAttempts = 10;
constexpr int kAttemptGapMs = 50;

QString Service() { return QStringLiteral("org.fcitx.Fcitx5"); }

QDBusMessage ControllerCall(const QString& method, const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(Service(), QStringLiteral("/controller"),
                                                          QStringLiteral("org.fcitx.Fcitx.Controller1"), method);
    message.setArguments(arguments);
    return message;
}

// Only a bus the session names: asking libdbus for one otherwise would start a bus of its own.
bool SessionBusConfigured()
{
    if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS");
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

DesktopInputMethod::State StateOf(int answer)
{
    return DesktopInputMethod::State(qBound(0, answer, 2));
}

// The structures of an a(s…) answer, each read by `take`.
void ForEachStructure(const QVariant& value, const std::function<void(const QDBusArgument&)>& take)
{
    const QDBusArgument array = value.value<QDBusArgument>();
    if (array.currentType() != QDBusArgument::ArrayType)
        return;
    array.beginArray();
    while (!array.atEnd()) {
        array.beginStructure();
        take(array);
        array.endStructure();
    }
    array.endArray();
}

QPointer<DesktopInputMethod>& Existing()
{
    static QPointer<DesktopInputMethod> one;
    return one;
}

} // namespace

DesktopInputMethod& DesktopInputMethod::instance()
{
    if (!Existing())
        Existing() = new DesktopInputMethod;
    return *Existing();
}

DesktopInputMethod* DesktopInputMethod::existing() { return Existing(); }

DesktopInputMethod::DesktopInputMethod() : QObject(QCoreApplication::instance())
{
    bus_ = SessionBusConfigured() && QDBusConnection::sessionBus().isConnected();
    if (!bus_)
        return;
    auto* watcher = new QDBusServiceWatcher(Service(), QDBusConnection::sessionBus(),
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) {
                present_ = !owner.isEmpty();
                japanese_.clear();
                if (present_)
                    refresh();
                else
                    setState(None);
            });
    // The bus itself answers this at once.
    QDBusMessage hasOwner = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                           QStringLiteral("/org/freedesktop/DBus"),
                                                           QStringLiteral("org.freedesktop.DBus"),
                                                           QStringLiteral("NameHasOwner"));
    hasOwner << Service();
    const QDBusMessage reply = QDBusConnection::sessionBus().call(hasOwner, QDBus::Block, kWaitMs);
    present_ = reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
}

void DesktopInputMethod::callAsync(const QString& method, const QVariantList& arguments,
                                   const std::function<void(const QDBusPendingCall&)>& done)
{
    auto* call = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(ControllerCall(method, arguments), kAsyncTimeoutMs), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [call, done] {
        if (done)
            done(*call);
        call->deleteLater();
    });
}

bool DesktopInputMethod::callNow(const QString& method, const QVariantList& arguments, QVariant* answer)
{
    const QDBusMessage reply = QDBusConnection::sessionBus().call(ControllerCall(method, arguments), QDBus::Block,
                                                                  kWaitMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return false;
    if (answer)
        *answer = reply.arguments().value(0);
    return true;
}

void DesktopInputMethod::setState(State state)
{
    if (state == state_)
        return;
    state_ = state;
    Q_EMIT stateChanged();
}

void DesktopInputMethod::refresh()
{
    if (!present_ || asking_)
        return;
    asking_ = true;
    callAsync(QStringLiteral("State"), {}, [this](const QDBusPendingCall& call) {
        asking_ = false;
        const QDBusPendingReply<int> reply = call;
        if (reply.isValid())
            setState(StateOf(reply.value()));
    });
}

void DesktopInputMethod::setActive(bool active)
{
    if (!present_)
        return;
    ++request_;
    requestActive(active, kAttempts);
}

void DesktopInputMethod::requestActive(bool active, int attemptsLeft)
{
    const int request = request_;
    callAsync(QStringLiteral("State"), {}, [this, active, attemptsLeft, request](const QDBusPendingCall& call) {
        const QDBusPendingReply<int> reply = call;
        // A later request, or the exit, takes over.
        if (!reply.isValid() || request != request_)
            return;
        const State now = StateOf(reply.value());
        setState(now);
        if (now == (active ? Active : Inactive))
            return;
        // 0: the box's focus has not reached the input method yet; ask again shortly.
        if (now != None) {
            if (!touchedState_) {
                touchedState_ = true;
                userState_ = now;
            }
            callAsync(active ? QStringLiteral("Activate") : QStringLiteral("Deactivate"), {}, {});
        }
        if (attemptsLeft > 1)
            QTimer::singleShot(kAttemptGapMs, this, [this, active, attemptsLeft, request] {
                if (request == request_)
                    requestActive(active, attemptsLeft - 1);
            });
    });
}

QStringList DesktopInputMethod::japaneseInputMethods()
{
    QVariant group;
    if (!callNow(QStringLiteral("CurrentInputMethodGroup"), {}, &group))
        return {};
    const QDBusMessage info = QDBusConnection::sessionBus().call(
        ControllerCall(QStringLiteral("InputMethodGroupInfo"), {group}), QDBus::Block, kWaitMs);
    QVariant available;
    if (info.type() != QDBusMessage::ReplyMessage || !callNow(QStringLiteral("AvailableInputMethods"), {}, &available))
        return {};
    QStringList japanese;
    ForEachStructure(available, [&](const QDBusArgument& entry) {
        QString uniqueName, name, nativeName, icon, label, language;
        bool configurable = false;
        entry >> uniqueName >> name >> nativeName >> icon >> label >> language >> configurable;
        if (language.startsWith(u"ja"))
            japanese << uniqueName;
    });
    QStringList found;
    ForEachStructure(info.arguments().value(1), [&](const QDBusArgument& item) {
        QString name, layout;
        item >> name >> layout;
        if (japanese.contains(name))
            found << name;
    });
    return found;
}

bool DesktopInputMethod::selectJapanese()
{
    if (!present_)
        return false;
    if (japanese_.isEmpty())
        japanese_ = japaneseInputMethods();
    if (japanese_.isEmpty())
        return false;
    // Choosing an input method also switches it on, so only one that is on is switched over;
    // one switched on later starts with the group's own choice, which a Japanese user's is.
    QVariant state;
    QVariant current;
    if (callNow(QStringLiteral("State"), {}, &state) && StateOf(state.toInt()) == Active
        && callNow(QStringLiteral("CurrentInputMethod"), {}, &current) && !japanese_.contains(current.toString())) {
        if (userInputMethod_.isEmpty())
            userInputMethod_ = current.toString();
        callNow(QStringLiteral("SetCurrentIM"), {japanese_.constFirst()});
    }
    return true;
}

void DesktopInputMethod::restoreUserState()
{
    ++request_;
    if (!present_)
        return;
    if (!userInputMethod_.isEmpty())
        callNow(QStringLiteral("SetCurrentIM"), {userInputMethod_});
    if (touchedState_)
        callNow(userState_ == Active ? QStringLiteral("Activate") : QStringLiteral("Deactivate"), {});
    userInputMethod_.clear();
    touchedState_ = false;
}
