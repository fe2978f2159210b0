#include "DesktopInputMethod.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSysInfo>
#include <QTimer>

namespace {

constexpr int kAsyncTimeoutMs = 300;
constexpr int kWaitMs = 250;
// How often, and how far apart, a switch is asked for while the focus travels.
constexpr int kAttempts = 10;
constexpr int kAttemptGapMs = 50;

QString Service() { return QStringLiteral("org.fcitx.Fcitx5"); }
QString IBusName() { return QStringLiteral("org.freedesktop.IBus"); }
QString IBusPath() { return QStringLiteral("/org/freedesktop/IBus"); }
// Japanese engines IBus may have, for a user who never picked one in its preferences.
const QStringList kIBusJapanese{QStringLiteral("anthy"), QStringLiteral("mozc-jp"), QStringLiteral("kkc"),
                                QStringLiteral("skk")};

QDBusMessage IBusProperty(const QString& name)
{
    QDBusMessage message = QDBusMessage::createMethodCall(IBusName(), IBusPath(),
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
    message << IBusName() << name;
    return message;
}

// IBus's bus: the variable, else the file ibus-daemon writes for this machine and display.
QString IBusAddress()
{
    if (qEnvironmentVariableIsSet("IBUS_ADDRESS"))
        return qEnvironmentVariable("IBUS_ADDRESS");
    const QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        return {};
    QString host = display.section(u':', 0, 0);
    if (host.isEmpty())
        host = QStringLiteral("unix");
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    QFile file(QStringLiteral("%1/ibus/bus/%2-%3-%4")
                   .arg(config, QString::fromLatin1(QSysInfo::machineUniqueId()), host,
                        display.section(u':', 1).section(u'.', 0, 0)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray key = "IBUS_ADDRESS=";
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith(key))
            return QString::fromUtf8(line.mid(key.size()).trimmed());
    return {};
}

// An IBusEngineDesc, however deep in variants: ("IBusEngineDesc", a{sv}, name, long name,
// description, language, …).
struct Engine {
    QString name;
    QString language;
    bool japanese() const { return language.startsWith(u"ja") && !name.startsWith(u"xkb:"); }
};

Engine EngineOf(QVariant value)
{
    while (value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    Engine engine;
    if (value.userType() != qMetaTypeId<QDBusArgument>())
        return engine;
    const QDBusArgument desc = value.value<QDBusArgument>();
    if (desc.currentType() != QDBusArgument::StructureType)
        return engine;
    QString type, longName, description;
    QVariantMap attachments;
    desc.beginStructure();
    desc >> type >> attachments >> engine.name >> longName >> description >> engine.language;
    desc.endStructure();
    return engine;
}

QStringList JapaneseEngines(QVariant list)
{
    while (list.userType() == qMetaTypeId<QDBusVariant>())
        list = list.value<QDBusVariant>().variant();
    QStringList found;
    const QDBusArgument array = list.value<QDBusArgument>();
    if (array.currentType() != QDBusArgument::ArrayType)
        return found;
    array.beginArray();
    while (!array.atEnd()) {
        QDBusVariant item;
        array >> item;
        if (const Engine engine = EngineOf(item.variant()); engine.japanese())
            found << engine.name;
    }
    array.endArray();
    return found;
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

DesktopInputMethod::DesktopInputMethod()
    : QObject(QCoreApplication::instance()), connection_(QStringLiteral("yubisaki-no-bus"))
{
    if (!SessionBusConfigured() || !QDBusConnection::sessionBus().isConnected()) {
        connectIBus();
        return;
    }
    connection_ = QDBusConnection::sessionBus();
    auto* watcher = new QDBusServiceWatcher(Service(), QDBusConnection::sessionBus(),
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) {
                if (ibus_)
                    return;
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
    if (!present_)
        connectIBus();
}

void DesktopInputMethod::connectIBus()
{
    const QString address = IBusAddress();
    if (address.isEmpty())
        return;
    const QString name = QStringLiteral("yubisaki-ibus");
    QDBusConnection ibus = QDBusConnection::connectToBus(address, name);
    if (!ibus.isConnected()) {
        QDBusConnection::disconnectFromBus(name);
        return;
    }
    connection_ = ibus;
    ibus_ = true;
    present_ = true;
}

QDBusMessage DesktopInputMethod::methodCall(const QString& method, const QVariantList& arguments) const
{
    QDBusMessage message = ibus_ ? QDBusMessage::createMethodCall(IBusName(), IBusPath(), IBusName(), method)
                                 : QDBusMessage::createMethodCall(Service(), QStringLiteral("/controller"),
                                                                  QStringLiteral("org.fcitx.Fcitx.Controller1"),
                                                                  method);
    message.setArguments(arguments);
    return message;
}

void DesktopInputMethod::callAsync(const QDBusMessage& message,
                                   const std::function<void(const QDBusPendingCall&)>& done)
{
    auto* call = new QDBusPendingCallWatcher(connection_.asyncCall(message, kAsyncTimeoutMs), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, call, done] {
        // IBus's own bus ends with its daemon.
        if (ibus_ && present_ && !connection_.isConnected()) {
            present_ = false;
            setState(None);
        }
        if (done)
            done(*call);
        call->deleteLater();
    });
}

bool DesktopInputMethod::callNow(const QDBusMessage& message, QVariant* answer)
{
    const QDBusMessage reply = connection_.call(message, QDBus::Block, kWaitMs);
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

void DesktopInputMethod::askState(const std::function<void(bool, State, const QString&)>& done)
{
    if (!ibus_) {
        callAsync(methodCall(QStringLiteral("State")), [done](const QDBusPendingCall& call) {
            const QDBusPendingReply<int> reply = call;
            done(reply.isValid(), reply.isValid() ? StateOf(reply.value()) : None, {});
        });
        return;
    }
    callAsync(IBusProperty(QStringLiteral("GlobalEngine")), [this, done](const QDBusPendingCall& call) {
        const QDBusMessage reply = call.reply();
        if (reply.type() == QDBusMessage::ErrorMessage && !connection_.isConnected())
            return done(false, None, {});
        // With no global engine yet the keys go to the keyboard as they are.
        const Engine engine = EngineOf(reply.arguments().value(0));
        if (engine.name.startsWith(u"xkb:"))
            keyboardEngine_ = engine.name;
        done(true, engine.name.isEmpty() || engine.name.startsWith(u"xkb:") ? Inactive : Active, engine.name);
    });
}

void DesktopInputMethod::requestSwitch(bool active)
{
    if (!ibus_) {
        callAsync(methodCall(active ? QStringLiteral("Activate") : QStringLiteral("Deactivate")), {});
        return;
    }
    if (japanese_.isEmpty())
        japanese_ = japaneseInputMethods();
    const QString engine = active ? japanese_.value(0) : keyboardEngine_;
    if (!engine.isEmpty())
        callAsync(methodCall(QStringLiteral("SetGlobalEngine"), {engine}), {});
}

QString DesktopInputMethod::currentInputMethod()
{
    QVariant answer;
    const QDBusMessage ask = ibus_ ? IBusProperty(QStringLiteral("GlobalEngine"))
                                   : methodCall(QStringLiteral("CurrentInputMethod"));
    if (!callNow(ask, &answer))
        return {};
    return ibus_ ? EngineOf(answer).name : answer.toString();
}

void DesktopInputMethod::setCurrentInputMethod(const QString& name)
{
    callNow(methodCall(ibus_ ? QStringLiteral("SetGlobalEngine") : QStringLiteral("SetCurrentIM"), {name}));
}

void DesktopInputMethod::refresh()
{
    if (!present_ || asking_)
        return;
    asking_ = true;
    askState([this](bool answered, State state, const QString&) {
        asking_ = false;
        if (answered)
            setState(state);
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
    askState([this, active, attemptsLeft, request](bool answered, State now, const QString& engine) {
        // A later request, or the exit, takes over.
        if (!answered || request != request_)
            return;
        setState(now);
        if (now == (active ? Active : Inactive))
            return;
        // 0: the box's focus has not reached the input method yet; ask again shortly.
        if (now != None) {
            if (!touchedState_) {
                touchedState_ = true;
                userState_ = now;
                // IBus is on and off by its engine alone.
                if (ibus_ && userInputMethod_.isEmpty())
                    userInputMethod_ = engine;
            }
            requestSwitch(active);
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
    if (ibus_) {
        // The engines the user chose first; else the Japanese ones installed.
        QVariant engines;
        QStringList found;
        if (callNow(IBusProperty(QStringLiteral("ActiveEngines")), &engines))
            found = JapaneseEngines(engines);
        if (found.isEmpty() && callNow(methodCall(QStringLiteral("GetEnginesByNames"), {kIBusJapanese}), &engines))
            found = JapaneseEngines(engines);
        return found;
    }
    QVariant group;
    if (!callNow(methodCall(QStringLiteral("CurrentInputMethodGroup")), &group))
        return {};
    const QDBusMessage info = connection_.call(methodCall(QStringLiteral("InputMethodGroupInfo"), {group}),
                                               QDBus::Block, kWaitMs);
    QVariant available;
    if (info.type() != QDBusMessage::ReplyMessage
        || !callNow(methodCall(QStringLiteral("AvailableInputMethods")), &available))
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
    if (ibus_ || (callNow(methodCall(QStringLiteral("State")), &state) && StateOf(state.toInt()) == Active)) {
        const QString current = currentInputMethod();
        const bool off = ibus_ && (current.isEmpty() || current.startsWith(u"xkb:"));
        if (!current.isEmpty() && !off && !japanese_.contains(current)) {
            if (userInputMethod_.isEmpty())
                userInputMethod_ = current;
            setCurrentInputMethod(japanese_.constFirst());
        }
    }
    return true;
}

void DesktopInputMethod::restoreUserState()
{
    ++request_;
    if (!present_)
        return;
    if (!userInputMethod_.isEmpty())
        setCurrentInputMethod(userInputMethod_);
    if (touchedState_ && !ibus_)
        callNow(methodCall(userState_ == Active ? QStringLiteral("Activate") : QStringLiteral("Deactivate")));
    userInputMethod_.clear();
    touchedState_ = false;
}
