// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "svg_chart.h"
#include "html.h"
#include "local_time.h"
#include "time_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace liga {

namespace {

// The drawing's own units; the page scales it to its width. Text of 15 units stays about
// 11 pixels on a phone and 17 on a desk.
constexpr double width = 480;
constexpr double height = 250;
constexpr double left = 78;
constexpr double right = 16;
constexpr double top = 14;
constexpr double bottom = 40;
constexpr double plotWidth = width - left - right;
constexpr double plotHeight = height - top - bottom;

std::string num(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    std::string s = text;
    if (s.ends_with(".0")) s.resize(s.size() - 2);
    return s;
}

std::string open(std::string_view id, std::string_view label) {
    const std::string title = htmlEscape(std::string(id)) + "-titel";
    return "<svg class=\"diagramm\" viewBox=\"0 0 " + num(width) + " " + num(height) +
           "\" role=\"img\" aria-labelledby=\"" + title +
           "\" font-family=\"system-ui, sans-serif\" "
           "font-size=\"15\">\n<title id=\"" +
           title + "\">" + htmlEscape(label) + "</title>\n";
}

std::string text(double x, double y, std::string_view anchor, std::string_view content) {
    return "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\" text-anchor=\"" + std::string(anchor) +
           "\" fill=\"#333\">" + htmlEscape(content) + "</text>\n";
}

std::string line(double x1, double y1, double x2, double y2, std::string_view colour,
                 double strokeWidth = 1) {
    return "<line x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" + num(x2) + "\" y2=\"" +
           num(y2) + "\" stroke=\"" + std::string(colour) + "\" stroke-width=\"" +
           num(strokeWidth) + "\"/>\n";
}

// A step for an axis of `span` in about `parts` parts: 1, 2 or 5 times a power of ten.
double niceStep(double span, int parts) {
    const double raw = std::max(span / parts, 1e-9);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double f : {1.0, 2.0, 5.0})
        if (raw <= f * power) return f * power;
    return 10 * power;
}

} // namespace

std::string axisTime(int32_t tenths) {
    if (tenths < 600) {
        std::string s = std::to_string(tenths / 10);
        if (tenths % 10) {
            s += ',';
            s += std::to_string(tenths % 10);
        }
        return s + " s";
    }
    const int32_t seconds = tenths / 10;
    // Appended piece by piece: g++ 12 takes a short text put before a string for an
    // overlapping copy.
    const auto withTwo = [](int32_t high, int32_t low, const char* unit) {
        std::string s = std::to_string(high);
        s += low < 10 ? ":0" : ":";
        s += std::to_string(low);
        return s + unit;
    };
    if (seconds < 3600) return withTwo(seconds / 60, seconds % 60, " min");
    return withTwo(seconds / 3600, seconds / 60 % 60, " h");
}

std::string staircaseChart(const std::vector<ChartStep>& steps, int64_t end, std::string_view id,
                           std::string_view label) {
    std::string svg = open(id, label);
    if (steps.empty()) return svg + "</svg>\n";
    const int64_t first = steps.front().at;
    const int64_t last = std::max(end, steps.back().at + 1);
    const int32_t slowest = steps.front().tenths;
    const int32_t fastest = steps.back().tenths;
    // A single best still gets an axis around it; ticks fall on whole tenths.
    const double pad = std::max({10.0, (slowest - fastest) * 0.08, fastest * 0.05});
    const double step = std::max(1.0, niceStep(slowest - fastest + 2 * pad, 4));
    const double low = std::max(0.0, std::floor((fastest - pad) / step) * step);
    const double high = std::ceil((slowest + pad) / step) * step;
    const auto x = [&](int64_t t) {
        return left +
               plotWidth * static_cast<double>(t - first) / static_cast<double>(last - first);
    };
    const auto y = [&](double tenths) { return top + plotHeight * (high - tenths) / (high - low); };
    for (double v = low; v <= high + step / 2; v += step) {
        svg += line(left, y(v), width - right, y(v), "#ddd");
        svg += text(left - 6, y(v) + 5, "end", axisTime(static_cast<int32_t>(std::lround(v))));
    }
    svg += line(left, top, left, top + plotHeight, "#888");
    svg += line(left, top + plotHeight, width - right, top + plotHeight, "#888");
    svg += text(left, height - 12, "start", dateText(first));
    svg += text(width - right, height - 12, "end", dateText(last));
    std::string path(1, 'M');
    path += num(x(first)) + " " + num(y(steps.front().tenths));
    for (std::size_t i = 1; i < steps.size(); ++i) {
        path += 'H';
        path += num(x(steps[i].at)) + "V" + num(y(steps[i].tenths));
    }
    path += 'H';
    path += num(x(last));
    svg += "<path d=\"" + path + "\" fill=\"none\" stroke=\"#b22222\" stroke-width=\"2.5\"/>\n";
    for (const ChartStep& s : steps)
        svg += "<circle cx=\"" + num(x(s.at)) + "\" cy=\"" + num(y(s.tenths)) +
               "\" r=\"3.5\" fill=\"#b22222\"/>\n";
    return svg + "</svg>\n";
}

std::string histogramChart(const std::vector<ChartBar>& bars, std::optional<int32_t> mark,
                           std::string_view id, std::string_view label) {
    std::string svg = open(id, label);
    if (bars.empty()) return svg + "</svg>\n";
    int64_t most = 1;
    for (const ChartBar& b : bars) most = std::max(most, b.names);
    const double step = niceStep(static_cast<double>(most), 4);
    const double high = std::ceil(static_cast<double>(most) / step) * step;
    const double barWidth = plotWidth / static_cast<double>(bars.size());
    const auto y = [&](double names) { return top + plotHeight * (high - names) / high; };
    for (double v = 0; v <= high + step / 2; v += step) {
        svg += line(left, y(v), width - right, y(v), "#ddd");
        svg += text(left - 6, y(v) + 5, "end", countText(std::llround(v)));
    }
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const double x = left + barWidth * static_cast<double>(i);
        const double h = y(0) - y(static_cast<double>(bars[i].names));
        svg += "<rect x=\"" + num(x + 0.5) + "\" y=\"" + num(y(0) - h) + "\" width=\"" +
               num(std::max(barWidth - 1, 0.5)) + "\" height=\"" + num(h) +
               "\" fill=\"#c0504d\"/>\n";
    }
    svg += line(left, top + plotHeight, width - right, top + plotHeight, "#888");
    // The first bar's start, the middle and the last bar's start, as times.
    svg += text(left, height - 12, "start", axisTime(bars.front().from));
    const std::size_t middle = bars.size() / 2;
    svg += text(left + barWidth * static_cast<double>(middle), height - 12, "middle",
                axisTime(bars[middle].from));
    svg += text(width - right, height - 12, "end", axisTime(bars.back().from) + " +");
    if (mark && *mark >= bars.front().from) {
        std::size_t at = bars.size() - 1;
        for (std::size_t i = 0; i < bars.size(); ++i)
            if (*mark < bars[i].to) {
                at = i;
                break;
            }
        const ChartBar& b = bars[at];
        const double within =
            b.to > b.from ? static_cast<double>(*mark - b.from) / (b.to - b.from) : 0.5;
        const double x = left + barWidth * (static_cast<double>(at) + std::clamp(within, 0.0, 1.0));
        svg += line(x, top, x, top + plotHeight, "#1d1d1d", 2.5);
        svg += "<text class=\"marke\" x=\"" + num(std::clamp(x, left + 40, width - right - 40)) +
               "\" y=\"" + num(top + 14) +
               "\" text-anchor=\"middle\" fill=\"#1d1d1d\">Ihre Zeit</text>\n";
    }
    return svg + "</svg>\n";
}

} // namespace liga
