// A user-dialog double for engine tests: it answers from a script and fails the test on any question or
// message the script did not expect.
#pragma once

#include <deque>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "core/cp1251.h"
#include "platform/progress.h"
#include "platform/user_dialog.h"

namespace pelgo::testing {

class ScriptedDialog : public platform::UserDialog {
public:
    // The next question must contain `textPart` (UTF-8) and gets `answer`.
    void ExpectQuestion(const std::string& textPart, platform::Answer answer) {
        m_questions.push_back({core::Utf8ToCp1251(textPart), answer});
    }
    // The next message must contain `textPart` (UTF-8).
    void ExpectMessage(const std::string& textPart) { m_messages.push_back(core::Utf8ToCp1251(textPart)); }
    // The next file dialog gets `choice` (cp1251 path, or empty for Cancel).
    void ExpectFileChoice(std::optional<std::string> choice) { m_files.push_back(std::move(choice)); }

    platform::Answer Ask(platform::MessageKind, std::string_view text, platform::Buttons) override {
        if (m_questions.empty()) {
            ADD_FAILURE() << "unexpected question: " << core::Cp1251ToUtf8(text);
            return platform::Answer::Cancel;
        }
        const auto expected = m_questions.front();
        m_questions.pop_front();
        EXPECT_NE(std::string(text).find(expected.first), std::string::npos)
            << "question \"" << core::Cp1251ToUtf8(text) << "\" lacks \"" << core::Cp1251ToUtf8(expected.first) << "\"";
        return expected.second;
    }
    void Inform(platform::MessageKind, std::string_view text) override {
        shown.emplace_back(text);
        if (m_messages.empty()) {
            ADD_FAILURE() << "unexpected message: " << core::Cp1251ToUtf8(text);
            return;
        }
        EXPECT_NE(std::string(text).find(m_messages.front()), std::string::npos)
            << "message \"" << core::Cp1251ToUtf8(text) << "\" lacks \"" << core::Cp1251ToUtf8(m_messages.front())
            << "\"";
        m_messages.pop_front();
    }
    std::optional<std::string> ChooseFile(const platform::FileChoice&) override {
        if (m_files.empty()) {
            ADD_FAILURE() << "unexpected file choice";
            return std::nullopt;
        }
        auto choice = m_files.front();
        m_files.pop_front();
        return choice;
    }
    std::optional<std::string> InputText(std::string_view, std::string_view prompt, std::string_view) override {
        ADD_FAILURE() << "unexpected input box: " << core::Cp1251ToUtf8(prompt);
        return std::nullopt;
    }
    ~ScriptedDialog() override {
        EXPECT_TRUE(m_questions.empty()) << m_questions.size() << " expected question(s) never asked";
        EXPECT_TRUE(m_messages.empty()) << m_messages.size() << " expected message(s) never shown";
        EXPECT_TRUE(m_files.empty()) << m_files.size() << " expected file choice(s) never offered";
    }

    std::vector<std::string> shown; // every message shown, cp1251

private:
    std::deque<std::pair<std::string, platform::Answer>> m_questions;
    std::deque<std::string> m_messages;
    std::deque<std::optional<std::string>> m_files;
};

// Progress that records protocol lines and never asks to stop.
class RecordingProgress : public platform::Progress {
public:
    void Protocol(std::string_view line) override { lines.emplace_back(line); }
    void SetCounters(long long, long long) override {}
    void ProcessEvents() override { ++pumped; }
    bool StopRequested() const override { return false; }

    std::vector<std::string> lines;
    int pumped = 0;
};

} // namespace pelgo::testing
