#include "run/RunReport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace tessaly
{
namespace
{
// Distinct colours that stay apart for readers with the common colour-vision deficiencies; past
// eight curves the colours repeat with a dash pattern, so no two curves look alike.
constexpr std::array<const char*, 8> kPalette = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728",
                                                 "#9467bd", "#8c564b", "#e377c2", "#17becf"};
constexpr std::array<const char*, 3> kDashes = {"", "6 3", "2 2"};

// The plot's frame in SVG units: the drawing area sits inside the margins, which hold the ticks.
constexpr double kWidth = 560, kHeight = 270;
constexpr double kLeft = 70, kRight = 20, kTop = 24, kBottom = 46;
// niceStep gives about five ticks per axis; the bound only guards against a runaway loop.
constexpr int kMaxTicks = 12;

// The run's numbers come from a simulation and a float-keeping host; a NaN or an infinity is read
// as "nothing seen" so it never reaches an SVG attribute, where a browser would drop the shape.
double finite(double value)
{
    return std::isfinite(value) ? value : 0.0;
}

std::string fixed(double value, int decimals)
{
    char text[64];
    // Beyond 1e15 "%.*f" would print digits no one reads; the exponent form stays short.
    const double v = finite(value);
    std::snprintf(text, sizeof text, std::fabs(v) < 1e15 ? "%.*f" : "%.*e", decimals, v);
    return text;
}

// A step value as people write it: "30", "22.5".
std::string quantity(double value)
{
    const double v = finite(value);
    return fixed(v, std::fabs(v - std::round(v)) < 1e-9 ? 0 : 1);
}

std::string escaped(std::string_view text)
{
    std::string html;
    html.reserve(text.size());
    for (const char c : text)
    {
        switch (c)
        {
        case '&':
            html += "&amp;";
            break;
        case '<':
            html += "&lt;";
            break;
        case '>':
            html += "&gt;";
            break;
        case '"':
            html += "&quot;";
            break;
        case '\'':
            html += "&#39;";
            break;
        default:
            html += c;
        }
    }
    return html;
}

// A tick spacing of 1, 2 or 5 times a power of ten that cuts span into about five parts.
double niceStep(double span)
{
    const double raw = span / 5.0;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0})
        if (raw <= m * power)
            return m * power;
    return 10.0 * power;
}

std::string tickText(double value, double step, double largest)
{
    if (largest >= 1e6)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%.3g", value);
        return text;
    }
    return fixed(value, step >= 1.0 ? 0 : std::min(6, static_cast<int>(std::ceil(-std::log10(step)))));
}

// One ramp's plot: an x axis of steps (unit V or eV), a y axis of response from 0, one polyline per
// curve, and the chosen step marked with a line and its value.
struct RampPlot
{
    const std::vector<double>& steps;
    const char* axisTitle; // "cone voltage (V)"
    const char* symbol;    // "CV"
    const char* unit;      // "V"
    std::vector<const RampCurve*> curves;
    int chosenCurve = -1;
    int chosenStep = -1;
};

std::string svgOf(const RampPlot& plot)
{
    std::vector<double> xs;
    for (const double x : plot.steps)
        xs.push_back(finite(x));
    double xMin = *std::min_element(xs.begin(), xs.end());
    double xMax = *std::max_element(xs.begin(), xs.end());
    if (xMax - xMin < 1e-9)
    {
        // One step (or all equal): centre it in a span of two units.
        xMin -= 1.0;
        xMax += 1.0;
    }
    double yMax = 0.0;
    for (const RampCurve* curve : plot.curves)
        for (const double y : curve->responses)
            yMax = std::max(yMax, finite(y));
    const bool allZero = !(yMax > 0.0);
    const double yStep = niceStep(allZero ? 1.0 : yMax);
    const double yTop = allZero ? 1.0 : std::ceil(yMax / yStep) * yStep;

    const double w = kWidth - kLeft - kRight, h = kHeight - kTop - kBottom;
    const auto xAt = [&](double x) { return kLeft + (x - xMin) / (xMax - xMin) * w; };
    const auto px = [&](double x) { return fixed(xAt(x), 1); };
    const auto py = [&](double y) { return fixed(kTop + h - std::max(0.0, finite(y)) / yTop * h, 1); };

    std::string svg = "<svg class=\"plot\" viewBox=\"0 0 " + fixed(kWidth, 0) + " " + fixed(kHeight, 0) +
                      "\" width=\"" + fixed(kWidth, 0) + "\" height=\"" + fixed(kHeight, 0) +
                      "\" role=\"img\" xmlns=\"http://www.w3.org/2000/svg\">\n";
    // Axes, grid and ticks.
    svg += "<g class=\"axis\">\n";
    // Counted loops: near the largest double a sum of steps could reach infinity and never end.
    for (int k = 0; k <= kMaxTicks && k * yStep <= yTop * (1 + 1e-9); ++k)
    {
        const double y = k * yStep;
        svg += "<line class=\"grid\" x1=\"" + fixed(kLeft, 1) + "\" y1=\"" + py(y) + "\" x2=\"" + fixed(kLeft + w, 1) +
               "\" y2=\"" + py(y) + "\"/>";
        svg += "<text x=\"" + fixed(kLeft - 6, 1) + "\" y=\"" + py(y) + "\" dy=\"4\" text-anchor=\"end\">" +
               tickText(y, yStep, yTop) + "</text>\n";
    }
    const double xStep = niceStep(xMax - xMin);
    const double xFirst = std::ceil(xMin / xStep - 1e-9) * xStep;
    for (int k = 0; k <= kMaxTicks && xFirst + k * xStep <= xMax + xStep * 1e-9; ++k)
    {
        const double x = xFirst + k * xStep;
        svg += "<line x1=\"" + px(x) + "\" y1=\"" + fixed(kTop + h, 1) + "\" x2=\"" + px(x) + "\" y2=\"" +
               fixed(kTop + h + 5, 1) + "\"/><text x=\"" + px(x) + "\" y=\"" + fixed(kTop + h + 18, 1) +
               "\" text-anchor=\"middle\">" + tickText(x, xStep, 0.0) + "</text>\n";
    }
    svg += "<path class=\"frame\" d=\"M" + fixed(kLeft, 1) + " " + fixed(kTop, 1) + "V" + fixed(kTop + h, 1) + "H" +
           fixed(kLeft + w, 1) + "\"/>\n";
    svg += "<text x=\"" + fixed(kLeft + w / 2, 1) + "\" y=\"" + fixed(kHeight - 6, 1) + "\" text-anchor=\"middle\">" +
           plot.axisTitle + "</text>\n";
    svg += "<text transform=\"translate(14 " + fixed(kTop + h / 2, 1) +
           ") rotate(-90)\" text-anchor=\"middle\">response</text>\n</g>\n";

    // The chosen curve last, so it is drawn over the others.
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < plot.curves.size(); ++i)
        if (static_cast<int>(i) != plot.chosenCurve)
            order.push_back(i);
    if (plot.chosenCurve >= 0)
        order.push_back(static_cast<std::size_t>(plot.chosenCurve));
    for (const std::size_t i : order)
    {
        const RampCurve& curve = *plot.curves[i];
        const bool chosen = static_cast<int>(i) == plot.chosenCurve;
        const std::string colour = kPalette[i % kPalette.size()];
        const char* dash = kDashes[(i / kPalette.size()) % kDashes.size()];
        const std::size_t n = std::min(xs.size(), curve.responses.size());
        std::string points;
        for (std::size_t k = 0; k < n; ++k)
            points.append(k ? " " : "").append(px(xs[k])).append(",").append(py(curve.responses[k]));
        svg += std::string("<g class=\"") + (chosen ? "curve chosen" : "curve") + "\" stroke=\"" + colour +
               "\" fill=\"" + colour + "\"><title>" + escaped(curve.label) + "</title>";
        svg += "<polyline fill=\"none\" points=\"" + points + "\"" +
               (*dash ? std::string(" stroke-dasharray=\"") + dash + "\"" : std::string()) + "/>";
        for (std::size_t k = 0; k < n; ++k)
            svg += "<circle cx=\"" + px(xs[k]) + "\" cy=\"" + py(curve.responses[k]) + "\" r=\"" +
                   (chosen ? "3.5" : "2.5") + "\"/>";
        svg += "</g>\n";
    }

    if (plot.chosenStep >= 0 && static_cast<std::size_t>(plot.chosenStep) < xs.size())
    {
        const double x = xs[static_cast<std::size_t>(plot.chosenStep)];
        svg += "<g class=\"optimum\"><line x1=\"" + px(x) + "\" y1=\"" + fixed(kTop, 1) + "\" x2=\"" + px(x) +
               "\" y2=\"" + fixed(kTop + h, 1) + "\"/>";
        if (plot.chosenCurve >= 0)
        {
            const RampCurve& curve = *plot.curves[static_cast<std::size_t>(plot.chosenCurve)];
            if (static_cast<std::size_t>(plot.chosenStep) < curve.responses.size())
                svg += "<circle cx=\"" + px(x) + "\" cy=\"" +
                       py(curve.responses[static_cast<std::size_t>(plot.chosenStep)]) + "\" r=\"7\"/>";
        }
        // The label sits on the side of the line with more room.
        const bool right = x - xMin < (xMax - xMin) / 2;
        svg += "<text x=\"" + fixed(xAt(x) + (right ? 5 : -5), 1) + "\" y=\"" + fixed(kTop - 8, 1) +
               "\" text-anchor=\"" + (right ? "start" : "end") + "\">" + plot.symbol + " " + quantity(x) + " " +
               plot.unit + "</text></g>\n";
    }
    if (allZero)
        svg += "<text class=\"note\" x=\"" + fixed(kLeft + w / 2, 1) + "\" y=\"" + fixed(kTop + h / 2, 1) +
               "\" text-anchor=\"middle\">every response is 0</text>\n";
    return svg + "</svg>\n";
}

std::string legendOf(const RampPlot& plot)
{
    std::string html = "<ul class=\"legend\">";
    for (std::size_t i = 0; i < plot.curves.size(); ++i)
    {
        const bool chosen = static_cast<int>(i) == plot.chosenCurve;
        html += std::string("<li") + (chosen ? " class=\"chosen\"" : "") +
                "><span class=\"swatch\" style=\"background:" + kPalette[i % kPalette.size()] + "\"></span>" +
                escaped(plot.curves[i]->label) + (chosen ? " (chosen)" : "") + "</li>";
    }
    return html + "</ul>\n";
}

const char* ionModeText(tag_IONMODE mode)
{
    return mode == IONMODE_APCI ? "APcI" : "ESP";
}

const char* polarityText(tag_IONMODEOPT polarity)
{
    return polarity == IONMODEOPT_NEGATIVE ? "-" : "+";
}

// Why a compound is flagged: which ramp's optimum sat on which end.
std::string edgeExplanation(const CompoundRun& c)
{
    const auto end = [](int step, std::size_t count) {
        if (step == 0)
            return "first";
        if (step >= 0 && static_cast<std::size_t>(step) + 1 == count)
            return "last";
        return "first or last";
    };
    std::string text;
    if (c.atEdge.find("cv") != std::string::npos)
        text += std::string("optimum at the ") + end(c.chosenConeStep, c.coneVoltages.size()) +
                " step of the cone-voltage ramp";
    if (c.atEdge.find("ce") != std::string::npos)
        text += std::string(text.empty() ? "optimum at the " : " and at the ") +
                end(c.chosenEnergyStep, c.collisionEnergies.size()) + " step of the collision-energy ramp";
    // A ramp name the report does not know still gets the warning, naming it as the run did.
    if (text.empty())
        text = "optimum at the first or last step of a ramp (" + c.atEdge + ")";
    return text + "; the true optimum may lie outside it";
}

std::string summaryOf(const RunReport& report)
{
    std::string html = "<table class=\"summary\">\n<thead><tr><th>compound</th><th>status</th><th>adduct</th>"
                       "<th>parent m/z</th><th>daughter m/z</th><th>cone voltage (V)</th>"
                       "<th>collision energy (eV)</th><th>response</th><th>ion mode</th><th>polarity</th>"
                       "<th>at edge</th></tr></thead>\n<tbody>\n";
    for (std::size_t i = 0; i < report.compounds.size(); ++i)
    {
        const CompoundRun& c = report.compounds[i];
        const ResultRow& r = c.result;
        html += std::string("<tr") + (r.ok ? "" : " class=\"failed\"") + "><td><a href=\"#compound-" +
                std::to_string(i + 1) + "\">" + escaped(r.compound) + "</a></td>";
        if (!r.ok)
        {
            html += "<td>failed</td><td></td><td></td><td></td><td></td><td></td><td></td><td></td><td></td><td></td>"
                    "</tr>\n";
            continue;
        }
        char response[32];
        std::snprintf(response, sizeof response, "%.6g", finite(r.response));
        html += "<td>ok</td><td>" + escaped(c.adduct) + "</td><td>" + fixed(r.parentMz, 3) + "</td><td>" +
                (r.daughterMz > 0.0 ? fixed(r.daughterMz, 3) : std::string()) + "</td><td>" +
                std::to_string(r.coneVoltage) + "</td><td>" +
                (r.daughterMz > 0.0 ? std::to_string(r.collisionEnergy) : std::string()) + "</td><td>" + response +
                "</td><td>" + ionModeText(r.ionMode) + "</td><td>" + polarityText(r.polarity) + "</td><td>";
        if (!c.atEdge.empty())
            html += "<span class=\"edge\" title=\"" + escaped(edgeExplanation(c)) + "\">&#9888; " + escaped(c.atEdge) +
                    "</span>";
        html += "</td></tr>\n";
    }
    return html + "</tbody>\n</table>\n";
}

std::string cardOf(const CompoundRun& c, std::size_t index)
{
    const ResultRow& r = c.result;
    std::string html = "<section class=\"card" + std::string(r.ok ? "" : " failed") + "\" id=\"compound-" +
                       std::to_string(index + 1) + "\">\n<h3>" + std::to_string(index + 1) + ". " +
                       escaped(r.compound) + (r.ok ? "" : " <span class=\"tag\">failed</span>") + "</h3>\n";
    if (r.ok)
        html += "<p>" + escaped(c.adduct.empty() ? "parent" : c.adduct) + " m/z " + fixed(r.parentMz, 3) + " at CV " +
                std::to_string(r.coneVoltage) + " V" +
                (r.daughterMz > 0.0
                     ? ", product m/z " + fixed(r.daughterMz, 3) + " at CE " + std::to_string(r.collisionEnergy) + " eV"
                     : std::string()) +
                "</p>\n";
    if (!c.atEdge.empty())
        html += "<p class=\"edge\">&#9888; " + escaped(edgeExplanation(c)) + ".</p>\n";

    html += "<div class=\"plots\">\n<figure><figcaption>Candidate ions across the cone-voltage ramp</figcaption>\n";
    if (c.parentCurves.empty() || c.coneVoltages.empty())
        html += std::string("<p class=\"none\">No plot: ") +
                (c.coneVoltages.empty() ? "no cone-voltage step was acquired"
                                        : "no candidate ion was seen at any cone-voltage step") +
                (r.ok ? "." : ", so the optimisation failed.") + "</p>\n";
    else
    {
        RampPlot plot{c.coneVoltages, "cone voltage (V)", "CV", "V", {}, -1, -1};
        for (const RampCurve& curve : c.parentCurves)
            plot.curves.push_back(&curve);
        if (c.chosenParent >= 0 && static_cast<std::size_t>(c.chosenParent) < c.parentCurves.size())
        {
            plot.chosenCurve = c.chosenParent;
            plot.chosenStep = c.chosenConeStep;
        }
        html += svgOf(plot) + legendOf(plot);
        if (!r.ok)
            html += "<p class=\"none\">No ion was chosen: the optimisation failed.</p>\n";
    }
    html += "</figure>\n";

    if (r.ok || !c.collisionEnergies.empty())
    {
        html += "<figure><figcaption>Chosen product across the collision-energy ramp</figcaption>\n";
        if (c.collisionEnergies.empty())
            html += "<p class=\"none\">No plot: MS only, no collision-energy ramp was acquired.</p>\n";
        else if (c.productCurve.responses.empty())
            html += "<p class=\"none\">No plot: no product ion was seen at any collision-energy step.</p>\n";
        else
        {
            RampPlot plot{c.collisionEnergies, "collision energy (eV)", "CE", "eV", {&c.productCurve}, 0,
                          c.chosenEnergyStep};
            html += svgOf(plot) + legendOf(plot);
        }
        html += "</figure>\n";
    }
    return html + "</div>\n</section>\n";
}

std::string methodsOf(const RunReport& report)
{
    std::string html;
    for (const GroupMethod& g : report.groups)
    {
        html += "<section class=\"card\">\n<h3>" +
                (g.group.empty() ? std::string("Unlabelled group") : "Group " + escaped(g.group)) +
                "</h3>\n<p class=\"path\">" + escaped(g.methodPath) + "</p>\n";
        if (g.records.empty())
        {
            html += "<p class=\"none\">The method has no records.</p>\n</section>\n";
            continue;
        }
        html += "<table>\n<thead><tr><th>record</th><th>compound</th><th>function</th><th>mass</th>"
                "<th>expected time (min)</th><th>window (&#177; min)</th><th>range (min)</th><th>reference</th>"
                "</tr></thead>\n<tbody>\n";
        for (std::size_t i = 0; i < g.records.size(); ++i)
        {
            const FinalMethodRecord& m = g.records[i];
            html += std::string("<tr") + (m.reference ? " class=\"reference\"" : "") + "><td>" + std::to_string(i + 1) +
                    "</td><td>" + escaped(m.compound) + "</td><td>" + std::to_string(m.function) + "</td><td>" +
                    escaped(m.massText) + "</td><td>" + fixed(m.expectedTime, 2) + "</td><td>" + fixed(m.window, 2) +
                    "</td><td>" + fixed(m.rangeStart, 2) + " &#8211; " + fixed(m.rangeEnd, 2) + "</td><td>" +
                    (m.reference ? "&#9733; reference" : "") + "</td></tr>\n";
        }
        html += "</tbody>\n</table>\n</section>\n";
    }
    return html.empty() ? "<p class=\"none\">No final method was written.</p>\n" : html;
}

constexpr const char* kStyle =
    R"(body{font:14px/1.4 system-ui,sans-serif;color:#222;margin:0 auto;max-width:1200px;padding:1em 2em}
h1{font-size:1.6em;margin-bottom:.2em}h2{border-bottom:2px solid #ccd;padding-bottom:.2em;margin-top:1.6em}
h3{margin:.2em 0 .4em}dl.run{display:grid;grid-template-columns:max-content 1fr;gap:.1em 1em;color:#444}
dl.run dt{font-weight:600}dl.run dd{margin:0;font-family:monospace}
table{border-collapse:collapse;margin:.5em 0}th,td{border:1px solid #dde;padding:.2em .6em;text-align:right}
th{background:#f0f2f8}td:nth-child(2),th:nth-child(2),td:first-child{text-align:left}
tr.failed td{background:#fdecea;color:#a33}tr.reference td{background:#eef7ee}
.edge{color:#a65b00;font-weight:600}.tag{background:#d33;color:#fff;border-radius:3px;padding:0 .4em;font-size:.8em}
.card{border:1px solid #dde;border-radius:6px;padding:.8em 1em;margin:1em 0;box-shadow:0 1px 3px #0001}
.card.failed{border-color:#e8b4b0}.plots{display:flex;flex-wrap:wrap;gap:1.5em}figure{margin:0}
figcaption{font-weight:600;color:#445}.none{color:#777;font-style:italic}.path{font-family:monospace;color:#555}
svg.plot{font-size:11px;max-width:100%;height:auto}svg .axis line,svg .frame{stroke:#555;fill:none}
svg .axis text{fill:#333;stroke:none}svg .grid{stroke:#e4e6ee}svg .curve polyline{stroke-width:1.5;opacity:.8}
svg .curve circle{opacity:.8}svg .chosen polyline{stroke-width:3;opacity:1}svg .chosen circle{opacity:1}
svg .optimum line{stroke:#222;stroke-dasharray:4 3}svg .optimum circle{fill:none;stroke:#222;stroke-width:1.5}
svg .optimum text{font-weight:700;fill:#222}svg .note{fill:#777;font-style:italic}
ul.legend{list-style:none;padding:0;margin:.3em 0;columns:2;max-width:560px}ul.legend li{break-inside:avoid}
ul.legend li.chosen{font-weight:700}.swatch{display:inline-block;width:.9em;height:.9em;margin-right:.4em;
vertical-align:-.1em;border-radius:2px}
)";
} // namespace

std::string writeReportHtml(const RunReport& report)
{
    std::size_t ok = 0, edge = 0;
    for (const CompoundRun& c : report.compounds)
    {
        ok += c.result.ok ? 1 : 0;
        edge += c.atEdge.empty() ? 0 : 1;
    }
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<title>Optimisation report</title>\n<style>\n" +
                       std::string(kStyle) + "</style>\n</head>\n<body>\n<h1>Optimisation report</h1>\n";
    html += "<dl class=\"run\"><dt>method</dt><dd>" + escaped(report.method) + "</dd><dt>compound list</dt><dd>" +
            escaped(report.compoundList) + "</dd><dt>analysis list</dt><dd>" +
            (report.analysisList.empty() ? std::string("none") : escaped(report.analysisList)) +
            "</dd><dt>seed</dt><dd>" + std::to_string(report.seed) + "</dd></dl>\n";
    html += "<p>" + std::to_string(report.compounds.size()) + " compounds: " + std::to_string(ok) + " optimised, " +
            std::to_string(report.compounds.size() - ok) + " failed" +
            (edge ? ", " + std::to_string(edge) + " with an optimum at the edge of a ramp (&#9888;)" : std::string()) +
            ".</p>\n";

    html += "<h2>Compounds</h2>\n" + summaryOf(report);
    if (edge)
        html += "<p class=\"edge\">&#9888; optimum at the first or last step of the cone-voltage or collision-energy "
                "ramp; the true optimum may lie outside it.</p>\n";
    for (std::size_t i = 0; i < report.compounds.size(); ++i)
        html += cardOf(report.compounds[i], i);

    html += "<h2>Final methods</h2>\n" + methodsOf(report);
    return html + "</body>\n</html>\n";
}
} // namespace tessaly
