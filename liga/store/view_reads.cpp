// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "view_reads.h"
#include "ranking.h"
#include "views_sql.h"

#include <algorithm>
#include <limits>
#include <map>
#include <stdexcept>
#include <tuple>

namespace liga {

namespace {

constexpr int64_t mostRows = 1000;

int64_t clamped(int64_t n, int64_t low, int64_t high) {
    return std::clamp(n, low, high);
}

// The kind and start a ranking's statements take: all time is 0 and 0, whatever `from`.
std::vector<SqlValue> rankingValues(int32_t level, PeriodStart period) {
    const int64_t kind = static_cast<int64_t>(period.period);
    return {int64_t{level}, kind, kind == 0 ? 0 : period.from};
}

const RankingSql& boardSqlFor(PeriodStart period) {
    return boardSqlOf(static_cast<int>(period.period));
}

const RankingSql& sumSqlFor(PeriodStart period) {
    return sumSqlOf(static_cast<int>(period.period));
}

BoardRow boardRowAt(const SqlRows& r, std::size_t i, std::size_t column) {
    return {0, r.text(i, column), r.tenths(i, column + 1), r.integer(i, column + 2)};
}

// How many names are faster than each time near `time`, of which `faster` are faster:
// from the counts of the times between.
class NearCounts {
public:
    NearCounts(int32_t time, int64_t faster) : time_(time), faster_(faster) {}
    void add(int32_t tenths, int64_t names) { counts_[tenths] += names; }
    int64_t fasterThan(int32_t tenths) const {
        int64_t n = faster_;
        for (const auto& [t, names] : counts_) {
            if (tenths < time_ && t >= tenths && t < time_) n -= names;
            if (tenths > time_ && t >= time_ && t < tenths) n += names;
        }
        return n;
    }

private:
    int32_t time_;
    int64_t faster_;
    std::map<int32_t, int64_t> counts_;
};

} // namespace

const std::string& SqlRows::text(std::size_t row, std::size_t column) const {
    static const std::string none;
    const std::optional<std::string>& v = rows_[row][column];
    return v ? *v : none;
}

int64_t SqlRows::integer(std::size_t row, std::size_t column) const {
    const std::optional<std::string>& v = rows_[row][column];
    if (!v) return 0;
    int64_t n = 0;
    const auto [end, error] = std::from_chars(v->data(), v->data() + v->size(), n);
    if (error != std::errc() || end != v->data() + v->size())
        throw std::runtime_error("not an integer: " + *v);
    return n;
}

SqlRows ViewReads::readOne(const std::string& sql, std::vector<SqlValue> values, Deadline until) {
    return std::move(reader_.read({{&sql, std::move(values)}}, until).front());
}

BoardPage ViewReads::boardPage(int32_t level, PeriodStart period, PageRange range, Deadline until) {
    const int64_t first = std::max<int64_t>(range.first, 0);
    std::vector<SqlValue> values = rankingValues(level, period);
    values.insert(values.end(), {first, clamped(range.count, 0, mostRows)});
    const SqlRows r = readOne(boardSqlFor(period).page, std::move(values), until);
    BoardPage page;
    int64_t faster = 0;
    for (std::size_t i = 0; i < r.count(); ++i) {
        if (r.integer(i, 0) == 0) {
            page.ranked = r.integer(i, 2);
            faster = r.integer(i, 3);
            continue;
        }
        BoardRow row = boardRowAt(r, i, 1);
        // The page's first time began `faster` rows up; each later time at its own row.
        const std::size_t n = page.rows.size();
        if (n == 0 || row.tenths == page.rows.front().tenths)
            row.place = placeBehind(faster);
        else if (row.tenths == page.rows.back().tenths)
            row.place = page.rows.back().place;
        else
            row.place = placeBehind(first + static_cast<int64_t>(n));
        page.rows.push_back(std::move(row));
    }
    return page;
}

SumPage ViewReads::sumPage(PeriodStart period, PageRange range, Deadline until) {
    const int64_t first = std::max<int64_t>(range.first, 0);
    const int64_t count = clamped(range.count, 0, mostRows);
    std::vector<SqlValue> values = rankingValues(sumRankingLevel, period);
    values.insert(values.end(), {first, count});
    const SqlRows r = readOne(sumSqlFor(period).page, std::move(values), until);
    SumPage page;
    int64_t faster = 0;
    // The rows come from the first of the page's first total on: numbered from there.
    std::vector<SumRow> run;
    for (std::size_t i = 0; i < r.count(); ++i) {
        if (r.integer(i, 0) == 0) {
            page.ranked = r.integer(i, 2);
            faster = r.integer(i, 3);
            continue;
        }
        SumRow row{0,
                   r.text(i, 1),
                   r.tenths(i, 2),
                   {r.tenths(i, 4), r.tenths(i, 5), r.tenths(i, 6)},
                   r.integer(i, 3)};
        const auto key = [](const SumRow& s) {
            return std::tie(s.total, s.tenths[2], s.tenths[1]);
        };
        if (!run.empty() && key(row) == key(run.back()))
            row.place = run.back().place;
        else
            row.place = placeBehind(faster + static_cast<int64_t>(run.size()));
        run.push_back(std::move(row));
    }
    const auto skip = static_cast<std::size_t>(
        std::clamp<int64_t>(first - faster, 0, static_cast<int64_t>(run.size())));
    page.rows.assign(run.begin() + static_cast<std::ptrdiff_t>(skip), run.end());
    if (page.rows.size() > static_cast<std::size_t>(count))
        page.rows.resize(static_cast<std::size_t>(count));
    return page;
}

namespace {

// A period's standing of a name: its places on levels 1 to 5 (boardSqlFor) or in the
// combined ranking (sumSqlFor).
SqlCall standingCall(const std::string& name, PeriodStart period,
                     const RankingSql& (*sqlOf)(PeriodStart)) {
    std::vector<SqlValue> values = rankingValues(0, period);
    values[0] = name;
    return {&sqlOf(period).standings, std::move(values)};
}

std::vector<SqlCall> standingCalls(const std::string& name, const std::vector<PeriodStart>& periods,
                                   const RankingSql& (*sqlOf)(PeriodStart)) {
    std::vector<SqlCall> calls;
    for (const PeriodStart& p : periods) calls.push_back(standingCall(name, p, sqlOf));
    return calls;
}

// From the row of a sum's standingCall.
SumStanding sumStandingIn(const std::string& name, PeriodStart period, const SqlRows& r) {
    SumStanding s{period, std::nullopt, r.count() ? r.integer(0, 6) : 0};
    if (r.count() && !r.null(0, 0))
        s.row = SumRow{placeBehind(r.integer(0, 5)),
                       name,
                       r.tenths(0, 0),
                       {r.tenths(0, 1), r.tenths(0, 2), r.tenths(0, 3)},
                       r.integer(0, 4)};
    return s;
}

// The names around a name's best (`s`) on its level's board of its period, and the counts
// that place them.
SqlCall neighboursCall(const std::string& name, const Standing& s, int64_t count) {
    std::vector<SqlValue> values = rankingValues(s.level, s.period);
    values.insert(values.end(), {name, count, int64_t{s.best->tenths}, s.best->receivedAt});
    return {&boardSqlFor(s.period).neighbours, std::move(values)};
}

SqlCall entriesCall(const std::string& name, const std::optional<EntryCursor>& after,
                    int64_t limit) {
    const int64_t at = after ? after->receivedAt : std::numeric_limits<int64_t>::max();
    return {&playerSql().entries,
            {name, at, after ? after->code : std::string(), clamped(limit, 1, mostRows)}};
}

std::vector<EntryRow> entryRows(const SqlRows& r) {
    std::vector<EntryRow> rows;
    for (std::size_t i = 0; i < r.count(); ++i)
        rows.push_back({r.text(i, 0), r.text(i, 1), r.tenths(i, 2), r.tenths(i, 3), r.integer(i, 4),
                        EntryState::ranked, false});
    return rows;
}

// Of a name's entries, oldest first, those that made its best on their level faster.
std::vector<EntryRow> historyFrom(const std::vector<EntryRow>& entries) {
    std::vector<EntryRow> steps;
    std::map<int32_t, int32_t> best;
    for (const EntryRow& e : entries) {
        const auto [it, first] = best.emplace(e.level, e.tenths);
        if (!first && e.tenths >= it->second) continue;
        it->second = e.tenths;
        steps.push_back(e);
    }
    return steps;
}

// The names above and below a standing's best from their rows (`r`, of neighboursCall), each
// with its place.
void addNeighbours(Standing& s, const SqlRows& r) {
    NearCounts counts(s.best->tenths, s.best->place - placeBehind(0));
    for (std::size_t i = 0; i < r.count(); ++i)
        if (r.integer(i, 0) >= 3) counts.add(r.tenths(i, 2), r.integer(i, 3));
    for (std::size_t i = 0; i < r.count(); ++i) {
        const int64_t part = r.integer(i, 0);
        if (part >= 3) continue;
        BoardRow row = boardRowAt(r, i, 1);
        row.place = placeBehind(counts.fasterThan(row.tenths));
        (part == 1 ? s.above : s.below).push_back(std::move(row));
    }
    std::reverse(s.above.begin(), s.above.end());
}

// From the rows of a board's standingCall: levels 1 to 5.
std::vector<Standing> standingsIn(const std::string& name, PeriodStart period, const SqlRows& r) {
    std::vector<Standing> all;
    for (std::size_t i = 0; i < r.count(); ++i) {
        Standing s{r.tenths(i, 0), period, std::nullopt, r.integer(i, 4), {}, {}};
        if (!r.null(i, 1))
            s.best = BoardRow{placeBehind(r.integer(i, 3)), name, r.tenths(i, 1), r.integer(i, 2)};
        all.push_back(std::move(s));
    }
    return all;
}

// The names around the name's best in each standing of the period kind `near` that has
// one: the statements, and the standings their rows go to. They start from the best, so
// they take a trip after it, and a level without a best costs the database nothing.
class Around {
public:
    Around(const std::string& name, Period near, int neighbours)
        : name_(name), near_(near), count_(clamped(neighbours, 0, 10)) {}
    // The standings stay where they are until add.
    void ask(std::vector<Standing>& standings) {
        for (Standing& s : standings)
            if (count_ > 0 && s.period.period == near_ && s.best) {
                shown_.push_back(&s);
                calls.push_back(neighboursCall(name_, s, count_));
            }
    }
    void add(const SqlRows* rows) const {
        for (std::size_t i = 0; i < shown_.size(); ++i) addNeighbours(*shown_[i], rows[i]);
    }

    std::vector<SqlCall> calls;

private:
    const std::string& name_;
    Period near_;
    int64_t count_;
    std::vector<Standing*> shown_;
};

// Where a period begins and ends (all time: everything).
struct Span {
    int64_t from = std::numeric_limits<int64_t>::min();
    int64_t until = std::numeric_limits<int64_t>::max();
};

Span spanOf(PeriodStart period) {
    if (period.period == Period::all) return {};
    return {period.from, periodAfter(period.period, period.from)};
}

// Whether any of a name's entries (of `level`; 0: of any) arrived in `span`. Without one
// the name has no best there, nor a line of the combined ranking.
bool anyIn(const std::vector<EntryRow>& entries, Span span, int32_t level = 0) {
    return std::any_of(entries.begin(), entries.end(), [&](const EntryRow& e) {
        return (level == 0 || e.level == level) && e.receivedAt >= span.from &&
               e.receivedAt < span.until;
    });
}

bool summedIn(const std::vector<EntryRow>& entries, Span span) {
    for (int32_t level = firstSummedLevel; level <= lastSummedLevel; ++level)
        if (!anyIn(entries, span, level)) return false;
    return true;
}

// The standings of a period where the name has no best on any level.
std::vector<Standing> noneIn(PeriodStart period) {
    std::vector<Standing> all;
    for (int32_t level = stufeAnfaenger; level <= stufeWahnsinn; ++level)
        all.push_back(Standing{level, period, std::nullopt, 0, {}, {}});
    return all;
}

} // namespace

std::vector<Standing> ViewReads::standings(const std::string& name,
                                           const std::vector<PeriodStart>& periods, Period near,
                                           int neighbours, Deadline until) {
    const std::vector<SqlRows> r = reader_.read(standingCalls(name, periods, boardSqlFor), until);
    std::vector<Standing> all;
    for (std::size_t p = 0; p < periods.size(); ++p) {
        const std::vector<Standing> in = standingsIn(name, periods[p], r[p]);
        all.insert(all.end(), in.begin(), in.end());
    }
    Around around(name, near, neighbours);
    around.ask(all);
    if (!around.calls.empty()) around.add(reader_.read(around.calls, until).data());
    return all;
}

std::vector<SumStanding> ViewReads::sumStandings(const std::string& name,
                                                 const std::vector<PeriodStart>& periods,
                                                 Deadline until) {
    const std::vector<SqlRows> r = reader_.read(standingCalls(name, periods, sumSqlFor), until);
    std::vector<SumStanding> all;
    for (std::size_t p = 0; p < periods.size(); ++p)
        all.push_back(sumStandingIn(name, periods[p], r[p]));
    return all;
}

PlayerReads ViewReads::player(const std::string& name, const std::vector<PeriodStart>& periods,
                              Period near, int neighbours, const std::optional<EntryCursor>& after,
                              int64_t limit, Deadline until) {
    // First the name's entries, and its places in the periods of `near`, where its
    // neighbours start. Most names of a big league have no time this week, month or year,
    // nor on all three summed levels: what their entries rule out is not asked for.
    std::vector<SqlCall> calls;
    for (const PeriodStart& p : periods)
        if (p.period == near) calls.push_back(standingCall(name, p, boardSqlFor));
    const std::size_t nearCount = calls.size();
    // The first page of entries is the end of the history, which is read anyway.
    if (after) calls.push_back(entriesCall(name, after, limit));
    calls.push_back({&playerSql().history, {name}});
    const std::vector<SqlRows> first = reader_.read(calls, until);
    const std::vector<EntryRow> entries = entryRows(first.back());

    // Each period's standings, kept apart until the neighbours are in.
    std::vector<std::vector<Standing>> in(periods.size());
    Around around(name, near, neighbours);
    std::vector<std::size_t> asked, summed;
    std::vector<SqlCall> sumCalls;
    calls.clear();
    for (std::size_t p = 0, at = 0; p < periods.size(); ++p) {
        const Span span = spanOf(periods[p]);
        if (periods[p].period == near) {
            in[p] = standingsIn(name, periods[p], first[at++]);
            around.ask(in[p]);
        } else if (anyIn(entries, span)) {
            calls.push_back(standingCall(name, periods[p], boardSqlFor));
            asked.push_back(p);
        }
        if (summedIn(entries, span)) {
            sumCalls.push_back(standingCall(name, periods[p], sumSqlFor));
            summed.push_back(p);
        }
    }
    calls.insert(calls.end(), sumCalls.begin(), sumCalls.end());
    calls.insert(calls.end(), around.calls.begin(), around.calls.end());
    const std::vector<SqlRows> second =
        calls.empty() ? std::vector<SqlRows>() : reader_.read(calls, until);

    PlayerReads r;
    for (std::size_t i = 0; i < asked.size(); ++i)
        in[asked[i]] = standingsIn(name, periods[asked[i]], second[i]);
    around.add(second.data() + asked.size() + summed.size());
    for (std::size_t p = 0; p < periods.size(); ++p) {
        if (in[p].empty()) in[p] = noneIn(periods[p]);
        r.standings.insert(r.standings.end(), in[p].begin(), in[p].end());
        r.sums.push_back(SumStanding{periods[p], std::nullopt, 0});
    }
    for (std::size_t i = 0; i < summed.size(); ++i)
        r.sums[summed[i]] = sumStandingIn(name, periods[summed[i]], second[asked.size() + i]);
    r.history = historyFrom(entries);
    if (after) {
        r.entries = entryRows(first[nearCount]);
    } else {
        const auto newest =
            std::min(entries.size(), static_cast<std::size_t>(clamped(limit, 1, mostRows)));
        r.entries.assign(entries.rbegin(), entries.rbegin() + static_cast<std::ptrdiff_t>(newest));
    }
    return r;
}

namespace {

// Names hold only printable characters below 0x7F; a text with any other matches none.
bool mayStartAName(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) > 0x20 && static_cast<unsigned char>(c) < 0x7F;
    });
}

} // namespace

std::vector<EntryRow> ViewReads::playerEntries(const std::string& name,
                                               const std::optional<EntryCursor>& after,
                                               int64_t limit, Deadline until) {
    return entryRows(std::move(reader_.read({entriesCall(name, after, limit)}, until).front()));
}

std::vector<EntryRow> ViewReads::playerHistory(const std::string& name, Deadline until) {
    return historyFrom(entryRows(readOne(playerSql().history, {name}, until)));
}

std::vector<std::string> ViewReads::findNames(const std::string& text, int64_t limit,
                                              Deadline until) {
    if (!mayStartAName(text)) return {};
    const int64_t most = clamped(limit, 1, mostRows);
    const std::string folded = foldedName(text);
    const std::vector<SqlRows> r =
        reader_.read({{&playerSql().findExact, {text}},
                      {&playerSql().findPrefix, {folded, folded + "\x7f", most + 1}}},
                     until);
    std::vector<std::string> names;
    if (r[0].count()) names.push_back(text);
    for (std::size_t i = 0; i < r[1].count() && static_cast<int64_t>(names.size()) < most; ++i)
        if (r[1].text(i, 0) != text) names.push_back(r[1].text(i, 0));
    return names;
}

std::vector<TimeCount> ViewReads::distribution(int32_t level, PeriodStart period, Deadline until) {
    const SqlRows r =
        readOne(boardSqlFor(period).distribution, rankingValues(level, period), until);
    std::vector<TimeCount> counts;
    for (std::size_t i = 0; i < r.count(); ++i) counts.push_back({r.tenths(i, 0), r.integer(i, 1)});
    return counts;
}

std::vector<RecordRow> ViewReads::records(int32_t level, int64_t limit, Deadline until) {
    const SqlRows r =
        readOne(playerSql().records, {int64_t{level}, clamped(limit, 1, mostRows)}, until);
    std::vector<RecordRow> rows;
    for (std::size_t i = 0; i < r.count(); ++i) {
        RecordRow row{r.text(i, 0),   r.text(i, 1),    r.tenths(i, 2),
                      r.tenths(i, 3), r.integer(i, 4), std::nullopt};
        if (!r.null(i, 5)) row.previousTenths = r.tenths(i, 5);
        rows.push_back(std::move(row));
    }
    return rows;
}

VersionStamp ViewReads::versionStamp(Deadline until) {
    const SqlRows r = readOne(playerSql().versionStamp, {}, until);
    return {static_cast<uint64_t>(r.integer(0, 0)), r.integer(0, 1)};
}

} // namespace liga
