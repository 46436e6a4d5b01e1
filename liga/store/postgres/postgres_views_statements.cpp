// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "postgres_views_statements.h"
#include "views_sql.h"

#include <stdexcept>
#include <string>
#include <unordered_map>

namespace liga {

namespace {

// The held-back deltas of a count table: $1... the key's columns, then the deltas, as
// arrays in ascending order of key.
std::string countsFlush(const std::string& table,
                        const std::vector<std::pair<std::string, std::string>>& key) {
    std::string columns, arrays, match;
    int n = 0;
    for (const auto& [column, type] : key) {
        columns += column + ", ";
        arrays += '$';
        arrays += std::to_string(++n) + "::" + type + "[], ";
        match += (n > 1 ? " AND d." : "d.") + column + " = excluded." + column;
    }
    arrays += '$';
    arrays += std::to_string(n + 1);
    const std::string rows = "unnest(" + arrays + "::bigint[]) AS d (" + columns + "delta)";
    const std::string keyColumns = columns.substr(0, columns.size() - 2);
    return "INSERT INTO " + table + " AS t (" + columns + "names) SELECT " + columns +
           "GREATEST(delta, 0) FROM " + rows + " ON CONFLICT (" + keyColumns +
           ") DO UPDATE SET names = t.names + (SELECT d.delta FROM " + rows + " WHERE " + match +
           ")";
}

// This store's own, by name. A transaction's held-back writes go in one statement per
// table, their rows in ascending order of key (arrays in text form: "{1,2}").
const std::vector<std::pair<std::string, std::string>> ownStatements = {
    // Taken by every submission of the name, so that its rankings change one at a time.
    {"lock_name", "INSERT INTO names (folded, name) VALUES ($1, $2) ON CONFLICT (folded, name) "
                  "DO UPDATE SET name = excluded.name"},
    {"lock_records", "SELECT value FROM league_meta WHERE key = 'records' FOR UPDATE"},
    // The rows they would add must pass the check of their counts also for a delta that
    // goes, which the update then adds.
    {"flush_times", countsFlush("time_counts", {{"level", "int"}, {"tenths", "int"}})},
    {"flush_buckets", countsFlush("time_buckets", {{"level", "int"}, {"bucket", "int"}})},
    // $1 shard, $2 changes, $3 when.
    {"flush_changes", "UPDATE changes SET n = n + $2, at = GREATEST(at, $3) WHERE shard = $1"},
};

struct Registry {
    std::vector<std::pair<std::string, std::string>> statements;
    std::unordered_map<const std::string*, std::string> names;

    void share(const std::string& text) {
        if (text.empty() || names.count(&text)) return;
        const std::string name = "view_" + std::to_string(names.size());
        names.emplace(&text, name);
        statements.emplace_back(name, postgresForm(text));
    }
};

const Registry& registry() {
    static const Registry r = [] {
        Registry r;
        for (int kind = 0; kind < 4; ++kind)
            for (const RankingSql* s : {&boardSqlOf(kind), &sumSqlOf(kind)})
                for (const std::string* t :
                     {&s->page, &s->standings, &s->neighbours, &s->distribution})
                    r.share(*t);
        const PlayerSql& p = playerSql();
        for (const std::string* t :
             {&p.entries, &p.history, &p.findExact, &p.findPrefix, &p.records, &p.versionStamp})
            r.share(*t);
        const StepSql& s = stepSql();
        for (const std::string* t :
             {&s.periodRowsOf, &s.sumRowOf, &s.putPeriodRow, &s.putSumRow, &s.addRankingCounts,
              &s.addRankingBuckets, &s.recordBefore, &s.addRecord, &s.dropSlowerRecordsAfter,
              &s.dropRecordsFrom, &s.entryOf, &s.fastestIn, &s.rankedEntriesOf, &s.recordsOfName,
              &s.entriesFaster})
            r.share(*t);
        for (const auto& [name, sql] : ownStatements) r.statements.emplace_back(name, sql);
        return r;
    }();
    return r;
}

} // namespace

const std::vector<std::pair<std::string, std::string>>& postgresViewStatements() {
    return registry().statements;
}

const std::string& postgresNameOf(const std::string& sqliteText) {
    const auto it = registry().names.find(&sqliteText);
    if (it == registry().names.end()) throw std::logic_error("a statement never prepared");
    return it->second;
}

} // namespace liga
