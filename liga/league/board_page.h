// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A level's board for one period, 100 names a page, as HTML or JSON.
#pragma once
#include "page_context.h"

namespace liga {

Rendered boardPage(const Route& route, const PageContext& context);

} // namespace liga
