// The conflict dialog of the number synchronisation.
#include "gui/inventory/number_choice_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/common/qt_text.h"
#include "structure/node_queries.h"

namespace pelgo::gui {
namespace {

QLabel* Label(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

NumberChoiceDialog::NumberChoiceDialog(const structure::TreeNode& node, const std::string& treeNumber,
                                       const std::string& storedNumber, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TInvChoice"));
    setWindowTitle(QString::fromUtf8("Выберите номер"));

    QLabel* caption = Label("CaptionLabel", FromCp1251(node.Text()), this);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    QLabel* path = Label("PathLabel", FromCp1251(structure::GetPath(node.Parent())), this);
    path->setWordWrap(true);

    auto* numbers = new QGridLayout;
    numbers->addWidget(Label("TreeLabel", QString::fromUtf8("Инв.№ из структуры предприятия :"), this), 0, 0);
    numbers->addWidget(Label("TreeNumber", FromCp1251(treeNumber), this), 0, 1);
    numbers->addWidget(Label("StoredLabel", QString::fromUtf8("Инв.№ из базы доп.данных :"), this), 1, 0);
    numbers->addWidget(Label("StoredNumber", FromCp1251(storedNumber), this), 1, 1);
    numbers->setColumnStretch(1, 1);

    // The two choices carry the numbers themselves, so the user picks what he reads.
    auto* choices = new QHBoxLayout;
    const auto choice = [this, choices](const char* name, const QString& text, inventory::NumberChoice result) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, result] {
            m_choice = result;
            accept();
        });
        choices->addWidget(button);
    };
    // A "&" of a number is shown, not taken as the button's shortcut mark.
    const auto literal = [](const std::string& number) {
        return FromCp1251(number).replace(QStringLiteral("&"), QStringLiteral("&&"));
    };
    choice("TreeButton", literal(treeNumber), inventory::NumberChoice::Tree);
    choice("StoredButton", literal(storedNumber), inventory::NumberChoice::Stored);
    choice("SkipButton", QString::fromUtf8("Пропустить"), inventory::NumberChoice::Skip);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(path);
    layout->addLayout(numbers);
    layout->addWidget(Label("QuestionLabel", QString::fromUtf8("Пожалуйста, укажите правильный :"), this));
    layout->addLayout(choices);
    setMinimumWidth(420);
}

inventory::NumberChoice NumberChoiceDialog::Choose() {
    m_choice = inventory::NumberChoice::Skip;
    exec();
    return m_choice;
}

} // namespace pelgo::gui
