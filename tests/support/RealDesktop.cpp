#include "RealDesktop.h"

#include "core/ProgramInfo.h"
#include "platform/SleepingWait.h"
#include "settings/SettingsFiles.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <csignal>

// Xlib's macros (None, Bool, KeyPress …) clash with Qt's names, and its KeyCode with the
// key frames' type: it comes last, under another name.
#define KeyCode XKeyCode
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#undef KeyCode

namespace {

constexpr int kStartMs = 15'000;
const QString kFcitxService = QStringLiteral("org.fcitx.Fcitx5");

// fcitx5's profile: the keyboard of the layout first, anthy as the input method it turns on.
QByteArray FcitxProfile(const QString& layout)
{
    const QByteArray keyboard = "keyboard-" + layout.toLatin1();
    return "[Groups/0]\nName=Default\nDefault Layout=" + layout.toLatin1()
           + "\nDefaultIM=anthy\n\n[Groups/0/Items/0]\nName=" + keyboard
           + "\nLayout=\n\n[Groups/0/Items/1]\nName=anthy\nLayout=\n\n[GroupOrder]\n0=Default\n";
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// A window of the program may go between listing it and asking about it (a menu closing):
// the request fails, the test goes on. Xlib's default would end the process.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

unsigned long KeysymOf(const QString& name)
{
    static const QHash<QString, QString> kModifiers = {
        {QStringLiteral("shift"), QStringLiteral("Shift_L")},
        {QStringLiteral("ctrl"), QStringLiteral("Control_L")},
        {QStringLiteral("alt"), QStringLiteral("Alt_L")},
        {QStringLiteral("super"), QStringLiteral("Super_L")},
    };
    return XStringToKeysym(kModifiers.value(name.toLower(), name).toLatin1().constData());
}

} // namespace

struct RealDesktop::XConnection {
    Display* display = nullptr;
    ~XConnection()
    {
        if (display)
            XCloseDisplay(display);
    }
};

RealDesktop::RealDesktop(const Options& options) : options_(options), x_(std::make_unique<XConnection>())
{
    program_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

RealDesktop::~RealDesktop()
{
    if (program_.state() != QProcess::NotRunning) {
        program_.kill();
        program_.waitForFinished(5000);
    }
    x_.reset();
    if (!busName_.isEmpty())
        QDBusConnection::disconnectFromBus(busName_);
    for (QProcess* p : {&fcitx_, &ibus_, &bus_, &xvfb_}) {
        if (p->state() == QProcess::NotRunning)
            continue;
        p->terminate();
        if (!p->waitForFinished(3000)) {
            p->kill();
            p->waitForFinished(3000);
        }
    }
}

bool RealDesktop::fail(const QString& message)
{
    error_ = message;
    return false;
}

bool RealDesktop::startProcess(QProcess& process, const QString& program, const QStringList& arguments)
{
    process.setProcessEnvironment(env_);
    process.start(program, arguments);
    if (!process.waitForStarted(kStartMs))
        return fail(program + QStringLiteral(": ") + process.errorString());
    return true;
}

bool RealDesktop::start()
{
    if (!home_.isValid() || !userHome_.isValid())
        return fail(QStringLiteral("no temporary folder"));
    env_ = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "QT_IM_MODULE", "DBUS_SESSION_BUS_ADDRESS", "XDG_CONFIG_HOME",
                             "XDG_CACHE_HOME", "XDG_DATA_HOME", "XMODIFIERS", "GTK_IM_MODULE"})
        env_.remove(QString::fromLatin1(name));
    env_.insert(QStringLiteral("HOME"), userHome_.path());
    const QString runtime = userHome_.filePath(QStringLiteral("run"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);

    // Xvfb picks a free display and writes its number to standard output.
    if (!startProcess(xvfb_, QStringLiteral("Xvfb"),
                      {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                       QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                       QStringLiteral("1024x768x24")}))
        return false;
    QByteArray number;
    SleepingWait wait;
    connect(&xvfb_, &QProcess::readyReadStandardOutput, &wait, &SleepingWait::wake);
    connect(&xvfb_, &QProcess::finished, &wait, &SleepingWait::wake);
    if (!wait.until(QDeadlineTimer(kStartMs, Qt::PreciseTimer), [&] {
            number += xvfb_.readAllStandardOutput();
            return number.contains('\n') || xvfb_.state() == QProcess::NotRunning;
        })
        || !number.contains('\n'))
        return fail(QStringLiteral("Xvfb did not start"));
    const QString display = u':' + QString::fromLatin1(number.trimmed());
    env_.insert(QStringLiteral("DISPLAY"), display);
    XSetErrorHandler(IgnoreXError);
    x_->display = XOpenDisplay(display.toLatin1().constData());
    if (!x_->display)
        return fail(QStringLiteral("cannot open display ") + display);
    run(QStringLiteral("setxkbmap"), {QStringLiteral("-layout"), options_.layout});

    QString error;
    if (!handset_.start(&error))
        return fail(QStringLiteral("phonesim: ") + error);
    handset_.setPaced(options_.paced);
    return !(options_.inputMethod || options_.ibus) || startInputMethod();
}

bool RealDesktop::startInputMethod()
{
    if (!WriteFile(userHome_.filePath(QStringLiteral(".config/fcitx5/profile")), FcitxProfile(options_.layout))
        || !WriteFile(userHome_.filePath(QStringLiteral(".local/share/fcitx5/data/quickphrase.d/tests.mb")),
                      options_.quickPhrases))
        return fail(QStringLiteral("cannot write fcitx5's files"));
    if (!startProcess(bus_, QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")}))
        return false;
    QByteArray address;
    SleepingWait wait;
    connect(&bus_, &QProcess::readyReadStandardOutput, &wait, &SleepingWait::wake);
    if (!wait.until(QDeadlineTimer(kStartMs, Qt::PreciseTimer), [&] {
            address += bus_.readAllStandardOutput();
            return address.contains('\n');
        }))
        return fail(QStringLiteral("dbus-daemon gave no address"));
    busAddress_ = QString::fromLatin1(address.trimmed());
    env_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress_);
    busName_ = QStringLiteral("realdesktop-%1").arg(quintptr(this));
    QDBusConnection bus = QDBusConnection::connectToBus(busAddress_, busName_);
    if (!bus.isConnected())
        return fail(QStringLiteral("cannot connect to the private bus"));

    if (options_.ibus)
        return startIBus();
    // mozc's server does not come up as root and would hold fcitx5 up.
    fcitx_.setProcessChannelMode(QProcess::MergedChannels);
    if (!startProcess(fcitx_, QStringLiteral("fcitx5"), {QStringLiteral("--disable=mozc")}))
        return false;
    if (!waitUntil([&] { return bus.interface()->isServiceRegistered(kFcitxService).value(); }, kStartMs))
        return fail(QStringLiteral("fcitx5 did not come up: ") + QString::fromLocal8Bit(fcitx_.readAll()));
    return true;
}

bool RealDesktop::startIBus()
{
    // A Japanese user's anthy starts in hiragana; Debian's starts in Latin.
    run(QStringLiteral("dconf"), {QStringLiteral("write"),
                                  QStringLiteral("/org/freedesktop/ibus/engine/anthy/common/input-mode"),
                                  QStringLiteral("0")});
    // anthy's engine is a python3 script: the system's, whatever else comes first on PATH.
    env_.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin:") + env_.value(QStringLiteral("PATH")));
    ibus_.setProcessChannelMode(QProcess::MergedChannels);
    if (!startProcess(ibus_, QStringLiteral("ibus-daemon"),
                      {QStringLiteral("--panel=disable"), QStringLiteral("--xim=false")}))
        return false;
    // Its bus's address is written for this machine and display.
    const QDir folder(userHome_.filePath(QStringLiteral(".config/ibus/bus")));
    if (!waitUntil([&] { return !folder.entryList(QDir::Files).isEmpty(); }, kStartMs))
        return fail(QStringLiteral("ibus-daemon did not come up: ") + QString::fromLocal8Bit(ibus_.readAll()));
    // anthy's engine started once, so that switching to it later is immediate; then the user
    // types with the keyboard's engine.
    run(QStringLiteral("ibus"), {QStringLiteral("engine"), QStringLiteral("anthy")});
    const QString keyboard = options_.layout == u"jp" ? QStringLiteral("xkb:jp::jpn") : QStringLiteral("xkb:us::eng");
    run(QStringLiteral("ibus"), {QStringLiteral("engine"), keyboard});
    return true;
}

bool RealDesktop::writeSettings(const std::function<void(Settings&, KeyMap&, MainWindowSettings&)>& edit)
{
    Settings settings;
    KeyMap keyMap;
    MainWindowSettings window;
    if (edit)
        edit(settings, keyMap, window);
    const QString folder = home_.path() + u'/';
    return WriteSettingsFileIn(folder, settings, window).result.ok && WriteKeyMapFileIn(folder, keyMap).result.ok;
}

QStringList RealDesktop::messages() const
{
    QFile file(home_.filePath(QStringLiteral("messages.log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

bool RealDesktop::startProgram(const QStringList& arguments, int timeoutMs)
{
    QProcessEnvironment env = env_;
    env.insert(QStringLiteral("YUBISAKI_HOME"), home_.path());
    // Through a link, so that a handset that comes back on another device is found again.
    if (!handset_.linkAs(home_.path(), 1, &error_))
        return false;
    env.insert(QStringLiteral("YUBISAKI_COM1"), home_.filePath(QStringLiteral("com1")));
    env.insert(QStringLiteral("YUBISAKI_MESSAGE_LOG"), home_.filePath(QStringLiteral("messages.log")));
    env.insert(QStringLiteral("YUBISAKI_CLOSE_WHEN_SHOWN"), QStringLiteral("-1"));
    // fcitx5's Qt module and Xlib keep blocks until exit; leaks are checked elsewhere. A small
    // quarantine keeps the resident memory the program's own, for the soak's measure of it.
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0:quarantine_size_mb=1"));
    if (options_.inputMethod || options_.ibus)
        env.insert(QStringLiteral("QT_IM_MODULE"), options_.ibus ? QStringLiteral("ibus") : QStringLiteral("fcitx"));
    program_.setProcessEnvironment(env);
    program_.start(QCoreApplication::applicationDirPath() + QStringLiteral("/yubisaki"), arguments);
    if (!program_.waitForStarted(kStartMs))
        return fail(QStringLiteral("yubisaki: ") + program_.errorString());
    QByteArray output;
    if (!waitUntil([&] {
            output += program_.readAllStandardOutput();
            return output.contains("shown") && !windows().isEmpty();
        }, timeoutMs))
        return fail(QStringLiteral("the program showed no window"));
    // Without a window manager nothing gives the new window the keyboard; a person would click it.
    return focus(windows().constFirst());
}

bool RealDesktop::portOpen() const
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(program_.processId()));
    const QString port = QFileInfo(handset_.portPath()).canonicalFilePath();
    for (const QFileInfo& fd : fds.entryInfoList(QDir::Files | QDir::System))
        if (fd.symLinkTarget() == port)
            return true;
    return false;
}

bool RealDesktop::powerOn(int timeoutMs)
{
    if (!key(QStringLiteral("alt+p")))
        return false;
    if (!waitUntil([&] { return portOpen(); }, timeoutMs))
        return fail(QStringLiteral("the power switch did not open the port"));
    return true;
}

bool RealDesktop::endProgram(int timeoutMs)
{
    if (program_.state() == QProcess::NotRunning)
        return true;
    // A dialog that closed took the keyboard focus with it.
    const QList<unsigned long> all = windows();
    if (all.isEmpty() || !focus(all.constFirst()) || !key(QStringLiteral("alt+x")))
        return false;
    return waitUntil([&] { return program_.state() == QProcess::NotRunning; }, timeoutMs);
}

bool RealDesktop::sendKey(unsigned long keysym, bool down)
{
    const int code = keysym == NoSymbol ? 0 : int(XKeysymToKeycode(x_->display, keysym));
    if (code == 0)
        return fail(QStringLiteral("no key gives keysym %1").arg(keysym, 0, 16));
    return keycode(code, down);
}

bool RealDesktop::keycode(int code, bool down)
{
    if (!x_->display)
        return fail(QStringLiteral("no display"));
    XTestFakeKeyEvent(x_->display, unsigned(code), down ? True : False, CurrentTime);
    XSync(x_->display, False);
    return true;
}

bool RealDesktop::keyDown(const QString& keysym)
{
    return keysym.startsWith(u"code:") ? keycode(keysym.mid(5).toInt(), true) : sendKey(KeysymOf(keysym), true);
}

bool RealDesktop::keyUp(const QString& keysym)
{
    return keysym.startsWith(u"code:") ? keycode(keysym.mid(5).toInt(), false) : sendKey(KeysymOf(keysym), false);
}

bool RealDesktop::key(const QString& chord)
{
    // A chord of "+" alone, or one ending in "+", names the plus key.
    QStringList names = chord.split(u'+');
    if (chord.endsWith(u'+')) {
        names.removeLast();
        names.last() = QStringLiteral("plus");
    }
    bool ok = true;
    for (const QString& name : names)
        ok = ok && keyDown(name);
    for (auto it = names.crbegin(); it != names.crend(); ++it)
        ok = keyUp(*it) && ok;
    return ok;
}

bool RealDesktop::keys(const QString& chords)
{
    for (const QString& chord : chords.split(u' ', Qt::SkipEmptyParts)) {
        const bool ok = chord.startsWith(u"down:")  ? keyDown(chord.mid(5))
                        : chord.startsWith(u"up:") ? keyUp(chord.mid(3))
                                                   : key(chord);
        if (!ok)
            return false;
    }
    return true;
}

bool RealDesktop::type(const QString& text)
{
    for (const QChar c : text) {
        const unsigned long keysym = c == u'\n' ? XK_Return : c == u'\t' ? XK_Tab : c.unicode();
        const int code = int(XKeysymToKeycode(x_->display, keysym));
        if (code == 0 || c.unicode() > 0x7E)
            return fail(QStringLiteral("cannot type ") + c);
        const bool shifted = XkbKeycodeToKeysym(x_->display, XKeyCode(code), 0, 0) != keysym;
        bool ok = !shifted || keyDown(QStringLiteral("shift"));
        ok = ok && keycode(code, true) && keycode(code, false);
        if (shifted)
            ok = keyUp(QStringLiteral("shift")) && ok;
        if (!ok)
            return false;
    }
    return true;
}

QList<unsigned long> RealDesktop::windows() const
{
    QList<unsigned long> found;
    Display* d = x_->display;
    if (!d || program_.state() == QProcess::NotRunning)
        return found;
    const Atom pidAtom = XInternAtom(d, "_NET_WM_PID", False);
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count))
        return found;
    // Bottom to top: the newest windows come last.
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(d, children[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        Atom type = 0;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after, &data)
                == Success
            && data) {
            if (items == 1 && qint64(*reinterpret_cast<unsigned long*>(data)) == program_.processId())
                found.prepend(children[i]);
            XFree(data);
        }
    }
    if (children)
        XFree(children);
    for (qsizetype i = 0; i < found.size(); ++i) {
        if (windowTitle(found[i]) == ProgramInfo::Title()) {
            found.move(i, 0);
            break;
        }
    }
    return found;
}

QString RealDesktop::windowTitle(unsigned long window) const
{
    Display* d = x_->display;
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    QString title;
    if (XGetWindowProperty(d, window, XInternAtom(d, "_NET_WM_NAME", False), 0, 1024, False,
                           XInternAtom(d, "UTF8_STRING", False), &type, &format, &items, &after, &data)
            == Success
        && data) {
        title = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(items));
        XFree(data);
    }
    return title;
}

bool RealDesktop::keyboardGrabbed() const
{
    Display* d = x_->display;
    const int result = XGrabKeyboard(d, DefaultRootWindow(d), False, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (result == GrabSuccess)
        XUngrabKeyboard(d, CurrentTime);
    XSync(d, False);
    return result == AlreadyGrabbed;
}

bool RealDesktop::focus(unsigned long window)
{
    XSetInputFocus(x_->display, window, RevertToParent, CurrentTime);
    XSync(x_->display, False);
    return true;
}

bool RealDesktop::click(QPoint inWindow, int button)
{
    const QList<unsigned long> all = windows();
    if (all.isEmpty())
        return fail(QStringLiteral("no window to click"));
    Display* d = x_->display;
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(d, all.constFirst(), DefaultRootWindow(d), inWindow.x(), inWindow.y(), &x, &y, &child);
    XTestFakeMotionEvent(d, DefaultScreen(d), x, y, CurrentTime);
    XTestFakeButtonEvent(d, unsigned(button), True, CurrentTime);
    XTestFakeButtonEvent(d, unsigned(button), False, CurrentTime);
    XSync(d, False);
    return true;
}

QImage RealDesktop::grab(QRect inWindow, unsigned long window) const
{
    if (window == 0) {
        const QList<unsigned long> all = windows();
        if (all.isEmpty())
            return {};
        window = all.constFirst();
    }
    XImage* image = XGetImage(x_->display, window, inWindow.x(), inWindow.y(), unsigned(inWindow.width()),
                              unsigned(inWindow.height()), AllPlanes, ZPixmap);
    if (!image)
        return {};
    QImage out(inWindow.size(), QImage::Format_RGB32);
    for (int y = 0; y < inWindow.height(); ++y)
        for (int x = 0; x < inWindow.width(); ++x)
            out.setPixel(x, y, QRgb(XGetPixel(image, x, y) & 0xFFFFFF));
    XDestroyImage(image);
    return out;
}

bool RealDesktop::waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    SleepingWait wait;
    QTimer tick;
    tick.setInterval(20);
    connect(&tick, &QTimer::timeout, &wait, &SleepingWait::wake);
    connect(&handset_, &phonesim::Handset::bytesReceived, &wait, &SleepingWait::wake);
    connect(&program_, &QProcess::readyReadStandardOutput, &wait, &SleepingWait::wake);
    connect(&program_, &QProcess::finished, &wait, &SleepingWait::wake);
    tick.start();
    return wait.until(QDeadlineTimer(timeoutMs, Qt::PreciseTimer), done);
}

bool RealDesktop::waitForScreen(const QString& text, int timeoutMs)
{
    return waitUntil([&] { return handset_.screen().text() == text; }, timeoutMs);
}

int RealDesktop::keyFrameCount() const
{
    return int(std::ranges::count(handset_.events(), phonesim::WireEvent::Type::Key, &phonesim::WireEvent::type));
}

bool RealDesktop::waitForKeyFrames(int count, int timeoutMs)
{
    return waitUntil([&] { return keyFrameCount() >= count; }, timeoutMs);
}

int RealDesktop::inputMethodState()
{
    if (options_.ibus) {
        const QByteArray engine = run(QStringLiteral("ibus"), {QStringLiteral("engine")}).trimmed();
        return engine.isEmpty() ? -1 : engine == "anthy" ? kActive : kInactive;
    }
    if (busName_.isEmpty())
        return -1;
    QDBusPendingCallWatcher watcher(QDBusConnection(busName_).asyncCall(
        QDBusMessage::createMethodCall(kFcitxService, QStringLiteral("/controller"),
                                       QStringLiteral("org.fcitx.Fcitx.Controller1"), QStringLiteral("State")),
        2000));
    waitUntil([&] { return watcher.isFinished(); }, 3000);
    const QDBusPendingReply<int> reply = watcher;
    return reply.isValid() ? reply.value() : -1;
}

bool RealDesktop::stopInputMethod()
{
    if (fcitx_.state() == QProcess::NotRunning)
        return false;
    fcitx_.kill();
    return waitUntil([&] { return fcitx_.state() == QProcess::NotRunning; });
}

bool RealDesktop::pauseInputMethod(bool paused)
{
    return fcitx_.state() == QProcess::Running && ::kill(pid_t(fcitx_.processId()), paused ? SIGSTOP : SIGCONT) == 0;
}

bool RealDesktop::setInputMethodActive(bool active)
{
    if (busName_.isEmpty())
        return false;
    QDBusPendingCallWatcher watcher(QDBusConnection(busName_).asyncCall(
        QDBusMessage::createMethodCall(kFcitxService, QStringLiteral("/controller"),
                                       QStringLiteral("org.fcitx.Fcitx.Controller1"),
                                       active ? QStringLiteral("Activate") : QStringLiteral("Deactivate")),
        2000));
    waitUntil([&] { return watcher.isFinished(); }, 3000);
    return !watcher.isError();
}

QByteArray RealDesktop::run(const QString& program, const QStringList& arguments, int timeoutMs)
{
    QProcess process;
    if (!startProcess(process, program, arguments))
        return {};
    QByteArray output;
    waitUntil([&] {
        output += process.readAllStandardOutput();
        return process.state() == QProcess::NotRunning;
    }, timeoutMs);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(3000);
    }
    return output + process.readAllStandardOutput();
}
