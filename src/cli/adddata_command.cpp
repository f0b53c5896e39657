// pelgo-cli adddata: a node's additional data and journal entries as the page shows them, and changes to
// them saved by the page's rules as one more instance on the data.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

#include "cli/changing_run.h"
#include "cli/cli_dialog.h"
#include "cli/commands.h"
#include "cli/node_lines.h"
#include "cli/stored_tree.h"
#include "core/cp1251.h"
#include "core/date_time.h"
#include "core/errors.h"
#include "core/text.h"
#include "core/translator.h"
#include "platform/dbf_table.h"
#include "structure/additional_data.h"

namespace pelgo::cli {
namespace {

using session::AppState;
using structure::AdditionalData;
using structure::FieldSource;
using structure::JournalDefinition;
using structure::TreeNode;

// --set names the document path by its stored name, after the fifteen fields.
constexpr std::size_t kDocumentField = structure::kAdditionalFieldCount;

std::string ParameterName(std::size_t field) {
    const structure::AdditionalField& definition = structure::AdditionalFields()[field];
    return core::Text(definition.parameterId, definition.parameter);
}

std::string SourceText(const structure::MainField& field) {
    switch (field.source) {
    case FieldSource::Own:
        return "own";
    case FieldSource::Inherited:
        return "inherited " + field.inheritedFrom;
    case FieldSource::Disabled:
        return "disabled";
    }
    return {};
}

std::vector<JournalDefinition> Journals(const shell::Settings& settings) {
    return structure::JournalDefinitions(settings.journalTypes);
}

// One line per field, the document path, then one line per journal entry; cp1251.
std::vector<std::string> DataLines(AdditionalData& data, const TreeNode& node,
                                   const std::vector<JournalDefinition>& journals) {
    std::vector<std::string> lines;
    const structure::MainData main = data.LoadMain(node);
    for (std::size_t field = 0; field < structure::kAdditionalFieldCount; ++field) {
        lines.push_back(ParameterName(field) + "\t" + main.fields[field].text + "\t" + SourceText(main.fields[field]));
    }
    lines.push_back(std::string(structure::kMainDocument) + "\t" + main.document + "\town");
    for (const structure::JournalEntry& entry : data.LoadEntries(node, journals.size())) {
        std::string line = journals[entry.journal].name + "\t" + entry.title;
        for (const std::string& text : data.LoadEntry(node, entry.key).fields) {
            line += "\t" + text;
        }
        lines.push_back(line);
    }
    return lines;
}

// NAME=VALUE in cp1251, split at the first "=". A value is one cell of a TAB-separated line.
std::pair<std::string, std::string> Assignment(const std::string& argument) {
    const std::string text = core::Utf8ToCp1251(argument);
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0) {
        throw UsageError("NAME=VALUE expected, not \"" + argument + "\"");
    }
    if (text.find_first_of("\t\r\n", equals) != std::string::npos) {
        throw UsageError("a value holds no TAB or line break: \"" + argument + "\"");
    }
    if (text.size() - equals - 1 > structure::kValueLength) {
        throw UsageError("a value holds at most " + std::to_string(structure::kValueLength) + " characters: \"" +
                         argument.substr(0, argument.find('=')) + "\"");
    }
    return {text.substr(0, equals), text.substr(equals + 1)};
}

std::optional<std::size_t> FieldNamed(const std::string& name) {
    const std::string upper = core::UpperLatin(name);
    for (std::size_t field = 0; field < structure::kAdditionalFieldCount; ++field) {
        if (name == ParameterName(field) ||
            upper == core::UpperLatin(structure::AdditionalFields()[field].storedName)) {
            return field;
        }
    }
    if (upper == core::UpperLatin(structure::kMainDocument)) {
        return kDocumentField;
    }
    return std::nullopt;
}

// The field a NAME stands for, among those the node's type keeps; a usage error names the valid ones.
std::size_t FieldFor(const std::string& name, const TreeNode& node) {
    const std::optional<std::size_t> field = FieldNamed(name);
    if (field && (*field == kDocumentField || structure::FieldEnabledFor(*field, node.Icon()))) {
        return *field;
    }
    std::string valid;
    for (std::size_t f = 0; f < structure::kAdditionalFieldCount; ++f) {
        if (structure::FieldEnabledFor(f, node.Icon())) {
            valid += ParameterName(f) + " (" + structure::AdditionalFields()[f].storedName + "), ";
        }
    }
    valid += structure::kMainDocument;
    throw UsageError(core::Cp1251ToUtf8("\"" + name + "\" is " + (field ? "disabled for" : "no field of") + " \"" +
                                        node.Text() + "\"; its fields: " + valid));
}

using DataWrite =
    std::function<void(AppState&, TreeNode&, AdditionalData&, const std::vector<JournalDefinition>& journals)>;

// Runs `write` on the node's data unless the data are protected; prints the node's data as they are then.
int ChangeData(const Context& context, const std::string& uno, const DataWrite& write) {
    CliDialog dialog;
    return RunChange(context, dialog, [&](AppState& state) {
        TreeNode& node = NodeByUno(state.Tree(), uno);
        state.SetSelectedNode(node);
        if (state.ProtectData()) {
            throw core::Error(core::Text(1047, "Включена защита данных"));
        }
        structure::NodeRecordsTable records(*state.OtherTable().table);
        AdditionalData data(records, state.Log());
        const std::vector<JournalDefinition> journals = Journals(state.Settings());
        write(state, node, data, journals);
        return DataLines(data, node, journals);
    });
}

int Show(const Context& context, const std::string& uno) {
    StoredTree tree(context, false, std::nullopt);
    const TreeNode& node = NodeByUno(tree.Tree(), uno);
    platform::DbfTable table = platform::DbfTable::Open(tree.Settings().FilePath(shell::Key::OtherTable),
                                                        platform::DbfOpenMode::ReadOnly, tree.Clock());
    table.SetIndex("UNO");
    structure::NodeRecordsTable records(table);
    AdditionalData data(records, tree.Log());
    for (const std::string& line : DataLines(data, node, Journals(tree.Settings()))) {
        PrintLine(line);
    }
    tree.RequireSound();
    return 0;
}

int SetMain(const Context& context, const Args& args) {
    args.ExpectCount(2, SIZE_MAX);
    std::vector<std::pair<std::string, std::string>> assignments;
    for (std::size_t i = 1; i < args.Count(); ++i) {
        assignments.push_back(Assignment(args.At(i)));
    }
    return ChangeData(context, args.Cp1251At(0),
                      [&](AppState& state, TreeNode& node, AdditionalData& data, const auto&) {
                          structure::MainData main = data.LoadMain(node);
                          for (const auto& [name, value] : assignments) {
                              const std::size_t field = FieldFor(name, node);
                              if (field == kDocumentField) {
                                  main.document = value;
                              } else {
                                  main.fields[field] = {value, FieldSource::Own, {}};
                              }
                          }
                          const AppState::ExclusiveHold exclusive(state);
                          data.SaveMain(node, main);
                      });
}

struct NewEntry {
    std::size_t journal = 0;
    std::optional<std::string> title; // the next default title when not given
    std::vector<std::pair<std::size_t, std::string>> fields;
};

void RequireJournal(std::size_t journal, const std::vector<JournalDefinition>& journals) {
    if (journal < journals.size()) {
        return;
    }
    std::string names;
    for (std::size_t j = 0; j < journals.size(); ++j) {
        names += (j == 0 ? "" : ", ") + std::to_string(j) + " " + journals[j].name;
    }
    throw UsageError(core::Cp1251ToUtf8("there is no journal " + std::to_string(journal) + "; the journals: " + names));
}

void AddEntryTo(AppState& state, const TreeNode& node, AdditionalData& data,
                const std::vector<JournalDefinition>& journals, const NewEntry& request) {
    RequireJournal(request.journal, journals);
    const std::vector<structure::JournalEntry> entries = data.LoadEntries(node, journals.size());
    const std::string date = core::DateFormats().ShortDate(state.Clock().Now());
    const std::string title = request.title ? *request.title : structure::NewEntryTitle(entries, request.journal, date);
    // The key keeps the title's first characters only: two entries under one key would share their records.
    if (const structure::JournalEntry* taken = structure::KeyTakenBy(entries, {request.journal, title, {}}, title)) {
        const std::size_t kept = structure::kJournalKeyLength - structure::RepairViewGroup(request.journal, "").size();
        throw core::Error("the title \"" + title + "\" would be kept under the key of the entry \"" + taken->title +
                          "\"; give a title that differs within its first " + std::to_string(kept) + " characters");
    }
    structure::EntryData entry;
    for (std::size_t k = 0; k < structure::kEntryFieldCount; ++k) {
        entry.fields[k] =
            structure::SubstituteVariables(journals[request.journal].defaults[k], state.CurrentUser(), date);
    }
    for (const auto& [k, value] : request.fields) {
        entry.fields[k] = value;
    }
    // Only non-empty values are kept: an entry without one would not be there.
    if (std::all_of(entry.fields.begin(), entry.fields.end(),
                    [](const std::string& text) { return core::Trim(text).empty(); })) {
        throw core::Error("the entry has no field to keep: give one with --field K=VALUE");
    }
    const AppState::ExclusiveHold exclusive(state);
    data.SaveEntry(node, structure::RepairViewGroup(request.journal, title), entry);
}

int AddEntry(const Context& context, const Args& args) {
    args.ExpectCount(args.Flag("--field") ? 2 : 1, args.Flag("--field") ? SIZE_MAX : 1);
    NewEntry request;
    const std::optional<int> journal = core::ParseInt(*args.Value("--entry"));
    if (!journal || *journal < 0) {
        throw UsageError("JOURNAL is the number of a journal, 0 for the first");
    }
    request.journal = static_cast<std::size_t>(*journal);
    if (const std::optional<std::string> given = args.Value("--title")) {
        request.title = std::string(core::Trim(core::Utf8ToCp1251(*given)));
        if (request.title->empty() || request.title->find_first_of("\t\r\n") != std::string::npos) {
            throw UsageError("TITLE is one line of text without TABs");
        }
    }
    for (std::size_t i = 1; i < args.Count(); ++i) {
        const auto [name, value] = Assignment(args.At(i));
        const std::optional<int> number = core::ParseInt(name);
        if (!number || *number < 1 || *number > static_cast<int>(structure::kEntryFieldCount)) {
            throw UsageError("the fields of an entry are 1 to 4, not \"" + core::Cp1251ToUtf8(name) + "\"");
        }
        request.fields.emplace_back(static_cast<std::size_t>(*number - 1), value);
    }
    return ChangeData(context, args.Cp1251At(0),
                      [&](AppState& state, TreeNode& node, AdditionalData& data, const auto& journals) {
                          AddEntryTo(state, node, data, journals, request);
                      });
}

} // namespace

const char* const kAdddataUsage =
    "  adddata UNO                 the node's additional data, TAB-separated: one line per field (parameter\n"
    "                              name, value, and own, inherited ANCESTOR or disabled), File_1 likewise,\n"
    "                              then one line per journal entry (journal, title, the four fields)\n"
    "  adddata UNO --set NAME=VALUE...\n"
    "                              set fields of the node, which become its own; NAME is a parameter name\n"
    "                              (Телефон) or a stored name (aPhone, File_1); an empty VALUE clears\n"
    "  adddata UNO --entry JOURNAL [--title TITLE] [--field K=VALUE...]\n"
    "                              add an entry to journal JOURNAL (0 repairs, 1 upgrades, then the\n"
    "                              configured ones) with the journal's defaults; --field: field K (1 to 4)\n"
    "                              is VALUE; an entry keeps at least one field.\n"
    "                              Both print the node's data as they are then; on protected data, or with\n"
    "                              a TITLE whose key another entry holds, they write nothing and exit 1\n";

int RunAdddata(const Context& context, const std::vector<std::string>& raw) {
    const Args args(raw, {"--entry", "--title"});
    args.ExpectOptions({"--set", "--entry", "--title", "--field"});
    const bool set = args.Flag("--set");
    const bool entry = args.Flag("--entry");
    if (set && entry) {
        throw UsageError("--set and --entry exclude each other");
    }
    if (!entry && (args.Flag("--title") || args.Flag("--field"))) {
        throw UsageError("--title and --field describe a new entry: give --entry too");
    }
    if (set) {
        return SetMain(context, args);
    }
    if (entry) {
        return AddEntry(context, args);
    }
    args.ExpectCount(1, 1);
    return Show(context, args.Cp1251At(0));
}

} // namespace pelgo::cli
