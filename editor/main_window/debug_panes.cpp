// The panes of a paused run: the calls innermost first, the chosen call's variables and the globals (type,
// value, arrays in pages of elements, values changed since the last pause on a coloured background), and a
// line evaluated in the paused call.
#include "debug_panes.h"

#include "engine.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace {

constexpr int kFrameRole = Qt::UserRole;      // the call (SIZE_MAX as -1 for a global) an array belongs to
constexpr int kLastRole = Qt::UserRole + 1;   // an array's last index
constexpr int kOpenedRole = Qt::UserRole + 2; // its elements (or pages) were made
constexpr int kFirstRole = Qt::UserRole + 3;  // a page's first index
constexpr int kNameRole = Qt::UserRole + 4;   // a page's array
const QColor kChangedColour(0xFF, 0xE0, 0xA0);
const QColor kErrorColour(0xC0, 0x00, 0x00);

QString TypeName(DebugVariable::Kind kind) {
    switch (kind) {
    case DebugVariable::Kind::Number:
        return QStringLiteral("数値");
    case DebugVariable::Kind::Text:
        return QStringLiteral("文字列");
    case DebugVariable::Kind::Array:
        return QStringLiteral("配列");
    case DebugVariable::Kind::Empty:
        break;
    }
    return QStringLiteral("空");
}

// A value as the pane shows it: a text in quotes.
QString Shown(DebugVariable::Kind kind, const std::u16string& value) {
    const QString text = QString::fromStdU16String(value);
    return kind == DebugVariable::Kind::Text ? QLatin1Char('"') + text + QLatin1Char('"') : text;
}

} // namespace

DebugPanes::DebugPanes(QWidget* parent)
    : QWidget(parent), variablesCaption_(new QLabel(QStringLiteral("変数"), this)),
      variables_(new QTreeWidget(this)), callsCaption_(new QLabel(QStringLiteral("呼び出し履歴"), this)),
      calls_(new QListWidget(this)), expressionCaption_(new QLabel(QStringLiteral("式の評価"), this)),
      expression_(new QLineEdit(this)), result_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("DebugPanes"));
    variables_->setObjectName(QStringLiteral("DebugVariables"));
    variables_->setAccessibleName(QStringLiteral("変数"));
    variables_->setHeaderLabels({QStringLiteral("名前"), QStringLiteral("値"), QStringLiteral("型")});
    variables_->header()->setStretchLastSection(false);
    variables_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    calls_->setObjectName(QStringLiteral("DebugCalls"));
    calls_->setAccessibleName(QStringLiteral("呼び出し履歴"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(variablesCaption_);
    // The two lists share the height 3 : 1 whatever their own size hints say.
    variables_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    calls_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    layout->addWidget(variables_, 3);
    layout->addWidget(callsCaption_);
    layout->addWidget(calls_, 1);
    expression_->setObjectName(QStringLiteral("DebugExpression"));
    expression_->setAccessibleName(QStringLiteral("式"));
    expression_->setEnabled(false);
    result_->setObjectName(QStringLiteral("DebugResult"));
    result_->setAccessibleName(QStringLiteral("評価の結果"));
    result_->setReadOnly(true);
    result_->setFrame(false);
    result_->setFocusPolicy(Qt::ClickFocus);
    layout->addWidget(expressionCaption_);
    layout->addWidget(expression_);
    layout->addWidget(result_);
    connect(expression_, &QLineEdit::returnPressed, this, &DebugPanes::Evaluate);
    connect(calls_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (engine_ != nullptr && row >= 0) ShowCall(row);
    });
    connect(variables_, &QTreeWidget::itemExpanded, this, &DebugPanes::OpenArray);
}

void DebugPanes::ShowPause(cMoMacro_Engine& engine) {
    engine_ = &engine;
    before_ = now_;
    now_.clear();
    const QSignalBlocker quiet(calls_);
    calls_->clear();
    functions_.clear();
    for (const DebugFrame& frame : engine.DebugFrames()) {
        const QString name =
            frame.function.empty() ? QStringLiteral("（メイン）") : QString::fromStdU16String(frame.function);
        calls_->addItem(QStringLiteral("%1　行＝%2").arg(name).arg(frame.line));
        functions_ << name;
    }
    calls_->setCurrentRow(0);
    ShowCall(0);
    expression_->setEnabled(true);
    result_->clear();
}

void DebugPanes::EndPause() {
    engine_ = nullptr;
    expression_->setEnabled(false);
}

void DebugPanes::Evaluate() {
    if (engine_ == nullptr) return;
    const DebugEvaluation answer = engine_->DebugEvaluate(expression_->text().toStdU16String());
    if (answer.errorCode != 0) {
        const QString information = QString::fromStdU16String(answer.errorInformation);
        result_->setStyleSheet(QStringLiteral("color: %1").arg(kErrorColour.name()));
        result_->setText(QStringLiteral("エラー：") + QString::fromStdU16String(answer.errorMessage) +
                         (information.isEmpty() ? QString() : QStringLiteral(" - ") + information));
        return;
    }
    result_->setStyleSheet(QString());
    result_->setText((answer.assigned ? QStringLiteral("代入しました：") : QStringLiteral("＝ ")) +
                     Shown(answer.kind, answer.value) + QStringLiteral("　（") + TypeName(answer.kind) +
                     QStringLiteral("）"));
    // Shown again against what was shown a moment ago: the variable just given a value is the one marked.
    if (answer.assigned) {
        before_ = now_;
        ShowCall(std::max(calls_->currentRow(), 0));
    }
}

void DebugPanes::ShowCall(int frame) {
    variables_->clear();
    if (engine_ == nullptr) return;
    const auto call = static_cast<size_t>(frame);
    const std::vector<DebugVariable> locals = engine_->DebugLocals(call);
    if (!locals.empty()) AddGroup(QStringLiteral("ローカル"), locals, call);
    AddGroup(QStringLiteral("グローバル"), engine_->DebugGlobals(), SIZE_MAX);
}

void DebugPanes::AddGroup(const QString& caption, const std::vector<DebugVariable>& list, size_t frame) {
    auto* group = new QTreeWidgetItem(variables_, {caption});
    group->setFirstColumnSpanned(true);
    // A value is compared with the one of the same name in the same function at the last pause.
    const QString scope = frame == SIZE_MAX ? QStringLiteral("*") : functions_.value(static_cast<int>(frame));
    for (const DebugVariable& variable : list) {
        const QString name = QString::fromStdU16String(variable.name);
        const QString value = variable.kind == DebugVariable::Kind::Array
                                  ? QStringLiteral("(0 To %1)").arg(variable.last)
                                  : Shown(variable.kind, variable.value);
        auto* item = new QTreeWidgetItem(group, {name, value, TypeName(variable.kind)});
        const QString key = scope + QLatin1Char('\n') + name;
        now_.insert(key, value);
        const auto seen = before_.constFind(key);
        if (seen != before_.constEnd() && *seen != value)
            for (int column = 0; column < 3; ++column) item->setBackground(column, kChangedColour);
        if (variable.kind == DebugVariable::Kind::Array && variable.last >= 0) {
            item->setData(0, kFrameRole, frame == SIZE_MAX ? -1 : static_cast<int>(frame));
            item->setData(0, kLastRole, variable.last);
            item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        }
    }
    group->setExpanded(true);
}

// An array's elements are read when it is opened; a large one opens into pages of elements, each read when
// it is opened in its turn.
void DebugPanes::OpenArray(QTreeWidgetItem* item) {
    if (engine_ == nullptr || item->data(0, kOpenedRole).toBool() || !item->data(0, kLastRole).isValid())
        return;
    item->setData(0, kOpenedRole, true);
    const bool page = item->data(0, kFirstRole).isValid();
    const int first = page ? item->data(0, kFirstRole).toInt() : 0;
    const int last = item->data(0, kLastRole).toInt();
    const QString name = page ? item->data(0, kNameRole).toString() : item->text(0);
    const int frameData = item->data(0, kFrameRole).toInt();
    if (!page && last >= kElementsPerPage) {
        for (int start = 0; start <= last; start += kElementsPerPage) {
            const int end = std::min(last, start + kElementsPerPage - 1);
            auto* pageItem = new QTreeWidgetItem(item, {QStringLiteral("(%1 … %2)").arg(start).arg(end)});
            pageItem->setFirstColumnSpanned(true);
            pageItem->setData(0, kFrameRole, frameData);
            pageItem->setData(0, kFirstRole, start);
            pageItem->setData(0, kLastRole, end);
            pageItem->setData(0, kNameRole, name);
            pageItem->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        }
        return;
    }
    const size_t frame = frameData < 0 ? SIZE_MAX : static_cast<size_t>(frameData);
    const std::vector<std::u16string> values =
        engine_->DebugElements(frame, name.toStdU16String(), first, last - first + 1);
    for (size_t i = 0; i < values.size(); ++i)
        new QTreeWidgetItem(item, {QStringLiteral("(%1)").arg(first + static_cast<int>(i)),
                                   QString::fromStdU16String(values[i])});
}

bool DebugPanes::ValueOf(const QString& name, QString& value) const {
    const QString upper = name.toUpper();
    for (int g = 0; g < variables_->topLevelItemCount(); ++g) {
        const QTreeWidgetItem* group = variables_->topLevelItem(g);
        for (int i = 0; i < group->childCount(); ++i)
            if (group->child(i)->text(0) == upper) {
                value = group->child(i)->text(1);
                return true;
            }
    }
    return false;
}
