// Turns a recording into macro lines: one pass over the events, keeping which keys and buttons are down, the
// time of the last written action (for WAIT) and the last written pointer position (for thinning and for
// relative motions).
#include "recorded_lines.h"

#include "quick_input_keys.h"
#include "quick_input_lines.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace {

using Kind = RecordedInput::Kind;

constexpr int64_t kWaitAfterButtonMs = 30;

int32_t PlainKey(int32_t key) {
    switch (key) {
    case 0xA0:
    case 0xA1:
        return 0x10; // Shift
    case 0xA2:
    case 0xA3:
        return 0x11; // Ctrl
    case 0xA4:
    case 0xA5:
        return 0x12; // Alt
    default:
        return key;
    }
}

QString ButtonName(int32_t button, const char* what) {
    static const char* const kNames[] = {"LEFT", "RIGHT", "MIDDLE"};
    return QString::fromLatin1(kNames[std::clamp(button, 1, 3) - 1]) + QString::fromLatin1(what);
}

bool IsAction(const RecordedInput& event) {
    return event.kind != Kind::Motion;
}

int64_t Distance(int32_t ax, int32_t ay, int32_t bx, int32_t by) {
    return std::max(std::abs(static_cast<int64_t>(ax) - bx), std::abs(static_cast<int64_t>(ay) - by));
}

class LineWriter {
  public:
    LineWriter(const std::vector<RecordedInput>& events, const RecordingOptions& options)
        : events_(events), options_(options) {
        if (!events.empty()) {
            pointerX_ = events.front().x;
            pointerY_ = events.front().y;
            lastTime_ = events.front().milliseconds;
        }
        lines_ << (options.absolute ? QStringLiteral("MUSORG 1") : QStringLiteral("MUSORG 0"));
    }

    QStringList Write() {
        for (size_t i = 0; i < events_.size(); ++i) {
            const RecordedInput& event = events_[i];
            switch (event.kind) {
            case Kind::KeyDown:
                KeyDown(i);
                break;
            case Kind::KeyUp:
                KeyUp(event);
                break;
            case Kind::ButtonDown:
                ButtonDown(i);
                break;
            case Kind::ButtonUp:
                ButtonUp(event);
                break;
            case Kind::Motion:
                Motion(event);
                break;
            }
        }
        ReleaseWhatIsHeld();
        return lines_;
    }

  private:
    bool Ignored(int32_t key) const {
        return std::find(options_.ignoredKeys.begin(), options_.ignoredKeys.end(), key) !=
               options_.ignoredKeys.end();
    }

    // The next key or button event after `index` that will be written, or null: the auto-repeat of the
    // key that went down at `index` and ignored keys are passed over.
    const RecordedInput* NextAction(size_t index) const {
        const RecordedInput& from = events_[index];
        for (size_t i = index + 1; i < events_.size(); ++i) {
            const RecordedInput& event = events_[i];
            if (!IsAction(event) || (IsKey(event) && Ignored(event.code))) continue;
            if (event.kind == Kind::KeyDown && from.kind == Kind::KeyDown &&
                PlainKey(event.code) == PlainKey(from.code))
                continue;
            return &event;
        }
        return nullptr;
    }

    static bool IsKey(const RecordedInput& event) {
        return event.kind == Kind::KeyDown || event.kind == Kind::KeyUp;
    }

    // After a button the pause is kept from a shorter length on: a click often makes the window manager
    // focus or raise a window first, and input sent at once after it could overtake it.
    void WaitUntil(int64_t time) {
        const int64_t gap = time - lastTime_;
        const int64_t threshold = afterButton_
                                      ? std::min<int64_t>(options_.waitThresholdMs, kWaitAfterButtonMs)
                                      : options_.waitThresholdMs;
        if (gap > threshold) lines_ << QStringLiteral("WAIT ") + QString::number(gap);
        lastTime_ = std::max(lastTime_, time);
        afterButton_ = false;
    }

    void KeyDown(size_t index) {
        const RecordedInput& event = events_[index];
        if (Ignored(event.code)) return;
        const int32_t key = PlainKey(event.code);
        const QString name = QuickInputKeyName(key);
        if (name.isEmpty() || keysDown_.count(key) != 0) return; // unnamed, or the key's auto-repeat
        WaitUntil(event.milliseconds);
        const RecordedInput* next = NextAction(index);
        if (next != nullptr && next->kind == Kind::KeyUp && PlainKey(next->code) == key &&
            next->milliseconds - event.milliseconds <= options_.pressWithinMs) {
            lines_ << QStringLiteral("KBD ") + name + QStringLiteral(",PRESS");
            pressed_.insert(key); // its up is written already
        } else {
            lines_ << QStringLiteral("KBD ") + name + QStringLiteral(",DOWN");
        }
        keysDown_.insert(key);
    }

    void KeyUp(const RecordedInput& event) {
        if (Ignored(event.code)) return;
        const int32_t key = PlainKey(event.code);
        if (keysDown_.erase(key) == 0) return; // went down before the recording started
        if (pressed_.erase(key) != 0) {
            lastTime_ = std::max(lastTime_, event.milliseconds);
            return;
        }
        WaitUntil(event.milliseconds);
        lines_ << QStringLiteral("KBD ") + QuickInputKeyName(key) + QStringLiteral(",UP");
    }

    void ButtonDown(size_t index) {
        const RecordedInput& event = events_[index];
        if (buttonsDown_.count(event.code) != 0) return;
        WaitUntil(event.milliseconds);
        const RecordedInput* next = NextAction(index);
        const bool click = next != nullptr && next->kind == Kind::ButtonUp && next->code == event.code &&
                           Distance(next->x, next->y, event.x, event.y) <= options_.clickTolerancePixels;
        if (click) {
            Mouse(ButtonName(event.code, "PRESS"), event.x, event.y);
            clicked_.insert(event.code);
        } else {
            Mouse(ButtonName(event.code, "DOWN"), event.x, event.y);
        }
        buttonsDown_.insert(event.code);
    }

    // A drag is on while a button that is not part of a click is down.
    bool Dragging() const { return buttonsDown_.size() > clicked_.size(); }

    void ButtonUp(const RecordedInput& event) {
        if (buttonsDown_.erase(event.code) == 0) return;
        if (clicked_.erase(event.code) != 0) {
            lastTime_ = std::max(lastTime_, event.milliseconds);
            return;
        }
        WaitUntil(event.milliseconds);
        Mouse(ButtonName(event.code, "UP"), event.x, event.y);
    }

    // Outside a drag the pointer's way does not matter: the next click moves there. A drag's path is
    // sampled, so what is dragged follows roughly the same way.
    void Motion(const RecordedInput& event) {
        if (!Dragging()) return;
        if (Distance(event.x, event.y, pointerX_, pointerY_) < options_.dragStepPixels) return;
        WaitUntil(event.milliseconds);
        Mouse(QStringLiteral("MOVE"), event.x, event.y);
    }

    void Mouse(const QString& action, int32_t x, int32_t y) {
        QString where;
        if (options_.absolute) {
            const QPoint position = AbsoluteMousePosition(x, y, options_.primaryMonitor);
            where = QString::number(position.x()) + u',' + QString::number(position.y());
        } else {
            where = QString::number(static_cast<int64_t>(x) - pointerX_) + u',' +
                    QString::number(static_cast<int64_t>(y) - pointerY_);
        }
        lines_ << QStringLiteral("MUS ") + action + u',' + where + PixelComment(x, y);
        afterButton_ = action != QStringLiteral("MOVE");
        pointerX_ = x;
        pointerY_ = y;
    }

    void ReleaseWhatIsHeld() {
        for (const int32_t key : keysDown_)
            if (pressed_.count(key) == 0) lines_ << QStringLiteral("KBD ") + QuickInputKeyName(key) + ",UP";
        for (const int32_t button : buttonsDown_)
            if (clicked_.count(button) == 0) Mouse(ButtonName(button, "UP"), pointerX_, pointerY_);
    }

    const std::vector<RecordedInput>& events_;
    const RecordingOptions& options_;
    QStringList lines_;
    std::set<int32_t> keysDown_;
    std::set<int32_t> pressed_;
    std::set<int32_t> buttonsDown_;
    std::set<int32_t> clicked_;
    int32_t pointerX_ = 0;
    int32_t pointerY_ = 0;
    int64_t lastTime_ = 0;
    bool afterButton_ = false;
};

} // namespace

QStringList RecordedMacroLines(const std::vector<RecordedInput>& events, const RecordingOptions& options) {
    return LineWriter(events, options).Write();
}
