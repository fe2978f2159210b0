// The soak: the real program on Xvfb with fcitx5 running, against the simulated handset at
// 600 baud, used like a person for N minutes with a seeded mix of typing in every input mode,
// named keys, pastes, macro runs stopped with ESC, number queries, the handset's notifications,
// reply faults, random bytes and a pulled cable. Throughout it checks that every key arrives
// once and in order, that the messages are exactly the expected ones, that the program idles
// without CPU and holds its memory, and at the end that the settings files read back.
//
//     soak --minutes N [--seed S] [--keep-going]   (prints the seed; the same seed replays the run)
#include "RealDesktop.h"
#include "SoakModel.h"

#include "platform/SleepingWait.h"
#include "settings/SettingsFiles.h"

#include <QClipboard>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QSocketNotifier>

#include <cstdio>
#include <cstring>
#include <unistd.h>

using namespace soak;

namespace {

const QString kHangUpMessage = QStringLiteral("途中でケーブルを抜かないで下さい");
const QString kCallMessage = QStringLiteral("着信です！電話に出ますか？");
const QString kAbortMessage = QStringLiteral("ユーザによって中断されました。");
constexpr int kMacroRepeats = 25;
constexpr qint64 kFrameNs = 8 * phonesim::Handset::kPacedByteNs;

void Say(const QString& line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

// /proc/<pid>/stat: user plus system time in clock ticks; statm: resident pages.
qint64 CpuTicks(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = file.readAll().split(')').value(1).trimmed().split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

qint64 ResidentKb(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/statm").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.readAll().split(' ').value(1).toLongLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

class Soak : public QObject {
public:
    Soak(quint32 seed, double minutes, bool keepGoing)
        : rng_(seed), seed_(seed), minutes_(minutes), keepGoing_(keepGoing)
    {
    }
    int run();

private:
    bool setUp();
    void typeSome();
    void namedKeys();
    void paste(int length, bool powerOffMidway);
    void runMacro();
    void numberQuery();
    void notification();
    void randomBytes();
    void pullCable();
    void powerCycle(bool replug);
    void idleCpu();
    bool endAndReadBack();

    void setMode(Mode mode);
    void press(const QString& chord) { ok(desk_.key(chord), chord); }
    void pause(int ms) { WaitSeconds(float(ms) / 1000.0f); }
    void ok(bool done, const QString& what)
    {
        if (!done)
            fault(what + QStringLiteral(": ") + desk_.error());
    }
    void fault(const QString& what);
    // Waits until every expected token has arrived (or the line fell silent, where a cut is
    // allowed), then compares what arrived since the last checkpoint and the new messages.
    void checkpoint(bool cutAllowed = false);
    QStringList newMessages() { return desk_.messages().mid(messagesSeen_); }
    bool waitForMessages(int count, int timeoutMs);
    bool waitForSilence(int quietMs, int timeoutMs);
    int count(phonesim::WireEvent::Type type);

    RealDesktop desk_{{.layout = QStringLiteral("jp"), .inputMethod = true}};
    std::mt19937 rng_;
    quint32 seed_;
    double minutes_;
    bool keepGoing_; // past the first fault, which otherwise ends the run
    QElapsedTimer clock_;
    // The actions with their start in seconds, for the report of a fault.
    struct ActionLog : QStringList {
        const QElapsedTimer* clock;
        ActionLog& operator<<(const QString& action)
        {
            append(QStringLiteral("%1 s %2").arg(clock->elapsed() / 1000).arg(action));
            return *this;
        }
    } log_{{}, &clock_};
    // What arrived, every handset event as tokens; what must arrive since the checkpoint.
    QStringList received_;
    qsizetype mark_ = 0;
    QStringList expected_;
    QStringList expectedMessages_;
    qsizetype messagesSeen_ = 0;
    qint64 lastByteNs_ = 0;
    qsizetype offSettings_ = 0;
    int offBaud_ = 0;
    Mode mode_ = Mode::Romaji;
    int imeOn_ = 1, alphaOrKana_ = 1, kanaOrRoma_ = 1;
    bool modelRead_ = false;
    qint64 pid_ = 0;
    // Figures for the report.
    qint64 typed_ = 0, lost_ = 0, messages_ = 0, peakKb_ = 0, baseKb_ = -1, lastKb_ = 0;
    double idleMax_ = 0;
    int faults_ = 0;
};

bool Soak::setUp()
{
    if (!desk_.start())
        return Say(QStringLiteral("soak: cannot start the desktop: ") + desk_.error()), false;
    desk_.handset().setNumber(QStringLiteral("09012345678"));
    desk_.handset().setSerial(QStringLiteral("NMABK12ABCD"));
    QObject::connect(&desk_.handset(), &phonesim::Handset::eventDecoded, this,
                     [this](const phonesim::WireEvent& e) { AddReceived(received_, e); });
    QObject::connect(&desk_.handset(), &phonesim::Handset::offSettingsReceived, this,
                     [this](const QByteArray& bytes, int baud) {
                         offSettings_ += bytes.size();
                         offBaud_ = baud;
                     });
    QObject::connect(&desk_.handset(), &phonesim::Handset::bytesReceived, this,
                     [this] { lastByteNs_ = clock_.nsecsElapsed(); });
    // A macro that types, presses keys and waits, long enough to be stopped midway.
    QDir(desk_.home()).mkpath(QStringLiteral("Macro"));
    QFile macro(desk_.home() + QStringLiteral("/Macro/soak.mcr"));
    if (!macro.open(QIODevice::WriteOnly)
        || macro.write(QStringLiteral("#soak\r\n<LOOP>%1\r\n <UP>\r\n <TEXT>ab\r\n <TEN-5>\r\n <WAIT>0.2\r\n<LOOPEND>\r\n")
                           .arg(kMacroRepeats)
                           .toLatin1())
               < 0)
        return false;
    macro.close();
    const bool written = desk_.writeSettings([](Settings& s, KeyMap& k, MainWindowSettings& w) {
        s.ArrivalDisplay = 1;
        s.PdcType = QStringLiteral("N503i"); // a model query makes it P504i
        k.KEY_OnHook = 35;                   // End, not Page Down
        w.AlphaOrKana = 1;
        w.KanaOrRoma = 1;
        w.Xpos = w.Ypos = 0;
        w.MacroFiles = {QStringLiteral("soak.mcr")};
    });
    if (!written || !desk_.startProgram())
        return Say(QStringLiteral("soak: cannot start the program: ") + desk_.error()), false;
    pid_ = desk_.program().processId();
    press(QStringLiteral("Num_Lock"));
    press(QStringLiteral("alt+p"));
    press(QStringLiteral("alt+g"));
    pause(500);
    return true;
}

void Soak::fault(const QString& what)
{
    ++faults_;
    Say(QStringLiteral("FAULT (seed %1, %2 s): %3").arg(seed_).arg(clock_.elapsed() / 1000).arg(what));
    Say(QStringLiteral("  last actions: ") + log_.mid(std::max<qsizetype>(0, log_.size() - 8)).join(QStringLiteral("; ")));
}

int Soak::count(phonesim::WireEvent::Type type)
{
    return int(std::ranges::count(desk_.handset().events(), type, &phonesim::WireEvent::type));
}

bool Soak::waitForMessages(int count, int timeoutMs)
{
    return desk_.waitUntil([&] { return newMessages().size() >= count; }, timeoutMs);
}

bool Soak::waitForSilence(int quietMs, int timeoutMs)
{
    return desk_.waitUntil([&] { return clock_.nsecsElapsed() - lastByteNs_ > qint64(quietMs) * 1'000'000; },
                           timeoutMs);
}

void Soak::checkpoint(bool cutAllowed)
{
    // The line carries a frame in about 150 ms; allow for a slow program on top.
    const int lineMs = int(expected_.size() * kFrameNs / 1'000'000);
    // What a cut leaves must stop within a minute: the power switch acts at once.
    if (cutAllowed && !waitForSilence(2000, 60'000))
        fault(QStringLiteral("the line goes on for more than a minute after the cut"));
    else if (!desk_.waitUntil([&] { return received_.size() - mark_ >= expected_.size(); },
                              std::min(lineMs * 2 + 10'000, 120'000)))
        waitForSilence(2000, 10'000);
    waitForSilence(400, 10'000); // anything more that follows, a duplicate
    waitForMessages(int(expectedMessages_.size()), 5000);
    const QStringList got = received_.mid(mark_);
    typed_ += expected_.size();
    const bool prefix = got.size() <= expected_.size() && expected_.mid(0, got.size()) == got;
    if (!(got == expected_ || (cutAllowed && prefix)))
        fault(QStringLiteral("the handset got\n    %1\n  instead of\n    %2\n  (%3 bytes in all)")
                  .arg(got.join(u' '), expected_.join(u' '))
                  .arg(desk_.handset().received().size()));
    lost_ += std::max<qsizetype>(0, expected_.size() - got.size());
    if (offSettings_ > 0)
        fault(QStringLiteral("%1 bytes left at %2 baud").arg(offSettings_).arg(offBaud_));
    offSettings_ = 0;
    const QStringList shown = newMessages();
    bool same = shown.size() == expectedMessages_.size();
    for (qsizetype i = 0; same && i < shown.size(); ++i)
        same = shown[i].contains(expectedMessages_[i]);
    if (!same)
        fault(QStringLiteral("messages shown: [%1], expected: [%2]")
                  .arg(shown.join(QStringLiteral(" | ")), expectedMessages_.join(QStringLiteral(" | "))));
    messages_ += shown.size();
    messagesSeen_ += shown.size();
    mark_ = received_.size();
    expected_.clear();
    expectedMessages_.clear();
    lastKb_ = ResidentKb(pid_);
    peakKb_ = std::max(peakKb_, lastKb_);
    // Memory counts from the first minute on, or from half-way through a shorter run.
    if (baseKb_ < 0 && clock_.elapsed() > std::min(60'000.0, minutes_ * 30'000))
        baseKb_ = lastKb_;
}

void Soak::setMode(Mode mode)
{
    const int ime = mode == Mode::HalfWidth ? 0 : 1;
    if (ime != imeOn_)
        press(QStringLiteral("Zenkaku_Hankaku"));
    imeOn_ = ime;
    if (!ime)
        return;
    const int alpha = mode == Mode::FullWidthAlphabet ? 0 : 1;
    if (alpha != alphaOrKana_)
        press(QStringLiteral("Eisu_toggle"));
    alphaOrKana_ = alpha;
    const int roma = mode == Mode::KanaKeyboard ? 0 : mode == Mode::Romaji ? 1 : kanaOrRoma_;
    if (roma != kanaOrRoma_)
        press(QStringLiteral("Muhenkan"));
    kanaOrRoma_ = roma;
}

void Soak::typeSome()
{
    const Mode mode = kModes[Uniform(rng_, 0, 3)];
    setMode(mode);
    // Now and then a storm: every key at once, far faster than the line.
    const bool storm = Uniform(rng_, 0, 4) == 0;
    const Typing t = RandomTyping(mode, rng_, storm ? Uniform(rng_, 30, 120) : Uniform(rng_, 2, 16));
    log_ << QStringLiteral("type %1 \"%2\"%3").arg(QString::fromLatin1(ModeName(mode)), t.keys,
                                                     storm ? QStringLiteral(" at once") : QString());
    if (storm) {
        ok(desk_.type(t.keys), t.keys);
    } else {
        for (const QChar c : t.keys) {
            ok(desk_.type(QString(c)), QString(c));
            pause(Uniform(rng_, 20, 160));
        }
    }
    expected_ << t.tokens;
}

void Soak::namedKeys()
{
    QStringList chords;
    for (int n = Uniform(rng_, 1, 8); n > 0; --n) {
        const NamedKey k = RandomNamedKey(rng_);
        chords << QString::fromLatin1(k.chord);
        press(chords.last());
        expected_ << QString::fromLatin1(k.token);
        pause(Uniform(rng_, 0, 200));
    }
    log_ << QStringLiteral("keys ") + chords.join(u' ');
}

void Soak::paste(int length, bool powerOffMidway)
{
    checkpoint(); // the paste's own first frame then says the program has read the clipboard
    const QString text = RandomPasteText(rng_, length);
    log_ << QStringLiteral("paste %1 characters%2").arg(length).arg(powerOffMidway ? QStringLiteral(", power off") : QString());
    // The clipboard belongs to a helper on the same display while the program reads it.
    QProcess holder;
    QProcessEnvironment env = desk_.environment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    holder.setProcessEnvironment(env);
    holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--clipboard")});
    holder.write(text.toUtf8());
    holder.closeWriteChannel();
    const qsizetype before = received_.size();
    QByteArray said;
    ok(desk_.waitUntil([&] { said += holder.readAllStandardOutput(); return said.contains("ready") || holder.state() == QProcess::NotRunning; },
                       10'000),
       QStringLiteral("the clipboard holder"));
    press(QStringLiteral("ctrl+v"));
    expected_ << TextTokens(text);
    ok(desk_.waitUntil([&] { return received_.size() > before; }, 10'000),
       QStringLiteral("nothing of the paste arrived ") + QString::number(holder.state()) + QString::fromLocal8Bit(holder.readAllStandardError()));
    holder.kill();
    holder.waitForFinished(3000);
    if (powerOffMidway) {
        pause(Uniform(rng_, 500, 3000));
        press(QStringLiteral("alt+p"));
        checkpoint(true);
        press(QStringLiteral("alt+p"));
        press(QStringLiteral("alt+g"));
    }
}

void Soak::runMacro()
{
    // ESC midway stops the run (its waits alone last six seconds); ESC after the run is the clear key.
    const int escape = Uniform(rng_, 0, 2); // none, midway, after
    const int escapeMs = Uniform(rng_, 100, 4000);
    log_ << QStringLiteral("macro") + (escape == 1 ? QStringLiteral(", ESC after %1 ms").arg(escapeMs)
                                       : escape == 2 ? QStringLiteral(", ESC after the run") : QString());
    checkpoint();
    const qsizetype before = received_.size();
    press(QStringLiteral("alt+s"));
    ok(desk_.waitUntil([&] { return received_.size() > before; }, 10'000), QStringLiteral("the macro does not start"));
    for (int i = 0; i < kMacroRepeats; ++i)
        expected_ << QStringLiteral("<UP>") << QStringLiteral("a") << QStringLiteral("b") << QStringLiteral("<TEN-5>");
    if (escape == 1) {
        pause(escapeMs);
        press(QStringLiteral("Escape"));
        expectedMessages_ << kAbortMessage;
    }
    const auto running = [this] { return desk_.windowTitle(desk_.windows().value(0)).contains(u"ESC"); };
    ok(desk_.waitUntil([&] { return !running(); }, 60'000), QStringLiteral("the macro run does not end"));
    if (escape == 2) {
        press(QStringLiteral("Escape"));
        expected_ << QStringLiteral("<CLEAR>");
    }
    checkpoint(escape == 1);
}

void Soak::numberQuery()
{
    static const char* const kFaults[] = {"delay 6500", "garble on", "cut 3", "vanish 5"};
    const int fault = Uniform(rng_, -4, 3); // half of the queries meet a fault
    log_ << QStringLiteral("number query") + (fault >= 0 ? QStringLiteral(", ") + QString::fromLatin1(kFaults[fault]) : QString());
    checkpoint();
    phonesim::Handset& h = desk_.handset();
    phonesim::Handset::ReplyFaults faults;
    faults.delayMs = fault == 0 ? 6500 : 0;
    faults.garble = fault == 1;
    faults.cutAfter = fault == 2 ? 3 : -1;
    faults.vanishAfter = fault == 3 ? 5 : -1;
    h.setReplyFaults(faults);
    const int models = count(phonesim::WireEvent::Type::ModelRequest);
    press(QStringLiteral("alt+n"));
    if (fault < 0) {
        ok(desk_.waitUntil([&] { return count(phonesim::WireEvent::Type::ModelRequest) > models; }, 10'000),
           QStringLiteral("no model request"));
        modelRead_ = true;
    }
    pause(fault < 0 ? 500 : 7000); // a failed reply ends after the reply timeout
    h.setReplyFaults({});
    if (fault == 3) {
        expectedMessages_ << kHangUpMessage;
        checkpoint();
        powerCycle(true);
    } else {
        checkpoint();
    }
}

void Soak::notification()
{
    const int kind = Uniform(rng_, 0, 4);
    phonesim::Handset& h = desk_.handset();
    if (kind == 0) {
        const int level = Uniform(rng_, 0, 15);
        log_ << QStringLiteral("level %1").arg(level);
        h.sendSignalLevel(level);
    } else if (kind == 1) {
        const bool in = Uniform(rng_, 0, 1);
        log_ << (in ? QStringLiteral("area in") : QStringLiteral("area out"));
        h.sendServiceArea(in);
    } else if (kind == 2) {
        const int yen = Uniform(rng_, 0, 99999);
        log_ << QStringLiteral("charge %1").arg(yen);
        h.sendCallCharge(yen);
    } else {
        // The message log answers the question as this file says.
        const bool answer = kind == 3;
        log_ << (answer ? QStringLiteral("call, answered") : QStringLiteral("call, refused"));
        checkpoint();
        QFile file(desk_.home() + QStringLiteral("/messages.log.answer"));
        ok(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(answer ? "yes" : "no") > 0,
           QStringLiteral("the answer file"));
        file.close();
        h.sendIncomingCall();
        expectedMessages_ << kCallMessage;
        if (answer)
            expected_ << QStringLiteral("<OFF-HOOK>");
        checkpoint();
    }
}

void Soak::randomBytes()
{
    // Anything but the incoming call, whose question the notification step asks.
    QByteArray bytes;
    for (int n = Uniform(rng_, 1, 64); n > 0; --n) {
        const char b = char(Uniform(rng_, 0, 255));
        if (quint8(b) != 0xA5)
            bytes += b;
    }
    log_ << QStringLiteral("bytes ") + QString::fromLatin1(bytes.toHex());
    desk_.handset().send(bytes);
}

void Soak::pullCable()
{
    // Sometimes with frames still on their way, which the pull cuts.
    const bool busy = Uniform(rng_, 0, 1);
    if (busy) {
        setMode(Mode::HalfWidth);
        const Typing t = RandomTyping(Mode::HalfWidth, rng_, 60);
        ok(desk_.type(t.keys), t.keys);
        expected_ << t.tokens;
        pause(Uniform(rng_, 200, 3000));
    } else {
        checkpoint();
    }
    log_ << QStringLiteral("cable pulled") + (busy ? QStringLiteral(" while sending") : QString());
    desk_.handset().hangUp();
    expectedMessages_ << kHangUpMessage;
    checkpoint(busy);
    powerCycle(true);
}

void Soak::powerCycle(bool replug)
{
    if (!replug) {
        log_ << QStringLiteral("power off and on");
        checkpoint(); // what is still queued would be cut
    }
    // The handset comes back at the same path before the user switches off and on.
    if (replug) {
        QString error;
        ok(desk_.handset().start(&error) && desk_.handset().linkAs(desk_.home(), 1, &error), error);
    }
    press(QStringLiteral("alt+p"));
    pause(300);
    press(QStringLiteral("alt+p"));
    press(QStringLiteral("alt+g"));
    pause(300);
    checkpoint();
}

void Soak::idleCpu()
{
    checkpoint();
    const qint64 before = CpuTicks(pid_);
    QElapsedTimer t;
    t.start();
    pause(4000);
    const double share = double(CpuTicks(pid_) - before) / double(sysconf(_SC_CLK_TCK)) / (double(t.elapsed()) / 1000);
    idleMax_ = std::max(idleMax_, share);
    if (share > 0.01)
        fault(QStringLiteral("idle CPU %1% of a core").arg(share * 100, 0, 'f', 2));
}

bool Soak::endAndReadBack()
{
    checkpoint();
    if (!desk_.endProgram(20'000)) {
        fault(QStringLiteral("the program does not end"));
        return false;
    }
    const LoadedSettings read = LoadSettingsIn(desk_.home() + u'/', QSize(1 << 20, 1 << 20));
    Settings settings;
    settings.ArrivalDisplay = 1;
    settings.PdcType = modelRead_ ? QStringLiteral("P504i") : QStringLiteral("N503i");
    KeyMap keyMap;
    keyMap.KEY_OnHook = 35;
    const Settings& s = read.settings;
    const bool same = s.PdcType == settings.PdcType && s.ArrivalDisplay == 1 && s.DontUseIME == 1
                      && s.IMEON == settings.IMEON && s.ComPort == 1 && s.MacroWait == settings.MacroWait
                      && std::memcmp(&read.keyMap, &keyMap, sizeof keyMap) == 0
                      && read.window.AlphaOrKana == alphaOrKana_ && read.window.KanaOrRoma == kanaOrRoma_
                      && read.window.MacroFiles == QStringList{QStringLiteral("soak.mcr")};
    if (!same)
        fault(QStringLiteral("the settings read back differ: PdcType %1, AlphaOrKana %2, KanaOrRoma %3 %4 %5 %6 %7 %8")
                  .arg(s.PdcType)
                  .arg(read.window.AlphaOrKana)
                  .arg(read.window.KanaOrRoma).arg(s.IMEON).arg(s.DontUseIME).arg(s.MacroWait).arg(std::memcmp(&read.keyMap, &keyMap, sizeof keyMap)).arg(read.window.MacroFiles.join(u',')));
    return same;
}

int Soak::run()
{
    Say(QStringLiteral("soak: seed %1, %2 minutes").arg(seed_).arg(minutes_));
    clock_.start();
    if (!setUp())
        return 2;
    const qint64 endMs = qint64(minutes_ * 60'000);
    qint64 nextIdleMs = 20'000;
    while (clock_.elapsed() < endMs && desk_.program().state() == QProcess::Running && (keepGoing_ || !faults_)) {
        const int roll = Uniform(rng_, 0, 99);
        if (roll < 40)
            typeSome();
        else if (roll < 55)
            namedKeys();
        else if (roll < 62)
            paste(Uniform(rng_, 4, 40), false);
        else if (roll < 64)
            paste(Uniform(rng_, 2000, 10'000), true);
        else if (roll < 70)
            runMacro();
        else if (roll < 76)
            numberQuery();
        else if (roll < 88)
            notification();
        else if (roll < 93)
            randomBytes();
        else if (roll < 96)
            pullCable();
        else
            powerCycle(false);
        // Keys pile up across actions too; now and then all must have arrived.
        if (Uniform(rng_, 0, 2) == 0)
            checkpoint();
        if (clock_.elapsed() > nextIdleMs) {
            idleCpu();
            nextIdleMs += 60'000;
        }
    }
    if (desk_.program().state() != QProcess::Running)
        fault(QStringLiteral("the program ended by itself: exit code %1").arg(desk_.program().exitCode()));
    else
        endAndReadBack();
    const qint64 growthKb = baseKb_ < 0 ? 0 : lastKb_ - baseKb_;
    if (growthKb > 5 * 1024)
        fault(QStringLiteral("resident memory grew by %1 kB").arg(growthKb));
    Say(QStringLiteral("soak: seed %1, %2 s: %3 keys typed, %4 delivered, %5 messages, peak resident %6 MB, growth %7 kB, "
                       "idle CPU at most %8%, %9 faults")
            .arg(seed_)
            .arg(clock_.elapsed() / 1000)
            .arg(typed_)
            .arg(typed_ - lost_)
            .arg(messages_)
            .arg(double(peakKb_) / 1024, 0, 'f', 1)
            .arg(growthKb)
            .arg(idleMax_ * 100, 0, 'f', 2)
            .arg(faults_));
    return faults_ == 0 ? 0 : 1;
}

// The clipboard's owner for a paste: takes the text on standard input and serves it until killed.
int HoldClipboard(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return 1;
    QGuiApplication::clipboard()->setText(QString::fromUtf8(in.readAll()));
    Say(QStringLiteral("ready"));
    return QGuiApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--clipboard") == 0)
            return HoldClipboard(argc, argv);
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption minutes(QStringLiteral("minutes"), QStringLiteral("How long to run."), QStringLiteral("N"),
                                     QStringLiteral("2"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("The seed to replay; a fresh one if absent."),
                                  QStringLiteral("S"));
    parser.addHelpOption();
    const QCommandLineOption keepGoing(QStringLiteral("keep-going"), QStringLiteral("Go on after a fault."));
    parser.addOptions({minutes, seed, keepGoing});
    parser.process(app);
    const quint32 s = parser.isSet(seed) ? parser.value(seed).toUInt() : QRandomGenerator::system()->generate();
    Soak soak(s, parser.value(minutes).toDouble(), parser.isSet(keepGoing));
    return soak.run();
}
