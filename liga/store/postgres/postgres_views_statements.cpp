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
        arrays += "$" + std::to_string(++n) + "::" + type + "[], ";
        match += (n > 1 ? " AND d." : "d.") + column + " = excluded." + column;
    }
    const std::string rows = "unnest(" + arrays + "$" + std::to_string(n + 1) +
                             "::bigint[]) AS d (" + columns + "delta)";
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
    {"flush_period_put",
     "INSERT INTO period_best (name, level, kind, since, tenths, received_at) SELECT * FROM "
     "unnest($1::text[], $2::int[], $3::int[], $4::bigint[], $5::int[], $6::bigint[]) "
     "ON CONFLICT (name, level, kind, since) DO UPDATE SET tenths = excluded.tenths, "
     "received_at = excluded.received_at"},
    {"flush_period_drop",
     "DELETE FROM period_best p USING unnest($1::text[], $2::int[], $3::int[], $4::bigint[]) "
     "AS d (name, level, kind, since) WHERE p.name = d.name AND p.level = d.level "
     "AND p.kind = d.kind AND p.since = d.since"},
    {"flush_sum_put",
     "INSERT INTO sum_best (name, kind, since, total, t1, t2, t3, received_at) SELECT * FROM "
     "unnest($1::text[], $2::int[], $3::bigint[], $4::int[], $5::int[], $6::int[], $7::int[], "
     "$8::bigint[]) ON CONFLICT (name, kind, since) DO UPDATE SET total = excluded.total, "
     "t1 = excluded.t1, t2 = excluded.t2, t3 = excluded.t3, received_at = excluded.received_at"},
    {"flush_sum_drop", "DELETE FROM sum_best s USING unnest($1::text[], $2::int[], $3::bigint[]) "
                       "AS d (name, kind, since) WHERE s.name = d.name AND s.kind = d.kind "
                       "AND s.since = d.since"},
    {"flush_ranking_counts",
     countsFlush("ranking_counts",
                 {{"kind", "int"}, {"since", "bigint"}, {"level", "int"}, {"tenths", "int"}})},
    {"flush_ranking_buckets",
     countsFlush("ranking_buckets",
                 {{"kind", "int"}, {"since", "bigint"}, {"level", "int"}, {"bucket", "int"}})},
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
        for (const RankingSql* s : {&allTimeBoardSql(), &periodBoardSql(), &sumSql()})
            for (const std::string* t : {&s->page, &s->standings, &s->neighbours, &s->distribution})
                r.share(*t);
        const PlayerSql& p = playerSql();
        for (const std::string* t : {&p.sumStanding, &p.entries, &p.history, &p.findExact,
                                     &p.findPrefix, &p.records, &p.versionStamp})
            r.share(*t);
        const StepSql& s = stepSql();
        for (const std::string* t :
             {&s.nameRows, &s.recordBefore, &s.addRecord, &s.dropSlowerRecordsAfter,
              &s.dropRecordsFrom, &s.entryOf, &s.periodBestOf, &s.fastestIn, &s.summedBests,
              &s.sumOf, &s.rankingsOf, &s.rankedEntriesOf, &s.recordsOfName, &s.entriesFaster})
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
