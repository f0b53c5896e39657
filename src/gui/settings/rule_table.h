// An editable table of text rules (the revision's selection and replacement rules, the inventory sheet's
// columns): fixed columns of limited width, some chosen from a pick list that also takes typed text. Rows are
// inserted with Insert (or Down on the last row) and removed with Ctrl+Delete, as in a data grid.
#pragma once

#include <QStringList>
#include <QTableWidget>
#include <functional>
#include <vector>

namespace pelgo::gui {

struct RuleColumn {
    const char* name;  // the field name, also the column's object name in translations
    int titleId;       // text id of the column title
    const char* title; // Russian default
    int width;         // characters
};

class RuleTable : public QTableWidget {
    Q_OBJECT
public:
    RuleTable(std::vector<RuleColumn> columns, QWidget* parent = nullptr);

    // The titles in the current language.
    void TranslateTitles();
    // The entries offered in a column's editor; an empty list makes it a plain text field.
    void SetPickList(int column, const QStringList& entries);
    // Rows whose texts make the predicate true are shown apart.
    void SetTint(std::function<bool(const QStringList& row)> tinted) { m_tinted = std::move(tinted); }

    // Every row's texts, trimmed on the right as the grid keeps them; an editor still open is committed first.
    std::vector<QStringList> Rows();
    void SetRows(const std::vector<QStringList>& rows);

    const RuleColumn& Column(int column) const { return m_columns[static_cast<std::size_t>(column)]; }
    const QStringList& PickList(int column) const { return m_pickLists[static_cast<std::size_t>(column)]; }

    void InsertRow();
    void RemoveCurrentRow();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void InsertRowAt(int row, int column);
    void ApplyTint(int row);

    std::vector<RuleColumn> m_columns;
    std::vector<QStringList> m_pickLists;
    std::function<bool(const QStringList&)> m_tinted;
};

} // namespace pelgo::gui
