// The change-type dialog.
#include "gui/structure/change_type_dialog.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "gui/common/qt_text.h"
#include "gui/common/window_translation.h"

namespace pelgo::gui {

ChangeTypeDialog::ChangeTypeDialog(const structure::NodeTypes& types, NodeTypeIcons icons, QWidget* parent)
    : QDialog(parent), m_types(types), m_icons(std::move(icons)) {
    setObjectName(QStringLiteral("TChangeIcon"));
    setWindowTitle(QString::fromUtf8("Изменить тип"));
    setProperty(kTagProperty, 208);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("TypeList"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_change = new QPushButton(QString::fromUtf8("Сменить"), this);
    m_change->setObjectName(QStringLiteral("ChangeButton"));
    m_change->setDefault(true);
    auto* cancel = new QPushButton(QString::fromUtf8("Отмена"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setAutoDefault(false);
    connect(m_list, &QListWidget::itemSelectionChanged, this,
            [this] { m_change->setEnabled(!m_list->selectedItems().isEmpty()); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_change, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_change);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
}

std::optional<int> ChangeTypeDialog::Ask(int currentIcon) {
    // Filled at each showing, so the captions follow the language.
    m_list->clear();
    for (const structure::NodeType& type : m_types.All()) {
        auto* item = new QListWidgetItem(m_icons.Icon(type.icon), FromCp1251(type.caption), m_list);
        item->setData(Qt::UserRole, type.icon);
        if (type.icon == currentIcon) {
            m_list->setCurrentItem(item);
        }
    }
    m_change->setEnabled(!m_list->selectedItems().isEmpty());
    m_list->setFocus();
    if (exec() != QDialog::Accepted || m_list->selectedItems().isEmpty()) {
        return std::nullopt;
    }
    return m_list->selectedItems().front()->data(Qt::UserRole).toInt();
}

} // namespace pelgo::gui
