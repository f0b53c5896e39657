// The installation of the revision and inventory-sheet tests, started in a main window: "Бухгалтерия" holds the
// employee "Иванов И.И." with PC-1 (Intel, 256 Mb, a disk) and a monitor, "Склад" holds PC-2 (AMD); and the
// helpers that act on a modal dialog from inside its loop and edit a rule table cell by cell.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>

#include "gui/main/main_window.h"
#include "gui/settings/rule_table.h"
#include "gui/structure/structure_tree_model.h"
#include "gui_test_support.h"

namespace pelgo::testing {

inline QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

struct RevisionInstallation {
    RevisionInstallation() {
        WriteCp1251Lines(installation.QPath("BASE/struct"),
                         {"Неоприходованная техника", "Бухгалтерия", "\tИванов И.И.", "\t\tPC-1", "\t\t\t00AA00000001",
                          "\t\tМонитор", "Склад", "\tPC-2", "\t\t00AA00000002"});
        WriteCp1251Lines(installation.QPath("BASE/image"),
                         {"1 ; AAAAAAAAAAAA ;", "1 ; BBBBBBBBBBBB ;", "2 ; CCCCCCCCCCCC ;", "3 ; DDDDDDDDDDDD ;",
                          "4 ; EEEEEEEEEEEE ;", "5 ; HHHHHHHHHHHH ;", "1 ; FFFFFFFFFFFF ;", "3 ; GGGGGGGGGGGG ;",
                          "4 ; IIIIIIIIIIII ;"});
    }
    Installation installation;
};

struct RevisionWindow : RevisionInstallation, StartedWindow {
    RevisionWindow() : StartedWindow(installation) {
        platform::DbfTable& device = *state.DeviceTable().table;
        device.Append({"00AA00000001", "Computer", "CPU", "Intel Pentium III"});
        device.Append({"00AA00000001", "Computer", "Memory_in_Mb", "256"});
        device.Append({"00AA00000001", "HDD", "Model", "ST380011A"});
        device.Append({"00AA00000002", "Computer", "CPU", "AMD Athlon"});
        window->show();
        QTest::qWait(80); // the activation's selection settles
    }
    structure::TreeNode* Node(const char* utf8Text) {
        for (int i = 0; i < state.Tree().Count(); ++i) {
            if (state.Tree().NodeAt(i)->Text() == core::Utf8ToCp1251(utf8Text)) {
                return state.Tree().NodeAt(i);
            }
        }
        return nullptr;
    }
    void Select(const char* utf8Text) {
        window->Tree()->setCurrentIndex(window->TreeModel().IndexOf(Node(utf8Text)));
        QTest::qWait(120); // past the selection's settling time
    }
};

// Runs `act` on the first visible top-level dialog of type T once the modal loop that shows it is running.
template <class T> void OnModal(const std::function<void(T&)>& act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<T*>(widget); dialog && dialog->isVisible()) {
                act(*dialog);
                return;
            }
        }
    });
}

template <class T> T* Child(QWidget& parent, const char* name) {
    return parent.findChild<T*>(QLatin1String(name));
}

// Types a cell's text into its editor as a user does; the next cell's editing (or reading the rows) commits it.
inline void EditCell(gui::RuleTable& table, int row, int column, const QString& text) {
    table.setCurrentCell(row, column);
    table.edit(table.currentIndex());
    // Editors closed before linger hidden until they are deleted.
    for (QLineEdit* edit : table.viewport()->findChildren<QLineEdit*>()) {
        if (edit->isVisible()) {
            Retype(edit, text);
            return;
        }
    }
}

// Appends a row with the Down key and types its texts.
inline void AppendRow(gui::RuleTable& table, const QStringList& texts) {
    if (table.rowCount() > 0) {
        table.setCurrentCell(table.rowCount() - 1, 0);
    }
    QTest::keyClick(&table, Qt::Key_Down);
    const int row = table.rowCount() - 1;
    for (int column = 0; column < texts.size(); ++column) {
        EditCell(table, row, column, texts[column]);
    }
}

inline QStringList Texts(const std::vector<QStringList>& rows) {
    QStringList lines;
    for (const QStringList& row : rows) {
        lines << row.join(u'|');
    }
    return lines;
}

} // namespace pelgo::testing
