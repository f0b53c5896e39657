// A user who is never asked in a benchmark: every question gets one fixed answer, messages and progress
// go nowhere.
#pragma once

#include "platform/progress.h"
#include "platform/user_dialog.h"

namespace pelgo::bench {

class QuietDialog : public platform::UserDialog {
public:
    explicit QuietDialog(platform::Answer answer = platform::Answer::No) : m_answer(answer) {}

    platform::Answer Ask(platform::MessageKind, std::string_view, platform::Buttons) override { return m_answer; }
    void Inform(platform::MessageKind, std::string_view) override {}
    std::optional<std::string> ChooseFile(const platform::FileChoice&) override { return std::nullopt; }
    std::optional<std::string> InputText(std::string_view, std::string_view, std::string_view) override {
        return std::nullopt;
    }

private:
    platform::Answer m_answer;
};

class NoProgress : public platform::Progress {
public:
    void Protocol(std::string_view) override {}
    void SetCounters(long long, long long) override {}
    void ProcessEvents() override {}
    bool StopRequested() const override { return false; }
};

} // namespace pelgo::bench
