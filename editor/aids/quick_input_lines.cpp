// Macro lines written by the quick-input dialog: KBD lines with their modifier wrapping, MUS lines, the text
// applied to the editor, and the conversion of pointer positions to MUS's absolute space.
#include "quick_input_lines.h"

#include "absolute_mouse_space.h"

#include <cstdint>

namespace {

QString WrapInModifier(const QString& lines, const QString& modifierKey) {
    return QStringLiteral("KBD ") + modifierKey + QStringLiteral(",DOWN") + kQuickInputLineEnd + lines +
           kQuickInputLineEnd + QStringLiteral("KBD ") + modifierKey + QStringLiteral(",UP");
}

QString KeyActionName(QuickInputKeyAction action) {
    switch (action) {
    case QuickInputKeyAction::Down:
        return QStringLiteral("DOWN");
    case QuickInputKeyAction::Up:
        return QStringLiteral("UP");
    case QuickInputKeyAction::Press:
        break;
    }
    return QStringLiteral("PRESS");
}

} // namespace

QString KeyInputLines(const QString& keyName, QuickInputKeyAction action, const QString& waitText, bool shift,
                      bool alt, bool ctrl) {
    QString lines = QStringLiteral("KBD ") + keyName + u',' + KeyActionName(action) + u',' + waitText;
    if (shift) lines = WrapInModifier(lines, QStringLiteral("VK_SHIFT"));
    if (alt) lines = WrapInModifier(lines, QStringLiteral("VK_ALT"));
    if (ctrl) lines = WrapInModifier(lines, QStringLiteral("VK_CONTROL"));
    return lines;
}

QString MouseActionName(int option) {
    switch (option) {
    case 0:
        return QStringLiteral("LEFTDOWN");
    case 1:
        return QStringLiteral("LEFTUP");
    case 2:
        return QStringLiteral("LEFTPRESS");
    case 3:
        return QStringLiteral("RIGHTDOWN");
    case 4:
        return QStringLiteral("RIGHTUP");
    case 5:
        return QStringLiteral("RIGHTPRESS");
    default:
        return QStringLiteral("MOVE");
    }
}

QString MouseInputLine(int option, const QString& xText, const QString& yText, const QString& waitText) {
    return QStringLiteral("MUS ") + MouseActionName(option) + u',' + xText + u',' + yText + u',' + waitText;
}

QString PixelComment(int32_t x, int32_t y) {
    return QStringLiteral(" ' (%1, %2)").arg(x).arg(y);
}

std::optional<QPoint> PixelOfAbsoluteTexts(const QString& xText, const QString& yText,
                                           const ScreenRect& primary) {
    bool xRead = false;
    bool yRead = false;
    const int32_t x = xText.trimmed().toInt(&xRead);
    const int32_t y = yText.trimmed().toInt(&yRead);
    if (!xRead || !yRead) return std::nullopt;
    return QPoint(PixelOfAbsolutePosition(x, primary.left, primary.width),
                  PixelOfAbsolutePosition(y, primary.top, primary.height));
}

QString CasedLines(const QString& lines, bool upperCase) {
    return upperCase ? lines.toUpper() : lines.toLower();
}

QString AppliedText(const QString& inputText, bool absoluteCoordinates) {
    if (!absoluteCoordinates) return inputText;
    return QStringLiteral("MUSORG 1") + kQuickInputLineEnd + inputText;
}

int AbsoluteMouseCoordinate(int pixel, int extent) {
    return AbsolutePositionOfPixel(pixel, 0, extent);
}

QPoint AbsoluteMousePosition(int32_t x, int32_t y, const ScreenRect& primary) {
    return {AbsolutePositionOfPixel(x, primary.left, primary.width),
            AbsolutePositionOfPixel(y, primary.top, primary.height)};
}
