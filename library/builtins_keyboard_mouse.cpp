// KBD, MUS, MUSORG and GETKEYSTATE: synthetic key and mouse events through the desktop platform, the choice
// between relative and absolute mouse coordinates, and the "pressed just now" test of a key.
#include "builtin_support.h"
#include "desktop_platform.h"
#include "library_state.h"
#include "value_ops.h"
#include "wait_milliseconds.h"

namespace {

constexpr int32_t kActionPress = 0;
constexpr int32_t kActionDown = 1;
constexpr int32_t kActionUp = 2;
// Extra information carried by the key-up that ends a PRESS, so a reader of the events can tell it from a
// key-up the macro asked for on its own.
constexpr uint32_t kPressUpExtraInfo = 10;

constexpr int32_t kMouseLeftPress = 6;
constexpr int32_t kMouseRightPress = 24;
constexpr int32_t kMouseMiddlePress = 96;
constexpr int32_t kMouseMoveOnly = 1;

constexpr uint16_t kStateDownAndPressed = 0x8001;

const std::u16string kMsgZeroOrOne = u"引数には0か1を与えてください";

void SendKey(BuiltinCall& call, uint8_t key, uint32_t flags, uint32_t extraInfo) {
    call.services.desktop->SendKeyEvent(key, flags, extraInfo);
    if ((flags & DesktopPlatform::kKeyUp) != 0)
        call.services.held.KeyUp(key);
    else
        call.services.held.KeyDown(key);
}

// The events of one KBD call; a key outside one byte fails with overflow and sends nothing.
int SendKeyAction(BuiltinCall& call, int32_t key, bool hasAction, int32_t action) {
    if (key < 0 || key > 255) return kFailOverflow;
    const uint8_t code = static_cast<uint8_t>(key);
    if (!hasAction || action == kActionDown) {
        SendKey(call, code, 0, 0);
    } else if (action == kActionPress) {
        SendKey(call, code, 0, 0);
        SendKey(call, code, DesktopPlatform::kKeyUp, kPressUpExtraInfo);
    } else if (action == kActionUp) {
        SendKey(call, code, DesktopPlatform::kKeyUp, 0);
    }
    return kFailNone;
}

// KBD key [, action [, delay]]: the delay comes before the events; only a key sends a lone key-down.
void BuiltinKbd(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() >= 1 && call.Count() <= 3, kMsgCountMismatch)) return;
    if (!RequireDisplay(call, DesktopPart::Input)) return;
    TrappedSection section;
    int32_t key = 0;
    int32_t action = 0;
    int32_t delay = 0;
    section.Step(WholeNumberOf(call.Arg(0), key));
    if (call.Count() >= 2) section.Step(WholeNumberOf(call.Arg(1), action));
    if (call.Count() == 3) {
        section.Step(WholeNumberOf(call.Arg(2), delay));
        WaitMilliseconds(call.services, delay);
    }
    section.Step(SendKeyAction(call, key, call.Count() >= 2, action));
    call.result = MacroValue::Int16(0);
    section.Report(call.error);
}

void SendMouse(BuiltinCall& call, uint32_t flags, int32_t x, int32_t y) {
    call.services.desktop->SendMouseEvent(flags, x, y);
    call.services.held.MouseButtons(flags);
}

// The events of one MUS action: a move first, then the button bits of the action.
void SendMouseAction(BuiltinCall& call, int32_t action, int32_t x, int32_t y) {
    const uint32_t base = LibraryState::MouseAbsolute == 1 ? DesktopPlatform::kMouseAbsolute : 0;
    SendMouse(call, base + DesktopPlatform::kMouseMove, x, y);
    switch (action) {
    case kMouseMoveOnly:
        return;
    case kMouseLeftPress:
        SendMouse(call, base + DesktopPlatform::kMouseLeftDown, x, y);
        SendMouse(call, base + DesktopPlatform::kMouseLeftUp, x, y);
        return;
    case kMouseRightPress:
        SendMouse(call, base + DesktopPlatform::kMouseRightDown, x, y);
        SendMouse(call, base + DesktopPlatform::kMouseRightUp, x, y);
        return;
    case kMouseMiddlePress:
        SendMouse(call, base + DesktopPlatform::kMouseMiddleDown, x, y);
        SendMouse(call, base + DesktopPlatform::kMouseMiddleUp, x, y);
        return;
    default:
        SendMouse(call, base + static_cast<uint32_t>(action), x, y);
        return;
    }
}

// MUS action, x, y [, delay]: after a SETWIN the pointer first goes to the window origin.
void BuiltinMus(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() == 3 || call.Count() == 4, kMsgCountMismatch)) return;
    if (!RequireDisplay(call, DesktopPart::Input)) return;
    TrappedSection section;
    int32_t action = 0;
    int32_t x = 0;
    int32_t y = 0;
    section.Step(WholeNumberOf(call.Arg(0), action));
    section.Step(WholeNumberOf(call.Arg(1), x));
    section.Step(WholeNumberOf(call.Arg(2), y));
    if (LibraryState::OriginSet)
        call.services.desktop->SetPointerPosition(LibraryState::OriginX, LibraryState::OriginY);
    if (call.Count() == 4) {
        int32_t delay = 0;
        section.Step(WholeNumberOf(call.Arg(3), delay));
        WaitMilliseconds(call.services, delay);
    }
    SendMouseAction(call, action, x, y);
    call.result = MacroValue::Int16(0);
    section.Report(call.error);
}

// MUSORG mode: 0 relative, 1 absolute; a value that cannot be read counts as 0.
void BuiltinMusOrg(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() == 1, kMsgCountMismatch)) return;
    TrappedSection section;
    int32_t mode = 0;
    section.Step(WholeNumberOf(call.Arg(0), mode));
    if (mode != 0 && mode != 1) {
        call.error.Report(kBuiltinErrorCode, kMsgZeroOrOne);
        return;
    }
    LibraryState::MouseAbsolute = static_cast<int16_t>(mode);
    call.result = MacroValue::Int16(0);
    section.Report(call.error);
}

// GETKEYSTATE key: 1 only when the key is down now and was pressed since the previous query.
void BuiltinGetKeyState(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() == 1, kMsgCountMismatch)) return;
    if (!RequireDisplay(call, DesktopPart::Input)) return;
    call.result = MacroValue::Int16(0);
    TrappedSection section;
    int32_t key = 0;
    if (section.Step(WholeNumberOf(call.Arg(0), key))) {
        const uint16_t state = call.services.desktop->AsyncKeyState(key);
        if (state == kStateDownAndPressed) call.result = MacroValue::Int16(1);
    }
    section.Report(call.error);
}

} // namespace

void RegisterKeyboardMouseBuiltins(BuiltinTable& table) {
    table.Add(u"KBD", UsingTheDisplay<BuiltinKbd>);
    table.Add(u"MUS", UsingTheDisplay<BuiltinMus>);
    table.Add(u"MUSORG", BuiltinMusOrg);
    table.Add(u"GETKEYSTATE", UsingTheDisplay<BuiltinGetKeyState>);
}
