// The rule table's editing: pick-list editors, row insertion and removal, the tint.
#include "gui/settings/rule_table.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

#include "core/translator.h"
#include "gui/common/qt_text.h"

namespace pelgo::gui {
namespace {

const QColor kTint(255, 224, 224);

// Edits a cell with the column's pick list (typed text accepted) or a plain field, both cut to the width.
class RuleDelegate : public QStyledItemDelegate {
public:
    explicit RuleDelegate(RuleTable& table) : QStyledItemDelegate(&table), m_table(table) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
        const int width = m_table.Column(index.column()).width;
        const QStringList& entries = m_table.PickList(index.column());
        if (entries.isEmpty()) {
            auto* edit = new QLineEdit(parent);
            edit->setMaxLength(width);
            return edit;
        }
        auto* box = new QComboBox(parent);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->addItems(entries);
        box->lineEdit()->setMaxLength(width);
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        const QString text = index.data().toString();
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            box->setEditText(text);
        } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            edit->setText(text);
        }
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            model->setData(index, box->currentText());
        } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            model->setData(index, edit->text());
        }
    }

private:
    RuleTable& m_table;
};

QString TrimmedRight(QString text) {
    while (!text.isEmpty() && text.back().isSpace()) {
        text.chop(1);
    }
    return text;
}

} // namespace

RuleTable::RuleTable(std::vector<RuleColumn> columns, QWidget* parent)
    : QTableWidget(0, static_cast<int>(columns.size()), parent), m_columns(std::move(columns)),
      m_pickLists(m_columns.size()) {
    setItemDelegate(new RuleDelegate(*this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    const int charWidth = fontMetrics().averageCharWidth();
    for (int column = 0; column < columnCount(); ++column) {
        // Wide texts get a useful share of the screen, not their full length.
        setColumnWidth(column, charWidth * std::min(std::max(Column(column).width, 6), 40) + 12);
    }
    horizontalHeader()->setStretchLastSection(true);
    TranslateTitles();
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) { ApplyTint(item->row()); });
}

void RuleTable::TranslateTitles() {
    QStringList titles;
    for (const RuleColumn& column : m_columns) {
        titles << FromCp1251(core::Text(column.titleId, column.title));
    }
    setHorizontalHeaderLabels(titles);
}

void RuleTable::SetPickList(int column, const QStringList& entries) {
    m_pickLists[static_cast<std::size_t>(column)] = entries;
}

std::vector<QStringList> RuleTable::Rows() {
    // Moving the current cell away commits an open editor.
    setCurrentIndex(QModelIndex());
    std::vector<QStringList> rows;
    for (int row = 0; row < rowCount(); ++row) {
        QStringList texts;
        for (int column = 0; column < columnCount(); ++column) {
            const QTableWidgetItem* cell = item(row, column);
            texts << TrimmedRight(cell != nullptr ? cell->text() : QString());
        }
        rows.push_back(texts);
    }
    return rows;
}

void RuleTable::SetRows(const std::vector<QStringList>& rows) {
    setCurrentIndex(QModelIndex());
    const QSignalBlocker blocker(this);
    setRowCount(0);
    setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < rowCount(); ++row) {
        const QStringList& texts = rows[static_cast<std::size_t>(row)];
        for (int column = 0; column < columnCount(); ++column) {
            setItem(row, column, new QTableWidgetItem(texts.value(column).left(Column(column).width)));
        }
        ApplyTint(row);
    }
}

void RuleTable::InsertRow() {
    InsertRowAt(currentRow() < 0 ? rowCount() : currentRow(), 0);
}

void RuleTable::InsertRowAt(int row, int column) {
    // An open editor is committed to its own row before the rows move.
    setCurrentIndex(QModelIndex());
    insertRow(row);
    {
        const QSignalBlocker blocker(this);
        for (int c = 0; c < columnCount(); ++c) {
            setItem(row, c, new QTableWidgetItem);
        }
    }
    setCurrentCell(row, column);
}

void RuleTable::RemoveCurrentRow() {
    if (currentRow() >= 0) {
        removeRow(currentRow());
    }
}

void RuleTable::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
        InsertRow();
        return;
    }
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier) {
        RemoveCurrentRow();
        return;
    }
    if (event->key() == Qt::Key_Down && (rowCount() == 0 || currentRow() == rowCount() - 1)) {
        InsertRowAt(rowCount(), std::max(currentColumn(), 0));
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void RuleTable::ApplyTint(int row) {
    if (!m_tinted || row < 0) {
        return;
    }
    QStringList texts;
    for (int column = 0; column < columnCount(); ++column) {
        const QTableWidgetItem* cell = item(row, column);
        texts << (cell != nullptr ? cell->text() : QString());
    }
    const QBrush brush = m_tinted(texts) ? QBrush(kTint) : QBrush();
    const QSignalBlocker blocker(this);
    for (int column = 0; column < columnCount(); ++column) {
        if (QTableWidgetItem* cell = item(row, column)) {
            cell->setBackground(brush);
        }
    }
}

} // namespace pelgo::gui
