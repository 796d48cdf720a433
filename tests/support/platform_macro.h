// PlatformMacro: the macro facade on a desktop platform the test chooses, with its PRINT lines collected;
// the desktop tests give it the platform of their display, the GNOME Shell tests a Wayland one.
#pragma once

#include "codepage.h"
#include "desktop_platform.h"
#include "library_state.h"
#include "macro_facade.h"
#include "value_ops.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

class PlatformMacro {
  public:
    explicit PlatformMacro(std::unique_ptr<DesktopPlatform> desktop)
        : desktop_(std::move(desktop)), macro_(nullptr, desktop_.get()) {
        LibraryState::ResetForRunFromTop();
        macro_.SetSyncRun(true);
        macro_.SetPrintOut([this](const std::u16string& line) { printed.push_back(ToUtf8(line)); });
    }
    // Parses and runs the lines; returns the final code.
    int32_t Run(const std::vector<std::string>& lines) {
        std::u16string text;
        for (const std::string& line : lines) text += FromUtf8(line) + u"\r\n";
        macro_.SetMacroText(text);
        if (macro_.Error().ErrorCode() != 0) return macro_.Error().ErrorCode();
        return macro_.Run();
    }
    // One expression; its value as text, or "error N: information".
    std::string Eval(const std::string& expression) {
        const MacroValue value = macro_.ComputeLine(FromUtf8(expression));
        if (macro_.Error().ErrorCode() != 0)
            return "error " + std::to_string(macro_.Error().ErrorCode()) + ": " +
                   ToUtf8(macro_.Error().ErrorInformation());
        return ToUtf8(ToText(value));
    }
    std::string Info() { return ToUtf8(macro_.Error().ErrorInformation()); }
    DesktopPlatform& Desktop() { return *desktop_; }
    // Ends the platform (its connection and temporary key bindings) before the test looks at the result.
    void Close() { desktop_.reset(); }

    std::vector<std::string> printed;

  private:
    std::unique_ptr<DesktopPlatform> desktop_;
    cMoMacro macro_;
};

} // namespace testing_support
