// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "views_sql.h"
#include "ranking.h"

#include <cctype>
#include <string_view>
#include <utility>
#include <vector>

namespace liga {

namespace {

// Every "{key}" in `text` replaced by its value.
std::string filled(std::string text,
                   const std::vector<std::pair<std::string_view, std::string>>& values) {
    for (const auto& [key, value] : values)
        for (std::size_t at = text.find(key); at != std::string::npos;
             at = text.find(key, at + value.size()))
            text.replace(at, key.size(), value);
    return text;
}

const std::string bucketWidth = std::to_string(timesPerBucket);

// Where a ranking's rows of one table are, for columns of `alias` and the level `level`:
// the all-time tables know no period, whose values must then be 0.
std::string allTimeKey(const std::string& alias, const std::string& level) {
    return alias + "level = " + level + " AND ?2 = 0 AND ?3 = 0";
}

std::string periodKey(const std::string& alias, const std::string& level) {
    return alias + "kind = ?2 AND " + alias + "since = ?3 AND " + alias + "level = " + level;
}

// The combined ranking's lines have no level.
std::string sumKey(const std::string& alias, const std::string&) {
    return alias + "kind = ?2 AND " + alias + "since = ?3";
}

struct Tables {
    std::string rows, counts, buckets;
    std::string (*key)(const std::string&, const std::string&);
    std::string (*rowsKey)(const std::string&, const std::string&) = key;
};

// How many names have a time (or sum) below `time`: the buckets below its own, and the
// times of its own bucket below it.
std::string fasterThan(const Tables& t, const std::string& level, const std::string& time) {
    return filled("CAST((SELECT coalesce(sum(names), 0) FROM {buckets} WHERE {key} AND bucket < "
                  "{time} / {w}) + (SELECT coalesce(sum(names), 0) FROM {counts} WHERE {key} "
                  "AND tenths >= {time} / {w} * {w} AND tenths < {time}) AS BIGINT)",
                  {{"{buckets}", t.buckets},
                   {"{counts}", t.counts},
                   {"{key}", t.key("", level)},
                   {"{time}", time},
                   {"{w}", bucketWidth}});
}

std::string rankedIn(const Tables& t, const std::string& level) {
    return filled("CAST((SELECT coalesce(sum(names), 0) FROM {buckets} WHERE {key}) AS BIGINT)",
                  {{"{buckets}", t.buckets}, {"{key}", t.key("", level)}});
}

// The page's first row: the bucket that holds it, then its time among the bucket's.
std::string pageSql(const Tables& t, const std::string& columns, const std::string& time,
                    const std::string& order, const std::string& limit, const std::string& offset,
                    const std::string& padding) {
    return filled(
        "WITH b AS (SELECT bucket, names, CAST(sum(names) OVER (ORDER BY bucket) AS BIGINT) "
        "AS upto FROM {buckets} WHERE {key}), "
        "p AS (SELECT bucket, upto - names AS lower_names FROM b WHERE upto > ?4 "
        "ORDER BY bucket LIMIT 1), "
        "t AS (SELECT c.tenths, c.names, p.lower_names + CAST(sum(c.names) OVER "
        "(ORDER BY c.tenths) AS BIGINT) AS upto FROM {counts} c, p WHERE {ckey} "
        "AND c.tenths >= p.bucket * {w} AND c.tenths < p.bucket * {w} + {w}), "
        "x AS (SELECT tenths, upto - names AS faster FROM t WHERE upto > ?4 "
        "ORDER BY tenths LIMIT 1) "
        "SELECT 0, CAST(NULL AS TEXT), {ranked}, (SELECT faster FROM x){padding} "
        "UNION ALL SELECT 1, page.* FROM (SELECT {columns} FROM {rows} WHERE {rowsKey} "
        "AND {time} >= (SELECT tenths FROM x) ORDER BY {order} LIMIT {limit} "
        "OFFSET {offset}) AS page",
        {{"{buckets}", t.buckets},
         {"{counts}", t.counts},
         {"{rows}", t.rows},
         {"{ranked}", rankedIn(t, "?1")},
         {"{rowsKey}", t.rowsKey("", "?1")},
         {"{key}", t.key("", "?1")},
         {"{ckey}", t.key("c.", "?1")},
         {"{w}", bucketWidth},
         {"{columns}", columns},
         {"{time}", time},
         {"{order}", order},
         {"{limit}", limit},
         {"{offset}", offset},
         {"{padding}", padding}});
}

const char* const boardColumns = "name, tenths, received_at";
const char* const boardOrder = "tenths, received_at, name";
const char* const boardOrderDown = "tenths DESC, received_at DESC, name DESC";
// Rows from the first of the page's time on are all of that time: skip those before it.
const char* const skipInTime = "CAST(coalesce((SELECT ?4 - faster FROM x), 0) AS BIGINT)";

RankingSql boardSql(const Tables& t) {
    RankingSql s;
    s.page = pageSql(t, boardColumns, "tenths", boardOrder, "?5", skipInTime, "");
    s.standings =
        filled("SELECT l.level, b.tenths, b.received_at, {faster}, {ranked} FROM "
               "(SELECT 1 AS level UNION ALL SELECT 2 UNION ALL SELECT 3 UNION ALL SELECT 4 "
               "UNION ALL SELECT 5) AS l LEFT JOIN {rows} b ON {bkey} AND b.name = ?1 "
               "ORDER BY l.level",
               {{"{faster}", fasterThan(t, "l.level", "b.tenths")},
                {"{ranked}", rankedIn(t, "l.level")},
                {"{rows}", t.rows},
                {"{bkey}", t.key("b.", "l.level")}});
    s.neighbours =
        filled("WITH me AS (SELECT tenths, received_at FROM {rows} WHERE {key} AND name = ?4), "
               "up AS (SELECT r.name, r.tenths, r.received_at FROM {rows} r, me WHERE {rkey} "
               "AND (r.tenths, r.received_at, r.name) < (me.tenths, me.received_at, ?4) "
               "ORDER BY r.{down} LIMIT ?5), "
               "down AS (SELECT r.name, r.tenths, r.received_at FROM {rows} r, me WHERE {rkey} "
               "AND (r.tenths, r.received_at, r.name) > (me.tenths, me.received_at, ?4) "
               "ORDER BY r.{order} LIMIT ?5) "
               "SELECT 1, name, tenths, received_at FROM up "
               "UNION ALL SELECT 2, name, tenths, received_at FROM down "
               "UNION ALL SELECT 3, CAST(NULL AS TEXT), tenths, names FROM {counts} WHERE {key} "
               "AND tenths >= (SELECT min(tenths) FROM up) AND tenths < (SELECT tenths FROM me) "
               "UNION ALL SELECT 4, CAST(NULL AS TEXT), tenths, names FROM {counts} WHERE {key} "
               "AND tenths >= (SELECT tenths FROM me) AND tenths < (SELECT max(tenths) FROM down)",
               {{"{rows}", t.rows},
                {"{counts}", t.counts},
                {"{key}", t.key("", "?1")},
                {"{rkey}", t.key("r.", "?1")},
                {"{order}", filled(boardOrder, {{", ", ", r."}})},
                {"{down}", filled(boardOrderDown, {{", ", ", r."}})}});
    s.distribution = filled("SELECT tenths, names FROM {counts} WHERE {key} AND names > 0 "
                            "ORDER BY tenths",
                            {{"{counts}", t.counts}, {"{key}", t.key("", "?1")}});
    return s;
}

const Tables allTimeTables{"best", "time_counts", "time_buckets", allTimeKey, allTimeKey};
const Tables periodTables{"period_best", "ranking_counts", "ranking_buckets", periodKey, periodKey};

// The rows of a name's entries that show: ranked, and its name not barred.
const char* const shownEntriesOf = "FROM entries WHERE name = ?1 AND state = 0 "
                                   "AND NOT EXISTS (SELECT 1 FROM barred WHERE barred.name = ?1)";

} // namespace

std::string postgresForm(const std::string& sql) {
    std::string out = sql;
    for (std::size_t i = 0; i + 1 < out.size(); ++i)
        if (out[i] == '?' && std::isdigit(static_cast<unsigned char>(out[i + 1]))) out[i] = '$';
    return out;
}

const RankingSql& allTimeBoardSql() {
    static const RankingSql s = boardSql(allTimeTables);
    return s;
}

const RankingSql& periodBoardSql() {
    static const RankingSql s = boardSql(periodTables);
    return s;
}

const RankingSql& sumSql() {
    // Equal sums are placed by their level-3 and level-2 times, which the counts per sum do
    // not tell: the rows come from the first of the total on, and the caller numbers them.
    static const RankingSql s{
        pageSql({"sum_best", "ranking_counts", "ranking_buckets", periodKey, sumKey},
                "name, total, received_at, t1, t2, t3", "total", "total, t3, t2, received_at, name",
                "CAST(coalesce((SELECT ?4 - faster FROM x), "
                "0) + ?5 AS BIGINT)",
                "0", ", NULL, NULL, NULL"),
        {},
        {},
        {}};
    return s;
}

const PlayerSql& playerSql() {
    static const PlayerSql s{
        // ?1 the name, ?2 kind, ?3 since: total, t1, t2, t3, received_at, faster, ranked.
        filled("SELECT s.total, s.t1, s.t2, s.t3, s.received_at, {faster} + "
               "(SELECT count(*) FROM sum_best o WHERE o.kind = ?2 AND o.since = ?3 "
               "AND o.total = s.total AND (o.t3, o.t2) < (s.t3, s.t2)), {ranked} "
               "FROM (SELECT 1 AS one) AS one LEFT JOIN sum_best s ON s.name = ?1 "
               "AND s.kind = ?2 AND s.since = ?3",
               {{"{faster}", fasterThan(periodTables, "0", "s.total")},
                {"{ranked}", rankedIn(periodTables, "0")}}),
        // ?1 the name, ?2 and ?3 the received_at and code to continue after, ?4 how many.
        std::string("SELECT code, name, level, tenths, received_at ") + shownEntriesOf +
            " AND (received_at < ?2 OR (received_at = ?2 AND code < ?3)) "
            "ORDER BY received_at DESC, code DESC LIMIT ?4",
        // ?1 the name.
        std::string("SELECT code, name, level, tenths, received_at ") + shownEntriesOf +
            " ORDER BY received_at, code",
        "SELECT name FROM best WHERE name = ?1 AND level IN (1, 2, 3, 4, 5) LIMIT 1",
        // ?1 and ?2 the folded names' range, ?3 how many.
        "SELECT n.name FROM names n WHERE n.folded >= ?1 AND n.folded < ?2 AND EXISTS "
        "(SELECT 1 FROM best b WHERE b.level IN (1, 2, 3, 4, 5) AND b.name = n.name) "
        "ORDER BY n.folded, n.name LIMIT ?3",
        // ?1 the level (0: any), ?2 how many.
        "SELECT code, name, level, tenths, received_at, previous FROM (SELECT code, name, "
        "level, tenths, received_at, lag(tenths) OVER (PARTITION BY level ORDER BY "
        "received_at, code) AS previous FROM records) AS r WHERE ?1 = 0 OR level = ?1 "
        "ORDER BY received_at DESC, code DESC LIMIT ?2",
        "SELECT CAST(coalesce(sum(n), 0) AS BIGINT), coalesce(max(at), 0) FROM changes",
    };
    return s;
}

const StepSql& stepSql() {
    static const StepSql s{
        "INSERT INTO names (folded, name) VALUES (?1, ?2) ON CONFLICT DO NOTHING",
        // ?1 name, ?2 level, ?3 year, ?4 month, ?5 week, ?6 received_at, ?7 code: part,
        // level, kind, since, tenths (total), received_at, t1, t2, t3, code.
        "SELECT 1, level, kind, since, tenths, received_at, 0, 0, 0, CAST(NULL AS TEXT) "
        "FROM period_best WHERE name = ?1 AND level IN (?2, 1, 2, 3) AND ((kind = 1 AND "
        "since = ?3) OR (kind = 2 AND since = ?4) OR (kind = 3 AND since = ?5)) "
        "UNION ALL SELECT 2, level, 0, 0, tenths, received_at, 0, 0, 0, NULL FROM best "
        "WHERE name = ?1 AND level IN (1, 2, 3) "
        "UNION ALL SELECT 3, 0, kind, since, total, received_at, t1, t2, t3, NULL "
        "FROM sum_best WHERE name = ?1 AND ((kind = 0 AND since = 0) OR (kind = 1 AND "
        "since = ?3) OR (kind = 2 AND since = ?4) OR (kind = 3 AND since = ?5)) "
        "UNION ALL SELECT * FROM (SELECT 4, level, 0, 0, tenths, received_at, 0, 0, 0, code "
        "FROM records WHERE level = ?2 AND (received_at, code) < (?6, ?7) "
        "ORDER BY received_at DESC, code DESC LIMIT 1) AS r",
        // ?1 name, ?2 level, ?3 kind, ?4 since, ?5 tenths, ?6 received_at.
        "INSERT INTO period_best (name, level, kind, since, tenths, received_at) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6) ON CONFLICT (name, level, kind, since) DO UPDATE "
        "SET tenths = excluded.tenths, received_at = excluded.received_at",
        "DELETE FROM period_best WHERE name = ?1 AND level = ?2 AND kind = ?3 AND since = ?4",
        // ?1 name, ?2 kind, ?3 since, ?4 total, ?5 t1, ?6 t2, ?7 t3, ?8 received_at.
        "INSERT INTO sum_best (name, kind, since, total, t1, t2, t3, received_at) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8) ON CONFLICT (name, kind, since) DO UPDATE "
        "SET total = excluded.total, t1 = excluded.t1, t2 = excluded.t2, t3 = excluded.t3, "
        "received_at = excluded.received_at",
        "DELETE FROM sum_best WHERE name = ?1 AND kind = ?2 AND since = ?3",
        // ?1 kind, ?2 since, ?3 level, ?4 tenths (or bucket), ?5 delta. The row it would
        // add must pass the check of its count even when the delta is one that goes.
        "INSERT INTO ranking_counts (kind, since, level, tenths, names) VALUES (?1, ?2, ?3, ?4, "
        "CASE WHEN ?5 > 0 THEN ?5 ELSE 0 END) ON CONFLICT (kind, since, level, tenths) "
        "DO UPDATE SET names = ranking_counts.names + ?5",
        "INSERT INTO ranking_buckets (kind, since, level, bucket, names) VALUES (?1, ?2, ?3, ?4, "
        "CASE WHEN ?5 > 0 THEN ?5 ELSE 0 END) ON CONFLICT (kind, since, level, bucket) "
        "DO UPDATE SET names = ranking_buckets.names + ?5",
        // ?1 level, ?2 received_at, ?3 code: code, level, tenths, received_at.
        "SELECT code, level, tenths, received_at FROM records WHERE level = ?1 "
        "AND (received_at, code) < (?2, ?3) ORDER BY received_at DESC, code DESC LIMIT 1",
        // ?1 level, ?2 received_at, ?3 code, ?4 name, ?5 tenths.
        "INSERT INTO records (level, received_at, code, name, tenths) "
        "VALUES (?1, ?2, ?3, ?4, ?5) ON CONFLICT DO NOTHING",
        // ?1 level, ?2 received_at, ?3 code, ?4 tenths.
        "DELETE FROM records WHERE level = ?1 AND (received_at, code) > (?2, ?3) "
        "AND tenths >= ?4",
        "DELETE FROM records WHERE level = ?1 AND (received_at, code) >= (?2, ?3)",
        // ?1 code: code, name, level, tenths, received_at, state.
        "SELECT code, name, level, tenths, received_at, state FROM entries WHERE code = ?1",
        // ?1 name, ?2 level, ?3 kind, ?4 since: tenths, received_at.
        "SELECT tenths, received_at FROM period_best WHERE name = ?1 AND level = ?2 "
        "AND kind = ?3 AND since = ?4",
        // ?1 level, ?2 name, ?3 from, ?4 until: tenths, received_at.
        "SELECT tenths, received_at FROM entries WHERE name = ?2 AND level = ?1 AND state = 0 "
        "AND received_at >= ?3 AND received_at < ?4 ORDER BY tenths, received_at LIMIT 1",
        // ?1 name, ?2 kind, ?3 since: level, tenths, received_at.
        "SELECT level, tenths, received_at FROM period_best WHERE name = ?1 "
        "AND level IN (1, 2, 3) AND kind = ?2 AND since = ?3 UNION ALL SELECT level, tenths, "
        "received_at FROM best WHERE ?2 = 0 AND ?3 = 0 AND name = ?1 AND level IN (1, 2, 3)",
        // ?1 name, ?2 kind, ?3 since: t1, t2, t3, received_at.
        "SELECT t1, t2, t3, received_at FROM sum_best WHERE name = ?1 AND kind = ?2 "
        "AND since = ?3",
        // ?1 name: kind, since, level.
        "SELECT kind, since, level FROM period_best WHERE name = ?1 "
        "UNION ALL SELECT kind, since, 0 FROM sum_best WHERE name = ?1",
        // ?1 name: as entryOf, oldest first.
        "SELECT code, name, level, tenths, received_at, state FROM entries WHERE name = ?1 "
        "AND state = 0 ORDER BY received_at, code",
        // ?1 name: code, level, tenths, received_at.
        "SELECT code, level, tenths, received_at FROM records WHERE name = ?1",
        // ?1 level, ?2 bound: as entryOf, oldest first.
        "SELECT e.code, e.name, e.level, e.tenths, e.received_at, e.state FROM best b "
        "JOIN entries e ON e.name = b.name AND e.level = b.level WHERE b.level = ?1 "
        "AND b.tenths < ?2 AND e.tenths < ?2 AND e.state = 0 ORDER BY e.received_at, e.code",
    };
    return s;
}

std::vector<PeriodBounds> periodsToFill(int64_t now) {
    const int64_t yearStart = periodStartOf(Period::year, now);
    std::vector<PeriodBounds> bounds{
        {kindOf(Period::year), yearStart, periodAfter(Period::year, yearStart)}};
    for (const Period p : {Period::month, Period::week})
        for (int64_t since = periodStartOf(p, yearStart); since <= now;
             since = periodAfter(p, since))
            bounds.push_back({kindOf(p), since, periodAfter(p, since)});
    return bounds;
}

std::string viewsFillSql() {
    // The names of every ranked entry; each name's fastest shown entry per level and
    // period (equal times: the earlier); the sums of those with all three of levels 1 to
    // 3; their counts; and the records, the entries faster than all before them.
    const std::string shown =
        "e.state = 0 AND NOT EXISTS (SELECT 1 FROM barred WHERE barred.name = e.name)";
    return filled(
        "INSERT INTO names (folded, name) SELECT DISTINCT lower(name), name FROM entries "
        "WHERE state = 0 ON CONFLICT DO NOTHING;\n"
        "INSERT INTO period_best (name, level, kind, since, tenths, received_at) "
        "SELECT name, level, kind, since, tenths, received_at FROM (SELECT e.name, e.level, "
        "p.kind, p.since, e.tenths, e.received_at, row_number() OVER (PARTITION BY e.name, "
        "e.level, p.kind, p.since ORDER BY e.tenths, e.received_at) AS n FROM entries e "
        "JOIN period_bounds p ON e.received_at >= p.since AND e.received_at < p.until "
        "WHERE e.received_at >= (SELECT min(since) FROM period_bounds) AND {shown}) AS f "
        "WHERE n = 1;\n"
        "INSERT INTO sum_best (name, kind, since, total, t1, t2, t3, received_at) "
        "SELECT b1.name, 0, 0, b1.tenths + b2.tenths + b3.tenths, b1.tenths, b2.tenths, "
        "b3.tenths, {latest} FROM best b1 JOIN best b2 ON b2.level = 2 AND b2.name = b1.name "
        "JOIN best b3 ON b3.level = 3 AND b3.name = b1.name WHERE b1.level = 1;\n"
        "INSERT INTO sum_best (name, kind, since, total, t1, t2, t3, received_at) "
        "SELECT b1.name, b1.kind, b1.since, b1.tenths + b2.tenths + b3.tenths, b1.tenths, "
        "b2.tenths, b3.tenths, {latest} FROM period_best b1 JOIN period_best b2 "
        "ON b2.name = b1.name AND b2.level = 2 AND b2.kind = b1.kind AND b2.since = b1.since "
        "JOIN period_best b3 ON b3.name = b1.name AND b3.level = 3 AND b3.kind = b1.kind "
        "AND b3.since = b1.since WHERE b1.level = 1;\n"
        "INSERT INTO ranking_counts (kind, since, level, tenths, names) "
        "SELECT kind, since, level, tenths, count(*) FROM period_best "
        "GROUP BY kind, since, level, tenths;\n"
        "INSERT INTO ranking_counts (kind, since, level, tenths, names) "
        "SELECT kind, since, 0, total, count(*) FROM sum_best GROUP BY kind, since, total;\n"
        "INSERT INTO ranking_buckets (kind, since, level, bucket, names) "
        "SELECT kind, since, level, tenths / {w}, sum(names) FROM ranking_counts "
        "GROUP BY kind, since, level, tenths / {w};\n"
        "INSERT INTO records (level, received_at, code, name, tenths) "
        "SELECT level, received_at, code, name, tenths FROM (SELECT e.level, e.received_at, "
        "e.code, e.name, e.tenths, min(e.tenths) OVER (PARTITION BY e.level ORDER BY "
        "e.received_at, e.code ROWS BETWEEN UNBOUNDED PRECEDING AND 1 PRECEDING) AS earlier "
        "FROM entries e WHERE {shown}) AS r WHERE earlier IS NULL OR tenths < earlier;\n",
        {{"{shown}", shown},
         {"{w}", bucketWidth},
         {"{latest}", "CASE WHEN b1.received_at >= b2.received_at AND b1.received_at >= "
                      "b3.received_at THEN b1.received_at WHEN b2.received_at >= "
                      "b3.received_at THEN b2.received_at ELSE b3.received_at END"}});
}

std::string foldedName(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

} // namespace liga
