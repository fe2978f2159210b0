// The soak: the real program on Xvfb with fcitx5 running, against the simulated handset at
// 600 baud, used like a person for N minutes with a seeded mix of typing in every input mode,
// named keys, pastes, macro runs stopped with ESC, number queries, the handset's notifications,
// reply faults, random bytes and a pulled cable. Throughout it checks that every key arrives
// once and in order, that the messages are exactly the expected ones, that the program idles
// without CPU and holds its memory, and at the end that the settings files read back.
//
//     soak --minutes N [--seed S] [--keep-going]   (prints the seed; the same seed replays the run)
#include "Files.h"
#include "RealDesktop.h"

#include "link/PhoneBytes.h"
#include "link/SerialLink.h"
#include "platform/Cp932.h"
#include "platform/SleepingWait.h"
#include "settings/MacroTitle.h"
#include "settings/SettingsFiles.h"

#include <QClipboard>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QRandomGenerator>

#include <cstdio>
#include <random>
#include <unistd.h>

namespace {

using phonesim::WireEvent;

const QString kAbortMessage = u"ユーザによって中断されました。"_qs;
constexpr int kMacroRepeats = 25;

// What the soak types and what the handset must then receive, stated without the program's own
// tables. The input modes, as the three toggles and the 半角/全角 key choose them (-1 leaves a
// toggle as it is): each key of `keys` (or word, in romaji) gives the text at its place in `out`.
struct Mode {
    const char* name;
    int ime, alphaOrKana, kanaOrRoma;
    const char *keys, *out;
    bool words = false;
};
constexpr Mode kModes[] = {
    {"half-width", 0, -1, -1, "abcxyzABCXYZ0123456789 !?.,-+*/=()", "abcxyzABCXYZ0123456789 !?.,-+*/=()"},
    {"full-width alphabet", 1, 0, -1, "abcxyzABCXYZ0123456789!?", "ａｂｃｘｙｚＡＢＣＸＹＺ０１２３４５６７８９！？"},
    {"kana keyboard", 1, 1, 0, "1234567890qwertyuiopasdfghjklzxcvbnm,./-",
     "ぬふあうえおやゆよわたていすかんなにらせちとしはきくまのりつさそひこみもねるめほ"},
    {"romaji", 1, 1, 1, "kannji sakura toukyou arigatou kitte gakkou dennsha kyouto hiragana yubisaki me-ru dennwa "
                        "ohayou pinnponn , .",
     "かんじ さくら とうきょう ありがとう きって がっこう でんしゃ きょうと ひらがな ゆびさき めーる でんわ "
     "おはよう ぴんぽん 、 。", true},
};
// The named keys: the chord pressed, and the handset's name and code (group, index) for it.
struct NamedKey {
    const char *chord, *name;
    int group, index;
};
constexpr NamedKey kNamedKeys[] = {
    {"Left", "LEFT", 1, 3}, {"Up", "UP", 1, 1}, {"Right", "RIGHT", 1, 4}, {"Down", "DOWN", 1, 2},
    {"Return", "OK", 6, 2}, {"shift+Return", "F1", 3, 1}, {"Home", "MENU", 6, 4}, {"Insert", "CHAR", 6, 5},
    {"Prior", "OFF-HOOK", 2, 14}, {"End", "ON-HOOK", 2, 13}, {"Delete", "CLEAR", 6, 3}, {"F2", "F2", 3, 2},
    {"F7", "F7", 3, 7}, {"F12", "F12", 3, 12}, {"shift+F3", "F15", 3, 15}, {"shift+F4", "F16", 4, 1},
    {"KP_0", "TEN-0", 2, 10}, {"KP_1", "TEN-1", 2, 1}, {"KP_5", "TEN-5", 2, 5}, {"KP_9", "TEN-9", 2, 9},
    {"KP_Multiply", "TEN-*", 2, 12}, {"KP_Subtract", "TEN-#", 2, 11},
};
const QString kPastePool = u"あいうえおかきくけこがぎぐぱぴぷっゃーんをabcxyzXYZ019ＡＢＣ１２３ｱｲｳｶｷ、。"_qs;

int Uniform(std::mt19937& rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

// A text as the handset receives it, character by character: a voiced kana is its kana and
// the handset's own voiced or semi-voiced mark (″ or °).
QStringList Characters(const QString& text)
{
    QStringList out;
    for (const QChar c : text.normalized(QString::NormalizationForm_D))
        out << (c == QChar(0x3099) ? u"″"_qs : c == QChar(0x309A) ? u"°"_qs : QString(c));
    return out;
}

// A decoded key frame: its character, or <NAME> for a named key (<^NAME> modified).
QString Token(const WireEvent& event)
{
    const KeyCode c = event.code;
    const auto* k = std::ranges::find_if(kNamedKeys, [&](auto& n) { return n.group == c.Group && n.index == c.Index; });
    const auto name = k < std::end(kNamedKeys) ? QString::fromLatin1(k->name) : u"? %1 %2"_qs.arg(c.Group).arg(c.Index);
    return !event.text.isEmpty() ? event.text : (c.Kind == 9 ? u"<^"_qs : u"<"_qs) + name + u'>';
}

// The message log keeps a message on one line; its first line is enough to know it.
QString HangUpMessage() { return SerialLink::CablePulledText().section(u"\r\n"_qs, 0, 0); }

void Say(const QString& line) { std::puts(qPrintable(line)); } // stdout is line-buffered

// Field n of /proc/<pid>/<file>, counted from the first after the command's name.
qint64 ProcField(qint64 pid, const char* file, int n)
{
    QFile f(u"/proc/%1/%2"_qs.arg(pid).arg(QString::fromLatin1(file)));
    const QByteArray all = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    return all.mid(all.lastIndexOf(')') + 1).trimmed().split(' ').value(n).toLongLong();
}

// The options the run sets: the model a query reads, a key moved, the toggles, the macro.
void SoakSettings(Settings& s, KeyMap& k, MainWindowSettings& w)
{
    s.ArrivalDisplay = 1;
    s.PdcType = u"N503i"_qs; // a model query makes it P504i
    k.KEY_OnHook = 35;       // End, not Page Down
    w.AlphaOrKana = w.KanaOrRoma = 1;
    w.Xpos = w.Ypos = 0;
    w.MacroFiles = {u"soak.mcr"_qs};
}

struct Soak {
    quint32 seed;
    double minutes;
    bool keepGoing; // past the first fault, which otherwise ends the run

    int run()
    {
        Say(u"soak: seed %1, %2 minutes"_qs.arg(seed).arg(minutes));
        clock_.start();
        phonesim::Handset& h = desk_.handset();
        h.setNumber(u"09012345678"_qs);
        h.setSerial(u"NMABK12ABCD"_qs);
        QObject::connect(&h, &phonesim::Handset::eventDecoded, [this](const WireEvent& e) {
            if (e.type == WireEvent::Type::Key)
                received_ << Token(e);
            modelAsked_ = modelAsked_ || e.type == WireEvent::Type::ModelRequest;
        });
        QObject::connect(&h, &phonesim::Handset::bytesReceived, [this] { lastByteNs_ = clock_.nsecsElapsed(); });
        // A macro that types, presses keys and waits, long enough to be stopped midway.
        const QStringList macro = {u"#soak"_qs, u"<LOOP>%1"_qs.arg(kMacroRepeats), u" <UP>"_qs, u" <TEXT>ab"_qs,
                                   u" <TEN-5>"_qs, u" <WAIT>0.2"_qs, u"<LOOPEND>"_qs};
        const QString macroFolder = MacroFolder(desk_.home() + u'/');
        if (!QDir().mkpath(macroFolder) || !Cp932::WriteLines(macroFolder + u"soak.mcr"_qs, macro).ok
            || !desk_.startPoweredOn(SoakSettings))
            return Say(u"soak: cannot start the program: "_qs + desk_.error()), 2;
        press(u"Num_Lock alt+g"_qs); // the signal levels shown
        // What a person does, how often in a hundred, and whether it waits first for all before it.
        const std::tuple<int, const char*, bool, std::function<void()>> activities[] = {
            {40, "type", false, [this] { type(); }},
            {15, "named keys", false, [this] { namedKeys(); }},
            {7, "paste", true, [this] { paste(Uniform(rng_, 4, 40), false); }},
            {2, "huge paste, power off", true, [this] { paste(Uniform(rng_, 2000, 10'000), true); }},
            {6, "macro", true, [this] { runMacro(); }},
            {6, "number query", true, [this] { numberQuery(); }},
            {3, "signal level", false, [&] { h.sendSignalLevel(Uniform(rng_, 0, 15)); }},
            {2, "service area", false, [&] { h.sendServiceArea(Uniform(rng_, 0, 1)); }},
            {2, "call charge", false, [&] { h.sendCallCharge(Uniform(rng_, 0, 99999)); }},
            {3, "call answered", true, [this] { incomingCall(true); }},
            {2, "call refused", true, [this] { incomingCall(false); }},
            {5, "random bytes", false, [this] { randomBytes(); }},
            {3, "cable pulled", false, [this] { pullCable(); }},
            {4, "power off and on", true, [this] { powerCycle(false); }}, // what is still queued would be cut
        };
        qint64 nextIdleMs = 20'000;
        while (clock_.elapsed() < minutes * 60'000 && desk_.program().state() == QProcess::Running
               && (keepGoing || !faults_)) {
            int roll = Uniform(rng_, 0, 99);
            for (const auto& [weight, name, afterAll, act] : activities)
                if ((roll -= weight) < 0) {
                    log_ << u"%1 s %2"_qs.arg(clock_.elapsed() / 1000).arg(QString::fromLatin1(name));
                    if (afterAll)
                        checkpoint();
                    act();
                    break;
                }
            // Keys pile up across actions too; now and then all must have arrived.
            if (Uniform(rng_, 0, 2) == 0)
                checkpoint();
            if (clock_.elapsed() > nextIdleMs) {
                idleCpu();
                nextIdleMs += 60'000;
            }
        }
        if (desk_.program().state() != QProcess::Running)
            fault(u"the program ended by itself: exit code %1"_qs.arg(desk_.program().exitCode()));
        else
            endAndReadBack();
        const qint64 growthKb = baseKb_ < 0 ? 0 : lastKb_ - baseKb_;
        if (growthKb > 5 * 1024)
            fault(u"resident memory grew by %1 kB"_qs.arg(growthKb));
        Say(u"soak: seed %1, %2 s: %3 keys typed, %4 delivered, %5 messages, peak resident %6 MB, growth %7 kB, "
            "idle CPU at most %8%, %9 faults"_qs.arg(seed).arg(clock_.elapsed() / 1000).arg(typed_).arg(typed_ - lost_)
                .arg(messagesSeen_).arg(double(peakKb_) / 1024, 0, 'f', 1).arg(growthKb).arg(idleMax_ * 100, 0, 'f', 2)
                .arg(faults_));
        return faults_ == 0 ? 0 : 1;
    }

    // Adds what must now reach the handset and the message log, waits until every expected token
    // has arrived (or the line fell silent, where a cut is allowed), then compares what arrived
    // since the last checkpoint and the new messages.
    void checkpoint(const QStringList& tokens = {}, const QStringList& messages = {}, bool cutAllowed = false)
    {
        expected_ << tokens;
        // The line carries a frame in about 150 ms; allow for a slow program on top.
        const int lineMs = int(expected_.size() * 8 * phonesim::Handset::kPacedByteNs / 1'000'000);
        // What a cut leaves must stop within a minute: the power switch acts at once.
        if (cutAllowed && !waitForSilence(2000, 60'000))
            fault(u"the line goes on for more than a minute after the cut"_qs);
        else if (!desk_.waitUntil([&] { return received_.size() >= expected_.size(); },
                                  std::min(lineMs * 2 + 10'000, 120'000)))
            waitForSilence(2000, 10'000);
        waitForSilence(400, 10'000); // anything more that follows, a duplicate
        desk_.waitUntil([&] { return newMessages().size() >= messages.size(); }, 5000);
        const QStringList got = std::exchange(received_, {});
        const QStringList want = std::exchange(expected_, {});
        typed_ += want.size();
        lost_ += std::max<qsizetype>(0, want.size() - got.size());
        if (got != want && !(cutAllowed && want.mid(0, got.size()) == got))
            fault(u"the handset got\n    %1\n  instead of\n    %2\n  (%3 bytes in all)"_qs
                      .arg(got.join(u' '), want.join(u' '))
                      .arg(desk_.handset().received().size()));
        const qsizetype offSettings = desk_.handset().offSettingsCount();
        if (offSettings > std::exchange(offSettingsSeen_, offSettings))
            fault(u"bytes arrived off the line's settings"_qs);
        const QStringList shown = newMessages();
        if (!std::ranges::equal(shown, messages, [](auto& line, auto& text) { return line.contains(text); }))
            fault(u"messages shown: [%1], expected: [%2]"_qs.arg(shown.join(u" | "_qs), messages.join(u" | "_qs)));
        messagesSeen_ += shown.size();
        lastKb_ = ProcField(desk_.program().processId(), "statm", 1) * (sysconf(_SC_PAGESIZE) / 1024); // resident pages
        peakKb_ = std::max(peakKb_, lastKb_);
        // Memory counts from the first minute on, or from half-way through a shorter run.
        if (baseKb_ < 0 && clock_.elapsed() > std::min(60'000.0, minutes * 30'000))
            baseKb_ = lastKb_;
    }

    // Keys of one mode, after the toggles that choose it, typed one by one or all at once; the
    // characters they give are expected.
    void typeIn(const Mode& mode, int length, bool atOnce)
    {
        static const QString toggleKeys[3] = {u"Zenkaku_Hankaku"_qs, u"Eisu_toggle"_qs, u"Muhenkan"_qs};
        const int wanted[3] = {mode.ime, mode.alphaOrKana, mode.kanaOrRoma};
        for (int i = 0; i < (mode.ime ? 3 : 1); ++i) { // with the IME off the other two do nothing
            if (wanted[i] >= 0 && wanted[i] != std::exchange(toggles_[i], wanted[i]))
                press(toggleKeys[i]);
        }
        const QString separator = mode.words ? u" "_qs : QString();
        const QStringList from = QString::fromUtf8(mode.keys).split(separator, Qt::SkipEmptyParts);
        const QStringList to = QString::fromUtf8(mode.out).split(separator, Qt::SkipEmptyParts);
        QString keys;
        while (keys.size() < length) {
            const int i = Uniform(rng_, 0, int(from.size()) - 1);
            keys += from[i];
            expected_ << Characters(to[i]);
        }
        detail(u"%1 \"%2\"%3"_qs.arg(QString::fromLatin1(mode.name), keys, atOnce ? u" at once"_qs : QString()));
        for (const QString& part : atOnce ? QStringList(keys) : keys.split(QString(), Qt::SkipEmptyParts)) {
            ok(desk_.type(part), part);
            if (!atOnce)
                pause(Uniform(rng_, 20, 160));
        }
    }

    void type()
    {
        const Mode& mode = kModes[Uniform(rng_, 0, std::size(kModes) - 1)];
        // Now and then a storm: every key at once, far faster than the line.
        const bool storm = Uniform(rng_, 0, 4) == 0;
        typeIn(mode, storm ? Uniform(rng_, 30, 120) : Uniform(rng_, 2, 16), storm);
    }

    void namedKeys()
    {
        for (int n = Uniform(rng_, 1, 8); n > 0; --n) {
            const NamedKey& k = kNamedKeys[Uniform(rng_, 0, std::size(kNamedKeys) - 1)];
            press(QString::fromLatin1(k.chord));
            expected_ << u"<%1>"_qs.arg(QString::fromLatin1(k.name));
            pause(Uniform(rng_, 0, 200));
        }
    }

    // From a checkpoint: the paste's own first frame then says the program has read the clipboard.
    void paste(int length, bool powerOffMidway)
    {
        QString text;
        while (text.size() < length)
            text += kPastePool.at(Uniform(rng_, 0, int(kPastePool.size()) - 1));
        // The clipboard belongs to a helper on the same display while the program reads it.
        QProcess holder;
        holder.setProcessEnvironment(desk_.environment());
        holder.start(QCoreApplication::applicationFilePath(), {u"--clipboard"_qs, text});
        const auto ready = [&] { return holder.canReadLine() || holder.state() == QProcess::NotRunning; };
        ok(desk_.waitUntil(ready, 10'000), u"the clipboard holder"_qs);
        press(u"ctrl+v"_qs);
        expected_ << Characters(text);
        ok(desk_.waitUntil([&] { return !received_.isEmpty(); }, 10'000),
           u"nothing of the paste arrived "_qs + QString::fromLocal8Bit(holder.readAllStandardError()));
        holder.kill();
        holder.waitForFinished(3000);
        if (powerOffMidway) {
            pause(Uniform(rng_, 500, 3000));
            press(u"alt+p"_qs);
            checkpoint({}, {}, true);
            ok(desk_.powerOn(), u"power on"_qs); // keys typed before the port is open are refused
            press(u"alt+g"_qs);
        }
    }

    void runMacro()
    {
        // ESC midway stops the run (its waits alone last six seconds); ESC after the run is the clear key.
        const int escape = Uniform(rng_, 0, 2); // none, midway, after
        const int escapeMs = Uniform(rng_, 100, 4000);
        detail(escape == 1 ? u"ESC after %1 ms"_qs.arg(escapeMs) : escape ? u"ESC after the run"_qs : u"no ESC"_qs);
        press(u"alt+s"_qs);
        ok(desk_.waitUntil([&] { return !received_.isEmpty(); }, 10'000), u"the macro does not start"_qs);
        for (int i = 0; i < kMacroRepeats; ++i)
            expected_ << u"<UP>"_qs << u"a"_qs << u"b"_qs << u"<TEN-5>"_qs;
        if (escape == 1) {
            pause(escapeMs);
            press(u"Escape"_qs);
        }
        const auto ended = [this] { return !desk_.windowTitle(desk_.windows().value(0)).contains(u"ESC"); };
        ok(desk_.waitUntil(ended, 60'000), u"the macro run does not end"_qs);
        if (escape == 2)
            press(u"Escape"_qs);
        checkpoint(escape == 2 ? QStringList{u"<CLEAR>"_qs} : QStringList(),
                   escape == 1 ? QStringList{kAbortMessage} : QStringList(), escape == 1);
    }

    void numberQuery()
    {
        using Faults = phonesim::Handset::ReplyFaults;
        static const std::pair<const char*, Faults> kFaults[] = {
            {"delay 6500", {.delayMs = 6500}}, {"garble on", {.garble = true}}, {"cut 3", {.cutAfter = 3}},
            {"vanish 5", {.vanishAfter = 5}}};
        const int fault = Uniform(rng_, -4, 3); // half of the queries meet a fault
        detail(QString::fromLatin1(fault >= 0 ? kFaults[fault].first : "no fault"));
        phonesim::Handset& h = desk_.handset();
        h.setReplyFaults(fault >= 0 ? kFaults[fault].second : Faults{});
        modelAsked_ = false;
        press(u"alt+n"_qs);
        if (fault < 0) {
            ok(desk_.waitUntil([this] { return modelAsked_; }, 10'000), u"no model request"_qs);
            modelRead_ = true;
        }
        pause(fault < 0 ? 500 : 7000); // a failed reply ends after the reply timeout
        h.setReplyFaults({});
        checkpoint({}, fault == 3 ? QStringList{HangUpMessage()} : QStringList());
        if (fault == 3)
            powerCycle(true);
    }

    void incomingCall(bool answer)
    {
        // The message log answers the question as this file says.
        ok(WriteFile(desk_.home() + u"/messages.log.answer"_qs, answer ? "yes" : "no"), u"the answer file"_qs);
        desk_.handset().sendIncomingCall();
        checkpoint(answer ? QStringList{u"<OFF-HOOK>"_qs} : QStringList(), {PhoneBytes::IncomingCallText()});
    }

    void randomBytes()
    {
        // Anything but the incoming call, whose question the call's own step asks.
        QByteArray bytes;
        for (int n = Uniform(rng_, 1, 64); n > 0; --n)
            bytes += char(Uniform(rng_, 0, 255));
        bytes.removeIf([](char b) { return b == '\xA5'; });
        detail(QString::fromLatin1(bytes.toHex()));
        desk_.handset().send(bytes);
    }

    void pullCable()
    {
        // Sometimes with frames still on their way, which the pull cuts.
        const bool busy = Uniform(rng_, 0, 1);
        if (busy)
            typeIn(kModes[0], 60, true);
        else
            checkpoint();
        pause(busy ? Uniform(rng_, 200, 3000) : 0);
        desk_.handset().hangUp();
        checkpoint({}, {HangUpMessage()}, busy);
        powerCycle(true);
    }

    void powerCycle(bool replug)
    {
        // The handset comes back at the same path before the user switches off and on.
        QString error;
        if (replug)
            ok(desk_.handset().start(&error) && desk_.handset().linkAs(desk_.home(), 1, &error), error);
        press(u"alt+p"_qs);
        ok(desk_.waitUntil([this] { return !desk_.portOpen(); }), u"power off"_qs);
        ok(desk_.powerOn(), u"power on"_qs);
        press(u"alt+g"_qs);
        pause(300);
        checkpoint();
    }

    void idleCpu()
    {
        checkpoint();
        const qint64 pid = desk_.program().processId();
        const auto ticks = [&] { return ProcField(pid, "stat", 11) + ProcField(pid, "stat", 12); }; // user, system
        const qint64 before = ticks(), startMs = clock_.elapsed();
        pause(4000);
        const double ms = double(clock_.elapsed() - startMs);
        const double share = double(ticks() - before) / double(sysconf(_SC_CLK_TCK)) / ms * 1000;
        idleMax_ = std::max(idleMax_, share);
        if (share > 0.01)
            fault(u"idle CPU %1% of a core"_qs.arg(share * 100, 0, 'f', 2));
    }

    void endAndReadBack()
    {
        checkpoint();
        if (!desk_.endProgram(20'000))
            return fault(u"the program does not end"_qs);
        // Every line of both files as the run set them; the window's place is the program's own.
        const LoadedSettings read = LoadSettingsIn(desk_.home() + u'/', QSize(1 << 20, 1 << 20));
        LoadedSettings want;
        SoakSettings(want.settings, want.keyMap, want.window);
        want.settings.PdcType = modelRead_ ? u"P504i"_qs : want.settings.PdcType;
        std::tie(want.window.AlphaOrKana, want.window.KanaOrRoma) = std::tuple(toggles_[1], toggles_[2]);
        std::tie(want.window.Xpos, want.window.Ypos) = std::tuple(read.window.Xpos, read.window.Ypos);
        const auto lines = [](auto& l) { return SettingsFileLines(l.settings, l.window) + KeyMapFileLines(l.keyMap); };
        if (lines(read) != lines(want))
            fault(u"the settings read back as\n    %1\n  instead of\n    %2"_qs.arg(lines(read).join(u' '),
                                                                                 lines(want).join(u' ')));
    }

    void press(const QString& chords) { ok(desk_.keys(chords), chords); }
    void pause(int ms) { WaitSeconds(float(ms) / 1000.0f); }
    void ok(bool done, const QString& what)
    {
        if (!done)
            fault(what + u": "_qs + desk_.error());
    }
    void fault(const QString& what)
    {
        ++faults_;
        Say(u"FAULT (seed %1, %2 s): %3"_qs.arg(seed).arg(clock_.elapsed() / 1000).arg(what));
        Say(u"  last actions: "_qs + log_.mid(std::max<qsizetype>(0, log_.size() - 8)).join(u"; "_qs));
    }
    void detail(const QString& what) { log_.last() += u", "_qs + what; }
    QStringList newMessages() { return desk_.messages().mid(messagesSeen_); }
    bool waitForSilence(int quietMs, int timeoutMs)
    {
        const qint64 quietNs = qint64(quietMs) * 1'000'000;
        return desk_.waitUntil([&] { return clock_.nsecsElapsed() - lastByteNs_ > quietNs; }, timeoutMs);
    }

    RealDesktop desk_{{.layout = u"jp"_qs, .inputMethod = true}};
    std::mt19937 rng_{seed};
    QElapsedTimer clock_ = {};
    QStringList log_ = {}; // the actions with their start, for the report of a fault
    // What arrived since the last checkpoint, every key frame as a token, and what must arrive.
    QStringList received_ = {}, expected_ = {};
    qsizetype messagesSeen_ = 0, offSettingsSeen_ = 0;
    qint64 lastByteNs_ = 0;
    int toggles_[3] = {1, 1, 1}; // IME on, AlphaOrKana, KanaOrRoma
    bool modelAsked_ = false, modelRead_ = false;
    // Figures for the report.
    qint64 typed_ = 0, lost_ = 0, peakKb_ = 0, baseKb_ = -1, lastKb_ = 0;
    double idleMax_ = 0;
    int faults_ = 0;
};

// The clipboard's owner for a paste: takes the text as its argument and serves it until killed.
int HoldClipboard(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    QGuiApplication::clipboard()->setText(QGuiApplication::arguments().value(2));
    Say(u"ready"_qs);
    return QGuiApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc > 1 && QByteArrayView(argv[1]) == "--clipboard")
        return HoldClipboard(argc, argv);
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOptions({{u"minutes"_qs, u"How long to run."_qs, u"N"_qs, u"2"_qs},
                       {u"seed"_qs, u"The seed to replay; a fresh one if absent."_qs, u"S"_qs},
                       {u"keep-going"_qs, u"Go on after a fault."_qs}});
    parser.process(app);
    const QString seed = parser.value(u"seed"_qs);
    const quint32 s = seed.isEmpty() ? QRandomGenerator::system()->generate() : seed.toUInt();
    Soak soak{.seed = s, .minutes = parser.value(u"minutes"_qs).toDouble(), .keepGoing = parser.isSet(u"keep-going"_qs)};
    return soak.run();
}
