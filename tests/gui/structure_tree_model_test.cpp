// The item-model adapter over the structure tree, checked by Qt's model tester through every kind of change.
#include "gui/structure/structure_tree_model.h"

#include <QAbstractItemModelTester>
#include <QIcon>
#include <QSignalSpy>
#include <QTest>

#include "core/cp1251.h"
#include "gui_test_suites.h"

namespace pelgo::testing {
namespace {

class StructureTreeModelTest : public QObject {
    Q_OBJECT

private slots:
    void followsEveryChangeOfTheTree() {
        structure::TreeModel tree;
        gui::StructureTreeModel model(tree);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

        structure::TreeNode& bucket = tree.AddChild(nullptr, -1, core::Utf8ToCp1251("Неоприходованная техника"), 1);
        structure::TreeNode& firm = tree.AddChild(nullptr, -1, "Firm", 1);
        structure::TreeNode& office = tree.AddChild(&firm, -1, "Office", 1);
        structure::TreeNode& pc = tree.AddChild(&office, -1, "PC-1", 3);
        tree.AddChild(&office, -1, "00A0C9123456", 4);
        QCOMPARE(model.rowCount(), 2);
        const QModelIndex officeIndex = model.IndexOf(&office);
        QCOMPARE(model.rowCount(officeIndex), 2);
        QCOMPARE(model.parent(model.IndexOf(&pc)), officeIndex);
        QCOMPARE(model.data(model.IndexOf(&bucket)).toString(), QString::fromUtf8("Неоприходованная техника"));
        QVERIFY(!model.data(model.IndexOf(&pc), Qt::DecorationRole).value<QIcon>().isNull());
        QCOMPARE(model.NodeOf(model.index(0, 0, officeIndex)), &pc);

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        tree.SetText(pc, "PC-2");
        QCOMPARE(changed.size(), 1);
        QCOMPARE(model.data(model.IndexOf(&pc)).toString(), QStringLiteral("PC-2"));

        QVERIFY(tree.Move(pc, &bucket, 0));
        QCOMPARE(model.rowCount(model.IndexOf(&bucket)), 1);
        QCOMPARE(model.rowCount(officeIndex), 1);
        tree.Remove(office);
        QCOMPARE(model.rowCount(model.IndexOf(&firm)), 0);
        tree.Reset([&] { tree.AddChild(nullptr, -1, "Only", 1); });
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("Only"));
    }
};

} // namespace

std::unique_ptr<QObject> MakeStructureTreeModelTest() {
    return std::make_unique<StructureTreeModelTest>();
}

} // namespace pelgo::testing

#include "structure_tree_model_test.moc"
