// The journal filter dialog.
#include "gui/reports/journal_filter_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/common/qt_text.h"

namespace pelgo::gui {
namespace {

constexpr int kShortestText = 3;

} // namespace

JournalFilterDialog::JournalFilterDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("JournalFilter"));
    setWindowTitle(QString::fromUtf8("Фильтр журнала"));
    auto* group = new QGroupBox(QString::fromUtf8("Выводить"), this);
    group->setObjectName(QStringLiteral("OutputGroup"));
    m_all = new QRadioButton(QString::fromUtf8("Все записи"), group);
    m_all->setObjectName(QStringLiteral("AllEntries"));
    m_all->setChecked(true);
    m_only = new QRadioButton(QString::fromUtf8("Только за"), group);
    m_only->setObjectName(QStringLiteral("OnlyFor"));
    m_text = new QLineEdit(group);
    m_text->setObjectName(QStringLiteral("FilterText"));
    // Typing a text means filtering by it.
    connect(m_text, &QLineEdit::textEdited, m_only, [this] { m_only->setChecked(true); });
    auto* grid = new QGridLayout(group);
    grid->addWidget(m_all, 0, 0, 1, 2);
    grid->addWidget(m_only, 1, 0);
    grid->addWidget(m_text, 1, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
}

void JournalFilterDialog::Prepare(const QString& today) {
    if (m_text->text().size() < kShortestText) {
        m_text->setText(today);
    }
}

reports::JournalFilter JournalFilterDialog::Filter() const {
    return {m_all->isChecked(), ToCp1251(m_text->text())};
}

} // namespace pelgo::gui
