// The interpreter's walk over a macro's command lines: loops, text, waits, dialogs, Ctrl and
// the key tags. It knows nothing of windows; what a command does reaches the host.
#pragma once

#include "macros/MacroCommands.h"

#include <cstdint>

struct KeyMap;

class MacroHost {
public:
    virtual ~MacroHost() = default;
    // Lets the user interface handle what is pending (ESC among it).
    virtual void ProcessEvents() = 0;
    // Whether ESC asked the run to stop; asking clears the request.
    virtual bool TakeAbort() = 0;
    virtual void EnableControls(bool enable) = 0;
    virtual void TypeCharacter(const QString& character) = 0;
    virtual void WaitSeconds(float seconds) = 0;
    // A message with the information icon; the run goes on when it is closed.
    virtual void ShowDialog(const QString& message) = 0;
    // A message with the error icon.
    virtual void ShowError(const QString& message) = 0;
    virtual void KeyDown(int key, int flags) = 0;
};

struct MacroOptions {
    float MacroWait = 0.0f;        // seconds after every command; 0 or less: none
    std::int16_t MacroError = 1;   // 1: a bad command stops the run with a report
};

namespace MacroResult {
inline constexpr std::int16_t Finished = 0;
inline constexpr std::int16_t Stopped = 1;
inline constexpr std::int16_t Failed = 2;
} // namespace MacroResult

// Walks the program to its end, to ESC or to a reported error. Loops nest without native
// recursion, so any depth a file can hold is walked.
std::int16_t MacroExecute(const MacroProgram& program, MacroHost& host, const MacroOptions& options,
                          const KeyMap& keyMap);

// The message of an unbalanced <LOOP>/<LOOPEND>, also the macro editor's.
QString LoopBalanceMessage();
