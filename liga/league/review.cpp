// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "review.h"
#include "whole_number.h"

namespace liga {

namespace {

// The world's fastest times, in tenths, on 8 x 8 with 10 mines (well under a second),
// 16 x 16 with 40 and 30 x 16 with 99.
constexpr int32_t beginnerRecord = 10;
constexpr int32_t intermediateRecord = 70;
constexpr int32_t expertRecord = 266;
// Counted by the game's clock before the first uncover, which those records do not.
constexpr int32_t firstSecond = 10;

} // namespace

ReviewBounds defaultReviewBounds() {
    ReviewBounds b{};
    b[festeStufeIndex(stufeAnfaenger)] = beginnerRecord + firstSecond;
    b[festeStufeIndex(stufeFortgeschrittene)] = intermediateRecord + firstSecond;
    const TStufe& expert = festeStufe(stufeProfis);
    const int32_t expertCells = expert.breite * expert.hoehe;
    for (int32_t level = stufeProfis; level <= stufeWahnsinn; ++level) {
        const TStufe& s = festeStufe(level);
        // Rounded to the nearest tenth.
        const int32_t scaled =
            (expertRecord * s.breite * s.hoehe * 2 + expertCells) / (2 * expertCells);
        b[festeStufeIndex(level)] = scaled + firstSecond;
    }
    return b;
}

bool heldForReview(const ReviewBounds& bounds, int32_t level, int32_t tenths) {
    return istFesteStufe(level) && tenths < bounds[festeStufeIndex(level)];
}

std::optional<std::pair<int32_t, int32_t>> parseReviewBound(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::optional<int32_t> level = wholeNumber<int32_t>(text.substr(0, colon));
    const std::optional<int32_t> tenths = wholeNumber<int32_t>(text.substr(colon + 1));
    if (!level || !tenths || !istFesteStufe(*level) || *tenths < 0) return std::nullopt;
    return std::make_pair(*level, *tenths);
}

} // namespace liga
