// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// How many processors this process may run on.
#pragma once

namespace liga {

// The processors of this process's affinity mask (taskset, a service's CPUAffinity, a
// container's cpuset), at least 1.
unsigned usableProcessors();

} // namespace liga
