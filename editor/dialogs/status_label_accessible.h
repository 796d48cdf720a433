// How labels that report a changing status (the main window's status strip, the quick-input dialog's pointer
// countdown) appear to screen readers and GUI test tools: a fixed name, and the text readable as text.
#pragma once

#include <QAccessible>

class QLabel;
class QString;

// Gives the label the fixed accessible name and role; its current text stays readable through the text
// interface and as its value.
void SetStatusLabelAccessible(QLabel* label, const QString& name, QAccessible::Role role);
