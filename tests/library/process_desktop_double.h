// A desktop-platform double for the process, wait and sound built-ins: it records program starts and media
// commands, answers them from a script, and has a fake millisecond clock that moves on every reading.
#pragma once

#include "builtin_table.h"
#include "desktop_platform.h"
#include "library_test_support.h"

#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace testing_support {

class ProcessDesktopDouble : public DesktopPlatform {
  public:
    struct Start {
        std::u16string commandLine;
        int32_t style;
    };
    std::vector<Start> starts;
    int startFailure = 0;
    double nextProcessId = 4242;

    std::vector<std::u16string> commands;
    std::deque<int32_t> answers; // next media answers; 0 once exhausted
    // Called in place of the media layer's own wait: how many wait turns a command takes, -1 for none.
    int waitTurnsPerCommand = -1;
    int waitTurnsTaken = 0;
    bool waitEndedEarly = false;

    // The clock reads clockNow, then moves on by clockStep, on every reading.
    uint32_t clockNow = 0;
    uint32_t clockStep = 1;
    int clockReads = 0;
    std::function<void()> onClockRead;

    bool HasDisplay() const override { return false; }
    void SendKeyEvent(uint8_t, uint32_t, uint32_t) override {}
    void SendMouseEvent(uint32_t, int32_t, int32_t) override {}
    uint16_t AsyncKeyState(int32_t) override { return 0; }
    void SetPointerPosition(int32_t, int32_t) override {}
    int32_t FindTopLevelWindow(const std::u16string&, const std::u16string*) override { return 0; }
    bool GetPlacement(int32_t, WindowPlacement&) override { return false; }
    void MoveWindow(int32_t, int32_t, int32_t, int32_t, int32_t) override {}
    int32_t SendSystemCommand(int32_t, int32_t) override { return 0; }
    void ScreenSize(int32_t& width, int32_t& height) override { width = height = 0; }
    int32_t ReadPixel(int32_t, int32_t) override { return -1; }
    int CaptureScreen(PixelGrid&) override { return 5; }
    int LoadImageFile(const std::u16string&, PixelGrid&) override { return 53; }

    int StartProcess(const std::u16string& commandLine, int32_t windowStyle, double& processId) override {
        starts.push_back({commandLine, windowStyle});
        if (startFailure != 0) return startFailure;
        processId = nextProcessId;
        return 0;
    }
    int32_t MillisecondClock() override {
        ++clockReads;
        if (onClockRead) onClockRead();
        const uint32_t now = clockNow;
        clockNow += clockStep;
        return static_cast<int32_t>(now);
    }
    int32_t SendMediaCommand(const std::u16string& command, const WaitTurn& waitTurn) override {
        commands.push_back(command);
        for (int i = 0; i < waitTurnsPerCommand; ++i) {
            ++waitTurnsTaken;
            if (!waitTurn()) {
                waitEndedEarly = true;
                break;
            }
        }
        if (answers.empty()) return 0;
        const int32_t answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// Calls one built-in as the dispatch would, with this desktop, an optional user interface and an optional
// stop flag.
inline BuiltinOutcome CallWithDesktop(const std::u16string& name, std::initializer_list<MacroValue> args,
                                      DesktopPlatform* desktop, UserInterface* ui = nullptr,
                                      const bool* stop = nullptr) {
    BuiltinOutcome out;
    cMoMacro_Token list;
    for (const MacroValue& v : args) list.Add(v, ttNumber);
    BuiltinServices services;
    services.ui = ui;
    services.desktop = desktop;
    services.stopRequested = [stop] { return stop != nullptr && *stop; };
    out.error.Report(5, u"未定義の関数/変数が使用されました - " + name);
    BuiltinFunction function = StandardBuiltins().Find(name);
    if (function == nullptr) return out;
    BuiltinCall call{name, list, out.result, out.error, services};
    function(call);
    return out;
}

} // namespace testing_support
