// The accessibility interface of a status label: its own role, the fixed name, and the label's current text
// through a read-only text interface.
#include "status_label_accessible.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLabel>
#include <QVariant>

#include <algorithm>

namespace {

// Marks the status labels with the role they take; the factory answers only for those.
constexpr char kStatusRoleProperty[] = "qm_accessibleStatusRole";

// A label with an accessible name shows that name instead of its text, and Qt's label offers no text
// interface: a screen reader would hear the name and never the status. This interface keeps the name and
// offers the text as a read-only text, read afresh at every request.
class StatusLabelAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    StatusLabelAccessible(QLabel* label, QAccessible::Role role) : QAccessibleWidget(label, role) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return Label()->text();
        return QAccessibleWidget::text(kind);
    }

    QString text(int startOffset, int endOffset) const override {
        const QString all = Label()->text();
        const int size = static_cast<int>(all.size());
        const int start = std::clamp(startOffset, 0, size);
        const int end = endOffset < 0 ? size : std::clamp(endOffset, start, size);
        return all.mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(Label()->text().size()); }

    // The label is read, never edited or selected: no selection and no caret.
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    void scrollToSubstring(int, int) override {}

    // Characters laid out in one line from the label's text origin, in screen coordinates.
    QRect characterRect(int offset) const override {
        const QString all = Label()->text();
        if (offset < 0 || offset >= all.size()) return {};
        const QFontMetrics metrics(Label()->font());
        const QRect area = Label()->contentsRect();
        const int indent = std::max(0, Label()->indent());
        const int left = area.left() + indent + metrics.horizontalAdvance(all.left(offset));
        const QRect local(left, area.top(), metrics.horizontalAdvance(all.at(offset)), metrics.height());
        return QRect(Label()->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        for (int i = 0; i < characterCount(); ++i) {
            if (characterRect(i).contains(point)) return i;
        }
        return -1;
    }
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = offset < 0 ? 0 : characterCount();
        return {};
    }

  private:
    QLabel* Label() const { return static_cast<QLabel*>(widget()); }
};

QAccessibleInterface* StatusLabelFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("QLabel")) return nullptr;
    const QVariant role = object->property(kStatusRoleProperty);
    if (!role.isValid()) return nullptr;
    return new StatusLabelAccessible(static_cast<QLabel*>(object),
                                     static_cast<QAccessible::Role>(role.toInt()));
}

} // namespace

void SetStatusLabelAccessible(QLabel* label, const QString& name, QAccessible::Role role) {
    static const bool installed = [] {
        QAccessible::installFactory(StatusLabelFactory);
        return true;
    }();
    static_cast<void>(installed);
    label->setProperty(kStatusRoleProperty, static_cast<int>(role));
    label->setAccessibleName(name);
}
