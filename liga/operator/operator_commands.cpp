// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "operator_commands.h"
#include "local_time.h"
#include "moderation_log.h"
#include "moderation_verbs.h"
#include "open_store.h"
#include "stufen.h"
#include "whole_number.h"
#include "zeittext.h"

#include <exception>
#include <optional>
#include <vector>

namespace liga {

std::string operatorUsage() {
    return "  zundel-liga entries [--db PATH|URI] [--level N] [--name NAME] [--held] [--all]\n"
           "  --db            as the server takes it, or else ZUNDEL_LIGA_DB\n"
           "  entries         the entries, newest first, at most 100 unless --all\n" +
           verbUsage();
}

namespace {

struct Command {
    std::string name;
    const ModerationVerb* verb = nullptr; // none for the listing
    std::string db;
    EntryQuery query;
    std::vector<std::string> subjects;
};

// Text padded with blanks to `width` characters (not bytes).
std::string padded(const std::string& text, std::size_t width) {
    std::size_t characters = 0;
    for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return text + std::string(characters < width ? width - characters : 0, ' ');
}

std::string_view stateName(EntryState state) {
    switch (state) {
    case EntryState::ranked:
        return "ranked";
    case EntryState::held:
        return "held";
    case EntryState::rejected:
        return "rejected";
    }
    return "?";
}

std::optional<Command> parse(int argc, char** argv) {
    Command c;
    c.name = argv[1];
    c.verb = verbNamed(c.name);
    const bool listing = !c.verb;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (listing && arg == "--held") {
            c.query.heldOnly = true;
        } else if (listing && arg == "--all") {
            c.query.limit = 0;
        } else if (arg == "--db" || (listing && (arg == "--level" || arg == "--name"))) {
            if (++i >= argc) return std::nullopt;
            const std::string_view value = argv[i];
            if (arg == "--db") {
                c.db = value;
            } else if (arg == "--name") {
                c.query.name = std::string(value);
            } else {
                const std::optional<int32_t> level = wholeNumber<int32_t>(value);
                if (!level || !istFesteStufe(*level)) return std::nullopt;
                c.query.level = *level;
            }
        } else if (!listing && !arg.starts_with("--")) {
            c.subjects.emplace_back(arg);
        } else {
            return std::nullopt;
        }
    }
    const bool oneName = c.verb && !c.verb->manySubjects;
    c.db = databaseSetting(c.db);
    if (c.db.empty() || (listing && !c.subjects.empty()) || (!listing && c.subjects.empty()) ||
        (oneName && c.subjects.size() != 1))
        return std::nullopt;
    return c;
}

// Why a moderation did nothing.
std::string notDone(ModerationResult r, Moderation what, const std::string& subject) {
    switch (r) {
    case ModerationResult::done:
        break;
    case ModerationResult::noSuchEntry:
        return "no entry has the code " + subject;
    case ModerationResult::notHeld:
        return "the entry " + subject + " is not held";
    case ModerationResult::unchanged:
        return subject + (what == Moderation::ban ? " is barred already" : " is not barred");
    }
    return {};
}

} // namespace

bool isOperatorCommand(std::string_view word) {
    return word == "entries" || verbNamed(word);
}

std::string entryLine(const EntryRow& e) {
    std::string state(stateName(e.state));
    if (e.barred) state += ", barred";
    const std::string time = zeitText(e.tenths);
    return e.code + "  " + padded(e.name, 15) + "  " + padded(festeStufe(e.level).name, 16) + "  " +
           std::string(time.size() < 14 ? 14 - time.size() : 0, ' ') + time + "  " +
           localTimeText(e.receivedAt, "%d.%m.%Y %H:%M:%S") + "  " + state;
}

int runOperatorCommand(int argc, char** argv, std::ostream& out, std::ostream& err) {
    const std::optional<Command> c = parse(argc, argv);
    if (!c) {
        err << "usage:\n" << operatorUsage();
        return 2;
    }
    try {
        const std::unique_ptr<Store> store = openStore(c->db, 1);
        if (!c->verb) {
            EntryQuery query = c->query;
            // One more than shown tells whether there are more.
            if (query.limit > 0) ++query.limit;
            std::vector<EntryRow> rows = store->entries(query);
            const bool more =
                c->query.limit > 0 && static_cast<int64_t>(rows.size()) > c->query.limit;
            if (more) rows.pop_back();
            for (const EntryRow& e : rows) out << entryLine(e) << "\n";
            if (more)
                err << "zundel-liga: the newest " << c->query.limit
                    << " shown; --all lists every one\n";
            return 0;
        }
        const Moderation what = c->verb->what;
        int status = 0;
        for (const std::string& subject : c->subjects) {
            const int64_t at = static_cast<int64_t>(std::time(nullptr));
            const ModerationResult r = store->moderate(what, subject, at);
            if (r == ModerationResult::done) {
                out << changeLine({0, at, what, subject}) << "\n";
            } else {
                err << "zundel-liga: " << notDone(r, what, subject) << "\n";
                if (r != ModerationResult::unchanged) status = 1;
            }
        }
        return status;
    } catch (const std::exception& e) {
        err << "zundel-liga: " << e.what() << "\n";
        return 1;
    }
}

} // namespace liga
