// Terminal answers to the engines' questions.
#include "cli/cli_dialog.h"

#include <cstdio>
#include <string>

#include "cli/args.h"
#include "core/cp1251.h"
#include "core/errors.h"

namespace pelgo::cli {
namespace {

const char* KindName(platform::MessageKind kind) {
    switch (kind) {
    case platform::MessageKind::Information:
        return "note";
    case platform::MessageKind::Warning:
        return "warning";
    case platform::MessageKind::Error:
        return "error";
    case platform::MessageKind::Confirmation:
        return "question";
    }
    return "note";
}

void PrintMessage(platform::MessageKind kind, std::string_view text) {
    std::fprintf(stderr, "pelgo-cli: %s: %s\n", KindName(kind), core::Cp1251ToUtf8(text).c_str());
}

} // namespace

platform::Answer CliDialog::Ask(platform::MessageKind kind, std::string_view text, platform::Buttons buttons) {
    PrintMessage(kind, text);
    if (!m_answer) {
        throw core::Error("the command needs an answer to this question: repeat it with --yes or --no");
    }
    using platform::Answer;
    using platform::Buttons;
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::OkCancel:
        return *m_answer ? Answer::Ok : Answer::Cancel;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return *m_answer ? Answer::Yes : Answer::No;
    case Buttons::YesNoAll:
        return *m_answer ? Answer::All : Answer::No;
    case Buttons::RetryIgnore:
        return RetryOnce() ? Answer::Retry : Answer::Ignore;
    case Buttons::RetryCancel:
        return RetryOnce() ? Answer::Retry : Answer::Cancel;
    case Buttons::AbortRetryIgnore:
        return RetryOnce() ? Answer::Retry : Answer::Abort;
    }
    return Answer::Cancel;
}

bool CliDialog::RetryOnce() {
    const bool retry = *m_answer && !m_retried;
    m_retried = m_retried || retry;
    return retry;
}

void CliDialog::Inform(platform::MessageKind kind, std::string_view text) {
    ++m_messagesShown;
    PrintMessage(kind, text);
}

std::optional<std::string> CliDialog::ChooseFile(const platform::FileChoice& choice) {
    PrintMessage(platform::MessageKind::Information, "no file chosen (" + choice.initialPath + ")");
    return std::nullopt;
}

std::optional<std::string> CliDialog::InputText(std::string_view, std::string_view prompt, std::string_view) {
    PrintMessage(platform::MessageKind::Information, "no text entered for: " + std::string(prompt));
    return std::nullopt;
}

void CliProgress::Protocol(std::string_view line) {
    PrintLine(std::string(line));
}

} // namespace pelgo::cli
