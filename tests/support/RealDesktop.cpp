#include "RealDesktop.h"

#include "core/ProgramInfo.h"
#include "platform/SleepingWait.h"
#include "settings/SettingsFiles.h"

#include <QCoreApplication>
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

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// A window of the program may go between listing it and asking about it (a menu closing):
// the request fails, the test goes on. Xlib's default would end the process.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// One property of a window as bytes (32-bit items as unsigned long, as Xlib returns them).
QByteArray Property(Display* d, unsigned long window, const char* name, Atom type)
{
    Atom actual = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    QByteArray bytes;
    if (XGetWindowProperty(d, window, XInternAtom(d, name, False), 0, 1024, False, type, &actual, &format, &items,
                           &after, &data) == Success && data) {
        bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(items * (format == 32 ? sizeof(long) : 1)));
        XFree(data);
    }
    return bytes;
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
    program_.kill();
    program_.waitForFinished(5000);
    x_.reset();
    for (QProcess* p : {&inputMethod_, &bus_, &xvfb_}) {
        p->terminate();
        if (p->state() != QProcess::NotRunning && !p->waitForFinished(3000))
            p->kill();
        p->waitForFinished(3000);
    }
}

bool RealDesktop::fail(const QString& message)
{
    error_ = message;
    return false;
}

bool RealDesktop::launch(QProcess& process, const QString& program, const QStringList& arguments, QByteArray* firstLine)
{
    process.setProcessEnvironment(env_);
    process.start(program, arguments);
    if (!process.waitForStarted(kStartMs))
        return fail(program + QStringLiteral(": ") + process.errorString());
    if (!firstLine)
        return true;
    waitUntil([&] {
        *firstLine += process.readAllStandardOutput();
        return firstLine->contains('\n') || process.state() == QProcess::NotRunning;
    }, kStartMs);
    *firstLine = firstLine->trimmed();
    return !firstLine->isEmpty() || fail(program + QStringLiteral(" said nothing"));
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
    QByteArray number;
    if (!launch(xvfb_, QStringLiteral("Xvfb"), QStringLiteral("-displayfd 1 -nolisten tcp -screen 0 1024x768x24").split(u' '),
                &number))
        return false;
    const QString display = u':' + QString::fromLatin1(number);
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

bool RealDesktop::startPoweredOn(const SettingsEdit& edit)
{
    return start() && writeSettings(edit) && startProgram() && powerOn();
}

bool RealDesktop::startInputMethod()
{
    // fcitx5's profile: the keyboard of the layout first, anthy as the input method it turns on.
    const QByteArray layout = options_.layout.toLatin1();
    if (!WriteFile(userHome_.filePath(QStringLiteral(".config/fcitx5/profile")),
                   "[Groups/0]\nName=Default\nDefault Layout=" + layout + "\nDefaultIM=anthy\n\n[Groups/0/Items/0]\n"
                   "Name=keyboard-" + layout + "\nLayout=\n\n[Groups/0/Items/1]\nName=anthy\nLayout=\n\n[GroupOrder]\n0=Default\n")
        || !WriteFile(userHome_.filePath(QStringLiteral(".local/share/fcitx5/data/quickphrase.d/tests.mb")),
                      options_.quickPhrases))
        return fail(QStringLiteral("cannot write fcitx5's files"));
    QByteArray address;
    if (!launch(bus_, QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                      QStringLiteral("--print-address=1")}, &address))
        return false;
    env_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromLatin1(address));
    inputMethod_.setProcessChannelMode(QProcess::MergedChannels);
    if (!options_.ibus) {
        // mozc's server does not come up as root and would hold fcitx5 up.
        if (!launch(inputMethod_, QStringLiteral("fcitx5"), {QStringLiteral("--disable=mozc")}))
            return false;
        // Asked without starting it: a call to its name would have the bus start another fcitx5.
        const QStringList owned = QStringLiteral("--print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus "
                                                 "org.freedesktop.DBus.NameHasOwner string:org.fcitx.Fcitx5").split(u' ');
        return waitUntil([&] { return run(QStringLiteral("dbus-send"), owned).contains("true"); }, kStartMs)
               || fail(QStringLiteral("fcitx5 did not come up: ") + QString::fromLocal8Bit(inputMethod_.readAll()));
    }
    // A Japanese user's anthy starts in hiragana; Debian's starts in Latin.
    run(QStringLiteral("dconf"), {QStringLiteral("write"),
                                  QStringLiteral("/org/freedesktop/ibus/engine/anthy/common/input-mode"),
                                  QStringLiteral("0")});
    // anthy's engine is a python3 script: the system's, whatever else comes first on PATH.
    env_.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin:") + env_.value(QStringLiteral("PATH")));
    if (!launch(inputMethod_, QStringLiteral("ibus-daemon"), {QStringLiteral("--panel=disable"), QStringLiteral("--xim=false")}))
        return false;
    // Its bus's address is written for this machine and display.
    const QDir folder(userHome_.filePath(QStringLiteral(".config/ibus/bus")));
    if (!waitUntil([&] { return !folder.entryList(QDir::Files).isEmpty(); }, kStartMs))
        return fail(QStringLiteral("ibus-daemon did not come up: ") + QString::fromLocal8Bit(inputMethod_.readAll()));
    // anthy's engine started once, so that switching to it later is immediate; then the user
    // types with the keyboard's engine.
    run(QStringLiteral("ibus"), {QStringLiteral("engine"), QStringLiteral("anthy")});
    run(QStringLiteral("ibus"), {QStringLiteral("engine"), options_.layout == u"jp" ? QStringLiteral("xkb:jp::jpn")
                                                                                    : QStringLiteral("xkb:us::eng")});
    return true;
}

bool RealDesktop::writeSettings(const SettingsEdit& edit)
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
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                          : QStringList();
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
    const QFileInfoList all = fds.entryInfoList(QDir::Files | QDir::System);
    return std::ranges::any_of(all, [&](const QFileInfo& fd) { return fd.symLinkTarget() == port; });
}

bool RealDesktop::powerOn(int timeoutMs)
{
    return key(QStringLiteral("alt+p"))
           && (waitUntil([&] { return portOpen(); }, timeoutMs) || fail(QStringLiteral("the power switch did not open the port")));
}

bool RealDesktop::endProgram(int timeoutMs)
{
    if (program_.state() == QProcess::NotRunning)
        return true;
    // A dialog that closed took the keyboard focus with it.
    const QList<unsigned long> all = windows();
    return !all.isEmpty() && focus(all.constFirst()) && key(QStringLiteral("alt+x"))
           && waitUntil([&] { return program_.state() == QProcess::NotRunning; }, timeoutMs);
}

bool RealDesktop::keycode(int code, bool down)
{
    if (!x_->display || code == 0)
        return fail(QStringLiteral("no display or no such key"));
    XTestFakeKeyEvent(x_->display, unsigned(code), down ? True : False, CurrentTime);
    XSync(x_->display, False);
    return true;
}

bool RealDesktop::press(const QString& name, bool down)
{
    if (name.startsWith(u"code:"))
        return keycode(name.mid(5).toInt(), down);
    static const QHash<QString, QString> kModifiers = {
        {QStringLiteral("shift"), QStringLiteral("Shift_L")}, {QStringLiteral("ctrl"), QStringLiteral("Control_L")},
        {QStringLiteral("alt"), QStringLiteral("Alt_L")}, {QStringLiteral("super"), QStringLiteral("Super_L")}};
    const KeySym keysym = XStringToKeysym(kModifiers.value(name.toLower(), name).toLatin1().constData());
    return keycode(keysym == NoSymbol ? 0 : int(XKeysymToKeycode(x_->display, keysym)), down) || fail(QStringLiteral("no key ") + name);
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
        ok = ok && press(name, true);
    for (auto it = names.crbegin(); it != names.crend(); ++it)
        ok = press(*it, false) && ok;
    return ok;
}

bool RealDesktop::keys(const QString& chords)
{
    const QStringList all = chords.split(u' ', Qt::SkipEmptyParts);
    return std::ranges::all_of(all, [this](const QString& chord) {
        return chord.startsWith(u"down:") ? press(chord.mid(5), true)
               : chord.startsWith(u"up:") ? press(chord.mid(3), false)
                                          : key(chord);
    });
}

bool RealDesktop::type(const QString& text)
{
    for (const QChar c : text) {
        const unsigned long keysym = c == u'\n' ? XK_Return : c == u'\t' ? XK_Tab : c.unicode();
        const int code = int(XKeysymToKeycode(x_->display, keysym));
        if (code == 0 || c.unicode() > 0x7E)
            return fail(QStringLiteral("cannot type ") + c);
        const bool shifted = XkbKeycodeToKeysym(x_->display, XKeyCode(code), 0, 0) != keysym;
        if (!(!shifted || press(QStringLiteral("shift"), true)) || !keycode(code, true) || !keycode(code, false)
            || !(!shifted || press(QStringLiteral("shift"), false)))
            return false;
    }
    return true;
}

QList<unsigned long> RealDesktop::windows() const
{
    QList<unsigned long> found;
    Display* d = x_->display;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!d || program_.state() == QProcess::NotRunning
        || !XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count))
        return found;
    // Bottom to top: the newest windows come last.
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        const QByteArray pid = Property(d, children[i], "_NET_WM_PID", XA_CARDINAL);
        if (XGetWindowAttributes(d, children[i], &attributes) && attributes.map_state == IsViewable
            && pid.size() == sizeof(long) && qint64(*reinterpret_cast<const unsigned long*>(pid.constData())) == program_.processId())
            found.prepend(children[i]);
    }
    if (children)
        XFree(children);
    const auto main = std::ranges::find(found, ProgramInfo::Title(), [this](unsigned long w) { return windowTitle(w); });
    if (main != found.end())
        found.move(main - found.begin(), 0);
    return found;
}

QString RealDesktop::windowTitle(unsigned long window) const
{
    return QString::fromUtf8(Property(x_->display, window, "_NET_WM_NAME", XInternAtom(x_->display, "UTF8_STRING", False)));
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
    run(QStringLiteral("xdotool"), QStringLiteral("mousemove --window %1 %2 %3 click %4")
                                       .arg(all.constFirst()).arg(inWindow.x()).arg(inWindow.y()).arg(button).split(u' '));
    return true;
}

QImage RealDesktop::grab(QRect inWindow, unsigned long window) const
{
    window = window ? window : windows().value(0);
    XImage* image = window ? XGetImage(x_->display, window, inWindow.x(), inWindow.y(), unsigned(inWindow.width()),
                                       unsigned(inWindow.height()), AllPlanes, ZPixmap)
                           : nullptr;
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
    connect(&tick, &QTimer::timeout, &wait, &SleepingWait::wake);
    connect(&handset_, &phonesim::Handset::bytesReceived, &wait, &SleepingWait::wake);
    connect(&program_, &QProcess::readyReadStandardOutput, &wait, &SleepingWait::wake);
    connect(&program_, &QProcess::finished, &wait, &SleepingWait::wake);
    tick.start(20);
    return wait.until(QDeadlineTimer(timeoutMs, Qt::PreciseTimer), done);
}

bool RealDesktop::waitForScreen(const QString& text, int timeoutMs, bool ending)
{
    const auto shows = [&] { return ending ? handset_.screen().text().endsWith(text) : handset_.screen().text() == text; };
    if (waitUntil(shows, timeoutMs))
        return true;
    qWarning("the handset's screen shows \"%s\"", qPrintable(handset_.screen().text()));
    return false;
}

int RealDesktop::inputMethodState()
{
    if (inputMethod_.state() != QProcess::Running)
        return -1;
    const QByteArray said = options_.ibus ? run(QStringLiteral("ibus"), {QStringLiteral("engine")}).trimmed()
                                          : run(QStringLiteral("fcitx5-remote"), {}).trimmed();
    return said.isEmpty() ? -1 : !options_.ibus ? said.toInt() : said == "anthy" ? kActive : kInactive;
}

bool RealDesktop::stopInputMethod()
{
    inputMethod_.kill();
    return waitUntil([&] { return inputMethod_.state() == QProcess::NotRunning; });
}

bool RealDesktop::pauseInputMethod(bool paused)
{
    return inputMethod_.state() == QProcess::Running
           && ::kill(pid_t(inputMethod_.processId()), paused ? SIGSTOP : SIGCONT) == 0;
}

QByteArray RealDesktop::run(const QString& program, const QStringList& arguments, int timeoutMs)
{
    QProcess process;
    if (!launch(process, program, arguments))
        return {};
    QByteArray output;
    waitUntil([&] {
        output += process.readAllStandardOutput();
        return process.state() == QProcess::NotRunning;
    }, timeoutMs);
    process.kill();
    process.waitForFinished(3000);
    return output + process.readAllStandardOutput();
}
