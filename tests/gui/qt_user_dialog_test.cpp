// The Qt user dialog: each button set's buttons give their answers, closing gives Cancel or No, file
// filters take Qt's form, and the file and input dialogs hand back what the user chose.
#include "gui/common/qt_user_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "gui/common/qt_text.h"
#include "gui_test_suites.h"

namespace pelgo::testing {
namespace {

using platform::Answer;
using platform::Buttons;

// Runs `act` on the modal dialog as soon as the dialog's event loop runs.
template <class Dialog> void WhenShown(const std::function<void(Dialog*)>& act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        act(dialog);
    });
}

class QtUserDialogTest : public QObject {
    Q_OBJECT

private slots:
    void everyButtonGivesItsAnswer() {
        struct Case {
            Buttons buttons;
            QMessageBox::StandardButton click; // NoButton: press Escape
            Answer answer;
        };
        const Case cases[] = {
            {Buttons::Ok, QMessageBox::Ok, Answer::Ok},
            {Buttons::OkCancel, QMessageBox::Ok, Answer::Ok},
            {Buttons::OkCancel, QMessageBox::Cancel, Answer::Cancel},
            {Buttons::OkCancel, QMessageBox::NoButton, Answer::Cancel},
            {Buttons::YesNo, QMessageBox::Yes, Answer::Yes},
            {Buttons::YesNo, QMessageBox::No, Answer::No},
            {Buttons::YesNo, QMessageBox::NoButton, Answer::No},
            {Buttons::YesNoCancel, QMessageBox::No, Answer::No},
            {Buttons::YesNoCancel, QMessageBox::NoButton, Answer::Cancel},
            {Buttons::RetryIgnore, QMessageBox::Retry, Answer::Retry},
            {Buttons::RetryIgnore, QMessageBox::Ignore, Answer::Ignore},
            {Buttons::RetryCancel, QMessageBox::Cancel, Answer::Cancel},
            {Buttons::RetryCancel, QMessageBox::NoButton, Answer::Cancel},
            {Buttons::AbortRetryIgnore, QMessageBox::Abort, Answer::Abort},
            {Buttons::AbortRetryIgnore, QMessageBox::Ignore, Answer::Ignore},
        };
        gui::QtUserDialog dialog;
        for (const Case& c : cases) {
            QString shown;
            WhenShown<QMessageBox>([&](QMessageBox* box) {
                shown = box->text();
                if (c.click == QMessageBox::NoButton) {
                    QTest::keyClick(box, Qt::Key_Escape);
                } else {
                    QAbstractButton* button = box->button(c.click);
                    if (button == nullptr) {
                        box->reject();
                        QFAIL("the button set lacks the button");
                    }
                    button->click();
                }
            });
            const Answer answer =
                dialog.Ask(platform::MessageKind::Warning, core::Utf8ToCp1251("Удалить запись ?\r\nДа"), c.buttons);
            QCOMPARE(static_cast<int>(answer), static_cast<int>(c.answer));
            QCOMPARE(shown, QString::fromUtf8("Удалить запись ?\nДа"));
        }
    }

    void fileFiltersTakeQtsForm() {
        QCOMPARE(gui::QtFileFilter("Text files|*.txt|All|*.*"), QStringLiteral("Text files (*.txt);;All (*.*)"));
        QCOMPARE(gui::QtFileFilter("Reports|*.rtf;*.imp"), QStringLiteral("Reports (*.rtf *.imp)"));
        QCOMPARE(gui::QtFileFilter(core::Utf8ToCp1251("Отчеты|*.rtf")), QString::fromUtf8("Отчеты (*.rtf)"));
        QCOMPARE(gui::QtFileFilter(""), QString());
    }

    void aSavedFileTakesTheDefaultExtension() {
        const QTemporaryDir dir;
        gui::QtUserDialog dialog;
        WhenShown<QFileDialog>([&](QFileDialog* files) {
            QCOMPARE(files->acceptMode(), QFileDialog::AcceptSave);
            QCOMPARE(files->nameFilters(), (QStringList{"Reports (*.rtf)"}));
            files->selectFile(dir.filePath(QStringLiteral("report")));
            // The file dialog's own accept, which adds the default suffix, is reached through the slot.
            QMetaObject::invokeMethod(files, "accept");
        });
        platform::FileChoice choice;
        choice.purpose = platform::FileChoice::Purpose::Save;
        choice.filter = "Reports|*.rtf";
        choice.initialPath = dir.path().toStdString();
        choice.defaultExtension = "rtf";
        QCOMPARE(dialog.ChooseFile(choice), std::optional(dir.filePath(QStringLiteral("report.rtf")).toStdString()));

        WhenShown<QFileDialog>([](QFileDialog* files) { files->reject(); });
        QCOMPARE(dialog.ChooseFile(choice), std::optional<std::string>());
    }

    void aFilteredSaveGivesTheNameAsTypedAndTheFilterPicked() {
        QTemporaryDir dir;
        gui::QtUserDialog dialog;
        WhenShown<QFileDialog>([&](QFileDialog* files) {
            QCOMPARE(files->nameFilters(), (QStringList{"RTF (*.rtf)", "Text (*.txt)"}));
            files->selectNameFilter(QStringLiteral("Text (*.txt)"));
            files->selectFile(dir.filePath(QStringLiteral("report.rtf")));
            QMetaObject::invokeMethod(files, "accept");
        });
        platform::FileChoice choice;
        choice.purpose = platform::FileChoice::Purpose::Save;
        choice.filter = "RTF|*.rtf|Text|*.txt";
        choice.initialPath = dir.path().toStdString();
        const std::optional<platform::FilteredFile> chosen = dialog.ChooseFileWithFilter(choice);
        QVERIFY(chosen.has_value());
        QCOMPARE(chosen->path, dir.filePath(QStringLiteral("report.rtf")).toStdString());
        QCOMPARE(chosen->filter, std::size_t{1});
    }

    void theInputBoxGivesTheTextOrNothing() {
        gui::QtUserDialog dialog;
        WhenShown<QInputDialog>([](QInputDialog* input) {
            QCOMPARE(input->textValue(), QString::fromUtf8("Отдел"));
            input->setTextValue(QString::fromUtf8("Бухгалтерия"));
            input->accept();
        });
        QCOMPARE(dialog.InputText("Pelgo", "Name", core::Utf8ToCp1251("Отдел")),
                 std::optional(core::Utf8ToCp1251("Бухгалтерия")));
        WhenShown<QInputDialog>([](QInputDialog* input) { input->reject(); });
        QCOMPARE(dialog.InputText("Pelgo", "Name", ""), std::optional<std::string>());
    }
};

} // namespace

std::unique_ptr<QObject> MakeQtUserDialogTest() {
    return std::make_unique<QtUserDialogTest>();
}

} // namespace pelgo::testing

#include "qt_user_dialog_test.moc"
