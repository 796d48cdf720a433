// What the sway tests share: the GTK recorder and foot started as clients of the test's sway, the
// recorder's JSON lines read back, macros run through the QuillonMacro program, and sway's tree seen
// from outside through swaymsg.
#pragma once

#include "sway_json_values.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// True when the test runs inside run-with-sway.sh.
bool SwayRunning();

// One GTK recorder window; stopped when destroyed.
class Recorder {
  public:
    // Starts it and waits until it says it is ready (mapped, drawn and focused); Ready() tells whether it
    // did.
    Recorder(const QString& appId, const QString& title, bool fullscreen = false,
             const QString& picture = {});
    ~Recorder();
    bool Ready() const { return ready_; }
    // The events written so far (after waiting `settleMs` for late ones).
    std::vector<rapidjson::Document> Events(int settleMs = 300) const;
    // The "key" events' keyvals with + for down and - for up, in order: "+Shift_L +A -A -Shift_L".
    std::string Keys(int settleMs = 300) const;
    // The keys once they read `expected` and 300 ms later, for any extra ones; a busy machine may take
    // seconds to pass the last events on, so this waits up to 10 s before returning what there is.
    std::string KeysAwaited(const std::string& expected) const;
    // The events once `done` holds for them (up to 10 s) and 300 ms later.
    std::vector<rapidjson::Document>
    EventsAwaited(const std::function<bool(const std::vector<rapidjson::Document>&)>& done) const;
    void Clear();

  private:
    QTemporaryDir dir_;
    QString out_;
    QProcess process_;
    bool ready_ = false;
};

// What a QuillonMacro run printed and how it ended.
struct MacroRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the macro text with the QuillonMacro program (no window), waiting at most `limitMs`.
MacroRun RunMacro(const std::string& text, int limitMs = 30000);

// What `swaymsg -r` answers to the arguments, as JSON.
rapidjson::Document SwayMessage(const QStringList& arguments);
// sway's tree as `swaymsg -t get_tree` gives it, and the first window with the app id.
rapidjson::Document SwayTree();
const rapidjson::Value* SwayWindow(const rapidjson::Value& tree, const std::string& appId);
// Waits (up to a few seconds) until sway lists a window with that app id.
bool WaitForSwayWindow(const std::string& appId);
