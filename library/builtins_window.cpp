// GETWINID, SETWIN and CTRLWIN: finding a top-level window, moving and sizing it (and making its corner the
// origin of later MUS calls), and sending it a system command such as maximise, minimise or restore.
#include "builtin_support.h"
#include "desktop_platform.h"
#include "library_state.h"
#include "value_ops.h"

namespace {

constexpr int32_t kShowNormal = 1;
constexpr int32_t kShowMinimised = 2;
constexpr int32_t kShowMaximised = 3;

// The short number of a value: the whole number, which must fit a signed 16-bit integer.
int ShortNumberOf(const MacroValue& value, int16_t& out) {
    int32_t whole = 0;
    int failure = WholeNumberOf(value, whole);
    if (failure != kFailNone) return failure;
    if (whole < INT16_MIN || whole > INT16_MAX) return kFailOverflow;
    out = static_cast<int16_t>(whole);
    return kFailNone;
}

int ShortNumberOf(int32_t whole, int16_t& out) {
    return ShortNumberOf(MacroValue::Int32(whole), out);
}

// GETWINID class [, title]: the class text is always passed, so "" asks for an empty class.
void BuiltinGetWinId(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() == 1 || call.Count() == 2, kMsgCountMismatch)) return;
    if (!RequireDisplay(call, DesktopPart::Windows)) return;
    TrappedSection section;
    std::u16string className;
    std::u16string title;
    section.Step(TextOf(call.Arg(0), className));
    if (call.Count() == 2) section.Step(TextOf(call.Arg(1), title));
    const int32_t handle =
        call.services.desktop->FindTopLevelWindow(className, call.Count() == 2 ? &title : nullptr);
    call.result = MacroValue::Int32(handle);
    section.Report(call.error);
}

// SETWIN window [, x, y [, width, height]]. With one or three arguments the size is the window's own; a
// minimised or maximised window then has no size to keep and is left where it is (result 0).
void BuiltinSetWin(BuiltinCall& call) {
    call.error.Clear();
    const int32_t count = call.Count();
    if (!CheckCount(call, count == 1 || count == 3 || count == 5, kMsgCountMismatch)) return;
    if (!RequireDisplay(call, DesktopPart::Windows)) return;
    DesktopPlatform& desktop = *call.services.desktop;
    TrappedSection section;
    int32_t window = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool sizeKnown = false;
    section.Step(WholeNumberOf(call.Arg(0), window));
    if (count >= 3) {
        section.Step(ShortNumberOf(call.Arg(1), LibraryState::OriginX));
        section.Step(ShortNumberOf(call.Arg(2), LibraryState::OriginY));
    }
    if (count == 5) {
        section.Step(WholeNumberOf(call.Arg(3), width));
        section.Step(WholeNumberOf(call.Arg(4), height));
        sizeKnown = true;
    } else {
        WindowPlacement placement;
        desktop.GetPlacement(window, placement);
        if (placement.showState == kShowNormal) {
            if (count == 1) {
                section.Step(ShortNumberOf(placement.left, LibraryState::OriginX));
                section.Step(ShortNumberOf(placement.top, LibraryState::OriginY));
            }
            width = placement.right - placement.left;
            height = placement.bottom - placement.top;
            sizeKnown = true;
            call.result = MacroValue::Int16(1);
        } else if (placement.showState == kShowMinimised || placement.showState == kShowMaximised) {
            call.result = MacroValue::Int16(0);
        }
    }
    if (sizeKnown) desktop.MoveWindow(window, LibraryState::OriginX, LibraryState::OriginY, width, height);
    section.Report(call.error);
    if (call.error.ErrorCode() == 0) LibraryState::OriginSet = true;
}

// CTRLWIN window, command: any command number goes through; the answer is the result.
void BuiltinCtrlWin(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() == 2, kMsgCountMismatch)) return;
    if (!RequireDisplay(call, DesktopPart::Windows)) return;
    TrappedSection section;
    int32_t window = 0;
    int32_t command = 0;
    section.Step(WholeNumberOf(call.Arg(0), window));
    section.Step(WholeNumberOf(call.Arg(1), command));
    call.result = MacroValue::Int32(call.services.desktop->SendSystemCommand(window, command));
    section.Report(call.error);
}

} // namespace

void RegisterWindowBuiltins(BuiltinTable& table) {
    table.Add(u"GETWINID", UsingTheDisplay<BuiltinGetWinId>);
    table.Add(u"SETWIN", UsingTheDisplay<BuiltinSetWin>);
    table.Add(u"CTRLWIN", UsingTheDisplay<BuiltinCtrlWin>);
}
