#include "KeyRules.h"

#include "platform/VirtualKeys.h"
#include "settings/Settings.h"

namespace {

// Keypad 1 to 9 with TenKeySwap 1: a phone's rows run the other way up.
constexpr int kSwappedPad[] = {7, 8, 9, 4, 5, 6, 1, 2, 3};

KeyCode Code(std::uint8_t kind, int group, int index)
{
    return KeyCode{kind, std::uint8_t(group), std::uint8_t(index)};
}

} // namespace

KeyRuleResult NamedKeyRule(const KeyRuleInput& in, const KeyMap& map)
{
    const std::uint8_t kind = in.ctrl ? KeyKind::NamedModified : KeyKind::Named;
    const int key = in.key;
    KeyRuleResult r;
    // 0 is no key, and a key map entry of 0 stands for none.
    if (key == 0)
        return r;
    auto send = [&r](int rule, KeyCode code) {
        r.rule = rule;
        r.codes.append(code);
        return r;
    };

    if (key == map.KEY_Left)
        return send(1, Code(kind, 1, 3));
    if (key == map.KEY_Up)
        return send(2, Code(kind, 1, 1));
    if (key == map.KEY_Right)
        return send(3, Code(kind, 1, 4));
    if (key == map.KEY_Down)
        return send(4, Code(kind, 1, 2));
    if (key == map.KEY_OK) {
        r.recordLineBreak = true;
        return send(5, in.shiftHeld ? Code(kind, 3, 1) : Code(kind, 6, 2));
    }
    if (key == map.KEY_Clear1) {
        r.rule = 6;
        if (!in.inputEmpty)
            return r;
        if (in.bsEmulation == 1) {
            r.codes = {Code(KeyKind::Named, 1, 3), Code(KeyKind::Named, 6, 3)};
            return r;
        }
        return send(6, Code(in.shiftHeld || in.ctrl ? KeyKind::NamedModified : KeyKind::Named, 6, 3));
    }
    if (key == map.KEY_Clear2 || key == map.KEY_Clear3) {
        r.rule = 7;
        if (!in.inputEmpty)
            return r;
        return send(7, Code(in.shiftHeld || in.ctrl ? KeyKind::NamedModified : KeyKind::Named, 6, 3));
    }
    if (key == map.KEY_SubMenu)
        return send(8, Code(kind, 6, 4));
    if (key == map.KEY_CharChange)
        return send(9, Code(kind, 6, 5));
    if (key >= Vk::F1 && key <= Vk::F12 && !in.shiftHeld)
        return send(10, Code(kind, 3, key - 111));
    if (key >= Vk::F1 && key <= Vk::F3)
        return send(11, Code(kind, 3, key - 99));
    if (key >= Vk::F4 && key <= Vk::F12)
        return send(12, Code(kind, 4, key - 114));
    if (key == Vk::Pad0 || (key >= Vk::Pad1 && key <= Vk::Pad9) || key == Vk::PadStar || key == Vk::PadMinus) {
        r.tenKey = true;
        if (key == Vk::Pad0)
            return send(13, Code(kind, 2, 10));
        if (key == Vk::PadStar)
            return send(15, Code(kind, 2, 12));
        if (key == Vk::PadMinus)
            return send(16, Code(kind, 2, 11));
        const int digit = key - Vk::Pad0;
        return send(14, Code(kind, 2, in.tenKeySwap == 1 ? kSwappedPad[digit - 1] : digit));
    }
    if (key == map.KEY_OffHook)
        return send(17, Code(kind, 2, 14));
    if (key == map.KEY_OnHook)
        return send(18, Code(kind, 2, 13));
    return r;
}
