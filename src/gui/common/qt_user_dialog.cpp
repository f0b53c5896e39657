// Message boxes, file dialogs and the input box behind the user-dialog interface.
#include "gui/common/qt_user_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <vector>

#include "gui/common/qt_text.h"

namespace pelgo::gui {
namespace {

using platform::Answer;
using platform::Buttons;

struct ButtonAnswer {
    QMessageBox::StandardButton button;
    Answer answer;
};

std::vector<ButtonAnswer> ButtonsOf(Buttons buttons) {
    using B = QMessageBox;
    switch (buttons) {
    case Buttons::Ok:
        return {{B::Ok, Answer::Ok}};
    case Buttons::OkCancel:
        return {{B::Ok, Answer::Ok}, {B::Cancel, Answer::Cancel}};
    case Buttons::YesNo:
        return {{B::Yes, Answer::Yes}, {B::No, Answer::No}};
    case Buttons::YesNoCancel:
        return {{B::Yes, Answer::Yes}, {B::No, Answer::No}, {B::Cancel, Answer::Cancel}};
    case Buttons::YesNoAll:
        return {{B::Yes, Answer::Yes}, {B::No, Answer::No}, {B::YesToAll, Answer::All}};
    case Buttons::RetryIgnore:
        return {{B::Retry, Answer::Retry}, {B::Ignore, Answer::Ignore}};
    case Buttons::RetryCancel:
        return {{B::Retry, Answer::Retry}, {B::Cancel, Answer::Cancel}};
    case Buttons::AbortRetryIgnore:
        return {{B::Abort, Answer::Abort}, {B::Retry, Answer::Retry}, {B::Ignore, Answer::Ignore}};
    }
    return {{B::Ok, Answer::Ok}};
}

QMessageBox::Icon IconOf(platform::MessageKind kind) {
    switch (kind) {
    case platform::MessageKind::Information:
        return QMessageBox::Information;
    case platform::MessageKind::Warning:
        return QMessageBox::Warning;
    case platform::MessageKind::Error:
        return QMessageBox::Critical;
    case platform::MessageKind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// Engine texts end lines with CR LF; a label shows a CR as a blank.
QString MessageText(std::string_view text) {
    return FromCp1251(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The program's title, as the message boxes carry it.
QString ApplicationTitle() {
    return QString::fromUtf8("Пелго");
}

QWidget* DialogParent() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return QApplication::activeWindow();
}

} // namespace

QString QtFileFilter(std::string_view cp1251Filter) {
    const QStringList parts = FromCp1251(cp1251Filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts).join(u' ');
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

platform::Answer QtUserDialog::Ask(platform::MessageKind kind, std::string_view text, platform::Buttons buttons) {
    QMessageBox box(IconOf(kind), ApplicationTitle(), MessageText(text), QMessageBox::NoButton, DialogParent());
    const std::vector<ButtonAnswer> answers = ButtonsOf(buttons);
    const auto offers = [&](Answer answer) {
        return std::any_of(answers.begin(), answers.end(),
                           [&](const ButtonAnswer& entry) { return entry.answer == answer; });
    };
    // Escape and the title bar's close button answer like this.
    const Answer closeAnswer = !offers(Answer::Cancel) && offers(Answer::No) ? Answer::No : Answer::Cancel;
    for (const ButtonAnswer& entry : answers) {
        QPushButton* button = box.addButton(entry.button);
        if (entry.answer == closeAnswer) {
            box.setEscapeButton(button);
        }
    }
    box.setDefaultButton(answers.front().button);
    box.exec();
    const QMessageBox::StandardButton clicked = box.standardButton(box.clickedButton());
    const auto chosen = std::find_if(answers.begin(), answers.end(),
                                     [&](const ButtonAnswer& entry) { return entry.button == clicked; });
    return chosen != answers.end() ? chosen->answer : closeAnswer;
}

void QtUserDialog::Inform(platform::MessageKind kind, std::string_view text) {
    QMessageBox box(IconOf(kind), ApplicationTitle(), MessageText(text), QMessageBox::Ok, DialogParent());
    box.exec();
}

std::optional<std::string> QtUserDialog::ChooseFile(const platform::FileChoice& choice) {
    QFileDialog dialog(DialogParent(), FromCp1251(choice.title), FromCp1251(choice.initialPath),
                       QtFileFilter(choice.filter));
    const bool save = choice.purpose == platform::FileChoice::Purpose::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(FromCp1251(choice.defaultExtension).remove(0, choice.defaultExtension.starts_with('.')));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return ToCp1251(dialog.selectedFiles().front());
}

std::optional<platform::FilteredFile> QtUserDialog::ChooseFileWithFilter(const platform::FileChoice& choice) {
    QFileDialog dialog(DialogParent(), FromCp1251(choice.title), FromCp1251(choice.initialPath),
                       QtFileFilter(choice.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const qsizetype filter = dialog.nameFilters().indexOf(dialog.selectedNameFilter());
    return platform::FilteredFile{ToCp1251(dialog.selectedFiles().front()),
                                  static_cast<std::size_t>(std::max<qsizetype>(filter, 0))};
}

std::optional<std::string> QtUserDialog::InputText(std::string_view title, std::string_view prompt,
                                                   std::string_view initial) {
    QInputDialog dialog(DialogParent());
    dialog.setWindowTitle(FromCp1251(title));
    dialog.setLabelText(MessageText(prompt));
    dialog.setTextValue(FromCp1251(initial));
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return ToCp1251(dialog.textValue());
}

void QtProgress::Protocol(std::string_view line) {
    emit protocolLine(FromCp1251(line));
}

void QtProgress::SetCounters(long long done, long long total) {
    emit countersChanged(done, total);
}

void QtProgress::ProcessEvents() {
    QCoreApplication::processEvents();
}

} // namespace pelgo::gui
