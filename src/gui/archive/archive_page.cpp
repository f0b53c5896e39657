// The archive page. Every node shown replaces the trees' models whole; the summary's lists appear only when
// they hold more than the value the field shows.
#include "gui/archive/archive_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>
#include <utility>

#include "gui/archive/view_tree_model.h"
#include "gui/common/qt_text.h"
#include "gui/common/view_icons.h"
#include "structure/node_queries.h"
#include "structure/node_types.h"

namespace pelgo::gui {
namespace {

constexpr int kFieldsPerColumn = 9;

template <class Widget> Widget* Named(Widget* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

bool HasList(int field) {
    return field == archive::kMacField || field >= archive::kFirstListField;
}

// The field's caption on the page: the record date and the inventory number go without one.
QString FieldCaption(int field) {
    if (field == 0 || field == archive::kInventoryField) {
        return {};
    }
    return QString::fromLatin1(archive::SummaryCaptions()[static_cast<std::size_t>(field)]);
}

QProgressBar* Gauge(QWidget* parent, const QString& name, const archive::GaugeScale& scale) {
    auto* gauge = Named(new QProgressBar(parent), name);
    gauge->setRange(scale.minimum, scale.maximum);
    gauge->setFormat(QStringLiteral("%v"));
    gauge->setAlignment(Qt::AlignCenter);
    gauge->setValue(scale.minimum);
    return gauge;
}

const char* ColourName(archive::GaugeColour colour) {
    switch (colour) {
    case archive::GaugeColour::Red:
        return "red";
    case archive::GaugeColour::Olive:
        return "olive";
    case archive::GaugeColour::Green:
        return "green";
    case archive::GaugeColour::Lime:
        return "lime";
    }
    return "red";
}

void ShowGauge(QProgressBar* gauge, std::optional<int> score, const archive::GaugeScale& scale) {
    const archive::GaugeReading reading = archive::ReadGauge(score, scale);
    gauge->setValue(reading.shown);
    gauge->setStyleSheet(
        QStringLiteral("QProgressBar::chunk { background-color: %1; }").arg(QLatin1String(ColourName(reading.colour))));
}

QTreeView* ViewOf(QWidget* parent, const QString& name, ViewTreeModel* model) {
    auto* view = Named(new QTreeView(parent), name);
    view->setHeaderHidden(true);
    view->setUniformRowHeights(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setIconSize(QSize(16, 16));
    view->setModel(model);
    return view;
}

} // namespace

ArchivePage::ArchivePage(session::AppState& state, NodeTypeIcons icons, QWidget* parent)
    : QWidget(parent), m_state(state), m_nodeIcons(std::move(icons)) {
    setObjectName(QStringLiteral("ArchivePage"));
    m_infoLabel = Named(new QLabel(this), QStringLiteral("Info"));
    m_infoLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_fileLabel = Named(new QLabel(this), QStringLiteral("FileNameLabel"));
    m_fileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* labels = new QHBoxLayout;
    labels->addWidget(m_infoLabel, 1);
    labels->addWidget(m_fileLabel);
    auto* panels = new QHBoxLayout;
    panels->addWidget(BuildSummary(), 1);
    panels->addWidget(BuildPerformance());

    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(2, 2, 2, 2);
    m_layout->setSpacing(2);
    m_layout->addLayout(labels);
    m_layout->addLayout(panels);
    m_layout->addWidget(BuildTrees(), 1);
    ShowNode(nullptr);
}

QWidget* ArchivePage::BuildSummary() {
    m_summaryPanel = Named(new QWidget(this), QStringLiteral("SummaryPanel"));
    auto* grid = new QGridLayout(m_summaryPanel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(1);
    for (int field = 0; field < archive::kSummaryFieldCount; ++field) {
        const QString number = QString::number(field);
        QLineEdit* edit = m_fields[static_cast<std::size_t>(field)] =
            Named(new QLineEdit(m_summaryPanel), QStringLiteral("SummaryField") + number);
        edit->setReadOnly(true);
        OfferCopy(edit, [edit] { return edit->text().trimmed(); });
        auto* label = Named(new QLabel(FieldCaption(field), m_summaryPanel), QStringLiteral("SummaryCaption") + number);
        label->setBuddy(edit);
        auto* cell = new QHBoxLayout;
        cell->setSpacing(2);
        cell->addWidget(edit, 2);
        if (HasList(field)) {
            QComboBox* list = m_lists[static_cast<std::size_t>(field)] =
                Named(new QComboBox(m_summaryPanel), QStringLiteral("SummaryList") + number);
            list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            list->setMinimumContentsLength(12);
            OfferCopy(list, [list] { return list->currentText().trimmed(); });
            cell->addWidget(list, 1);
        }
        const int row = field % kFieldsPerColumn;
        const int column = field / kFieldsPerColumn * 2;
        grid->addWidget(label, row, column);
        grid->addLayout(cell, row, column + 1);
    }
    m_fields[archive::kInventoryField]->setToolTip(QString::fromUtf8("Сохраненный инвентарный номер"));
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return m_summaryPanel;
}

QWidget* ArchivePage::BuildPerformance() {
    m_performancePanel = Named(new QWidget(this), QStringLiteral("PerformancePanel"));
    auto* grid = new QGridLayout(m_performancePanel);
    grid->setContentsMargins(4, 0, 0, 0);
    grid->setVerticalSpacing(2);
    const char* captions[] = {"CPU freq", "Memory", "HDD total"};
    for (std::size_t item = 0; item < m_gauges.size(); ++item) {
        const QString number = QString::number(item + 1);
        grid->addWidget(Named(new QLabel(QLatin1String(captions[item]), m_performancePanel),
                              QStringLiteral("GaugeCaption") + number),
                        static_cast<int>(item), 0);
        m_gauges[item] = Gauge(m_performancePanel, QStringLiteral("Gauge") + number, archive::kItemGauge);
        grid->addWidget(m_gauges[item], static_cast<int>(item), 1);
    }
    grid->addWidget(Named(new QLabel(QString::fromUtf8("Оценка компьютера  :"), m_performancePanel),
                          QStringLiteral("OverallCaption")),
                    3, 0);
    m_overallGauge = Gauge(m_performancePanel, QStringLiteral("OverallGauge"), archive::kOverallGauge);
    grid->addWidget(m_overallGauge, 3, 1);
    grid->setRowStretch(4, 1);
    m_performancePanel->setFixedWidth(m_performancePanel->sizeHint().width() + 40);
    return m_performancePanel;
}

QWidget* ArchivePage::BuildTrees() {
    auto* splitter = Named(new QSplitter(Qt::Horizontal, this), QStringLiteral("AlarmSplitter"));
    m_archiveModel = new ViewTreeModel(&ViewIcon, this);
    m_alarmModel = new ViewTreeModel(&ViewIcon, this);
    m_archiveTree = ViewOf(splitter, QStringLiteral("ArchiveTree"), m_archiveModel);
    m_alarmTree = ViewOf(splitter, QStringLiteral("AlarmTree"), m_alarmModel);
    splitter->addWidget(m_archiveTree);
    splitter->addWidget(m_alarmTree);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    return splitter;
}

void ArchivePage::AddBottomPanel(QWidget* panel) {
    m_layout->addWidget(panel);
}

void ArchivePage::OfferCopy(QWidget* field, const std::function<QString()>& text) {
    field->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(field, &QWidget::customContextMenuRequested, this,
            [this, field, text](const QPoint& position) { emit copyRequested(text(), field->mapToGlobal(position)); });
}

void ArchivePage::ShowFileName(const QString& path) {
    m_fileLabel->setText(path);
}

std::string ArchivePage::ShowNode(const structure::TreeNode* node) {
    const int type = node != nullptr ? node->Icon() : 0;
    if (type >= structure::kIconMacAddress) {
        return {};
    }
    const bool computer = type == structure::kIconComputer;
    m_summaryPanel->setVisible(computer);
    m_performancePanel->setVisible(computer && m_state.Settings().Bool(shell::Key::PerformanceShow));
    archive::ComputerView view;
    if (computer) {
        view = ViewOfComputer(*node);
    }
    m_infoLabel->setText(FromCp1251(view.infoLine));
    m_fileLabel->setText(FromCp1251(view.fileName));
    ShowSummary(view);
    ShowRating(view);
    if (type == structure::kIconDepartment) {
        m_archiveModel->SetTree(DepartmentSummary(*node), [icons = m_nodeIcons](int icon) { return icons.Icon(icon); });
    } else {
        m_archiveModel->SetTree(std::move(view.archive), &ViewIcon);
    }
    m_alarmModel->SetTree(std::move(view.alarms));
    m_alarmTree->setVisible(computer && !m_alarmModel->Empty());
    m_archiveTree->setCurrentIndex(m_archiveModel->index(0, 0));
    // The department's count is one line with the types under it: always open.
    if (type == structure::kIconDepartment || m_state.Settings().Bool(shell::Key::ExpandRightTree)) {
        m_archiveTree->expandAll();
        m_alarmTree->expandAll();
    }
    return view.configDirectory;
}

archive::ComputerView ArchivePage::ViewOfComputer(const structure::TreeNode& computer) {
    const structure::TreeModel& tree = m_state.Tree();
    const std::string address =
        structure::IsNetComputer(tree, &computer) ? structure::ComputerAddress(tree, computer) : "";
    shell::ManagedTable& device = m_state.DeviceTable();
    shell::ManagedTable& other = m_state.OtherTable();
    if (address.size() < 2 || !device.IsOpen() || !other.IsOpen()) {
        return {};
    }
    return archive::ViewOfComputer(*device.table, *other.table, address, m_state.Smart(),
                                   archive::ViewTexts::Translated());
}

archive::ViewTree ArchivePage::DepartmentSummary(const structure::TreeNode& department) const {
    if (const structure::NodeTypes* types = m_state.NodeTypes()) {
        return archive::BuildDepartmentSummary(m_state.Tree(), department, *types);
    }
    return archive::BuildDepartmentSummary(m_state.Tree(), department,
                                           structure::NodeTypes(m_state.Settings().userNodeTypes));
}

void ArchivePage::ShowSummary(const archive::ComputerView& view) {
    for (std::size_t field = 0; field < m_fields.size(); ++field) {
        const archive::SummaryField& summary = view.fields[field];
        m_fields[field]->setText(FromCp1251(summary.text));
        m_fields[field]->setCursorPosition(0);
        QComboBox* list = m_lists[field];
        if (list == nullptr) {
            continue;
        }
        list->clear();
        list->setVisible(summary.list.size() > 1);
        if (summary.list.size() < 2) {
            continue;
        }
        for (const std::string& entry : summary.list) {
            list->addItem(FromCp1251(entry));
        }
        list->setCurrentIndex(0);
    }
    QStringList hints;
    for (const std::string& hint : view.macHints) {
        hints << FromCp1251(hint);
    }
    m_fields[archive::kMacField]->setToolTip(hints.join(u'\n'));
}

void ArchivePage::ShowRating(const archive::ComputerView& view) {
    const archive::PerformanceRating rating =
        archive::RatePerformance(view, archive::PerformanceSettings(m_state.Settings()));
    for (std::size_t item = 0; item < m_gauges.size(); ++item) {
        ShowGauge(m_gauges[item], rating.scores[item], archive::kItemGauge);
    }
    ShowGauge(m_overallGauge, rating.overall, archive::kOverallGauge);
}

} // namespace pelgo::gui
