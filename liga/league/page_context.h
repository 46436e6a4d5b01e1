// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What each of the league's pages is given to read and write itself, and what it gives back.
#pragma once
#include "deadline.h"
#include "periods.h"
#include "review.h"
#include "routes.h"
#include "views.h"

#include <array>
#include <string>
#include <string_view>

namespace liga {

struct PageContext {
    Views& views;
    Deadline until;
    int64_t now = 0;                    // when the request came
    std::array<PeriodStart, 4> periods; // as periodStarts gives them for the request's moment
    ReviewBounds review = defaultReviewBounds();

    const PeriodStart& periodOf(Period p) const { return periods[static_cast<std::size_t>(p)]; }
};

// A page as written: its status (200, or 404 for one that names nothing the league holds)
// and its HTML, JSON or Atom text.
struct Rendered {
    int status = 200;
    std::string body;
};

// The 404 page for the address `at`, in the form the address asks for, saying `why`.
Rendered notFound(const Route& at, std::string_view why);
// The 404 of a page number past a list's last of `pages`.
Rendered beyondLastPage(const Route& at, int64_t pages);

} // namespace liga
