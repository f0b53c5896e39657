// The add dialog and the change-type dialog driven as a user drives them: choosing a type, typing, ticking
// the options, F1 without reference lists, copying a node's additional data from a real other.dbf, and
// confirming or cancelling; what they hand to the tree editor is checked.
#include "gui/structure/add_node_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>

#include "gui/common/window_translation.h"
#include "gui/structure/change_type_dialog.h"
#include "gui_test_suites.h"
#include "gui_test_support.h"

namespace pelgo::testing {
namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Runs `act` once the modal dialog is open; a dialog that `act` left open is cancelled, so a failed step
// ends the showing instead of hanging the run.
void OnOpen(QDialog& dialog, std::function<void()> act) {
    QTimer::singleShot(0, &dialog, [&dialog, act = std::move(act)] {
        act();
        if (dialog.isVisible()) {
            dialog.reject();
        }
    });
}

void SetNumber(QSpinBox* box, int value) {
    box->selectAll();
    QTest::keyClicks(box, QString::number(value));
}

void Choose(QListWidget* list, int row) {
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

// On the indicator: a stretched check box does not take clicks beside its caption.
void Tick(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

// A missing button is not clicked: the showing's checks tell what did not happen.
void Click(QPushButton* button) {
    if (button != nullptr) {
        QTest::mouseClick(button, Qt::LeftButton);
    }
}

// The open cell editor (a closed one is hidden until it is deleted).
QLineEdit* CellEditor(QTableWidget* grid) {
    for (QLineEdit* edit : grid->findChildren<QLineEdit*>()) {
        if (edit->isVisible()) {
            return edit;
        }
    }
    return nullptr;
}

void EnterCell(QTableWidget* grid, int row, const QString& text) {
    grid->setCurrentCell(row, 1);
    grid->editItem(grid->item(row, 1));
    QLineEdit* editor = CellEditor(grid);
    if (editor == nullptr) {
        return;
    }
    Retype(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    // The view commits a cell closed by Return from the event loop, before a user could do anything else.
    QCoreApplication::processEvents();
}

QStringList GridValues(QTableWidget* grid) {
    QStringList values;
    for (int row = 0; row < grid->rowCount(); ++row) {
        values << grid->item(row, 1)->text();
    }
    return values;
}

// A started application state on an installation whose other.dbf holds `records`, with the add dialog
// and window translation as the program has them.
struct AddFixture {
    explicit AddFixture(const std::vector<std::vector<std::string>>& records = {}) {
        const core::Clock clock; // the table reads the time through it until it is closed
        platform::DbfTable other =
            platform::DbfTable::Open(installation.Path("BASE/other.dbf"), platform::DbfOpenMode::Shared, clock);
        for (const std::vector<std::string>& record : records) {
            other.Append(record);
        }
        other.Close();
        state.Clock().Set({2026, 3, 10, 15, 0, 0});
        started = state.Start([](std::string_view) {}) == session::AppState::StartResult::Running;
        types = add.findChild<QListWidget*>(QStringLiteral("TypeList"));
        text = add.findChild<QLineEdit*>(QStringLiteral("NodeText"));
        asChild = add.findChild<QCheckBox*>(QStringLiteral("SubLevelBox"));
        repeat = add.findChild<QCheckBox*>(QStringLiteral("RepeatBox"));
        repeatCount = add.findChild<QSpinBox*>(QStringLiteral("RepeatCount"));
        withInventory = add.findChild<QCheckBox*>(QStringLiteral("InventoryBox"));
        prefix = add.findChild<QLineEdit*>(QStringLiteral("InventoryPrefix"));
        autoIncrement = add.findChild<QCheckBox*>(QStringLiteral("AutoIncrementBox"));
        incrementStart = add.findChild<QSpinBox*>(QStringLiteral("IncrementStart"));
        withAdditional = add.findChild<QCheckBox*>(QStringLiteral("AdditionalBox"));
        grid = add.findChild<QTableWidget*>(QStringLiteral("AdditionalGrid"));
        addButton = add.findChild<QPushButton*>(QStringLiteral("AddButton"));
        cancelButton = add.findChild<QPushButton*>(QStringLiteral("CancelButton"));
        copyText = add.findChild<QPushButton*>(QStringLiteral("CopyTextButton"));
    }
    ~AddFixture() { state.CloseRequest(); }

    bool Complete() const {
        return started && types && text && asChild && repeat && repeatCount && withInventory && prefix &&
               autoIncrement && incrementStart && withAdditional && grid && addButton && cancelButton && copyText;
    }
    // The button that carries the node's text, looked up by that text.
    QPushButton* CopyFromNode(const QString& caption) {
        for (QPushButton* button : add.findChildren<QPushButton*>()) {
            if (button->text() == caption) {
                return button;
            }
        }
        return nullptr;
    }
    QLabel* Label(const QString& caption) {
        for (QLabel* label : add.findChildren<QLabel*>()) {
            if (label->text() == caption) {
                return label;
            }
        }
        return nullptr;
    }

    Installation installation;
    RecordingDialog dialog;
    QuietProgress progress;
    session::AppState state{
        {installation.Folder(), installation.Path("pelgo"), {}, "IVANOV", "WS-01"}, dialog, progress};
    gui::WindowTranslation translation{state.Translator()};
    gui::AddNodeDialog add{state, gui::NodeTypeIcons(), dialog, nullptr};
    bool started = false;
    QListWidget* types;
    QLineEdit* text;
    QCheckBox* asChild;
    QCheckBox* repeat;
    QSpinBox* repeatCount;
    QCheckBox* withInventory;
    QLineEdit* prefix;
    QCheckBox* autoIncrement;
    QSpinBox* incrementStart;
    QCheckBox* withAdditional;
    QTableWidget* grid;
    QPushButton* addButton;
    QPushButton* cancelButton;
    QPushButton* copyText;
};

const char* const kBucket = "Неоприходованная техника";
const char* const kBucketUno = "AAAAAAAAAAAA";

class AddNodeDialogTest : public QObject {
    Q_OBJECT

private slots:
    void choosingATypeGivesItsTextAndAddsAChild() {
        AddFixture f;
        QVERIFY(f.Complete());
        bool lockedBeforeChoice = false;
        QString department;
        QString computer;
        QString clipboard;
        OnOpen(f.add, [&] {
            lockedBeforeChoice = !f.text->isEnabled() && !f.addButton->isEnabled() && f.text->text().isEmpty();
            Choose(f.types, 0);
            department = f.text->text();
            Choose(f.types, 2);
            computer = f.text->text();
            Retype(f.text, U("  ПК-7 бухгалтерия"));
            Click(f.copyText);
            clipboard = QApplication::clipboard()->text();
            Click(f.addButton);
        });
        const std::optional<structure::AddRequest> request = f.add.Ask(f.state.Tree().First());
        QVERIFY(lockedBeforeChoice);
        QCOMPARE(department, U("<< Название Отдела >>"));
        QCOMPARE(computer, U("Компьютер"));
        QCOMPARE(clipboard, U("  ПК-7 бухгалтерия"));
        QVERIFY(request.has_value());
        QCOMPARE(request->icon, structure::kIconComputer);
        QCOMPARE(request->text, core::Utf8ToCp1251("  ПК-7 бухгалтерия"));
        QVERIFY(request->asChild);
        QVERIFY(!request->repeat);
        QVERIFY(!request->withInventory);
        QVERIFY(!request->withAdditional);
        QVERIFY(f.Label(U(kBucket)) != nullptr);
        QCOMPARE(f.types->count(), static_cast<int>(f.state.NodeTypes()->All().size()));
        QCOMPARE(f.types->item(11)->text(), U("Прочее"));
        QVERIFY(!f.types->item(11)->icon().isNull());
    }

    void seriesWithInventoryNumbersAndAdditionalData() {
        AddFixture f;
        QVERIFY(f.Complete());
        bool repeatOnlyForSiblings = false;
        bool gridOnlyWhenTicked = false;
        bool openAfterCells = false;
        QString initialPrefix;
        OnOpen(f.add, [&] {
            Choose(f.types, 4);
            repeatOnlyForSiblings = !f.repeat->isEnabled();
            Tick(f.asChild);
            repeatOnlyForSiblings = repeatOnlyForSiblings && f.repeat->isEnabled();
            Tick(f.repeat);
            SetNumber(f.repeatCount, 150);
            initialPrefix = f.prefix->text();
            Tick(f.withInventory);
            Retype(f.prefix, U("ИНВ-"));
            Tick(f.autoIncrement);
            SetNumber(f.incrementStart, 7);
            gridOnlyWhenTicked = !f.grid->isVisible();
            Tick(f.withAdditional);
            gridOnlyWhenTicked = gridOnlyWhenTicked && f.grid->isVisible();
            EnterCell(f.grid, 0, QStringLiteral("Samsung 943N"));
            EnterCell(f.grid, 7, U("ООО «Ромашка»"));
            openAfterCells = f.add.isVisible();
            Click(f.addButton);
        });
        const std::optional<structure::AddRequest> request = f.add.Ask(f.state.Tree().First());
        QVERIFY(repeatOnlyForSiblings);
        QVERIFY(gridOnlyWhenTicked);
        QVERIFY2(openAfterCells, "Return in a cell only ends the cell's editing");
        QCOMPARE(initialPrefix, U("<введите номер>"));
        QVERIFY(request.has_value());
        QCOMPARE(request->icon, 5);
        QCOMPARE(request->text, core::Utf8ToCp1251("Монитор"));
        QVERIFY(!request->asChild);
        QVERIFY(request->repeat);
        QCOMPARE(request->repeatCount, 150);
        QVERIFY(request->withInventory);
        QCOMPARE(request->inventoryPrefix, core::Utf8ToCp1251("ИНВ-"));
        QVERIFY(request->autoIncrement);
        QCOMPARE(request->incrementStart, 7);
        QVERIFY(request->withAdditional);
        structure::AdditionalValues expected;
        expected[0] = "Samsung 943N";
        expected[7] = core::Utf8ToCp1251("ООО «Ромашка»");
        QVERIFY(request->additional == expected);
        QCOMPARE(f.grid->item(0, 0)->text(), U("Модель"));
        QCOMPARE(f.grid->item(14, 0)->text(), U("МатОтв"));
    }

    void copiesTheNodesMainDataAndIsReusable() {
        AddFixture f({{kBucketUno, "Main", "aModel", "HP LaserJet 1100"},
                      {kBucketUno, "Main", "aFIO", core::Utf8ToCp1251("Петров П.П.")},
                      {kBucketUno, "0;N1 , 01.03.2026", "aShop", "a journal, not additional data"},
                      {"BBBBBBBBBBBB", "Main", "aZavNum", "another node's"}});
        QVERIFY(f.Complete());
        structure::TreeNode& bucket = *f.state.Tree().First();
        QCOMPARE(bucket.Record()->uno, std::string(kBucketUno));
        QStringList copied;
        OnOpen(f.add, [&] {
            Choose(f.types, 5);
            Tick(f.asChild);
            Tick(f.withAdditional);
            EnterCell(f.grid, 1, QStringLiteral("typed before the copy"));
            Click(f.CopyFromNode(U(kBucket)));
            copied = GridValues(f.grid);
            Click(f.addButton);
        });
        const std::optional<structure::AddRequest> request = f.add.Ask(&bucket);
        QStringList expected(static_cast<int>(structure::kAdditionalFieldCount));
        expected[0] = QStringLiteral("HP LaserJet 1100");
        expected[14] = U("Петров П.П.");
        QCOMPARE(copied, expected);
        QVERIFY(request.has_value());
        QCOMPARE(request->additional[14], core::Utf8ToCp1251("Петров П.П."));

        // The next showing is for another node: no type and text yet, the options and the grid as left.
        structure::TreeNode& store = f.state.Tree().AddChild(nullptr, -1, core::Utf8ToCp1251("Склад"), 1);
        bool reset = false;
        bool kept = false;
        QStringList copiedFromStore;
        OnOpen(f.add, [&] {
            reset = f.types->selectedItems().isEmpty() && f.text->text().isEmpty() && !f.addButton->isEnabled() &&
                    f.Label(U("Склад")) != nullptr;
            kept = !f.asChild->isChecked() && f.withAdditional->isChecked() && GridValues(f.grid) == expected;
            Click(f.CopyFromNode(U("Склад")));
            copiedFromStore = GridValues(f.grid);
            Click(f.cancelButton);
        });
        QVERIFY(!f.add.Ask(&store).has_value());
        QVERIFY(reset);
        QVERIFY(kept);
        QCOMPARE(copiedFromStore, QStringList(static_cast<int>(structure::kAdditionalFieldCount)));
        QVERIFY(store.Record() == nullptr);

        bool rootShown = false;
        OnOpen(f.add, [&] {
            QPushButton* copy = f.CopyFromNode(U("<Корень>"));
            rootShown = f.Label(U("<Корень>")) != nullptr && copy != nullptr && !copy->isEnabled();
        });
        QVERIFY(!f.add.Ask(nullptr).has_value());
        QVERIFY(rootShown);
    }

    void f1WithoutReferenceListsTellsWhereToSetThem() {
        AddFixture f;
        QVERIFY(f.Complete());
        QStringList messagesWithoutLists;
        OnOpen(f.add, [&] {
            Choose(f.types, 0);
            QTest::keyClick(f.text, Qt::Key_F1);
            Tick(f.withAdditional);
            QTest::keyClick(f.grid, Qt::Key_F1);
            f.grid->setCurrentCell(3, 1);
            f.grid->editItem(f.grid->item(3, 1));
            if (QLineEdit* editor = CellEditor(f.grid)) {
                QTest::keyClick(editor, Qt::Key_F1);
            }
            messagesWithoutLists = f.dialog.messages;
            Click(f.cancelButton);
        });
        QVERIFY(!f.add.Ask(f.state.Tree().First()).has_value());
        const QString hint = U("Задайте справочники в Настройках программы");
        QCOMPARE(messagesWithoutLists, QStringList({hint, hint, hint}));
    }

    void changeTypeOffersEveryTypeWithTheCurrentOneChosen() {
        const structure::NodeTypes types({{"table.ico", core::Utf8ToCp1251("Стол")}});
        gui::ChangeTypeDialog change(types, gui::NodeTypeIcons(), nullptr);
        auto* list = change.findChild<QListWidget*>(QStringLiteral("TypeList"));
        auto* changeButton = change.findChild<QPushButton*>(QStringLiteral("ChangeButton"));
        auto* cancel = change.findChild<QPushButton*>(QStringLiteral("CancelButton"));
        QVERIFY(list && changeButton && cancel);
        const auto chosenCaption = [&] {
            return list->selectedItems().isEmpty() ? QString() : list->selectedItems().front()->text();
        };

        QString preselected;
        OnOpen(change, [&] {
            preselected = chosenCaption();
            Choose(list, 5);
            Click(changeButton);
        });
        QCOMPARE(change.Ask(12).value_or(-1), 6);
        QCOMPARE(preselected, U("Ксерокс"));
        QCOMPARE(list->count(), 14);
        QVERIFY(!list->item(13)->icon().isNull());

        OnOpen(change, [&] {
            preselected = chosenCaption();
            Click(changeButton);
        });
        QCOMPARE(change.Ask(14).value_or(-1), 14);
        QCOMPARE(preselected, U("Стол"));

        bool changeLocked = false;
        OnOpen(change, [&] {
            preselected = chosenCaption();
            changeLocked = !changeButton->isEnabled();
            Click(cancel);
        });
        QVERIFY(!change.Ask(99).has_value());
        QVERIFY(preselected.isEmpty());
        QVERIFY(changeLocked);

        OnOpen(change, [&] {
            Choose(list, 10);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(10)).center());
        });
        QCOMPARE(change.Ask(3).value_or(-1), 13);
    }
};

} // namespace

std::unique_ptr<QObject> MakeAddNodeDialogTest() {
    return std::make_unique<AddNodeDialogTest>();
}

} // namespace pelgo::testing

#include "add_node_dialog_test.moc"
