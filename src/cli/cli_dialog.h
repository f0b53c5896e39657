// The user-dialog and progress interfaces on a terminal: messages go to stderr, questions take the answer
// given on the command line (--yes / --no) and are refused without one, file and text inputs are
// declined, protocol lines go to stdout. --yes retries a failed step once; asked again, it gives up, so a
// lock that never goes away cannot keep a command waiting for ever.
#pragma once

#include <optional>

#include "platform/progress.h"
#include "platform/user_dialog.h"

namespace pelgo::cli {

class CliDialog : public platform::UserDialog {
public:
    // `answer`: true for --yes, false for --no, empty when the command was given neither.
    explicit CliDialog(std::optional<bool> answer = std::nullopt) : m_answer(answer) {}

    platform::Answer Ask(platform::MessageKind kind, std::string_view text, platform::Buttons buttons) override;
    void Inform(platform::MessageKind kind, std::string_view text) override;
    std::optional<std::string> ChooseFile(const platform::FileChoice& choice) override;
    std::optional<std::string> InputText(std::string_view title, std::string_view prompt,
                                         std::string_view initial) override;

    // How many messages were shown so far: an edit that changed nothing and said something was refused.
    int MessagesShown() const { return m_messagesShown; }

private:
    bool RetryOnce();

    std::optional<bool> m_answer;
    bool m_retried = false;
    int m_messagesShown = 0;
};

class CliProgress : public platform::Progress {
public:
    void Protocol(std::string_view line) override;
    void SetCounters(long long, long long) override {}
    void ProcessEvents() override {}
    bool StopRequested() const override { return false; }
};

} // namespace pelgo::cli
