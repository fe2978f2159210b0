#include "InputMethod.h"

namespace {

KeyboardStateBytes& State()
{
    static KeyboardStateBytes state{};
    return state;
}

} // namespace

KeyboardStateBytes GetKeyboardState() { return State(); }

void NoteKeyDown(int virtualKey, bool down)
{
    if (virtualKey <= 0 || virtualKey > 255)
        return;
    State()[std::size_t(virtualKey)] = down ? 0x80 : 0;
}
