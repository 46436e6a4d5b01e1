// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "views_sql.h"
#include "ranking.h"

#include <array>
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

// A ranking's tables and, with "{a}" for a table's alias and "{level}" for its level, where
// its rows are in them, their time (or sum) and arrival, and how many names a count row
// holds. Every value is used, which PostgreSQL needs to know its type: all time is kind 0
// at 0.
struct Tables {
    std::string rows, counts, buckets;
    std::string rowsKey, countsKey, names;
    std::string tenths, at;
};

std::string with(const std::string& part, const std::string& alias, const std::string& level) {
    return filled(part, {{"{a}", alias}, {"{level}", level}});
}

const Tables allTimeBoards{"best",
                           "time_counts",
                           "time_buckets",
                           "{a}level = {level} AND ?2 = 0 AND ?3 = 0",
                           "{a}level = {level} AND ?2 = 0 AND ?3 = 0",
                           "{a}names",
                           "{a}tenths",
                           "{a}received_at"};

// The rankings beside `best` keep each period in columns of their own: a row counts for
// the period that began at its since, and for no other (-1: none).
Tables rankingTables(const std::string& rows, const std::string& rowsKey, const std::string& tenths,
                     int kind) {
    const std::string k = std::to_string(kind);
    const std::string names =
        kind == 0 ? "{a}names0"
                  : "CASE WHEN {a}since" + k + " = ?3 THEN {a}names" + k + " ELSE 0 END";
    return {rows,
            "ranking_counts",
            "ranking_buckets",
            filled(rowsKey, {{"{k}", k}}),
            "{a}level = {level} AND ?2 = " + k + (kind == 0 ? " AND ?3 = 0" : ""),
            names,
            "{a}" + tenths + k,
            "{a}at" + k};
}

Tables periodBoards(int kind) {
    return rankingTables("period_best", "{a}level = {level} AND {a}since{k} = ?3 AND ?2 = {k}",
                         "tenths", kind);
}

// The combined ranking's lines have no level (its counts' level is 0).
Tables sums(int kind) {
    return rankingTables("sum_best", "{a}since{k} = ?3 AND ?2 = {k}", "tot", kind);
}

// How many names have a time (or sum) below `time`: the buckets below its own, and the
// times of its own bucket below it.
std::string fasterThan(const Tables& t, const std::string& level, const std::string& time) {
    return filled("CAST((SELECT coalesce(sum({names}), 0) FROM {buckets} WHERE {key} "
                  "AND bucket < {time} / {w}) + (SELECT coalesce(sum({names}), 0) FROM {counts} "
                  "WHERE {key} AND tenths >= {time} / {w} * {w} AND tenths < {time}) AS BIGINT)",
                  {{"{buckets}", t.buckets},
                   {"{counts}", t.counts},
                   {"{key}", with(t.countsKey, "", level)},
                   {"{names}", with(t.names, "", level)},
                   {"{time}", time},
                   {"{w}", bucketWidth}});
}

std::string rankedIn(const Tables& t, const std::string& level) {
    return filled("CAST((SELECT coalesce(sum({names}), 0) FROM {buckets} WHERE {key}) AS BIGINT)",
                  {{"{buckets}", t.buckets},
                   {"{key}", with(t.countsKey, "", level)},
                   {"{names}", with(t.names, "", level)}});
}

// The page's first row: the bucket that holds it, then its time among the bucket's.
// `columns` and `order` name the row's time "{t}" and arrival "{at}".
std::string pageSql(const Tables& t, const std::string& columns, const std::string& order,
                    const std::string& limit, const std::string& offset,
                    const std::string& padding) {
    const std::vector<std::pair<std::string_view, std::string>> row = {
        {"{t}", with(t.tenths, "", "?1")}, {"{at}", with(t.at, "", "?1")}};
    return filled(
        "WITH b AS (SELECT bucket, {names} AS names, CAST(sum({names}) OVER (ORDER BY bucket) "
        "AS BIGINT) AS upto FROM {buckets} WHERE {key}), "
        "p AS (SELECT bucket, upto - names AS lower_names FROM b WHERE upto > ?4 "
        "ORDER BY bucket LIMIT 1), "
        "t AS (SELECT c.tenths, {cnames} AS names, p.lower_names + CAST(sum({cnames}) OVER "
        "(ORDER BY c.tenths) AS BIGINT) AS upto FROM {counts} c, p WHERE {ckey} "
        "AND c.tenths >= p.bucket * {w} AND c.tenths < p.bucket * {w} + {w}), "
        "x AS (SELECT tenths, upto - names AS faster FROM t WHERE upto > ?4 "
        "ORDER BY tenths LIMIT 1) "
        "SELECT 0, CAST(NULL AS TEXT), {ranked}, (SELECT faster FROM x){padding} "
        "UNION ALL SELECT 1, page.* FROM (SELECT {columns} FROM {rows} WHERE {rowsKey} "
        "AND {t} >= (SELECT tenths FROM x) ORDER BY {order} LIMIT {limit} "
        "OFFSET {offset}) AS page",
        {{"{buckets}", t.buckets},
         {"{counts}", t.counts},
         {"{rows}", t.rows},
         {"{ranked}", rankedIn(t, "?1")},
         {"{rowsKey}", with(t.rowsKey, "", "?1")},
         {"{key}", with(t.countsKey, "", "?1")},
         {"{ckey}", with(t.countsKey, "c.", "?1")},
         {"{names}", with(t.names, "", "?1")},
         {"{cnames}", with(t.names, "c.", "?1")},
         {"{w}", bucketWidth},
         {"{columns}", filled(columns, row)},
         {"{order}", filled(order, row)},
         {"{t}", with(t.tenths, "", "?1")},
         {"{limit}", limit},
         {"{offset}", offset},
         {"{padding}", padding}});
}

// Rows from the first of the page's time on are all of that time: skip those before it.
const char* const skipInTime = "CAST(coalesce((SELECT ?4 - faster FROM x), 0) AS BIGINT)";

RankingSql boardSql(const Tables& t) {
    const auto of = [&](const std::string& alias, const std::string& level) {
        return std::vector<std::pair<std::string_view, std::string>>{
            {"{t}", with(t.tenths, alias, level)}, {"{at}", with(t.at, alias, level)}};
    };
    RankingSql s;
    s.page = pageSql(t, "name, {t}, {at}", "{t}, {at}, name", "?5", skipInTime, "");
    s.standings =
        // Places and counts only where the name has a best: only they are shown.
        filled(filled("SELECT l.level, {t}, {at}, CASE WHEN b.name IS NULL THEN 0 ELSE {faster} "
                      "END, CASE WHEN b.name IS NULL THEN 0 ELSE {ranked} END FROM "
                      "(SELECT 1 AS level UNION ALL SELECT 2 UNION ALL SELECT 3 UNION ALL SELECT 4 "
                      "UNION ALL SELECT 5) AS l LEFT JOIN {rows} b ON {bkey} AND b.name = ?1 "
                      "ORDER BY l.level",
                      of("b.", "l.level")),
               {{"{faster}", fasterThan(t, "l.level", with(t.tenths, "b.", "l.level"))},
                {"{ranked}", rankedIn(t, "l.level")},
                {"{rows}", t.rows},
                {"{bkey}", with(t.rowsKey, "b.", "l.level")}});
    // The name's own row as one value, so that the range starts from it in the index
    // rather than the whole board being read in its order until the row is passed.
    const std::string near =
        filled("SELECT r.name, {t} AS tm, {at} AS arrived FROM {rows} r WHERE {rkey} "
               "AND ({t}, {at}, r.name) {cmp} (?6, ?7, ?4) "
               "ORDER BY {t}{dir}, {at}{dir}, r.name{dir} LIMIT ?5",
               of("r.", "?1"));
    s.neighbours =
        filled("WITH up AS ({up}), down AS ({down}) "
               "SELECT 1, name, tm, arrived FROM up "
               "UNION ALL SELECT 2, name, tm, arrived FROM down "
               "UNION ALL SELECT 3, CAST(NULL AS TEXT), tenths, {names} FROM {counts} WHERE {key} "
               "AND tenths >= (SELECT min(tm) FROM up) AND tenths < ?6 "
               "UNION ALL SELECT 4, CAST(NULL AS TEXT), tenths, {names} FROM {counts} WHERE {key} "
               "AND tenths >= ?6 AND tenths < (SELECT max(tm) FROM down)",
               {{"{up}", filled(near, {{"{cmp}", "<"}, {"{dir}", " DESC"}})},
                {"{down}", filled(near, {{"{cmp}", ">"}, {"{dir}", ""}})},
                {"{rows}", t.rows},
                {"{rkey}", with(t.rowsKey, "r.", "?1")},
                {"{counts}", t.counts},
                {"{key}", with(t.countsKey, "", "?1")},
                {"{names}", with(t.names, "", "?1")}});
    s.distribution = filled("SELECT tenths, {names} FROM {counts} WHERE {key} AND {names} > 0 "
                            "ORDER BY tenths",
                            {{"{counts}", t.counts},
                             {"{key}", with(t.countsKey, "", "?1")},
                             {"{names}", with(t.names, "", "?1")}});
    return s;
}

RankingSql sumSql(const Tables& t, int kind) {
    const std::string k = std::to_string(kind);
    RankingSql s;
    // Equal sums are placed by their level-3 and level-2 times, which the counts per sum
    // do not tell: the rows come from the first of the total on, and the caller numbers
    // them.
    s.page = pageSql(t, "name, {t}, {at}, one" + k + ", two" + k + ", three" + k,
                     "{t}, three" + k + ", two" + k + ", {at}, name",
                     "CAST(coalesce((SELECT ?4 - faster FROM x), 0) + ?5 AS BIGINT)", "0",
                     ", NULL, NULL, NULL");
    // ?1 the name: total, t1, t2, t3, received_at, faster, ranked.
    s.standings =
        filled("SELECT s.tot{k}, s.one{k}, s.two{k}, s.three{k}, s.at{k}, CASE WHEN s.name IS "
               "NULL THEN 0 ELSE {faster} + (SELECT count(*) FROM sum_best o WHERE o.since{k} = "
               "?3 AND o.tot{k} = s.tot{k} AND (o.three{k}, o.two{k}) < (s.three{k}, s.two{k})) "
               "END, CASE WHEN s.name IS NULL THEN 0 ELSE {ranked} END FROM (SELECT 1 AS one) AS "
               "one LEFT JOIN sum_best s ON s.name = ?1 "
               "AND s.since{k} = ?3 AND ?2 = {k}",
               {{"{faster}", fasterThan(t, "0", "s.tot" + k)},
                {"{ranked}", rankedIn(t, "0")},
                {"{k}", k}});
    return s;
}

// "?n", built so that no compiler takes the text's start for an overlapping copy.
std::string parameter(int n) {
    std::string p(1, '?');
    p += std::to_string(n);
    return p;
}

// Adds to a count row of the rankings beside `best`: ?1 level, ?2 time (or bucket), ?3 the
// delta of all time, then each period's start and delta (?4 and ?5 the year's, ?6 and ?7
// the month's, ?8 and ?9 the week's; 0 and 0 for none). A row of an older period starts
// the new one from the delta; a delta of a period older than the row's is not kept. The
// row it would add must pass the check of its counts even with a delta that goes.
std::string countsUpsert(const std::string& table, const std::string& key) {
    std::string sql = "INSERT INTO " + table + " AS c (level, " + key +
                      ", names0, since1, names1, since2, names2, since3, names3) VALUES (?1, ?2, "
                      "CASE WHEN ?3 > 0 THEN ?3 ELSE 0 END";
    std::string set = " ON CONFLICT (level, " + key + ") DO UPDATE SET names0 = c.names0 + ?3";
    for (int kind = 1; kind <= 3; ++kind) {
        const std::string k = std::to_string(kind);
        const std::string since = parameter(2 + 2 * kind);
        const std::string delta = parameter(3 + 2 * kind);
        sql += ", " + since + ", CASE WHEN " + delta + " > 0 THEN " + delta + " ELSE 0 END";
        set += ", names" + k + " = CASE WHEN c.since" + k + " = " + since + " THEN c.names" + k +
               " + " + delta + " WHEN c.since" + k + " < " + since + " THEN " + delta +
               " ELSE c.names" + k + " END, since" + k + " = CASE WHEN c.since" + k + " < " +
               since + " THEN " + since + " ELSE c.since" + k + " END";
    }
    return sql + ")" + set;
}

// A name's row of the period boards of a level: since (-1: none), tenths and received_at
// of the year, month and week; its row of the combined ranking: since, total, t1, t2, t3
// and received_at of all time (since 0), the year, month and week.
const std::string periodColumns =
    "since1, tenths1, at1, since2, tenths2, at2, since3, tenths3, at3";
const std::string sumColumns = "since0, tot0, one0, two0, three0, at0, since1, tot1, one1, "
                               "two1, three1, at1, since2, tot2, one2, two2, three2, at2, "
                               "since3, tot3, one3, two3, three3, at3";

// "column{k} = CASE WHEN ?flag = 1 THEN ?value ELSE p.column{k} END" for the periods first
// to last, each with a flag and a value per column, after `skip` values.
std::string changedColumns(const std::vector<std::string>& columns, int first, int last, int skip) {
    std::string set;
    int at = skip;
    for (int kind = first; kind <= last; ++kind) {
        const std::string flag = parameter(++at);
        for (const std::string& c : columns) {
            const std::string name = c + std::to_string(kind);
            if (!set.empty()) set += ", ";
            set += name + " = CASE WHEN " + flag + " = 1 THEN ?" + std::to_string(++at) +
                   " ELSE p." + name + " END";
        }
    }
    return set;
}

// A name's all-time bests on levels `first` to `last`, one lookup per level: SQLite would
// answer "level IN (...)" through a table of its own, made and dropped at every call.
std::string allTimeBestsOf(const std::string& columns, const std::string& name, int first,
                           int last) {
    std::string sql;
    for (int level = first; level <= last; ++level) {
        if (level > first) sql += " UNION ALL ";
        sql += "SELECT " + filled(columns, {{"{level}", std::to_string(level)}}) +
               " FROM best WHERE level = " + std::to_string(level) + " AND name = " + name;
    }
    return sql;
}

// Whether a name is on any all-time board. A scalar subquery, probed per name: EXISTS
// under OR lets PostgreSQL hash a whole board first, for every search.
std::string onABoard(const std::string& name) {
    std::string sql = "(";
    sql += allTimeBestsOf("1", name, 1, 5);
    return sql + " LIMIT 1) IS NOT NULL";
}

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

const RankingSql& boardSqlOf(int kind) {
    static const std::array<RankingSql, 4> s{boardSql(allTimeBoards), boardSql(periodBoards(1)),
                                             boardSql(periodBoards(2)), boardSql(periodBoards(3))};
    return s[static_cast<std::size_t>(kind)];
}

const RankingSql& sumSqlOf(int kind) {
    static const std::array<RankingSql, 4> s{sumSql(sums(0), 0), sumSql(sums(1), 1),
                                             sumSql(sums(2), 2), sumSql(sums(3), 3)};
    return s[static_cast<std::size_t>(kind)];
}

const PlayerSql& playerSql() {
    static const PlayerSql s{
        // ?1 the name, ?2 and ?3 the received_at and code to continue after, ?4 how many.
        std::string("SELECT code, name, level, tenths, received_at ") + shownEntriesOf +
            " AND (received_at < ?2 OR (received_at = ?2 AND code < ?3)) "
            "ORDER BY received_at DESC, code DESC LIMIT ?4",
        // ?1 the name.
        std::string("SELECT code, name, level, tenths, received_at ") + shownEntriesOf +
            " ORDER BY received_at, code",
        "SELECT 1 WHERE " + onABoard("?1"),
        // ?1 and ?2 the folded names' range, ?3 how many.
        "SELECT n.name FROM names n WHERE n.folded >= ?1 AND n.folded < ?2 AND " +
            onABoard("n.name") + " ORDER BY n.folded, n.name LIMIT ?3",
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
        // ?1 name: part 1 the name's period rows of every level (periodColumns), part 2 its
        // all-time bests of levels 1 to 3 (level, 0, tenths, received_at).
        "SELECT 1, level, " + periodColumns +
            " FROM period_best WHERE name = ?1 "
            "AND level BETWEEN 1 AND 5 UNION ALL " +
            allTimeBestsOf("2, {level}, 0, tenths, received_at, 0, 0, 0, 0, 0, 0", "?1", 1, 3),
        // ?1 name: sumColumns.
        "SELECT " + sumColumns + " FROM sum_best WHERE name = ?1",
        // ?1 name, ?2 level, then of each period (year, month, week) whether it changes,
        // since (-1: none), tenths, received_at.
        "INSERT INTO period_best AS p (name, level, " + periodColumns +
            ") VALUES (?1, ?2, ?4, ?5, ?6, ?8, ?9, ?10, ?12, ?13, ?14) ON CONFLICT (name, level) "
            "DO UPDATE SET " +
            changedColumns({"since", "tenths", "at"}, 1, 3, 2),
        // ?1 name, then of each period (all time, year, month, week) whether it changes,
        // since (-1: none), total, t1, t2, t3, received_at.
        "INSERT INTO sum_best AS p (name, " + sumColumns +
            ") VALUES (?1, ?3, ?4, ?5, ?6, ?7, ?8, ?10, ?11, ?12, ?13, ?14, ?15, ?17, ?18, ?19, "
            "?20, ?21, ?22, ?24, ?25, ?26, ?27, ?28, ?29) ON CONFLICT (name) DO UPDATE SET " +
            changedColumns({"since", "tot", "one", "two", "three", "at"}, 0, 3, 1),
        countsUpsert("ranking_counts", "tenths"),
        countsUpsert("ranking_buckets", "bucket"),
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
        // ?1 level, ?2 name, ?3 from, ?4 until: tenths, received_at.
        "SELECT tenths, received_at FROM entries WHERE name = ?2 AND level = ?1 AND state = 0 "
        "AND received_at >= ?3 AND received_at < ?4 ORDER BY tenths, received_at LIMIT 1",
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
    std::vector<PeriodBounds> bounds;
    for (const Period p : {Period::year, Period::month, Period::week}) {
        const int64_t since = periodStartOf(p, now);
        bounds.push_back({kindOf(p), since, periodAfter(p, since)});
    }
    return bounds;
}

namespace {

// Of the rows of a group, those of one kind as one row's columns: the period's start (-1:
// none) and the values of the first row of the kind (there is at most one).
std::string pivoted(int kind, const std::vector<std::string>& values) {
    const std::string k = std::to_string(kind);
    std::string columns = "coalesce(max(CASE WHEN kind = " + k + " THEN since END), -1)";
    for (const std::string& v : values)
        columns += ", coalesce(max(CASE WHEN kind = " + k + " THEN " + v + " END), 0)";
    return columns;
}

// The rows of each kind of a table as (level, time, kind, since).
std::string rowsOfKinds(const std::string& table, const std::string& level, const std::string& time,
                        int first, int last) {
    std::string sql;
    for (int kind = first; kind <= last; ++kind) {
        const std::string k = std::to_string(kind);
        if (kind > first) sql += " UNION ALL ";
        sql += "SELECT " + level + " AS level, " + time + k + " AS tenths, " + k +
               " AS kind, since" + k + " AS since FROM " + table + " WHERE since" + k + " >= 0";
    }
    return sql;
}

// The sums of a name's bests in b1, b2 and b3 (rows of levels 1 to 3).
std::string summed(const std::string& t1, const std::string& t2, const std::string& t3,
                   const std::string& at) {
    return t1 + " AS one, " + t2 + " AS two, " + t3 + " AS three, CASE WHEN b1." + at + " >= b2." +
           at + " AND b1." + at + " >= b3." + at + " THEN b1." + at + " WHEN b2." + at + " >= b3." +
           at + " THEN b2." + at + " ELSE b3." + at + " END AS at";
}

} // namespace

std::string viewsFillSql() {
    // The names of every ranked entry; each name's fastest shown entry per level and
    // period (equal times: the earlier); the sums of those with all three of levels 1 to
    // 3; their counts; and the records, the entries faster than all before them.
    const std::string shown =
        "e.state = 0 AND NOT EXISTS (SELECT 1 FROM barred WHERE barred.name = e.name)";
    std::string sums = "SELECT b1.name, 0 AS kind, 0 AS since, " +
                       summed("b1.tenths", "b2.tenths", "b3.tenths", "received_at") +
                       " FROM best b1 JOIN best b2 ON b2.level = 2 AND b2.name = b1.name "
                       "JOIN best b3 ON b3.level = 3 AND b3.name = b1.name WHERE b1.level = 1";
    for (int kind = 1; kind <= 3; ++kind) {
        const std::string k = std::to_string(kind);
        sums += " UNION ALL SELECT b1.name, " + k + ", b1.since" + k + ", " +
                summed("b1.tenths" + k, "b2.tenths" + k, "b3.tenths" + k, "at" + k) +
                " FROM period_best b1 JOIN period_best b2 ON b2.name = b1.name AND b2.level = 2 "
                "AND b2.since" +
                k + " = b1.since" + k +
                " JOIN period_best b3 ON b3.name = "
                "b1.name AND b3.level = 3 AND b3.since" +
                k + " = b1.since" + k + " WHERE b1.level = 1 AND b1.since" + k + " >= 0";
    }
    std::string sumPivot;
    for (int kind = 0; kind <= 3; ++kind)
        sumPivot += ", " + pivoted(kind, {"one + two + three", "one", "two", "three", "at"});
    std::string counts;
    for (int kind = 0; kind <= 3; ++kind) {
        const std::string k = std::to_string(kind);
        if (kind > 0) counts += ", max(CASE WHEN kind = " + k + " THEN since ELSE 0 END)";
        counts += ", sum(CASE WHEN kind = " + k + " THEN 1 ELSE 0 END)";
    }
    return filled(
        "INSERT INTO names (folded, name) SELECT DISTINCT lower(name), name FROM entries "
        "WHERE state = 0 ON CONFLICT DO NOTHING;\n"
        "INSERT INTO period_best (name, level, {periodColumns}) SELECT name, level{periodPivot} "
        "FROM (SELECT e.name, e.level, p.kind, p.since, e.tenths, e.received_at, row_number() "
        "OVER (PARTITION BY e.name, e.level, p.kind ORDER BY e.tenths, e.received_at) AS n "
        "FROM entries e JOIN period_bounds p ON e.received_at >= p.since "
        "AND e.received_at < p.until WHERE e.received_at >= (SELECT min(since) FROM "
        "period_bounds) AND {shown}) AS f WHERE n = 1 GROUP BY name, level;\n"
        "INSERT INTO sum_best (name, {sumColumns}) SELECT name{sumPivot} FROM ({sums}) AS s "
        "GROUP BY name;\n"
        "INSERT INTO ranking_counts (level, tenths, names0, since1, names1, since2, names2, "
        "since3, names3) SELECT level, tenths{counts} FROM ({rows}) AS r "
        "GROUP BY level, tenths;\n"
        "INSERT INTO ranking_buckets (level, bucket, names0, since1, names1, since2, names2, "
        "since3, names3) SELECT level, tenths / {w}, sum(names0), max(since1), sum(names1), "
        "max(since2), sum(names2), max(since3), sum(names3) FROM ranking_counts "
        "GROUP BY level, tenths / {w};\n"
        "INSERT INTO records (level, received_at, code, name, tenths) "
        "SELECT level, received_at, code, name, tenths FROM (SELECT e.level, e.received_at, "
        "e.code, e.name, e.tenths, min(e.tenths) OVER (PARTITION BY e.level ORDER BY "
        "e.received_at, e.code ROWS BETWEEN UNBOUNDED PRECEDING AND 1 PRECEDING) AS earlier "
        "FROM entries e WHERE {shown}) AS r WHERE earlier IS NULL OR tenths < earlier;\n",
        {{"{shown}", shown},
         {"{w}", bucketWidth},
         {"{periodColumns}", periodColumns},
         {"{periodPivot}", ", " + pivoted(1, {"tenths", "received_at"}) + ", " +
                               pivoted(2, {"tenths", "received_at"}) + ", " +
                               pivoted(3, {"tenths", "received_at"})},
         {"{sumColumns}", sumColumns},
         {"{sumPivot}", sumPivot},
         {"{sums}", sums},
         {"{counts}", counts},
         {"{rows}", rowsOfKinds("period_best", "level", "tenths", 1, 3) + " UNION ALL " +
                        rowsOfKinds("sum_best", "0", "tot", 0, 3)}});
}

std::string foldedName(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

} // namespace liga
