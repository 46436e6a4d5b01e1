// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// How a level's best times are spread, as a chart, so that a player sees where a time
// stands; as HTML or JSON.
#pragma once
#include "page_context.h"
#include "svg_chart.h"

#include <vector>

namespace liga {

// The counts grouped into at most about 40 bars of a round width, from the fastest time to
// where 98 of 100 names are faster; the last bar holds every slower one too (its `to` is
// the largest int32_t).
std::vector<ChartBar> distributionBars(std::vector<TimeCount> counts);

Rendered distributionPage(const Route& route, const PageContext& context);

} // namespace liga
