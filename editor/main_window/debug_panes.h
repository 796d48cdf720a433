// DebugPanes: the 変数 and 呼び出し履歴 panes shown beside the log while a debugged run is paused: the calls
// of the run, and the variables of the chosen call (its parameters and locals) and the globals, with values
// as PRINT shows them, arrays opened in pages, and what changed since the last pause marked; and the 式
// field, where a line is evaluated in the paused call.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;
class cMoMacro_Engine;
struct DebugVariable;

class DebugPanes : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kElementsPerPage = 100;

    explicit DebugPanes(QWidget* parent = nullptr);

    // Fills both panes from a paused run (the engine must stay paused while the panes are used).
    void ShowPause(cMoMacro_Engine& engine);
    // The run went on or ended: nothing may be read from it any more.
    void EndPause();
    // A shown variable's value as the 変数 pane shows it (the chosen call's before the globals); false when
    // no variable of that name is shown.
    bool ValueOf(const QString& name, QString& value) const;

    QTreeWidget* Variables() const { return variables_; }
    QListWidget* Calls() const { return calls_; }
    QLineEdit* Expression() const { return expression_; }
    QLineEdit* Result() const { return result_; }

    // The line in the 式 field evaluated in the paused call: its value or its error under the field; an
    // assignment shows the variables again with the new value.
    void Evaluate();

  private:
    void ShowCall(int frame);
    void AddGroup(const QString& caption, const std::vector<DebugVariable>& list, size_t frame);
    void OpenArray(QTreeWidgetItem* item);

    cMoMacro_Engine* engine_ = nullptr;
    QLabel* variablesCaption_ = nullptr;
    QTreeWidget* variables_ = nullptr;
    QLabel* callsCaption_ = nullptr;
    QListWidget* calls_ = nullptr;
    QLabel* expressionCaption_ = nullptr;
    QLineEdit* expression_ = nullptr;
    QLineEdit* result_ = nullptr; // read only: a screen reader reads it as the text it holds
    // The values shown at the last pause, by call and name, and those of this pause.
    QHash<QString, QString> before_;
    QHash<QString, QString> now_;
    QStringList functions_; // the function of each call shown
};
