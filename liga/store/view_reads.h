// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The reads of views.h, once for both stores: each store runs the statements of
// views_sql.h through a SqlReader, and ViewReads turns their rows into pages.
#pragma once
#include "views.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace liga {

// A statement's value: a whole number or a text.
struct SqlValue {
    SqlValue(int64_t n) : number(n) {}
    SqlValue(std::string t) : text(std::move(t)), isText(true) {}
    int64_t number = 0;
    std::string text;
    bool isText = false;
};

// One statement of views_sql.h (named by its SQLite text) with its values, ?1 first.
struct SqlCall {
    const std::string* sql = nullptr;
    std::vector<SqlValue> values;
};

// The rows a statement answered, each value as text or NULL.
class SqlRows {
public:
    using Row = std::vector<std::optional<std::string>>;
    void add(Row row) { rows_.push_back(std::move(row)); }
    std::size_t count() const { return rows_.size(); }
    bool null(std::size_t row, std::size_t column) const { return !rows_[row][column]; }
    const std::string& text(std::size_t row, std::size_t column) const;
    int64_t integer(std::size_t row, std::size_t column) const; // 0 for NULL
    int32_t tenths(std::size_t row, std::size_t column) const {
        return static_cast<int32_t>(integer(row, column));
    }

private:
    std::vector<Row> rows_;
};

// Runs statements in order on one read-only connection and gives back their rows.
class SqlReader {
public:
    virtual ~SqlReader() = default;
    virtual std::vector<SqlRows> read(const std::vector<SqlCall>& calls, Deadline until) = 0;
};

class ViewReads final : public Views {
public:
    explicit ViewReads(SqlReader& reader) : reader_(reader) {}

    BoardPage boardPage(int32_t level, PeriodStart period, PageRange range,
                        Deadline until) override;
    SumPage sumPage(PeriodStart period, PageRange range, Deadline until) override;
    std::vector<Standing> standings(const std::string& name,
                                    const std::vector<PeriodStart>& periods, Period near,
                                    int neighbours, Deadline until) override;
    std::vector<SumStanding> sumStandings(const std::string& name,
                                          const std::vector<PeriodStart>& periods,
                                          Deadline until) override;
    std::vector<EntryRow> playerEntries(const std::string& name,
                                        const std::optional<EntryCursor>& after, int64_t limit,
                                        Deadline until) override;
    std::vector<EntryRow> playerHistory(const std::string& name, Deadline until) override;
    std::vector<std::string> findNames(const std::string& text, int64_t limit,
                                       Deadline until) override;
    std::vector<TimeCount> distribution(int32_t level, PeriodStart period, Deadline until) override;
    std::vector<RecordRow> records(int32_t level, int64_t limit, Deadline until) override;
    PlayerReads player(const std::string& name, const std::vector<PeriodStart>& periods,
                       Period near, int neighbours, const std::optional<EntryCursor>& after,
                       int64_t limit, Deadline until) override;
    VersionStamp versionStamp(Deadline until) override;

private:
    SqlRows readOne(const std::string& sql, std::vector<SqlValue> values, Deadline until);
    SqlReader& reader_;
};

} // namespace liga
