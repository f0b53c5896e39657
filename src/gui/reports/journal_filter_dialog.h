// The journal filter dialog ("Фильтр журнала") shown before a journal report: every entry, or only those of
// one date (or any text of their identifiers). One dialog serves the whole run, so the choice and the text
// are there again at the next report.
#pragma once

#include <QDialog>

#include "reports/journal_report.h"

class QLineEdit;
class QRadioButton;

namespace pelgo::gui {

class JournalFilterDialog : public QDialog {
    Q_OBJECT
public:
    explicit JournalFilterDialog(QWidget* parent = nullptr);

    // Before each showing: a text holding fewer than 3 characters gives way to `today`.
    void Prepare(const QString& today);
    reports::JournalFilter Filter() const;

private:
    QRadioButton* m_all = nullptr;
    QRadioButton* m_only = nullptr;
    QLineEdit* m_text = nullptr;
};

} // namespace pelgo::gui
