// How engines talk to the user without knowing about widgets: the window program answers with Qt dialogs,
// pelgo-cli with command-line answers, tests with a scripted double. Texts are cp1251.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pelgo::platform {

enum class MessageKind { Information, Warning, Error, Confirmation };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, YesNoAll, RetryIgnore, RetryCancel, AbortRetryIgnore };
// All: yes to this question and to the ones like it that would follow.
enum class Answer { Ok, Cancel, Yes, No, All, Retry, Ignore, Abort };

struct FileChoice {
    enum class Purpose { Open, Save };
    Purpose purpose = Purpose::Open;
    std::string title;
    std::string filter;      // "Text files (*.txt)|*.txt" pairs separated by "|"
    std::string initialPath; // folder or file
    std::string defaultExtension;
};

// A file chosen under one entry of the choice's filter.
struct FilteredFile {
    std::string path;
    std::size_t filter = 0; // the entry's position, from 0
};

class UserDialog {
public:
    virtual ~UserDialog() = default;
    // A modal question; closing the dialog answers Cancel (or No when there is no Cancel button).
    virtual Answer Ask(MessageKind kind, std::string_view text, Buttons buttons) = 0;
    virtual void Inform(MessageKind kind, std::string_view text) = 0;
    // The chosen file, or empty when the user cancelled.
    virtual std::optional<std::string> ChooseFile(const FileChoice& choice) = 0;
    // For a save whose format follows the filter the user picked; a dialog that cannot tell picked the first.
    virtual std::optional<FilteredFile> ChooseFileWithFilter(const FileChoice& choice) {
        std::optional<std::string> path = ChooseFile(choice);
        if (!path) {
            return std::nullopt;
        }
        return FilteredFile{std::move(*path), 0};
    }
    // The entered text, or empty when the user cancelled.
    virtual std::optional<std::string> InputText(std::string_view title, std::string_view prompt,
                                                 std::string_view initial) = 0;
};

// Holds the messages of a step during which other instances wait on this one (a lock held) and shows them once
// the step is over; questions cannot wait and go through at once.
class DeferredMessages : public UserDialog {
public:
    explicit DeferredMessages(UserDialog& target) : m_target(target) {}

    Answer Ask(MessageKind kind, std::string_view text, Buttons buttons) override {
        return m_target.Ask(kind, text, buttons);
    }
    void Inform(MessageKind kind, std::string_view text) override { m_held.emplace_back(kind, std::string(text)); }
    std::optional<std::string> ChooseFile(const FileChoice& choice) override { return m_target.ChooseFile(choice); }
    std::optional<FilteredFile> ChooseFileWithFilter(const FileChoice& choice) override {
        return m_target.ChooseFileWithFilter(choice);
    }
    std::optional<std::string> InputText(std::string_view title, std::string_view prompt,
                                         std::string_view initial) override {
        return m_target.InputText(title, prompt, initial);
    }

    // Shows the held messages, in their order, and forgets them.
    void Show() {
        for (const auto& [kind, text] : m_held) {
            m_target.Inform(kind, text);
        }
        m_held.clear();
    }

private:
    UserDialog& m_target;
    std::vector<std::pair<MessageKind, std::string>> m_held;
};

} // namespace pelgo::platform
