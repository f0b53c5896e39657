// The dialog double of the report windows' tests: records what was said (UTF-8) and answers questions, file
// choices and input boxes from its queues; an empty queue answers as a user who cancels.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

#include "core/cp1251.h"
#include "platform/user_dialog.h"

namespace pelgo::testing {

class ReportTestDialog : public platform::UserDialog {
public:
    struct File {
        QString path;
        std::size_t filter = 0;
    };

    platform::Answer Ask(platform::MessageKind, std::string_view text, platform::Buttons) override {
        questions << Utf8(text);
        return answers.isEmpty() ? platform::Answer::Cancel : answers.takeFirst();
    }
    void Inform(platform::MessageKind, std::string_view text) override { messages << Utf8(text); }
    std::optional<std::string> ChooseFile(const platform::FileChoice& choice) override {
        const std::optional<platform::FilteredFile> file = ChooseFileWithFilter(choice);
        return file ? std::optional<std::string>(file->path) : std::nullopt;
    }
    std::optional<platform::FilteredFile> ChooseFileWithFilter(const platform::FileChoice& choice) override {
        choices << choice;
        if (files.isEmpty()) {
            return std::nullopt;
        }
        const File file = files.takeFirst();
        return platform::FilteredFile{core::Utf8ToCp1251(file.path.toStdString()), file.filter};
    }
    std::optional<std::string> InputText(std::string_view title, std::string_view prompt,
                                         std::string_view initial) override {
        prompts << Utf8(title) + QLatin1Char('|') + Utf8(prompt) + QLatin1Char('|') + Utf8(initial);
        if (inputs.isEmpty()) {
            return std::nullopt;
        }
        return core::Utf8ToCp1251(inputs.takeFirst().toStdString());
    }

    static QString Utf8(std::string_view cp1251) { return QString::fromStdString(core::Cp1251ToUtf8(cp1251)); }

    QStringList messages;
    QStringList questions;
    QStringList prompts; // title|prompt|initial text of each input box
    QList<platform::FileChoice> choices;
    QList<platform::Answer> answers;
    QList<File> files;
    QStringList inputs;
};

} // namespace pelgo::testing
