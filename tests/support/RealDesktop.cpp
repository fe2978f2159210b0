#include "RealDesktop.h"
#include "Files.h"

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

RealDesktop::RealDesktop(const Options& options) : options_(options)
{
    program_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

RealDesktop::~RealDesktop()
{
    program_.kill();
    program_.waitForFinished(5000);
    if (display_)
        XCloseDisplay(display_);
    for (QProcess* p : {&inputMethod_, &bus_, &xvfb_}) {
        p->terminate();
        if (p->state() != QProcess::NotRunning && !p->waitForFinished(3000))
            p->kill();
        p->waitForFinished(3000);
    }
}

bool RealDesktop::launch(QProcess& process, const QString& command, QByteArray* firstLine)
{
    const QStringList words = command.split(u' ');
    process.setProcessEnvironment(env_);
    process.start(words.first(), words.mid(1));
    if (!process.waitForStarted(kStartMs))
        return fail(command + u": "_qs + process.errorString());
    if (!firstLine)
        return true;
    waitUntil([&] {
        *firstLine += process.readAllStandardOutput();
        return firstLine->contains('\n') || process.state() == QProcess::NotRunning;
    }, kStartMs, &process);
    *firstLine = firstLine->trimmed();
    return !firstLine->isEmpty() || fail(command + u" said nothing"_qs);
}

bool RealDesktop::start()
{
    if (!home_.isValid() || !userHome_.isValid())
        return fail(u"no temporary folder"_qs);
    env_ = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "QT_IM_MODULE", "DBUS_SESSION_BUS_ADDRESS", "XDG_CONFIG_HOME",
                             "XDG_CACHE_HOME", "XDG_DATA_HOME", "XMODIFIERS", "GTK_IM_MODULE"})
        env_.remove(QString::fromLatin1(name));
    env_.insert(u"HOME"_qs, userHome_.path());
    const QString runtime = userHome_.filePath(u"run"_qs);
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env_.insert(u"XDG_RUNTIME_DIR"_qs, runtime);

    // Xvfb picks a free display and writes its number to standard output.
    QByteArray number;
    if (!launch(xvfb_, u"Xvfb -displayfd 1 -nolisten tcp -screen 0 1024x768x24"_qs, &number))
        return false;
    const QString display = u':' + QString::fromLatin1(number);
    env_.insert(u"DISPLAY"_qs, display);
    XSetErrorHandler(IgnoreXError);
    display_ = XOpenDisplay(display.toLatin1().constData());
    if (!display_)
        return fail(u"cannot open display "_qs + display);
    run(u"setxkbmap -layout "_qs + options_.layout);

    QString error;
    if (!handset_.start(&error))
        return fail(u"phonesim: "_qs + error);
    handset_.setPaced(options_.paced);
    if (!options_.inputMethod && !options_.ibus)
        return true;

    // fcitx5's profile: the keyboard of the layout first, anthy as the input method it turns on.
    const QByteArray layout = options_.layout.toLatin1();
    if (!WriteFile(userHome_.filePath(u".config/fcitx5/profile"_qs),
                   "[Groups/0]\nName=Default\nDefault Layout=" + layout + "\nDefaultIM=anthy\n\n[Groups/0/Items/0]\n"
                   "Name=keyboard-" + layout + "\nLayout=\n\n[Groups/0/Items/1]\nName=anthy\nLayout=\n\n[GroupOrder]\n0=Default\n")
        || !WriteFile(userHome_.filePath(u".local/share/fcitx5/data/quickphrase.d/tests.mb"_qs), options_.quickPhrases))
        return fail(u"cannot write fcitx5's files"_qs);
    QByteArray address;
    if (!launch(bus_, u"dbus-daemon --session --nofork --print-address=1"_qs, &address))
        return false;
    env_.insert(u"DBUS_SESSION_BUS_ADDRESS"_qs, QString::fromLatin1(address));
    inputMethod_.setProcessChannelMode(QProcess::MergedChannels);
    if (!options_.ibus) {
        // mozc's server does not come up as root and would hold fcitx5 up.
        if (!launch(inputMethod_, u"fcitx5 --disable=mozc"_qs))
            return false;
        // Asked without starting it: a call to its name would have the bus start another fcitx5.
        const QString owned = u"dbus-send --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus "
                              u"org.freedesktop.DBus.NameHasOwner string:org.fcitx.Fcitx5"_qs;
        return waitUntil([&] { return run(owned).contains("true"); }, kStartMs)
               || fail(u"fcitx5 did not come up: "_qs + QString::fromLocal8Bit(inputMethod_.readAll()));
    }
    // A Japanese user's anthy starts in hiragana; Debian's starts in Latin.
    run(u"dconf write /org/freedesktop/ibus/engine/anthy/common/input-mode 0"_qs);
    // anthy's engine is a python3 script: the system's, whatever else comes first on PATH.
    env_.insert(u"PATH"_qs, u"/usr/bin:/bin:"_qs + env_.value(u"PATH"_qs));
    if (!launch(inputMethod_, u"ibus-daemon --panel=disable --xim=false"_qs))
        return false;
    // Its bus's address is written for this machine and display.
    const QDir folder(userHome_.filePath(u".config/ibus/bus"_qs));
    if (!waitUntil([&] { return !folder.entryList(QDir::Files).isEmpty(); }, kStartMs))
        return fail(u"ibus-daemon did not come up: "_qs + QString::fromLocal8Bit(inputMethod_.readAll()));
    // anthy's engine started once, so that switching to it later is immediate; then the user
    // types with the keyboard's engine.
    run(u"ibus engine anthy"_qs);
    run(options_.layout == u"jp" ? u"ibus engine xkb:jp::jpn"_qs : u"ibus engine xkb:us::eng"_qs);
    return true;
}

bool RealDesktop::startPoweredOn(const SettingsEdit& edit)
{
    return start() && writeSettings(edit) && startProgram() && powerOn();
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
    QFile file(home_.filePath(u"messages.log"_qs));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                          : QStringList();
}

bool RealDesktop::startProgram()
{
    QProcessEnvironment env = env_;
    env.insert(u"YUBISAKI_HOME"_qs, home_.path());
    // Through a link, so that a handset that comes back on another device is found again.
    if (!handset_.linkAs(home_.path(), 1, &error_))
        return false;
    env.insert(u"YUBISAKI_COM1"_qs, home_.filePath(u"com1"_qs));
    env.insert(u"YUBISAKI_MESSAGE_LOG"_qs, home_.filePath(u"messages.log"_qs));
    env.insert(u"YUBISAKI_CLOSE_WHEN_SHOWN"_qs, u"-1"_qs);
    // fcitx5's Qt module and Xlib keep blocks until exit; leaks are checked elsewhere. A small
    // quarantine keeps the resident memory the program's own, for the soak's measure of it.
    env.insert(u"ASAN_OPTIONS"_qs, u"detect_leaks=0:quarantine_size_mb=1"_qs);
    if (options_.inputMethod || options_.ibus)
        env.insert(u"QT_IM_MODULE"_qs, options_.ibus ? u"ibus"_qs : u"fcitx"_qs);
    program_.setProcessEnvironment(env);
    program_.start(QCoreApplication::applicationDirPath() + u"/yubisaki"_qs);
    if (!program_.waitForStarted(kStartMs))
        return fail(u"yubisaki: "_qs + program_.errorString());
    QByteArray output;
    if (!waitUntil([&] {
            output += program_.readAllStandardOutput();
            return output.contains("shown") && !windows().isEmpty();
        }, 30'000))
        return fail(u"the program showed no window"_qs);
    // Without a window manager nothing gives the new window the keyboard; a person would click it.
    return focus(windows().constFirst());
}

bool RealDesktop::portOpen() const
{
    // Whether one of the program's open files is the handset's port.
    const QDir fds(u"/proc/%1/fd"_qs.arg(program_.processId()));
    const QString port = QFileInfo(handset_.portPath()).canonicalFilePath();
    const auto open = [&](const QFileInfo& fd) { return fd.symLinkTarget() == port; };
    return std::ranges::any_of(fds.entryInfoList(QDir::Files | QDir::System), open);
}

bool RealDesktop::powerOn(int timeoutMs)
{
    return key(u"alt+p"_qs)
           && (waitUntil([this] { return portOpen(); }, timeoutMs) || fail(u"the power switch did not open the port"_qs));
}

bool RealDesktop::endProgram(int timeoutMs)
{
    if (program_.state() == QProcess::NotRunning)
        return true;
    // A dialog that closed took the keyboard focus with it.
    const auto all = windows();
    return !all.isEmpty() && focus(all.first()) && key(u"alt+x"_qs)
           && waitUntil([&] { return program_.state() == QProcess::NotRunning; }, timeoutMs);
}

bool RealDesktop::press(const QString& name, bool down)
{
    static const QHash<QString, QString> kModifiers = {
        {u"shift"_qs, u"Shift_L"_qs}, {u"ctrl"_qs, u"Control_L"_qs}, {u"alt"_qs, u"Alt_L"_qs},
        {u"super"_qs, u"Super_L"_qs}};
    // An unknown name is NoSymbol, which no key has.
    const QByteArray keysym = kModifiers.value(name, name).toLatin1();
    if (!display_)
        return fail(u"no display for "_qs + name);
    const unsigned code = name.startsWith(u"code:") ? name.mid(5).toUInt()
                                                    : XKeysymToKeycode(display_, XStringToKeysym(keysym.constData()));
    if (code == 0)
        return fail(u"no key "_qs + name);
    XTestFakeKeyEvent(display_, code, down ? True : False, CurrentTime);
    XSync(display_, False);
    return true;
}

bool RealDesktop::key(const QString& chord)
{
    const QStringList names = chord.split(u'+');
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
        const int code = int(XKeysymToKeycode(display_, keysym));
        if (code == 0 || c.unicode() > 0x7E)
            return fail(u"cannot type "_qs + c);
        const QString name = u"code:"_qs + QString::number(code);
        if (!key(XkbKeycodeToKeysym(display_, XKeyCode(code), 0, 0) == keysym ? name : u"shift+"_qs + name))
            return false;
    }
    return true;
}

QList<unsigned long> RealDesktop::windows() const
{
    QList<unsigned long> found;
    Display* d = display_;
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
    XFree(children);
    const auto main = std::ranges::find(found, ProgramInfo::Title(), [this](unsigned long w) { return windowTitle(w); });
    if (main != found.end())
        found.move(main - found.begin(), 0);
    return found;
}

QString RealDesktop::windowTitle(unsigned long window) const
{
    return QString::fromUtf8(Property(display_, window, "_NET_WM_NAME", XInternAtom(display_, "UTF8_STRING", False)));
}

bool RealDesktop::keyboardGrabbed() const
{
    Display* d = display_;
    const int result = XGrabKeyboard(d, DefaultRootWindow(d), False, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (result == GrabSuccess)
        XUngrabKeyboard(d, CurrentTime);
    XSync(d, False);
    return result == AlreadyGrabbed;
}

bool RealDesktop::focus(unsigned long window)
{
    XSetInputFocus(display_, window, RevertToParent, CurrentTime);
    XSync(display_, False);
    return true;
}

QImage RealDesktop::grab(QRect inWindow, unsigned long window) const
{
    window = window ? window : windows().value(0);
    XImage* image = window ? XGetImage(display_, window, inWindow.x(), inWindow.y(), unsigned(inWindow.width()),
                                       unsigned(inWindow.height()), AllPlanes, ZPixmap)
                           : nullptr;
    if (!image)
        return {};
    // Xvfb's 24-bit screen keeps a pixel in 32 bits, as RGB32 does.
    const QImage out = QImage(reinterpret_cast<const uchar*>(image->data), image->width, image->height,
                              image->bytes_per_line, QImage::Format_RGB32).copy();
    XDestroyImage(image);
    return out;
}

bool RealDesktop::waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    return waitUntil(done, timeoutMs, nullptr);
}

bool RealDesktop::waitUntil(const std::function<bool()>& done, int timeoutMs, const QProcess* helper)
{
    SleepingWait wait;
    if (helper) {
        connect(helper, &QProcess::readyReadStandardOutput, &wait, &SleepingWait::wake);
        connect(helper, &QProcess::finished, &wait, &SleepingWait::wake);
    }
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
    const QByteArray said = run(options_.ibus ? u"ibus engine"_qs : u"fcitx5-remote"_qs).trimmed();
    return said.isEmpty() ? -1 : !options_.ibus ? said.toInt() : said == "anthy" ? kActive : kInactive;
}

bool RealDesktop::signalInputMethod(int signal)
{
    return inputMethod_.state() == QProcess::Running && ::kill(pid_t(inputMethod_.processId()), signal) == 0
           && (signal != SIGKILL || waitUntil([&] { return inputMethod_.state() == QProcess::NotRunning; }));
}

QByteArray RealDesktop::run(const QString& command, int timeoutMs)
{
    QProcess process;
    if (!launch(process, command))
        return {};
    QByteArray output;
    waitUntil([&] {
        output += process.readAllStandardOutput();
        return process.state() == QProcess::NotRunning;
    }, timeoutMs, &process);
    process.kill();
    process.waitForFinished(3000);
    return output + process.readAllStandardOutput();
}
