// pelgo-cli dbf: create, fill, dump, pack and check dBase tables through the table engine.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "core/cp1251.h"
#include "core/date_time.h"
#include "core/text.h"
#include "platform/dbf_table.h"

namespace pelgo::cli {
namespace {

using platform::DbfOpenMode;
using platform::DbfRecord;
using platform::DbfTable;

void PrintRecord(const DbfRecord& record) {
    std::string line;
    for (std::size_t i = 0; i < record.values.size(); ++i) {
        line += (i == 0 ? "" : "\t") + record.values[i];
    }
    PrintLine(line);
}

int Create(const Args& args, const core::Clock& clock) {
    if (args.Count() < 3) {
        throw UsageError("a table needs at least one NAME:WIDTH field");
    }
    std::vector<std::string> names;
    std::vector<int> widths;
    for (std::size_t i = 2; i < args.Count(); ++i) {
        const std::string spec = args.Cp1251At(i);
        const std::size_t colon = spec.rfind(':');
        const std::optional<int> width =
            colon == std::string::npos ? std::nullopt : core::ParseInt(std::string_view(spec).substr(colon + 1));
        if (!width) {
            throw UsageError("field \"" + args.At(i) + "\" is not NAME:WIDTH");
        }
        names.push_back(spec.substr(0, colon));
        widths.push_back(*width);
    }
    std::vector<platform::DbfFieldSpec> fields;
    for (std::size_t i = 0; i < names.size(); ++i) {
        fields.push_back({names[i], widths[i]});
    }
    DbfTable::Create(args.Cp1251At(1), fields, clock);
    return 0;
}

int Append(const Args& args, const core::Clock& clock) {
    DbfTable table = DbfTable::Open(args.Cp1251At(1), DbfOpenMode::Shared, clock);
    std::vector<std::string> values;
    for (std::size_t i = 2; i < args.Count(); ++i) {
        values.push_back(args.Cp1251At(i));
    }
    if (values.size() > table.Fields().size()) {
        throw UsageError(std::to_string(values.size()) + " values for a table of " +
                         std::to_string(table.Fields().size()) + " fields");
    }
    table.Append(values);
    return 0;
}

int Dump(const Args& args, const core::Clock& clock) {
    args.ExpectCount(2, 2);
    const std::optional<std::string> tag = args.Value("--tag");
    const std::optional<std::string> key = args.Value("--key");
    if (key && !tag) {
        throw UsageError("--key needs --tag");
    }
    DbfTable table = DbfTable::Open(args.Cp1251At(1), DbfOpenMode::ReadOnly, clock);
    if (!tag) {
        table.Walk(PrintRecord);
        return 0;
    }
    table.SetIndex(core::Utf8ToCp1251(*tag));
    if (key) {
        for (const DbfRecord& record : table.Find(core::Utf8ToCp1251(*key))) {
            PrintRecord(record);
        }
    } else {
        table.WalkByIndex(PrintRecord);
    }
    return 0;
}

int Pack(const Args& args, const core::Clock& clock) {
    args.ExpectCount(2, 2);
    DbfTable table = DbfTable::Open(args.Cp1251At(1), DbfOpenMode::Exclusive, clock);
    const platform::RecordNumber before = table.RecordCount();
    table.Pack();
    PrintLine(std::to_string(table.RecordCount()) + " records kept, " + std::to_string(before - table.RecordCount()) +
              " deleted records removed");
    return 0;
}

int Check(const Args& args, const core::Clock& clock) {
    args.ExpectCount(2, 2);
    const std::string path = args.Cp1251At(1);
    const platform::DbfHealth health = DbfTable::Inspect(path);
    PrintLine("table: " + path);
    if (health.headerProblem.empty()) {
        char version[8];
        std::snprintf(version, sizeof version, "0x%02X", health.version);
        PrintLine("header: version " + std::string(version) + ", " + std::to_string(health.fieldCount) +
                  " fields, header length " + std::to_string(health.headerLength) + ", record length " +
                  std::to_string(health.recordLength));
        PrintLine("records: " + std::to_string(health.headerCount) + " counted in the header, " +
                  std::to_string(health.recordsInFile) + " in the file");
        PrintLine(std::string("end marker: ") + (health.endMarker ? "present" : "missing"));
    }
    for (const std::string& note : health.Notes()) {
        PrintLine("note: " + note);
    }
    const std::vector<std::string> problems = health.Problems();
    for (const std::string& problem : problems) {
        PrintLine("damaged: " + problem);
    }
    if (problems.empty()) {
        PrintLine("status: sound");
        return 0;
    }
    if (!args.Flag("--repair")) {
        PrintLine("status: damaged (repair with: pelgo-cli dbf check FILE --repair)");
        return 1;
    }
    for (const std::string& repair : DbfTable::Repair(path, clock)) {
        PrintLine("repaired: " + repair);
    }
    PrintLine("status: repaired");
    return 0;
}

} // namespace

const char* const kDbfUsage =
    "  dbf create FILE NAME:WIDTH...              new table of character fields (replaces FILE)\n"
    "  dbf append FILE VALUE...                   append one record, values in field order\n"
    "  dbf dump FILE [--tag FIELD [--key VALUE]]  live records, fields separated by TAB\n"
    "  dbf pack FILE                              remove the deleted records (needs exclusive use)\n"
    "  dbf check FILE [--repair]                  the table's health; exit 1 when damaged\n";

int RunDbf(const Context&, const std::vector<std::string>& raw) {
    const Args args(raw, {"--tag", "--key"});
    const std::string command = args.At(0);
    const core::Clock clock;
    if (command == "create") {
        return Create(args, clock);
    }
    args.ExpectCount(2, args.Count());
    if (command == "append") {
        return Append(args, clock);
    }
    if (command == "dump") {
        return Dump(args, clock);
    }
    if (command == "pack") {
        return Pack(args, clock);
    }
    if (command == "check") {
        return Check(args, clock);
    }
    throw UsageError("unknown dbf command \"" + command + "\"");
}

} // namespace pelgo::cli
