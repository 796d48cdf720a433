// Tests of the quick-input dialog's key logic without widgets: the name of every virtual-key code, the codes
// of native X keys and of Qt keys, and pointer positions converted to MUS's absolute space.
#include "named_constants.h"
#include "quick_input_keys.h"
#include "quick_input_lines.h"

#include <QTest>

#include <cmath>

Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

namespace {

QString Vk(char ch) {
    return QStringLiteral("VK_") + QChar(ch);
}

int ConstantValue(const QString& name) {
    for (const NamedConstant& key : VirtualKeyConstants()) {
        if (QString::fromStdU16String(std::u16string(key.name)) == name) return key.value;
    }
    return -1;
}

} // namespace

class QuickInputKeysTest : public QObject {
    Q_OBJECT

  private slots:
    void NameOfEveryRow_data();
    void NameOfEveryRow();
    void CodesWithoutAName();
    void NamedCodesAreKeyConstantsOfTheirCode();
    void NativeKeysyms_data();
    void NativeKeysyms();
    void QtKeysWithoutNativeNumbers_data();
    void QtKeysWithoutNativeNumbers();
    void WindowsVirtualKeysPassThrough();
    void PlatformKinds();
    void AbsoluteCoordinatesMapBackToThePixel();
    void AbsoluteCoordinatesOfTheEdges();
};

void QuickInputKeysTest::NameOfEveryRow_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    auto row = [](int code, const QString& name) { QTest::addRow("0x%02X", code) << code << name; };
    row(0x0D, "VK_RETURN");
    row(0x08, "VK_BACK");
    row(0x20, "VK_SPACE");
    for (int code = 0xBA; code <= 0xC0; ++code) row(code, QString::number(code));
    for (int digit = 0; digit <= 9; ++digit) row(0x60 + digit, Vk(static_cast<char>('0' + digit)));
    for (int code = 0x6A; code <= 0x6E; ++code) row(code, QString::number(code));
    row(0x02, "2");
    for (int code : {0xE2, 0xDC, 0xDE, 0xDD, 0xDB}) row(code, QString::number(code));
    row(0x25, "VK_LEFT");
    row(0x26, "VK_UP");
    row(0x27, "VK_RIGHT");
    row(0x28, "VK_DOWN");
    row(0x2D, "VK_INSERT");
    row(0x23, "VK_END");
    row(0x24, "VK_HOME");
    row(0x21, "VK_PRIOR");
    row(0x22, "VK_NEXT");
    row(0x2E, "VK_DELETE");
    row(0x91, "VK_SCROLL");
    row(0x13, "VK_PAUSE");
    row(0x1B, "VK_ESCAPE");
    row(0x09, "VK_TAB");
    row(0x5B, "VK_LWIN");
    row(0xE5, "229");
    for (int f = 1; f <= 11; ++f) row(0x6F + f, QStringLiteral("VK_F") + QString::number(f));
    row(0x7B, "123");
    row(0x7C, "124");
    row(0x7D, "125");
    row(0x7E, "126");
    row(0xF4, "244");
    row(0x11, "VK_CONTROL");
    row(0x10, "VK_SHIFT");
    row(0x12, "VK_ALT");
    for (char letter = 'A'; letter <= 'Z'; ++letter) row(letter, Vk(letter));
    // Between the letters and F11 the codes no earlier row names are given by number, not by a character.
    for (int code : {0x5C, 0x5D, 0x5E, 0x5F, 0x6F}) row(code, QString::number(code));
    for (char digit = '0'; digit <= '9'; ++digit) row(digit, Vk(digit));
}

void QuickInputKeysTest::NameOfEveryRow() {
    QFETCH(int, code);
    QFETCH(QString, name);
    QCOMPARE(QuickInputKeyName(code), name);
}

void QuickInputKeysTest::CodesWithoutAName() {
    for (int code : {-1,   0x00, 0x01, 0x03, 0x0C, 0x14, 0x19, 0x1C, 0x1D, 0x2C,  0x2F, 0x7F,
                     0x87, 0x90, 0xA0, 0xA1, 0xA5, 0xAD, 0xF2, 0xF3, 0xFF, 0x100, 0x141}) {
        QVERIFY2(QuickInputKeyName(code).isEmpty(), qPrintable(QString::number(code)));
    }
}

// Every name a recorded line uses is one the macro language knows, with the value of the key it came from;
// only the keypad digits are named as the digit keys.
void QuickInputKeysTest::NamedCodesAreKeyConstantsOfTheirCode() {
    int named = 0;
    for (int code = 0; code < 256; ++code) {
        const QString name = QuickInputKeyName(code);
        if (!name.startsWith(QLatin1String("VK_"))) {
            if (!name.isEmpty()) QCOMPARE(name.toInt(), code);
            continue;
        }
        ++named;
        const int expected = code >= 0x60 && code <= 0x69 ? '0' + (code - 0x60) : code;
        QCOMPARE(ConstantValue(name), expected);
    }
    QCOMPARE(named, 1 + 2 + 10 + 4 + 6 + 5 + 11 + 3 + 26 + 10);
}

void QuickInputKeysTest::NativeKeysyms_data() {
    QTest::addColumn<uint>("keysym");
    QTest::addColumn<uint>("keycode");
    QTest::addColumn<int>("code");
    QTest::newRow("Shift_L") << 0xffe1u << 50u << 0x10;
    QTest::newRow("Shift_R") << 0xffe2u << 62u << 0x10;
    QTest::newRow("Control_L") << 0xffe3u << 37u << 0x11;
    QTest::newRow("Control_R") << 0xffe4u << 105u << 0x11;
    QTest::newRow("Alt_L") << 0xffe9u << 64u << 0x12;
    QTest::newRow("Alt_R") << 0xffeau << 108u << 0x12;
    QTest::newRow("Meta_L (alt with shift)") << 0xffe7u << 64u << 0x12;
    QTest::newRow("AltGr") << 0xfe03u << 108u << 0x12;
    QTest::newRow("Super_L") << 0xffebu << 133u << 0x5B;
    QTest::newRow("Super_R") << 0xffecu << 134u << 0x5C;
    QTest::newRow("Menu") << 0xff67u << 135u << 0x5D;
    QTest::newRow("KP_0") << 0xffb0u << 90u << 0x60;
    QTest::newRow("KP_5") << 0xffb5u << 84u << 0x65;
    QTest::newRow("KP_9") << 0xffb9u << 81u << 0x69;
    QTest::newRow("KP_Begin (keypad 5, num lock off)") << 0xff9du << 84u << 0x0C;
    QTest::newRow("KP_Left") << 0xff96u << 83u << 0x25;
    QTest::newRow("KP_Delete") << 0xff9fu << 91u << 0x2E;
    QTest::newRow("KP_Enter") << 0xff8du << 104u << 0x0D;
    QTest::newRow("KP_Multiply") << 0xffaau << 63u << 0x6A;
    QTest::newRow("KP_Add") << 0xffabu << 86u << 0x6B;
    QTest::newRow("KP_Subtract") << 0xffadu << 82u << 0x6D;
    QTest::newRow("KP_Decimal") << 0xffaeu << 91u << 0x6E;
    QTest::newRow("KP_Divide") << 0xffafu << 106u << 0x6F;
    QTest::newRow("Return") << 0xff0du << 36u << 0x0D;
    QTest::newRow("BackSpace") << 0xff08u << 22u << 0x08;
    QTest::newRow("Tab") << 0xff09u << 23u << 0x09;
    QTest::newRow("ISO_Left_Tab (shift + tab)") << 0xfe20u << 23u << 0x09;
    QTest::newRow("Escape") << 0xff1bu << 9u << 0x1B;
    QTest::newRow("Pause") << 0xff13u << 127u << 0x13;
    QTest::newRow("Scroll_Lock") << 0xff14u << 78u << 0x91;
    QTest::newRow("Print") << 0xff61u << 107u << 0x2C;
    QTest::newRow("Caps_Lock") << 0xffe5u << 66u << 0x14;
    QTest::newRow("Num_Lock") << 0xff7fu << 77u << 0x90;
    QTest::newRow("Prior") << 0xff55u << 112u << 0x21;
    QTest::newRow("End") << 0xff57u << 115u << 0x23;
    QTest::newRow("Insert") << 0xff63u << 118u << 0x2D;
    QTest::newRow("Delete") << 0xffffu << 119u << 0x2E;
    QTest::newRow("F1") << 0xffbeu << 67u << 0x70;
    QTest::newRow("F11") << 0xffc8u << 95u << 0x7A;
    QTest::newRow("F12") << 0xffc9u << 96u << 0x7B;
    QTest::newRow("F24") << 0xffd5u << 202u << 0x87;
    QTest::newRow("space") << 0x20u << 65u << 0x20;
    QTest::newRow("a") << 0x61u << 38u << 0x41;
    QTest::newRow("A (shifted)") << 0x41u << 38u << 0x41;
    QTest::newRow("a on a French keyboard's Q place") << 0x61u << 24u << 0x41;
    QTest::newRow("Cyrillic ef on the A place") << 0x6c6u << 38u << 0x41;
    QTest::newRow("apostrophe on the Q place (Dvorak)") << 0x27u << 24u << 0xDE;
    QTest::newRow("Dvorak s on the semicolon place") << 0x73u << 47u << 0x53;
    QTest::newRow("1") << 0x31u << 10u << 0x31;
    QTest::newRow("exclam (shift + 1)") << 0x21u << 10u << 0x31;
    QTest::newRow("quotedbl (shift + 2, Japanese)") << 0x22u << 11u << 0x32;
    QTest::newRow("ampersand (French 1)") << 0x26u << 10u << 0x31;
    QTest::newRow("parenright (shift + 0)") << 0x29u << 19u << 0x30;
    QTest::newRow("underscore (shift + minus)") << 0x5fu << 20u << 0xBD;
    QTest::newRow("plus (shift + equal)") << 0x2bu << 21u << 0xBB;
    QTest::newRow("braceleft") << 0x7bu << 34u << 0xDB;
    QTest::newRow("bracketright") << 0x5du << 35u << 0xDD;
    QTest::newRow("colon (shift + semicolon)") << 0x3au << 47u << 0xBA;
    QTest::newRow("apostrophe") << 0x27u << 48u << 0xDE;
    QTest::newRow("asciitilde") << 0x7eu << 49u << 0xC0;
    QTest::newRow("backslash") << 0x5cu << 51u << 0xDC;
    QTest::newRow("less (shift + comma)") << 0x3cu << 59u << 0xBC;
    QTest::newRow("period") << 0x2eu << 60u << 0xBE;
    QTest::newRow("question") << 0x3fu << 61u << 0xBF;
    QTest::newRow("less (the key beside left shift)") << 0x3cu << 94u << 0xE2;
    QTest::newRow("backslash (Japanese ro key)") << 0x5cu << 97u << 0xE2;
    QTest::newRow("bar (Japanese yen key)") << 0x7cu << 132u << 0xDC;
    QTest::newRow("Zenkaku_Hankaku") << 0xff2au << 49u << 0xF4;
    QTest::newRow("Henkan") << 0xff23u << 100u << 0x1C;
    QTest::newRow("Muhenkan") << 0xff22u << 102u << 0x1D;
    QTest::newRow("Eisu_toggle") << 0xff30u << 66u << 0x14;
    QTest::newRow("semicolon, unknown keycode") << 0x3bu << 0u << 0xBA;
    QTest::newRow("at, unknown keycode") << 0x40u << 0u << 0x32;
    QTest::newRow("keycode only (digit 5 place)") << 0u << 14u << 0x35;
    QTest::newRow("XF86AudioMute") << 0x1008ff12u << 121u << 0;
}

void QuickInputKeysTest::NativeKeysyms() {
    QFETCH(uint, keysym);
    QFETCH(uint, keycode);
    QFETCH(int, code);
    // The Qt key is left unknown: the native numbers alone must decide.
    const QuickInputKeyPress press{Qt::Key_unknown, Qt::NoModifier, keycode, keysym};
    QCOMPARE(VirtualKeyOfKeyPress(press, NativeKeyKind::XkbKeysym), code);
}

void QuickInputKeysTest::QtKeysWithoutNativeNumbers_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("code");
    const Qt::KeyboardModifiers none;
    const Qt::KeyboardModifiers keypad(Qt::KeypadModifier);
    QTest::newRow("A") << int(Qt::Key_A) << none << 0x41;
    QTest::newRow("shift + A") << int(Qt::Key_A) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 0x41;
    QTest::newRow("Z") << int(Qt::Key_Z) << none << 0x5A;
    QTest::newRow("5") << int(Qt::Key_5) << none << 0x35;
    QTest::newRow("keypad 5") << int(Qt::Key_5) << keypad << 0x65;
    QTest::newRow("keypad 0") << int(Qt::Key_0) << keypad << 0x60;
    QTest::newRow("keypad *") << int(Qt::Key_Asterisk) << keypad << 0x6A;
    QTest::newRow("keypad +") << int(Qt::Key_Plus) << keypad << 0x6B;
    QTest::newRow("keypad -") << int(Qt::Key_Minus) << keypad << 0x6D;
    QTest::newRow("keypad .") << int(Qt::Key_Period) << keypad << 0x6E;
    QTest::newRow("keypad /") << int(Qt::Key_Slash) << keypad << 0x6F;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << keypad << 0x0D;
    QTest::newRow("keypad Home") << int(Qt::Key_Home) << keypad << 0x24;
    QTest::newRow("/") << int(Qt::Key_Slash) << none << 0xBF;
    QTest::newRow("-") << int(Qt::Key_Minus) << none << 0xBD;
    QTest::newRow("!") << int(Qt::Key_Exclam) << none << 0x31;
    QTest::newRow("[") << int(Qt::Key_BracketLeft) << none << 0xDB;
    QTest::newRow("\"") << int(Qt::Key_QuoteDbl) << none << 0xDE;
    QTest::newRow("space") << int(Qt::Key_Space) << none << 0x20;
    QTest::newRow("Return") << int(Qt::Key_Return) << none << 0x0D;
    QTest::newRow("Backtab") << int(Qt::Key_Backtab) << none << 0x09;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none << 0x1B;
    QTest::newRow("F1") << int(Qt::Key_F1) << none << 0x70;
    QTest::newRow("F11") << int(Qt::Key_F11) << none << 0x7A;
    QTest::newRow("F12") << int(Qt::Key_F12) << none << 0x7B;
    QTest::newRow("Shift") << int(Qt::Key_Shift) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 0x10;
    QTest::newRow("Control") << int(Qt::Key_Control) << none << 0x11;
    QTest::newRow("Alt") << int(Qt::Key_Alt) << none << 0x12;
    QTest::newRow("Super_L") << int(Qt::Key_Super_L) << none << 0x5B;
    QTest::newRow("Super_R") << int(Qt::Key_Super_R) << none << 0x5C;
    QTest::newRow("PageDown") << int(Qt::Key_PageDown) << none << 0x22;
    QTest::newRow("ScrollLock") << int(Qt::Key_ScrollLock) << none << 0x91;
    QTest::newRow("Zenkaku_Hankaku") << int(Qt::Key_Zenkaku_Hankaku) << none << 0xF4;
    QTest::newRow("yen sign") << int(Qt::Key_yen) << none << 0;
    QTest::newRow("unknown") << int(Qt::Key_unknown) << none << 0;
}

void QuickInputKeysTest::QtKeysWithoutNativeNumbers() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, code);
    const QuickInputKeyPress press{key, modifiers, 0, 0};
    QCOMPARE(VirtualKeyOfKeyPress(press, NativeKeyKind::XkbKeysym), code);
    QCOMPARE(VirtualKeyOfKeyPress(press, NativeKeyKind::WindowsVirtualKey), code);
}

void QuickInputKeysTest::WindowsVirtualKeysPassThrough() {
    QCOMPARE(VirtualKeyOfKeyPress({Qt::Key_Shift, Qt::ShiftModifier, 0x36, 0x10},
                                  NativeKeyKind::WindowsVirtualKey),
             0x10);
    QCOMPARE(
        VirtualKeyOfKeyPress({Qt::Key_5, Qt::KeypadModifier, 0x4C, 0x65}, NativeKeyKind::WindowsVirtualKey),
        0x65);
    // A number that is no virtual key leaves the decision to Qt's key.
    QCOMPARE(VirtualKeyOfKeyPress({Qt::Key_F12, Qt::NoModifier, 0, 300}, NativeKeyKind::WindowsVirtualKey),
             0x7B);
}

void QuickInputKeysTest::PlatformKinds() {
    QCOMPARE(NativeKeyKindOfPlatform("windows"), NativeKeyKind::WindowsVirtualKey);
    QCOMPARE(NativeKeyKindOfPlatform("xcb"), NativeKeyKind::XkbKeysym);
    QCOMPARE(NativeKeyKindOfPlatform("wayland"), NativeKeyKind::XkbKeysym);
    QCOMPARE(NativeKeyKindOfPlatform("offscreen"), NativeKeyKind::XkbKeysym);
}

// Whichever common rule the desktop side uses to turn the absolute space back into pixels, every pixel of
// the screen comes back as itself.
void QuickInputKeysTest::AbsoluteCoordinatesMapBackToThePixel() {
    for (int extent : {2, 600, 768, 800, 1023, 1024, 1080, 1280, 1920, 2560, 3840, 7680}) {
        for (int pixel = 0; pixel < extent; ++pixel) {
            const int64_t absolute = AbsoluteMouseCoordinate(pixel, extent);
            QVERIFY(absolute >= 0 && absolute <= 65535);
            const auto message =
                qPrintable(QStringLiteral("pixel %1 of %2 -> %3").arg(pixel).arg(extent).arg(absolute));
            QVERIFY2(absolute * extent / 65536 == pixel, message);
            QVERIFY2(absolute * (extent - 1) / 65535 == pixel, message);
            QVERIFY2(std::lround(static_cast<double>(absolute) * (extent - 1) / 65535.0) == pixel, message);
        }
    }
}

void QuickInputKeysTest::AbsoluteCoordinatesOfTheEdges() {
    QCOMPARE(AbsoluteMouseCoordinate(0, 1280), 0);
    QCOMPARE(AbsoluteMouseCoordinate(1279, 1280), 65535);
    QCOMPARE(AbsoluteMouseCoordinate(0, 1), 0);
    QCOMPARE(AbsoluteMouseCoordinate(5, 0), 0);
    // Outside the primary screen the position lies outside the absolute space, on its side.
    QVERIFY(AbsoluteMouseCoordinate(-10, 1280) < 0);
    QVERIFY(AbsoluteMouseCoordinate(1290, 1280) > 65535);
}

QTEST_APPLESS_MAIN(QuickInputKeysTest)
#include "quick_input_keys_test.moc"
