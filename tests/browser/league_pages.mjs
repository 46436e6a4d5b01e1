// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The league's pages as a browser sees them, against a running server on loopback:
//   node league_pages.mjs URL OUT_DIR LABEL [SECOND_URL]
// Follows every link from the overview (each must answer 200) and validates the HTML of
// the first pages of each kind; opens one page of each kind in headless Chromium at 1280
// and 390 pixels wide, where nothing may scroll sideways and every name listed links to
// its player's page. Checks the records feed, conditional requests and that no held,
// rejected, removed or barred entry shows anywhere. Given a second server on the same database, checks that both give the same
// validators; without one, also runs axe-core on each page in the browser (no serious or
// critical violation) and keeps a screenshot in OUT_DIR: the markup is the same on either
// store, and these two take most of the run's time. Exit status 1 on any failure.
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import puppeteer from 'puppeteer-core';
import { HtmlValidate } from 'html-validate';

const require = createRequire(import.meta.url);
const axeSource = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
const [base, out, label, second] = process.argv.slice(2);
const origin = new URL(base).origin;
const started = Date.now();
const failures = [];
const fail = (what) => {
    failures.push(what);
    console.error(`FAIL ${label}: ${what}`);
};

// One GET on a connection of its own: the server closes a connection that stays idle for
// a few seconds, which a reused one might meet.
const get = (url, headers = {}) =>
    new Promise((resolve, reject) => {
        http.get(url, { agent: false, headers }, (response) => {
            const chunks = [];
            response.on('data', (c) => chunks.push(c));
            response.on('end', () => resolve({
                status: response.statusCode,
                header: (name) => response.headers[name.toLowerCase()] ?? null,
                text: Buffer.concat(chunks).toString('utf8'),
            }));
        }).on('error', reject);
    });

// Names that the fill gave only entries no page may show.
const hidden = ['Versteckt_Held', 'Versteckt_Nein', 'Versteckt_Weg', 'Versteckt_Bann'];

// The kind of page an address shows: its path with names and numbers left out, and the
// names of its arguments.
const kindOf = (at) => {
    const u = new URL(at, origin);
    return u.pathname.replace(/^(\/(?:json\/)?spieler\/)[^/]+/, '$1NAME').replace(/[0-9]+/g, 'N') +
        [...u.searchParams.keys()].join('&');
};

// 1. Every link from the overview, and the data and feeds the pages name, four at a time;
//    the first three pages of each kind are kept for the validator.
const seen = new Set(['/']);
const queue = ['/'];
const html = new Map();
const kept = new Map();
const pages = [];
let fetched = 0;
const visit = async (at) => {
    // A 503 says the server could not read in time, as on a machine busy with other
    // tests: asked again later; a page that never comes fails.
    let response = await get(origin + at);
    for (let again = 0; response.status === 503 && again < 3; ++again) {
        await new Promise((resolve) => setTimeout(resolve, 2000));
        response = await get(origin + at);
    }
    const body = response.text;
    ++fetched;
    if (response.status !== 200) {
        fail(`${at} answered ${response.status}`);
        return;
    }
    for (const name of hidden) if (body.includes(name)) fail(`${at} shows ${name}`);
    if (!(response.header('content-type') ?? '').startsWith('text/html')) return;
    pages.push(at);
    const kind = kindOf(at);
    kept.set(kind, (kept.get(kind) ?? 0) + 1);
    if (kept.get(kind) <= 3) html.set(at, body);
    for (const match of body.matchAll(/(?:href|action)="([^"]*)"/g)) {
        const target = new URL(match[1].replaceAll('&amp;', '&'), origin + at);
        if (target.origin !== origin) continue; // the game's home: never asked
        const key = target.pathname + target.search;
        if (!seen.has(key)) {
            seen.add(key);
            queue.push(key);
        }
    }
};
while (queue.length > 0) await Promise.all(queue.splice(0, 4).map(visit));
console.log(`${label}: ${fetched} addresses answered, pages of ${kept.size} kinds, ` +
    `${((Date.now() - started) / 1000).toFixed(1)} s`);

// A search that finds names, and one for a hidden name, which finds none.
for (const at of ['/suche?name=Spieler_1', '/suche?name=Ab%2F']) {
    const response = await get(origin + at);
    if (response.status !== 200) fail(`${at} answered ${response.status}`);
    else html.set(at, response.text);
}
const searched = JSON.parse((await get(`${origin}/json/suche?name=Versteckt`)).text);
if (searched.names.length !== 0) fail('a search finds a hidden name');

// 2. Valid HTML.
const validator = new HtmlValidate({
    extends: ['html-validate:recommended'],
    rules: {
        // The pages hold their one style sheet inline, so that a page is one request.
        'no-inline-style': 'off',
    },
});
for (const [at, body] of html) {
    const report = await validator.validateString(body, at);
    for (const result of report.results)
        for (const m of result.messages)
            fail(`${at}:${m.line}:${m.column} ${m.ruleId}: ${m.message}`);
}

console.log(`${label}: ${html.size} pages validated, ${((Date.now() - started) / 1000).toFixed(1)} s`);

// 3. The records feed: well-formed Atom with an id per entry; conditional requests.
const feed = await get(`${origin}/rekorde.atom`);
if (feed.header('content-type') !== 'application/atom+xml; charset=utf-8')
    fail(`the feed's type is ${feed.header('content-type')}`);
const feedText = feed.text;
for (const page of ['/stufe/1/woche', '/rekorde.atom', '/json/summe']) {
    const first = await get(origin + page);
    const etag = first.header('etag');
    const modified = first.header('last-modified');
    if (!etag || !modified) {
        fail(`${page} has no ETag or Last-Modified`);
        continue;
    }
    const byTag = await get(origin + page, { 'If-None-Match': etag });
    const byDate = await get(origin + page, { 'If-Modified-Since': modified });
    if (byTag.status !== 304 || byDate.status !== 304)
        fail(`${page}: ${byTag.status} and ${byDate.status} to its own ETag and date`);
    if (second) {
        const other = await get(new URL(page, second).href);
        if (other.header('etag') !== etag || other.header('last-modified') !== modified)
            fail(`${page}: the second server's validators differ`);
    }
}

// 4. One page of each kind in the browser.
const kinds = [
    ['uebersicht', /^\/$/],
    ['stufe', /^\/stufe\/1$/],
    ['stufe-woche', /^\/stufe\/3\/woche$/],
    ['stufe-seite2', /^\/stufe\/1\?seite=2$/],
    ['summe', /^\/summe$/],
    ['summe-monat', /^\/summe\/monat$/],
    ['spieler', /^\/spieler\/Zundelmeister$/],
    ['spieler-sonderzeichen', /^\/spieler\/Ab%2Fcd%3Fef%23%281%29$/],
    ['spieler-jahr', /^\/spieler\/[^/?]+\/jahr$/],
    ['spieler-aeltere', /^\/spieler\/Vielspieler\?vor=/],
    ['suche', /^\/suche\?name=Spieler_1$/],
    ['verteilung', /^\/verteilung\/3$/],
    ['verteilung-zeit', /^\/verteilung\/3\?zeit=/],
    ['rekorde', /^\/rekorde$/],
];
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'zundel-chromium-'));
const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
        '--disable-component-update', '--disable-sync', '--no-first-run'],
});
try {
    const page = await browser.newPage();
    // Nothing but the league on loopback is ever asked for.
    await page.setRequestInterception(true);
    page.on('request', (r) => (new URL(r.url()).origin === origin ? r.continue() : r.abort()));
    const xml = await page.evaluate((text) => {
        const d = new DOMParser().parseFromString(text, 'application/xml');
        return {
            error: d.getElementsByTagName('parsererror').length > 0,
            root: d.documentElement.namespaceURI + ' ' + d.documentElement.localName,
            entries: d.getElementsByTagName('entry').length,
            ids: [...d.getElementsByTagName('entry')].map((e) => e.getElementsByTagName('id')[0]?.textContent ?? ''),
        };
    }, feedText);
    if (xml.error || xml.root !== 'http://www.w3.org/2005/Atom feed' || xml.entries === 0 ||
        xml.ids.some((id) => !id.startsWith('tag:')) || new Set(xml.ids).size !== xml.ids.length)
        fail(`the records feed: ${JSON.stringify(xml)}`);

    for (const [kind, pattern] of kinds) {
        const at = [...pages, ...html.keys()].find((p) => pattern.test(p));
        if (!at) {
            fail(`no page of the kind ${kind} was reached`);
            continue;
        }
        for (const width of [1280, 390]) {
            await page.setViewport({ width, height: 900 });
            // The second width may revalidate the first one's copy: 304 is as good.
            const response = await page.goto(origin + at, { waitUntil: 'load' });
            if (![200, 304].includes(response.status()))
                fail(`${at} at ${width}: ${response.status()}`);
            const sideways = await page.evaluate(
                () => document.documentElement.scrollWidth - document.documentElement.clientWidth);
            if (sideways > 0) fail(`${at} at ${width} px scrolls ${sideways} px sideways`);
            // Every name the page lists leads to its player's page.
            const unlinked = await page.evaluate(() => [...document.querySelectorAll('.name')]
                .filter((e) => !e.querySelector('a[href*="spieler/"]') && !e.querySelector('.leer'))
                .map((e) => e.textContent.trim()));
            if (unlinked.length > 0) fail(`${at}: names without a link: ${unlinked.slice(0, 3).join(', ')}`);
            if (second) continue;
            await page.evaluate(axeSource);
            const violations = await page.evaluate(async () =>
                (await window.axe.run(document, { resultTypes: ['violations'] })).violations.map(
                    (v) => ({ id: v.id, impact: v.impact, nodes: v.nodes.map((n) => n.target.join(' ')).slice(0, 3) })));
            for (const v of violations)
                if (v.impact === 'serious' || v.impact === 'critical')
                    fail(`${at} at ${width}: axe ${v.impact} ${v.id} at ${v.nodes.join(', ')}`);
            // The top of a long page is enough to look at, and a picture of all of the
            // overview's five boards takes seconds to write.
            const height = await page.evaluate(() => document.documentElement.scrollHeight);
            await page.screenshot({
                path: path.join(out, `${label}-${kind}-${width}.png`),
                clip: { x: 0, y: 0, width, height: Math.min(height, 3000) },
                captureBeyondViewport: true,
            });
        }
    }
} finally {
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
}
console.log(`${label}: ${kinds.length} kinds of page at 2 widths${second ? '' : ' with axe-core'}, ` +
    `${failures.length} failures, ` +
    `${((Date.now() - started) / 1000).toFixed(1)} s`);
process.exit(failures.length === 0 ? 0 : 1);
