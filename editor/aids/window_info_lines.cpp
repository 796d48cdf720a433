// The lines the window information inserts. GETWINID's names are checked against the desktop itself, so a
// line never finds another window than the one that was shown.
#include "window_info_lines.h"

#include "codepage.h"
#include "quick_input_lines.h"

namespace {

bool CanStandInAMacro(QChar c) {
    const char16_t unit = c.unicode();
    if (unit < 0x20 || unit == 0x7F) return false;
    return unit == u'?' || Cp932Code(unit) != 0x3F;
}

std::u16string Utf16(const QString& text) {
    return text.toStdU16String();
}

QString WinIdLine(const QString& classLiteral, const std::optional<QString>& titleLiteral) {
    QString line = QStringLiteral("w = GETWINID(") + classLiteral;
    if (titleLiteral) line += QStringLiteral(", ") + *titleLiteral;
    return line + u')';
}

} // namespace

std::optional<QString> MacroStringLiteral(const QString& text) {
    QString literal = QStringLiteral("\"");
    for (const QChar c : text) {
        if (!CanStandInAMacro(c)) return std::nullopt;
        literal += c;
        if (c == u'"') literal += c;
    }
    return literal + u'"';
}

QStringList GetWinIdLines(const WindowDescription& window, const WindowFinder& find) {
    QStringList lines{QStringLiteral("DIM w")};
    const QString title = QString::fromStdU16String(window.title);
    for (const std::u16string& name : {window.className, window.instanceName}) {
        if (name.empty()) continue;
        const std::optional<QString> literal = MacroStringLiteral(QString::fromStdU16String(name));
        if (literal && find(name, nullptr) == window.window)
            return lines << WinIdLine(*literal, std::nullopt);
    }
    const std::optional<QString> classLiteral =
        MacroStringLiteral(QString::fromStdU16String(window.className));
    const std::optional<QString> titleLiteral = MacroStringLiteral(title);
    if (!classLiteral || !titleLiteral) {
        return lines << QStringLiteral("' クラス名か題名にマクロで書けない文字があります")
                     << WinIdLine(classLiteral.value_or(QStringLiteral("\"\"")), std::nullopt);
    }
    const std::u16string titleText = Utf16(title);
    if (find(window.className, &titleText) != window.window)
        lines << QStringLiteral("' 同じクラス名と題名のウィンドウが他にもあります");
    return lines << WinIdLine(*classLiteral, titleLiteral);
}

QString SetWinLine(const WindowDescription& window) {
    return QStringLiteral("SETWIN w, %1, %2").arg(window.placement.left).arg(window.placement.top);
}

QStringList MusMoveLines(int32_t x, int32_t y, const ScreenRect& primaryMonitor) {
    const QPoint position = AbsoluteMousePosition(x, y, primaryMonitor);
    return {QStringLiteral("MUSORG 1"),
            QStringLiteral("MUS MOVE, %1, %2").arg(position.x()).arg(position.y()) + PixelComment(x, y)};
}

QStringList GetColorLines(int32_t x, int32_t y, int32_t colour) {
    return {QStringLiteral("IF GETCOLOR(%1, %2) = %3 THEN").arg(x).arg(y).arg(colour), QStringLiteral("\t"),
            QStringLiteral("END IF")};
}
