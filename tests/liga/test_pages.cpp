// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The league's pages, their data and the records feed: addresses, links, conditional
// requests, what moderation hides, periods and the forms of times.
#include "atom_feed.h"
#include "conditional.h"
#include "distribution_page.h"
#include "handler.h"
#include "percent_coding.h"
#include "periods.h"
#include "rate_limit.h"
#include "routes.h"
#include "store_factories.h"
#include "time_text.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>

namespace {

using namespace liga;

// Wednesday, 9 December 2026, 12:00 in Berlin.
constexpr int64_t now = 1796814000;
constexpr int64_t day = 86400;

std::string code(int n) {
    char text[65];
    std::snprintf(text, sizeof text, "%064X", static_cast<unsigned>(n));
    return text;
}

void berlin() {
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
}

class BerlinTime : public ::testing::Test {
protected:
    void SetUp() override { berlin(); }
};

// The query's arguments as the HTTP layer hands them over.
Arguments argumentsOf(std::string_view query) {
    Arguments out;
    while (!query.empty()) {
        const std::string_view pair = query.substr(0, query.find('&'));
        query.remove_prefix(std::min(query.size(), pair.size() + 1));
        const std::size_t eq = pair.find('=');
        out.emplace_back(*percentDecode(pair.substr(0, eq), true),
                         eq == std::string_view::npos ? ""
                                                      : *percentDecode(pair.substr(eq + 1), true));
    }
    return out;
}

Request get(const std::string& target) {
    Request r;
    r.method = "GET";
    const std::size_t q = target.find('?');
    r.path = target.substr(0, q);
    if (q != std::string::npos) r.arguments = argumentsOf(target.substr(q + 1));
    r.unixSeconds = now;
    return r;
}

// `href` as seen from the page at `from` (both absolute paths with query), made absolute.
std::string resolve(const std::string& from, std::string href) {
    for (const auto& [entity, c] : {std::pair{"&amp;", "&"}, {"&#39;", "'"}, {"&quot;", "\""}})
        for (std::size_t p; (p = href.find(entity)) != std::string::npos;)
            href.replace(p, std::string(entity).size(), c);
    std::string base = from.substr(0, from.find('?'));
    base.resize(base.rfind('/') + 1);
    if (href.empty() || href[0] == '#') return from;
    if (href == "./") href.clear();
    std::string path = base + href;
    for (std::size_t p; (p = path.find("/../")) != std::string::npos;) {
        const std::size_t before = path.rfind('/', p - 1);
        path.erase(before, p + 3 - before);
    }
    return path;
}

std::vector<std::string> hrefs(const std::string& html) {
    std::vector<std::string> out;
    static const std::regex link("(?:href|action)=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), link);
         it != std::sregex_iterator(); ++it)
        out.push_back((*it)[1]);
    return out;
}

// A league with names on every level, some on the three classic ones, spread over the
// weeks before `now`.
struct LeagueOf300 {
    std::unique_ptr<Store> opened;
    Store& store;
    RateLimiter limiter{0};
    League league{store, limiter};
    int next = 1;

    void add(const std::string& name, int32_t level, int32_t tenths, int64_t at) {
        store.submit({name, level, tenths, at, code(next++)});
    }
    explicit LeagueOf300(std::unique_ptr<Store> s = std::make_unique<SqliteStore>(":memory:"))
        : opened(std::move(s)), store(*opened) {
        for (int i = 0; i < 300; ++i) {
            const std::string name = "Spieler_" + std::to_string(1000 + i);
            add(name, 1 + i % 5, 100 + i * 7 % 400, now - (i % 60) * day);
            if (i % 4 == 0) {
                add(name, 1, 90 + i % 30, now - i * 3600);
                add(name, 2, 400 + i, now - i * 7200);
                add(name, 3, 1200 + i * 3, now - i * 1800);
            }
        }
        add("Ab/?#()[],=_", 3, 999, now - 3 * day);
        add("Ab/?#()[],=_", 3, 950, now - day);
    }
};

TEST(Routes, EveryAddressReadsBackAsItsRouteAndNamesMayHoldAnything) {
    Route player;
    player.page = Page::player;
    player.name = "Ab/?#()[],=_";
    player.period = Period::week;
    player.before = EntryCursor{1700000000, code(7)};
    Route board;
    board.page = Page::board;
    board.level = 3;
    board.period = Period::month;
    board.pageNumber = 12;
    board.json = true;
    Route search;
    search.page = Page::search;
    search.name = "a&b c";
    Route spread;
    spread.page = Page::distribution;
    spread.level = 5;
    spread.mark = 1234;
    Route sum;
    sum.page = Page::sum;
    Route atom;
    atom.page = Page::records;
    atom.atom = true;
    for (const Route& r : {player, board, search, spread, sum, atom, Route{}}) {
        const std::string href = "/" + routeHref(r);
        const std::size_t q = href.find('?');
        const auto back =
            parseRoute(href.substr(0, q),
                       q == std::string::npos ? Arguments{} : argumentsOf(href.substr(q + 1)));
        ASSERT_TRUE(back) << href;
        EXPECT_EQ(routeHref(*back), routeHref(r)) << href;
    }
    EXPECT_EQ(routeHref(player),
              "spieler/Ab%2F%3F%23%28%29%5B%5D%2C%3D_/woche?vor=1700000000." + code(7));
    EXPECT_EQ(rootFrom(player), "../../");
    EXPECT_EQ(rootFrom(board), "../../../");
    EXPECT_EQ(rootFrom(Route{}), "");

    // Each segment is decoded on its own: an encoded "/" is part of a name, a plain one
    // divides; equivalent spellings of a word are the same address.
    EXPECT_EQ(parseRoute("/spieler/abc%2fdef", {})->name, "abc/def");
    EXPECT_EQ(parseRoute("/rekord%2Ephp", {})->page, Page::submit);
    EXPECT_EQ(parseRoute("/stufe/3", {{"seite", "2"}, {"x", "y"}})->pageNumber, 2);
    for (const char* wrong : {"",
                              "stufe/3",
                              "/stufe/6",
                              "/stufe/03",
                              "/stufe/3/",
                              "/stufe//3",
                              "/stufe/3/tag",
                              "/spieler/abc/def",
                              "/spieler/abcde",
                              "/spieler/abcdefghijklmnop",
                              "/spieler/abc%2",
                              "/spieler/abc%C3%A4def",
                              "/spieler/abc%20def",
                              "/json",
                              "/json/rekord.php",
                              "/json/liga.json",
                              "/suche/x",
                              "/verteilung",
                              "/summe/tag",
                              "/favicon.ico/x"})
        EXPECT_FALSE(parseRoute(wrong, {})) << wrong;
    for (const auto& [key, value] : Arguments{{"seite", "0"}, {"seite", "x"}, {"seite", "-1"}})
        EXPECT_FALSE(parseRoute("/summe", {{key, value}})) << value;
    EXPECT_FALSE(parseRoute("/spieler/abcdef", {{"vor", "12.xyz"}}));
    EXPECT_FALSE(parseRoute("/verteilung/1", {{"zeit", "0"}}));
}

TEST_F(BerlinTime, PeriodsBeginInTheLeaguesZoneAndTimesReadInOneForm) {
    const auto starts = periodStarts(now);
    EXPECT_EQ(starts[1].from, 1767222000); // 1 January 2026, 00:00 CET
    EXPECT_EQ(starts[2].from, 1796079600); // 1 December
    EXPECT_EQ(starts[3].from, 1796598000); // Monday, 7 December
    // A week across the change to summer time began on Monday at 00:00 winter time.
    EXPECT_EQ(periodStarts(1774778400)[3].from, 1774220400); // Sunday 29 March 2026, 12:00 CEST
    EXPECT_EQ(latestPeriodStart(now), starts[3].from);
    EXPECT_NE(zoneText(now).find("Europe/Berlin (CET, UTC+01:00)"), std::string::npos);

    EXPECT_EQ(timeText(599), "59,9 Sekunden");
    EXPECT_EQ(timeText(623), "1:02,3 min");
    EXPECT_EQ(timeText(36005), "1:00:00,5 h");
    EXPECT_EQ(countText(3481), "3.481");
    EXPECT_EQ(countText(1000000), "1.000.000");
    EXPECT_EQ(countText(999), "999");
}

TEST_F(BerlinTime, EveryLinkFromTheOverviewLeadsToAPageAndEachPageToItsData) {
    LeagueOf300 l;
    std::set<std::string> seen{"/"};
    std::vector<std::string> queue{"/"};
    std::map<std::pair<Page, bool>, int> fetched;
    int json = 0;
    while (!queue.empty()) {
        const std::string target = queue.back();
        queue.pop_back();
        // Every address is a page; a few of each kind are asked for.
        const Request request = get(target);
        const std::optional<Route> route = parseRoute(request.path, request.arguments);
        ASSERT_TRUE(route) << target;
        if (++fetched[{route->page, route->json}] > 12) continue;
        const Response r = l.league.handle(request);
        ASSERT_EQ(r.status, 200) << target;
        if (r.contentType.starts_with("application/json")) {
            ++json;
            EXPECT_TRUE(r.text().starts_with("{") && r.text().ends_with("}\n")) << target;
            continue;
        }
        if (!r.contentType.starts_with("text/html")) continue;
        EXPECT_NE(r.text().find("<link rel=\"alternate\" type=\"application/json\""),
                  std::string::npos)
            << target;
        for (const std::string& href : hrefs(r.text())) {
            if (href.starts_with("https://")) continue;
            const std::string to = resolve(target, href);
            if (seen.insert(to).second) queue.push_back(to);
        }
    }
    EXPECT_GT(seen.size(), 300u);   // every player's page among them
    EXPECT_EQ(fetched.size(), 15u); // each kind of page and of data, the icon
    EXPECT_GT(json, 30);
    EXPECT_TRUE(seen.contains("/spieler/Ab%2F%3F%23%28%29%5B%5D%2C%3D_"));
    EXPECT_TRUE(seen.contains("/rekorde.atom"));
    EXPECT_TRUE(seen.contains("/favicon.ico"));

    // The last page of a board holds the rest; its data lead back, not on.
    const Response page = l.league.handle(get("/json/stufe/1?seite=2"));
    EXPECT_NE(page.text().find("\"page\": 2, \"pages\": 2, \"ranked\": 120,"), std::string::npos)
        << page.text().substr(0, 300);
    EXPECT_NE(page.text().find("\"previous\": \"../../json/stufe/1\", \"next\": null}"),
              std::string::npos);
    EXPECT_EQ(l.league.handle(get("/stufe/1?seite=3")).status, 404);
    EXPECT_EQ(l.league.handle(get("/spieler/Niemand_da")).status, 404);

    // The distribution's bars hold every name, the last one also the slowest.
    const std::vector<ChartBar> bars =
        distributionBars({{90, 30}, {5000, 1}, {95, 10}, {100, 50}, {120, 10}, {130, 0}});
    ASSERT_EQ(bars.size(), 31u); // 9,0 to 12,0 seconds, a tenth each
    EXPECT_EQ(bars.front().from, 90);
    EXPECT_EQ(bars[5].names, 10);
    EXPECT_EQ(bars.back().from, 120);
    EXPECT_EQ(bars.back().names, 11);
}

// The same on each store: the validators and what moderation hides come from the database.
template <class Factory> class OnEachStore : public ::testing::Test {
protected:
    void SetUp() override {
        berlin();
        if (const std::string why = factory.missing(); !why.empty()) {
            if (Factory::required()) FAIL() << why;
            GTEST_SKIP() << why;
        }
    }
    Factory factory;
};
TYPED_TEST_SUITE(OnEachStore, StoreFactories, StoreFactoryName);

TYPED_TEST(OnEachStore, APageIsAnswered304WhileNeitherTheLeagueNorThePeriodChanged) {
    LeagueOf300 l(this->factory.open());
    const Response first = l.league.handle(get("/stufe/2/woche"));
    const auto header = [](const Response& r, const std::string& name) {
        for (const auto& [k, v] : r.headers)
            if (k == name) return v;
        return std::string();
    };
    const std::string etag = header(first, "ETag");
    const std::string lastModified = header(first, "Last-Modified");
    ASSERT_FALSE(etag.empty());
    EXPECT_EQ(header(first, "Cache-Control"), "no-cache");

    Request again = get("/stufe/2/woche");
    again.ifNoneMatch = etag;
    EXPECT_EQ(l.league.handle(again).status, 304);
    EXPECT_EQ(l.league.handle(again).text(), "");
    Request since = get("/stufe/2/woche");
    since.ifModifiedSince = lastModified;
    EXPECT_EQ(l.league.handle(since).status, 304);

    // A new entry anywhere changes every page's tag and date.
    l.add("Neu_im_Feld", 5, 9000, now + 10);
    again.unixSeconds = since.unixSeconds = now + 20;
    const Response changed = l.league.handle(again);
    EXPECT_EQ(changed.status, 200);
    EXPECT_NE(header(changed, "ETag"), etag);
    EXPECT_EQ(l.league.handle(since).status, 200);

    // So does a new week, without a change to the league.
    Request nextWeek = get("/stufe/2/woche");
    nextWeek.ifNoneMatch = header(changed, "ETag");
    EXPECT_EQ(l.league.handle(nextWeek).status, 304);
    nextWeek.unixSeconds = now + 5 * day;
    EXPECT_EQ(l.league.handle(nextWeek).status, 200);
}

// Whether `xml` is well-formed as far as the feed writes it: declaration, nested elements,
// no stray "<" or "&".
bool wellFormed(std::string_view xml) {
    if (!xml.starts_with("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n")) return false;
    xml.remove_prefix(xml.find('\n') + 1);
    std::vector<std::string> open;
    static const std::regex entity("^&(amp|lt|gt|quot|#39);");
    while (!xml.empty()) {
        const std::size_t lt = xml.find('<');
        const std::string_view text = xml.substr(0, lt);
        for (std::size_t a = text.find('&'); a != std::string_view::npos; a = text.find('&', a + 1))
            if (!std::regex_search(std::string(text.substr(a, 8)), entity)) return false;
        if (lt == std::string_view::npos) break;
        const std::size_t gt = xml.find('>', lt);
        if (gt == std::string_view::npos) return false;
        std::string_view tag = xml.substr(lt + 1, gt - lt - 1);
        xml.remove_prefix(gt + 1);
        if (tag.find('<') != std::string_view::npos) return false;
        if (tag.starts_with('/')) {
            if (open.empty() || open.back() != tag.substr(1)) return false;
            open.pop_back();
        } else if (!tag.ends_with('/')) {
            open.emplace_back(tag.substr(0, tag.find(' ')));
        }
    }
    return open.empty();
}

std::vector<std::string> entryIds(const std::string& feed) {
    std::vector<std::string> ids;
    static const std::regex id("<entry>\n<id>([^<]+)</id>");
    for (auto it = std::sregex_iterator(feed.begin(), feed.end(), id); it != std::sregex_iterator();
         ++it)
        ids.push_back((*it)[1]);
    return ids;
}

TEST_F(BerlinTime, TheRecordsFeedIsAtomWithIdsThatOutliveTheRecord) {
    LeagueOf300 l;
    const Response feed = l.league.handle(get("/rekorde.atom"));
    EXPECT_EQ(feed.contentType, "application/atom+xml; charset=utf-8");
    EXPECT_TRUE(wellFormed(feed.text())) << feed.text();
    for (const char* part :
         {"<feed xmlns=\"http://www.w3.org/2005/Atom\" xml:lang=\"de\">\n<id>tag:",
          "<link rel=\"self\" type=\"application/atom+xml\" href=\"rekorde.atom\"/>",
          "<author><name>Zundel-League</name></author>", "<updated>2026-"})
        EXPECT_NE(feed.text().find(part), std::string::npos) << part;
    const std::vector<std::string> before = entryIds(feed.text());
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(std::set<std::string>(before.begin(), before.end()).size(), before.size());

    l.add("Schneller_als_alle", 3, 50, now + 60);
    const std::string after = l.league.handle(get("/rekorde.atom")).text();
    EXPECT_TRUE(wellFormed(after));
    const std::vector<std::string> ids = entryIds(after);
    ASSERT_EQ(ids.size(), before.size() + 1);
    EXPECT_EQ(std::vector<std::string>(ids.begin() + 1, ids.end()), before);
    EXPECT_EQ(ids.front().substr(ids.front().size() - 64), code(l.next - 1));
    EXPECT_NE(after.find("<title>Profis: 5,0 Sekunden von Schneller_als_alle</title>"),
              std::string::npos);
    EXPECT_NE(after.find("<link rel=\"alternate\" type=\"text/html\" "
                         "href=\"spieler/Schneller_als_alle\"/>"),
              std::string::npos);
}

TYPED_TEST(OnEachStore, AHeldRejectedRemovedOrBarredEntryShowsNowhere) {
    LeagueOf300 l(this->factory.open());
    const auto everywhere = [&](const std::string& name, int playerStatus = 404) {
        std::string all;
        for (const std::string& target : std::vector<std::string>{
                 "/", "/liga.json", "/stufe/4", "/stufe/4/woche", "/json/stufe/4", "/summe",
                 "/json/summe/woche", "/rekorde", "/rekorde.atom", "/json/rekorde",
                 "/suche?name=Vers", "/json/suche?name=Versteckt", "/json/verteilung/4"})
            all += l.league.handle(get(target)).text();
        for (const std::string& player : {"/spieler/" + name, "/json/spieler/" + name})
            EXPECT_EQ(l.league.handle(get(player)).status, playerStatus) << name;
        return all;
    };
    // Each fastest of all, so that every board, the sum and the records would show it.
    Submission held{"Versteckt_Held", 4, 10, now - 10, code(90001), true};
    l.store.submit(held);
    l.add("Versteckt_Weg", 4, 11, now - 9);
    l.store.moderate(Moderation::remove, code(l.next - 1), now);
    l.store.submit({"Versteckt_Nein", 4, 12, now - 8, code(90002), true});
    l.store.moderate(Moderation::reject, code(90002), now);
    for (int level = 1; level <= 4; ++level) l.add("Versteckt_Bann", level, 13, now - 7);
    l.store.moderate(Moderation::ban, "Versteckt_Bann", now);
    for (const char* name : {"Versteckt_Held", "Versteckt_Weg", "Versteckt_Nein", "Versteckt_Bann"})
        EXPECT_EQ(everywhere(name).find(name), std::string::npos) << name;

    l.store.moderate(Moderation::approve, code(90001), now);
    EXPECT_NE(everywhere("Versteckt_Held", 200).find("Versteckt_Held"), std::string::npos);
}

} // namespace
