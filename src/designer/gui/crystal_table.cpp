#include "designer/gui/crystal_table.h"

#include "designer/crystal_reactance.h"
#include "designer/fixed_text.h"
#include "numeric/number_text.h"

#include <QHeaderView>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvan::designer::gui {

namespace {

// What each numeric column holds, in the unit shown, and its decimals.
struct ColumnUnit {
    const char* caption;
    const char* quantity;
    double scale; // shown = SI * scale
    int decimals;
};
constexpr ColumnUnit kUnits[] = {{"Crystal", "", 1, 0},      {"fs [Hz]", "fs", 1, 1},
                                 {"Lm [mH]", "Lm", 1e3, 5},  {"Rm [Ohm]", "Rm", 1, 2},
                                 {"Cp [pF]", "Cp", 1e12, 3}, {"Qu", "", 1, 0}};

const QColor kBadCell(255, 205, 205);

} // namespace

CrystalTable::CrystalTable(char separator, QWidget* parent)
    : QTableWidget(0, ColumnCount, parent), separator_(separator) {
    setObjectName("CrystalTable");
    QStringList headers;
    for (const auto& u : kUnits) headers << u.caption;
    setHorizontalHeaderLabels(headers);
    horizontalHeaderItem(Qu)->setToolTip("Unloaded Q at fs: 2 pi fs Lm / Rm (computed)");
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    verticalHeader()->setDefaultSectionSize(20);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(true);
    connect(this, &QTableWidget::cellChanged, this, &CrystalTable::cellEdited);
    fitColumns();
}

void CrystalTable::fitColumns() {
    // Every column in view beside the design inputs; long names are cut
    // (their tool tip holds them whole).
    constexpr int kWidths[] = {110, 84, 72, 64, 54};
    resizeColumnsToContents();
    for (int col = Name; col <= Cp; ++col)
        setColumnWidth(col, col == Name ? std::min(std::max(columnWidth(col), 70), 140)
                                        : std::max(columnWidth(col), kWidths[col]));
}

QString CrystalTable::number(double value, int decimals) const {
    return QString::fromStdString(fixedText(value, decimals, separator_));
}

void CrystalTable::setRow(int row, const NamedCrystal& c) {
    const bool wasFilling = filling_;
    filling_ = true;
    auto* name = new QTableWidgetItem(QString::fromStdString(c.name));
    name->setToolTip(QString::fromStdString(c.name));
    setItem(row, Name, name);
    const double values[] = {0, seriesResonanceHz(c.model), c.model.lmH, c.model.rmOhm,
                             c.model.cpF};
    for (int col = Fs; col <= Cp; ++col) {
        auto* item =
            new QTableWidgetItem(number(values[col] * kUnits[col].scale, kUnits[col].decimals));
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setItem(row, col, item);
    }
    auto* qu = new QTableWidgetItem;
    qu->setFlags(qu->flags() & ~Qt::ItemIsEditable);
    qu->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setItem(row, Qu, qu);
    refreshRow(row);
    filling_ = wasFilling;
}

void CrystalTable::setCrystals(const std::vector<NamedCrystal>& crystals) {
    filling_ = true;
    setRowCount(0);
    setRowCount(static_cast<int>(crystals.size()));
    for (std::size_t i = 0; i < crystals.size(); ++i) setRow(static_cast<int>(i), crystals[i]);
    filling_ = false;
    fitColumns();
    emit crystalsEdited();
}

std::optional<double> CrystalTable::cellValue(int row, int column) const {
    const QTableWidgetItem* it = item(row, column);
    if (!it) return std::nullopt;
    // Either '.' or the user's separator, as the entry fields accept.
    std::string text = it->text().trimmed().toStdString();
    for (char& ch : text)
        if (ch == '.' || ch == ',') ch = separator_;
    const auto value = numeric::parseNumber(text, separator_);
    if (!value || !std::isfinite(static_cast<double>(*value))) return std::nullopt;
    return static_cast<double>(*value) / kUnits[column].scale;
}

void CrystalTable::cellEdited(int row, int /*column*/) {
    if (filling_) return;
    filling_ = true;
    refreshRow(row);
    filling_ = false;
    emit crystalsEdited();
}

void CrystalTable::refreshRow(int row) {
    for (int col = Fs; col <= Cp; ++col)
        if (auto* it = item(row, col))
            it->setBackground(cellValue(row, col) ? QBrush() : QBrush(kBadCell));
    const auto fs = cellValue(row, Fs), lm = cellValue(row, Lm), rm = cellValue(row, Rm);
    if (auto* qu = item(row, Qu)) {
        const bool known = fs && lm && rm && *rm > 0 && *fs > 0 && *lm > 0;
        qu->setText(known ? number(2 * std::numbers::pi * *fs * *lm / *rm, 0) : QString());
    }
}

std::vector<NamedCrystal> CrystalTable::crystals(std::vector<std::string>& problems) const {
    std::vector<NamedCrystal> out;
    for (int row = 0; row < rowCount(); ++row) {
        const std::string where = "row " + std::to_string(row + 1) + ": ";
        NamedCrystal c;
        const QTableWidgetItem* name = item(row, Name);
        c.name = name ? name->text().trimmed().toStdString() : std::string();
        if (c.name.empty()) c.name = std::to_string(row + 1);
        bool readable = true;
        for (int col = Fs; col <= Cp; ++col) {
            if (cellValue(row, col)) continue;
            const QTableWidgetItem* it = item(row, col);
            problems.push_back(where + kUnits[col].quantity + " '" +
                               (it ? it->text().toStdString() : std::string()) +
                               "' is not a number");
            readable = false;
        }
        if (!readable) continue;
        const double fs = *cellValue(row, Fs);
        if (!(fs > 0)) {
            problems.push_back(where + "fs must be above 0 Hz");
            continue;
        }
        const double w = 2 * std::numbers::pi * fs;
        c.model.lmH = *cellValue(row, Lm);
        c.model.cmF = 1 / (w * w * c.model.lmH);
        c.model.rmOhm = *cellValue(row, Rm);
        c.model.cpF = *cellValue(row, Cp);
        if (const auto problem = crystalProblem(c)) {
            problems.push_back(where + *problem);
            continue;
        }
        out.push_back(std::move(c));
    }
    return out;
}

void CrystalTable::addCrystal() {
    const int row = rowCount();
    NamedCrystal c{"new " + std::to_string(row + 1), {}};
    std::vector<std::string> ignored;
    const auto present = crystals(ignored);
    if (!present.empty()) {
        c.model = present.back().model;
    } else {
        // The main window's default crystal.
        const double w = 2 * std::numbers::pi * 4998e3;
        c.model = {0.062, 1 / (w * w * 0.062), 20, 4e-12};
    }
    insertRow(row);
    setRow(row, c);
    setCurrentCell(row, Name);
    fitColumns();
    emit crystalsEdited();
}

bool CrystalTable::removeSelected() {
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows << index.row();
    if (rows.isEmpty()) return false;
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (int row : rows) removeRow(row);
    emit crystalsEdited();
    return true;
}

} // namespace korvan::designer::gui
