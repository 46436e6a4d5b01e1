// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The combined ranking of the three classic levels for one period, paged, as HTML or JSON.
#pragma once
#include "page_context.h"

namespace liga {

Rendered sumPage(const Route& route, const PageContext& context);

} // namespace liga
