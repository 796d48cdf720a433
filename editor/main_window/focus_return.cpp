// Returns the desktop's activation to the editor window after the program's dialogs and windows close,
// through the window manager (QWidget::activateWindow sends it the _NET_ACTIVE_WINDOW request on X11).
#include "focus_return.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

FocusReturn::FocusReturn(QWidget* window, QWidget* text) : QObject(window), window_(window), text_(text) {
    qApp->installEventFilter(this);
}

FocusReturn::~FocusReturn() {
    qApp->removeEventFilter(this);
}

void FocusReturn::ReturnNow() {
    queued_ = false;
    if (!window_->isVisible() || window_->isMinimized()) return;
    if (QApplication::activeModalWidget() != nullptr) return;
    window_->activateWindow();
    if (text_->isEnabled()) text_->setFocus(Qt::ActiveWindowFocusReason);
}

// Menus, tooltips and completer lists are popups: they never took the window manager's focus.
bool FocusReturn::IsClosingWindow(QObject* watched, QEvent* event) const {
    if (event->type() != QEvent::Hide || !watched->isWidgetType()) return false;
    const auto* widget = static_cast<QWidget*>(watched);
    if (!widget->isWindow() || widget == window_) return false;
    const Qt::WindowType type = widget->windowType();
    return type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen && type != Qt::Desktop;
}

// Queued, so that a dialog closing right after another (the overwrite question, then its file dialog) and a
// dialog opening right after one (the unsaved-text question, then the save dialog) are seen as they end up.
bool FocusReturn::eventFilter(QObject* watched, QEvent* event) {
    if (!queued_ && IsClosingWindow(watched, event)) {
        queued_ = true;
        QTimer::singleShot(0, this, &FocusReturn::ReturnNow);
    }
    return QObject::eventFilter(watched, event);
}
