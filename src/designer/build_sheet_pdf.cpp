#include "designer/build_sheet_pdf.h"

#include "designer/fixed_text.h"

#include "designer/crystal_reactance.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace korvan::designer {

namespace {

constexpr double kPageWidth = 595.28, kPageHeight = 841.89; // A4 in points
constexpr double kMargin = 36;

cairo_status_t appendTo(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// Locale-free: the window's process runs in the user's locale.
std::string format(const char* pattern, double value) {
    // Only "%.Nf" and "%+.Nf" patterns are used.
    const bool sign = pattern[1] == '+';
    const std::string text = fixedText(value, pattern[sign ? 3 : 2] - '0');
    return sign && text.front() != '-' ? "+" + text : text;
}

std::string pf(double f) {
    return f > 0 ? format("%.1f", f * 1e12) : "-";
}

class Page {
  public:
    explicit Page(cairo_t* cr) : cr_(cr) {}

    void font(double size, bool bold = false) {
        cairo_select_font_face(cr_, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                               bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr_, size);
    }
    void text(double x, double y, const std::string& s, bool right = false, bool centred = false) {
        cairo_text_extents_t e;
        cairo_text_extents(cr_, s.c_str(), &e);
        const double dx = right ? -e.x_advance : centred ? -e.x_advance / 2 : 0;
        cairo_move_to(cr_, x + dx, y);
        cairo_show_text(cr_, s.c_str());
    }
    void line(double x1, double y1, double x2, double y2) {
        cairo_move_to(cr_, x1, y1);
        cairo_line_to(cr_, x2, y2);
        cairo_stroke(cr_);
    }
    void colour(double r, double g, double b) { cairo_set_source_rgb(cr_, r, g, b); }
    void width(double w) { cairo_set_line_width(cr_, w); }
    cairo_t* cr() { return cr_; }

  private:
    cairo_t* cr_;
};

// A capacitor across (x, y) in the direction given, plates 8 pt wide.
void capacitor(Page& p, double x, double y, bool vertical) {
    if (vertical) {
        p.line(x - 5, y - 2, x + 5, y - 2);
        p.line(x - 5, y + 2, x + 5, y + 2);
    } else {
        p.line(x - 2, y - 5, x - 2, y + 5);
        p.line(x + 2, y - 5, x + 2, y + 5);
    }
}

void schematic(Page& p, const LadderDesign& d, double top) {
    const int n = static_cast<int>(d.positions.size());
    const double left = kMargin + 40, right = kPageWidth - kMargin - 40;
    const double y = top + 24, ground = top + 62;
    const double step = (right - left) / n;
    p.width(0.8);
    p.colour(0, 0, 0);
    p.font(7);
    // Source and load resistors as boxes with their values.
    const auto resistor = [&](double x, const std::string& label) {
        cairo_rectangle(p.cr(), x - 12, y - 4, 24, 8);
        cairo_stroke(p.cr());
        p.text(x, y - 8, label, false, true);
    };
    resistor(kMargin + 14, format("%.1f", d.sourceOhm) + " Ohm");
    resistor(kPageWidth - kMargin - 14, format("%.1f", d.loadOhm) + " Ohm");
    p.line(kMargin + 26, y, left, y);
    p.line(right, y, kPageWidth - kMargin - 26, y);
    for (int i = 0; i < n; ++i) {
        const double x0 = left + i * step;
        const double cx = x0 + step * 0.35;
        const bool withCs = d.positions[static_cast<std::size_t>(i)].csF > 0;
        // Crystal: a plate box between two plates.
        p.line(x0, y, cx - 5, y);
        p.line(cx - 4, y - 6, cx - 4, y + 6);
        cairo_rectangle(p.cr(), cx - 2.5, y - 5, 5, 10);
        cairo_stroke(p.cr());
        p.line(cx + 4, y - 6, cx + 4, y + 6);
        p.font(7, true);
        p.text(cx, y - 10, std::to_string(i + 1), false, true);
        p.font(6);
        const double csX = x0 + step * 0.7;
        if (withCs) {
            p.line(cx + 5, y, csX - 2, y);
            capacitor(p, csX, y, false);
            p.line(csX + 2, y, x0 + step, y);
            p.text(csX, y + 14, "Cs" + std::to_string(i + 1), false, true);
        } else {
            p.line(cx + 5, y, x0 + step, y);
        }
        if (i + 1 < n) {
            const double kx = x0 + step;
            p.line(kx, y, kx, ground - 14);
            capacitor(p, kx, ground - 12, true);
            p.line(kx, ground - 10, kx, ground);
            p.line(kx - 4, ground, kx + 4, ground);
            p.text(kx + 6, ground - 6, analysis::couplingName(i + 1));
        }
    }
}

struct Column {
    const char* title;
    double x;
    bool right;
};

void table(Page& p, double& y, const std::vector<Column>& columns,
           const std::vector<std::vector<std::string>>& rows) {
    p.font(7, true);
    for (const auto& c : columns) p.text(c.x, y, c.title, c.right);
    y += 3;
    p.width(0.4);
    p.line(kMargin, y, kPageWidth - kMargin, y);
    y += 9;
    p.font(7);
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < columns.size() && i < row.size(); ++i)
            p.text(columns[i].x, y, row[i], columns[i].right);
        y += 9;
    }
    y += 6;
}

void responsePicture(Page& p, const LadderDesign& d, const BuildSheet& s, double top,
                     double bottom) {
    const double left = kMargin + 30, right = kPageWidth - kMargin - 6;
    const double plotTop = top + 14, plotBottom = bottom - 18;
    double maxDb = 10;
    for (double v : s.idealLossDb) maxDb = std::max(maxDb, std::min(v, 80.0));
    maxDb = std::ceil(maxDb / 10) * 10;
    const double f0 = s.fHz.front(), f1 = s.fHz.back();
    const auto X = [&](double f) { return left + (f - f0) / (f1 - f0) * (right - left); };
    const auto Y = [&](double db) {
        return plotTop + std::clamp(db, 0.0, maxDb) / maxDb * (plotBottom - plotTop);
    };
    p.font(8, true);
    p.colour(0, 0, 0);
    p.text(kMargin, top + 4, "Predicted response (each crystal with its Rm)");
    p.font(6.5);
    p.width(0.3);
    p.colour(0.75, 0.75, 0.75);
    for (double db = 0; db <= maxDb + 1e-9; db += 10) {
        p.line(left, Y(db), right, Y(db));
    }
    const double half = 0.5 * (f1 - f0);
    const double tick = std::pow(10, std::floor(std::log10(half)));
    for (double off = -std::floor(half / tick) * tick; off <= half + 1e-9; off += tick)
        p.line(X(d.designHz + off), plotTop, X(d.designHz + off), plotBottom);
    p.colour(0, 0, 0);
    for (double db = 0; db <= maxDb + 1e-9; db += 10)
        p.text(left - 3, Y(db) + 2, format("%.0f", db), true);
    for (double off = -std::floor(half / tick) * tick; off <= half + 1e-9; off += tick)
        p.text(X(d.designHz + off), plotBottom + 8, format("%+.0f", off), false, true);
    p.text(0.5 * (left + right), plotBottom + 16,
           "offset from " + format("%.1f", d.designHz) + " Hz [Hz]; loss [dB]", false, true);
    cairo_rectangle(p.cr(), left, plotTop, right - left, plotBottom - plotTop);
    cairo_stroke(p.cr());

    const auto curve = [&](const std::vector<double>& db, double r, double g, double b,
                           bool dashed) {
        cairo_save(p.cr());
        cairo_rectangle(p.cr(), left, plotTop, right - left, plotBottom - plotTop);
        cairo_clip(p.cr());
        p.colour(r, g, b);
        p.width(0.9);
        if (dashed) {
            const double dash[] = {3, 2};
            cairo_set_dash(p.cr(), dash, 2, 0);
        }
        for (std::size_t k = 0; k < db.size(); ++k) {
            if (k == 0)
                cairo_move_to(p.cr(), X(s.fHz[k]), Y(db[k]));
            else
                cairo_line_to(p.cr(), X(s.fHz[k]), Y(db[k]));
        }
        cairo_stroke(p.cr());
        cairo_restore(p.cr());
    };
    curve(s.idealLossDb, 0.0, 0.2, 0.8, false);
    curve(s.standardLossDb, 0.85, 0.1, 0.1, true);
    p.font(7);
    p.colour(0.0, 0.2, 0.8);
    p.text(right - 120, plotTop + 14, "ideal (designed values)");
    p.colour(0.85, 0.1, 0.1);
    p.text(right - 120, plotTop + 24,
           "standard values (" + analysis::standardChoiceName(s.options.standard) + ")");
    p.colour(0, 0, 0);
}

std::string figure(const std::optional<double>& v, const char* pattern) {
    return v ? format(pattern, *v) : "-";
}

} // namespace

std::string buildSheetPdf(const LadderDesign& d, const BuildSheet& s) {
    std::string bytes;
    cairo_surface_t* surface =
        cairo_pdf_surface_create_for_stream(appendTo, &bytes, kPageWidth, kPageHeight);
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surfaceGuard(
        surface, cairo_surface_destroy);
    cairo_t* cr = cairo_create(surface);
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> crGuard(cr, cairo_destroy);
    Page p(cr);
    p.colour(1, 1, 1);
    cairo_paint(cr);
    p.colour(0, 0, 0);

    double y = kMargin + 8;
    p.font(14, true);
    p.text(kMargin, y, "KORVAN ladder build sheet");
    y += 14;
    p.font(8);
    p.text(kMargin, y,
           std::to_string(d.positions.size()) + " crystals, " + shapeText(d.shape) +
               ", 3 dB bandwidth " + format("%.1f", d.wantedBandwidthHz) + " Hz centred on " +
               format("%.1f", d.designHz) + " Hz; no Cs at position " +
               std::to_string(d.referencePosition));
    y += 10;
    p.text(kMargin, y,
           "Compensation: " + std::string(compensationName(d.compensation)) +
               (d.predistortion ? "; predistorted for the crystals' mean qo " +
                                      format("%.2f", d.predistortion->meanQo) + ", which costs " +
                                      format("%.2f", d.predistortion->prototypeLossDb) + " dB"
                                : std::string()));
    y += 6;
    schematic(p, d, y);
    y += 84;

    std::vector<std::vector<std::string>> rows;
    for (std::size_t i = 0; i < d.positions.size(); ++i) {
        const auto& pos = d.positions[i];
        const auto& l = s.tuning[i];
        std::string name = pos.crystal.name;
        if (name.size() > 26) name = name.substr(0, 24) + "..";
        std::string trim = "-";
        if (l.trimmer)
            trim = (l.trimmer->fixedF > 0 ? pf(l.trimmer->fixedF) + " + " : std::string()) +
                   pf(l.trimmer->minF) + "-" + pf(l.trimmer->maxF);
        else if (pos.csF > 0)
            trim = "none spans " + pf(l.coverLowF) + "-" + pf(l.coverHighF);
        rows.push_back(
            {std::to_string(i + 1), name, format("%.1f", seriesResonanceHz(pos.crystal.model)),
             format("%.1f", pos.meshHz), format("%.1f", pos.meshOffsetHz), pf(pos.csF),
             pf(l.nearestF),
             l.pair.larger > 0 ? pf(l.pair.larger) + " + " + pf(l.pair.smaller) : "-", trim});
    }
    const double w = kPageWidth - kMargin;
    table(p, y,
          {{"Pos", kMargin, false},
           {"Crystal", kMargin + 20, false},
           {"fs [Hz]", kMargin + 158, true},
           {"mesh [Hz]", kMargin + 206, true},
           {"offset [Hz]", kMargin + 254, true},
           {"Cs [pF]", kMargin + 290, true},
           {"nearest", kMargin + 324, true},
           {"pair", kMargin + 376, true},
           {"fixed + trimmer [pF]", w, true}},
          rows);

    rows.clear();
    for (const auto& l : s.coupling)
        rows.push_back({l.label, pf(l.designedF), pf(l.nearestF),
                        pf(l.pair.larger) + " + " + pf(l.pair.smaller)});
    // Couplings and the right-hand block of terminations side by side.
    double yk = y;
    table(p, yk,
          {{"Coupling", kMargin, false},
           {"Ck [pF]", kMargin + 80, true},
           {"nearest", kMargin + 120, true},
           {"pair", kMargin + 180, true}},
          rows);
    double yr = y;
    p.font(7, true);
    p.text(kMargin + 230, yr,
           "Terminations and matching to " + format("%.0f", s.options.systemOhm) + " Ohm");
    yr += 12;
    p.font(7);
    for (const auto& [name, m] : {std::pair{"Source", &s.source}, {"Load", &s.load}}) {
        p.text(kMargin + 230, yr,
               std::string(name) + ": " + format("%.2f", m->filterOhm) +
                   " Ohm, transformer turns ratio 1 : " + format("%.3f", m->turnsRatio));
        yr += 9;
        if (m->needed) {
            const std::string at = m->seriesAtSystem ? "system side" : "filter side";
            p.text(kMargin + 240, yr,
                   "low-pass: series L " + format("%.3f", m->lowpassSeriesH * 1e6) + " uH (" + at +
                       "), shunt C " + pf(m->lowpassShuntF) + " pF");
            yr += 9;
            p.text(kMargin + 240, yr,
                   "high-pass: series C " + pf(m->highpassSeriesF) + " pF (" + at + "), shunt L " +
                       format("%.3f", m->highpassShuntH * 1e6) + " uH");
        } else {
            p.text(kMargin + 240, yr, "no matching network necessary");
        }
        yr += 11;
    }
    yr += 4;
    p.font(7, true);
    p.text(kMargin + 230, yr, "Figure");
    p.text(kMargin + 380, yr, "ideal", true);
    p.text(kMargin + 460, yr, "standard values", true);
    yr += 10;
    p.font(7);
    const auto& a = s.idealFigures;
    const analysis::ExactFigures* b = s.standardFigures ? &*s.standardFigures : nullptr;
    const auto row = [&](const std::string& label, const std::string& x, const std::string& z) {
        p.text(kMargin + 230, yr, label);
        p.text(kMargin + 380, yr, x, true);
        p.text(kMargin + 460, yr, z, true);
        yr += 9;
    };
    row("Insertion loss [dB]", format("%.2f", a.ilDb), b ? format("%.2f", b->ilDb) : "-");
    row("Ripple [dB]", figure(a.rippleDb, "%.2f"), b ? figure(b->rippleDb, "%.2f") : "-");
    row("Centre [Hz]", figure(bandCentreHz(a), "%.1f"), b ? figure(bandCentreHz(*b), "%.1f") : "-");
    for (std::size_t l : {0u, 1u, 3u, 4u}) {
        row("BW " + std::to_string(analysis::kExactLevelsDb[l]) + " dB [Hz]",
            figure(a.levels[l].bandwidthHz(), "%.1f"),
            b ? figure(b->levels[l].bandwidthHz(), "%.1f") : "-");
    }
    y = std::max(yk, yr) + 8;
    responsePicture(p, d, s, y, kPageHeight - kMargin);

    cairo_show_page(cr);
    crGuard.reset();
    cairo_surface_finish(surface);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
        throw DesignError("the PDF could not be drawn");
    return bytes;
}

} // namespace korvan::designer
