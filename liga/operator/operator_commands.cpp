// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "operator_commands.h"
#include "local_time.h"
#include "moderation_log.h"
#include "moderation_verbs.h"
#include "namenszeichen.h"
#include "open_store.h"
#include "stufen.h"
#include "whole_number.h"
#include "zeittext.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <exception>
#include <optional>
#include <vector>

namespace liga {

std::string operatorUsage() {
    return "  zundel-liga entries [--db PATH|URI] [--level N] [--name NAME] [--held] [--all]\n" +
           verbSynopsis() +
           "  --db            as the server takes it, or else ZUNDEL_LIGA_DB\n"
           "  entries         the entries, newest first, at most 100 unless --all\n" +
           verbHelp();
}

namespace {

const char* const nameCharacters = "A-Z a-z 0-9 ! # ( ) , - . / = ? [ ] _";

struct Command {
    std::string name;
    const ModerationVerb* verb = nullptr; // none for the listing
    std::string db;
    EntryQuery query;
    std::vector<std::string> subjects;
    bool help = false;
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

// The command line, or nothing and why not in `why`.
std::optional<Command> parse(int argc, char** argv, std::string& why) {
    Command c;
    c.name = argv[1];
    c.verb = verbNamed(c.name);
    const bool listing = !c.verb;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            c.help = true;
            return c;
        }
        if (listing && arg == "--held") {
            c.query.heldOnly = true;
        } else if (listing && arg == "--all") {
            c.query.limit = 0;
        } else if (arg == "--db" || (listing && (arg == "--level" || arg == "--name"))) {
            if (++i >= argc) {
                why = std::string(arg) + " needs a value";
                return std::nullopt;
            }
            const std::string_view value = argv[i];
            if (arg == "--db") {
                c.db = value;
            } else if (arg == "--name") {
                c.query.name = std::string(value);
            } else {
                const std::optional<int32_t> level = wholeNumber<int32_t>(value);
                if (!level || !istFesteStufe(*level)) {
                    why = "not a level (1 to 5): " + std::string(value);
                    return std::nullopt;
                }
                c.query.level = *level;
            }
        } else if (arg.starts_with("-") && arg.size() > 1) {
            why = "unknown option " + std::string(arg) + " of " + c.name;
            return std::nullopt;
        } else if (listing) {
            why = "entries takes no " + std::string(arg);
            return std::nullopt;
        } else {
            c.subjects.emplace_back(arg);
        }
    }
    c.db = databaseSetting(c.db);
    if (c.db.empty()) {
        why = "--db is missing, and ZUNDEL_LIGA_DB names no database";
    } else if (c.verb && c.verb->manySubjects && c.subjects.empty()) {
        why = c.name + " takes one or more " + std::string(c.verb->subject);
    } else if (c.verb && !c.verb->manySubjects && c.subjects.size() != 1) {
        why = c.name + " takes one " + std::string(c.verb->subject);
    } else {
        return c;
    }
    return std::nullopt;
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
    case ModerationResult::notRanked:
        return "the entry " + subject + " is rejected, not ranked";
    case ModerationResult::unchanged:
        switch (what) {
        case Moderation::ban:
            return subject + " is barred already";
        case Moderation::unban:
            return subject + " is not barred";
        case Moderation::approve:
            return "the entry " + subject + " is ranked already";
        case Moderation::reject:
            return "the entry " + subject + " is rejected already";
        case Moderation::hold:
            return "the entry " + subject + " is held already";
        case Moderation::remove:
            break;
        }
        break;
    }
    return "nothing changed for " + subject;
}

// Whether the game can send this name: 6 to 15 of the characters its name entry admits.
bool playable(const std::string& name) {
    return name.size() >= kuerzesterName && name.size() <= laengsterName &&
           std::all_of(name.begin(), name.end(),
                       [](char c) { return namenszeichenErlaubt(static_cast<unsigned char>(c)); });
}

// " (Rudi_Ruepel differs only in case)", or nothing when no such name is known.
std::string alike(Store& store, const std::string& name) {
    const std::vector<std::string> names = store.namesAlike(name);
    if (names.empty()) return {};
    std::string text = " (";
    for (std::size_t i = 0; i < names.size(); ++i) text += (i > 0 ? ", " : "") + names[i];
    return text + (names.size() == 1 ? " differs" : " differ") + " only in case)";
}

bool carriesEntries(Store& store, const std::string& name) {
    EntryQuery q;
    q.name = name;
    q.limit = 1;
    return !store.entries(q).empty();
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
    std::string why;
    const std::optional<Command> c = parse(argc, argv, why);
    if (!c) {
        err << "zundel-liga: " << why << " (zundel-liga " << argv[1]
            << " --help lists the options)\n";
        return 2;
    }
    if (c->help) {
        out << "usage:\n" << operatorUsage();
        return 0;
    }
    const std::string name = c->verb ? (c->verb->manySubjects ? "" : c->subjects[0])
                                     : c->query.name.value_or(std::string());
    if (!name.empty() && !playable(name)) {
        err << "zundel-liga: the game sends no name " << name << ": a name has 6 to 15 of "
            << nameCharacters << "\n";
        return 1;
    }
    try {
        // An operator's command makes no league where there was none: a mistyped path
        // stays a mistake.
        if (const std::string none = whyNoLeague(c->db); !none.empty()) {
            err << "zundel-liga: no league in " << c->db << ": " << none
                << " (the first server that starts on a database makes its league)\n";
            return 1;
        }
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
            if (!name.empty() && !carriesEntries(*store, name))
                err << "zundel-liga: no entry carries the name " << name << alike(*store, name)
                    << "\n";
            return 0;
        }
        const Moderation what = c->verb->what;
        int status = 0;
        for (std::string subject : c->subjects) {
            // Codes are written in capitals, but an operator may type them in any case.
            if (c->verb->manySubjects)
                for (char& ch : subject)
                    ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            const int64_t at = static_cast<int64_t>(std::time(nullptr));
            const ModerationResult r = store->moderate(what, subject, at);
            if (r == ModerationResult::done)
                out << changeLine({0, at, what, subject}) << "\n";
            else
                err << "zundel-liga: " << notDone(r, what, subject) << "\n";
            if (r != ModerationResult::done && r != ModerationResult::unchanged) status = 1;
            // A name is barred ahead of time, but the operator learns that no entry carries
            // it, and which names differ from it only in case.
            if (!c->verb->manySubjects && !carriesEntries(*store, subject))
                err << "zundel-liga: no entry carries the name " << subject
                    << alike(*store, subject) << "\n";
        }
        return status;
    } catch (const std::exception& e) {
        err << "zundel-liga: " << e.what() << "\n";
        return 1;
    }
}

} // namespace liga
