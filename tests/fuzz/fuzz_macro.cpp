// libFuzzer target: any bytes as a macro file, read into command lines and walked to the end
// by the interpreter over a host that only counts (a run is cut off after many commands, as
// ESC would), then checked and laid out as the editor's save would.
#include "macros/MacroFile.h"
#include "macros/MacroWalk.h"
#include "platform/Cp932.h"
#include "settings/Settings.h"
#include "Require.h"

namespace {

struct CountingHost : MacroHost {
    long commands = 0;
    void ProcessEvents() override { ++commands; }
    bool TakeAbort() override { return commands > 20'000; }
    void EnableControls(bool) override {}
    void TypeCharacter(const QString& c) override { Require(c.size() == 1); }
    void WaitSeconds(float) override {}
    void ShowDialog(const QString& m) override { Require(!m.isEmpty()); }
    void ShowError(const QString& m) override { Require(!m.isEmpty()); }
    void KeyDown(int key, int flags) override { Require(key >= 0 && key <= 0x7fff && flags >= 0 && flags <= 3); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QStringList lines =
        Cp932::SplitLines(Cp932::Decode(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))));
    const MacroProgram program = ReadMacroCommands(lines);
    Require(program.lines.size() == program.lineNumbers.size());
    for (qsizetype i = 1; i < program.lineNumbers.size(); ++i)
        Require(program.lineNumbers[i] > program.lineNumbers[i - 1]);
    for (const std::int16_t error : {std::int16_t(1), std::int16_t(0)}) {
        CountingHost host;
        const std::int16_t result = MacroExecute(program, host, {0.5f, error}, KeyMap{});
        Require(result >= 0 && result <= 2);
    }
    const QStringList written = MacroFileLines(u"t"_qs, program.lines);
    Require(written.size() == program.lines.size() + 1);
    // Laid out again, the lines read back as the same commands.
    Require(ReadMacroCommands(written).lines == program.lines);
    (void)MacroSaveRefusal(u"t"_qs, u"f"_qs, program.lines);
    return 0;
}
