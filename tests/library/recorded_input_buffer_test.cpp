// Tests of what the input recordings of both desktops share: one key-down for a held key, motions spaced and
// never lost before a click, times that never go back, and event stamps that wrap mapped onto one clock.
#include "recorded_input_buffer.h"

#include <gtest/gtest.h>

namespace {

using Kind = RecordedInput::Kind;

RecordedInput Event(Kind kind, int32_t code, int32_t x, int32_t y, int64_t ms) {
    RecordedInput event;
    event.kind = kind;
    event.code = code;
    event.x = x;
    event.y = y;
    event.milliseconds = ms;
    return event;
}

RecordedInput Motion(int32_t x, int32_t y, int64_t ms) {
    return Event(Kind::Motion, 0, x, y, ms);
}

// Events written as "kind code x y ms" for readable comparisons.
std::vector<std::string> Lines(const std::vector<RecordedInput>& events) {
    static const char* const names[] = {"down", "up", "press", "release", "motion"};
    std::vector<std::string> lines;
    for (const RecordedInput& e : events)
        lines.push_back(std::string(names[static_cast<int>(e.kind)]) + " " + std::to_string(e.code) + " " +
                        std::to_string(e.x) + " " + std::to_string(e.y) + " " +
                        std::to_string(e.milliseconds));
    return lines;
}

TEST(RecordedInputBuffer, AHeldKeyGivesOneKeyDownUntilItIsReleased) {
    RecordedInputBuffer buffer;
    buffer.Add(Event(Kind::KeyDown, 65, 1, 1, 100));
    buffer.Add(Event(Kind::KeyDown, 65, 1, 1, 600)); // the keyboard repeating it
    buffer.Add(Event(Kind::KeyDown, 16, 1, 1, 610)); // another key is its own
    buffer.Add(Event(Kind::KeyDown, 65, 1, 1, 640));
    buffer.Add(Event(Kind::KeyUp, 65, 1, 1, 650));
    buffer.Add(Event(Kind::KeyUp, 65, 1, 1, 655)); // an up without a down still counts
    buffer.Add(Event(Kind::KeyDown, 65, 1, 1, 700));
    std::vector<RecordedInput> out;
    buffer.Take(out, 1000);
    EXPECT_EQ(Lines(out), (std::vector<std::string>{"down 65 1 1 100", "down 16 1 1 610", "up 65 1 1 650",
                                                    "up 65 1 1 655", "down 65 1 1 700"}));
}

TEST(RecordedInputBuffer, MotionsAreSpacedAndThePathReachesEveryClick) {
    RecordedInputBuffer buffer;
    buffer.Add(Motion(10, 10, 1000));
    buffer.Add(Motion(11, 10, 1003)); // within the spacing: held back, then replaced
    buffer.Add(Motion(12, 10, 1006));
    buffer.Add(Motion(20, 10, 1010));                     // due: goes out, the held one is dropped
    buffer.Add(Motion(25, 12, 1012));                     // held back …
    buffer.Add(Event(Kind::ButtonDown, 1, 25, 12, 1013)); // … and goes out before the button
    buffer.Add(Motion(25, 12, 1030));                     // no change of place: dropped
    buffer.Add(Motion(30, 15, 1031));
    std::vector<RecordedInput> out;
    buffer.Take(out, 1019);
    EXPECT_EQ(Lines(out),
              (std::vector<std::string>{"motion 0 10 10 1000", "motion 0 20 10 1010", "motion 0 25 12 1012",
                                        "press 1 25 12 1013", "motion 0 30 15 1031"}));
    // A motion held back is handed over once the spacing has passed, even when nothing follows it.
    buffer.Add(Motion(31, 15, 1035));
    out.clear();
    buffer.Take(out, 1040);
    EXPECT_TRUE(out.empty());
    buffer.Take(out, 1041);
    EXPECT_EQ(Lines(out), (std::vector<std::string>{"motion 0 31 15 1035"}));
    // Back where the pointer was: a held motion that ends at the last place reported is no motion.
    buffer.Add(Motion(40, 40, 1050));
    buffer.Add(Motion(41, 40, 1052));
    buffer.Add(Motion(40, 40, 1054));
    out.clear();
    buffer.Take(out, 2000);
    EXPECT_EQ(Lines(out), (std::vector<std::string>{"motion 0 40 40 1050"}));
}

TEST(RecordedInputBuffer, TimesNeverGoBack) {
    RecordedInputBuffer buffer;
    buffer.Add(Event(Kind::KeyDown, 65, 0, 0, 500));
    buffer.Add(Event(Kind::ButtonDown, 1, 0, 0, 490)); // stamped by another device a little earlier
    buffer.Add(Event(Kind::KeyUp, 65, 0, 0, 520));
    std::vector<RecordedInput> out;
    buffer.Take(out, 600);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[1].milliseconds, 500);
    EXPECT_EQ(out[2].milliseconds, 520);
}

TEST(EventTimeMapper, KeepsTheSpacingOfStampsAcrossAWrapAndNeverRunsAhead) {
    EventTimeMapper mapper;
    // The first event is read 5 ms late, the second at once: the clocks' offset comes from the second.
    EXPECT_EQ(mapper.ToLocal(0xFFFFFFF0u, 10005), 10005);
    EXPECT_EQ(mapper.ToLocal(0xFFFFFFF4u, 10004), 10004);
    // Across the wrap of the 32-bit stamp the spacing stays (0x20 after 0xFFFFFFF4 is 44 ms later).
    EXPECT_EQ(mapper.ToLocal(0x00000020u, 10100), 10048);
    // Read late in a burst: the stamps keep the real gaps between the events.
    EXPECT_EQ(mapper.ToLocal(0x00000030u, 10300), 10064);
    // A stamp a little older than the one before (another device) goes back as much.
    EXPECT_EQ(mapper.ToLocal(0x0000002Eu, 10301), 10062);
}

} // namespace
