#include "measurement/gui/fixture_dialog.h"

#include "model/gui/event_guard.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvan::measurement::gui {

namespace {

using Kind = PortFixture::Kind;
const QString kTitle = QStringLiteral("Fixture");

QDoubleSpinBox* valueBox(QWidget* parent, const QString& name) {
    auto* s = new QDoubleSpinBox(parent);
    s->setObjectName(name);
    s->setDecimals(4);
    s->setRange(0, 1e6);
    s->setKeyboardTracking(false);
    s->setMinimumWidth(110);
    return s;
}

} // namespace

FixtureDialog::FixtureDialog(const Fixture& current, const std::optional<Fixture>& buildSheet,
                             QWidget* parent)
    : QDialog(parent) {
    setObjectName("FixtureDialog");
    setWindowTitle(kTitle);
    auto* top = new QVBoxLayout(this);
    auto* intro = new QLabel("What sits between each analyser port and the filter. It is taken "
                             "out of the measurement before it is laid over the design.",
                             this);
    intro->setWordWrap(true);
    top->addWidget(intro);
    auto* grid = new QGridLayout;
    int r = 0;
    for (PortRow* row : {&port1_, &port2_}) {
        const QString port = row == &port1_ ? "1" : "2";
        row->kind = new QComboBox(this);
        row->kind->setObjectName("FixturePort" + port);
        row->kind->addItem("none (the filter at the port)", int(Kind::Direct));
        row->kind->addItem("series pad", int(Kind::SeriesPad));
        row->kind->addItem("ideal transformer 1 : N", int(Kind::Transformer));
        row->kind->addItem("L-C low-pass (series L, shunt C)", int(Kind::LowPassMatch));
        row->kind->addItem("L-C high-pass (series C, shunt L)", int(Kind::HighPassMatch));
        row->a = valueBox(this, "FixturePort" + port + "A");
        row->b = valueBox(this, "FixturePort" + port + "B");
        row->aUnit = new QLabel(this);
        row->bUnit = new QLabel(this);
        grid->addWidget(new QLabel("Port " + port + ":", this), r, 0);
        grid->addWidget(row->kind, r, 1);
        grid->addWidget(row->a, r, 2);
        grid->addWidget(row->aUnit, r, 3);
        grid->addWidget(row->b, r, 4);
        grid->addWidget(row->bUnit, r, 5);
        ++r;
        connect(row->kind, &QComboBox::currentIndexChanged, this,
                korvan::gui::guardedSlot(this, kTitle, [this, row] { kindChanged(*row); }));
    }
    top->addLayout(grid);
    if (buildSheet) {
        auto* use = new QPushButton("Use the build sheet's matching networks", this);
        use->setObjectName("UseBuildSheetMatching");
        connect(use, &QPushButton::clicked, this,
                korvan::gui::guardedSlot(this, kTitle,
                                         [this, sheet = *buildSheet] { setFixture(sheet); }));
        top->addWidget(use);
    }
    problem_ = new QLabel(this);
    problem_->setObjectName("FixtureProblem");
    problem_->setStyleSheet("color: #a00000");
    problem_->setWordWrap(true);
    top->addWidget(problem_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    top->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this,
            korvan::gui::guardedSlot(this, kTitle, [this] { accepting(); }));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setFixture(current);
}

void FixtureDialog::kindChanged(PortRow& row) {
    const auto kind = static_cast<Kind>(row.kind->currentData().toInt());
    const bool two = kind == Kind::LowPassMatch || kind == Kind::HighPassMatch;
    row.a->setEnabled(kind != Kind::Direct);
    row.b->setVisible(two);
    row.bUnit->setVisible(two);
    switch (kind) {
    case Kind::Direct:
        row.aUnit->setText("");
        break;
    case Kind::SeriesPad:
        row.aUnit->setText("Ohm");
        break;
    case Kind::Transformer:
        row.aUnit->setText("N (turns ratio)");
        break;
    case Kind::LowPassMatch:
        row.aUnit->setText("uH");
        row.bUnit->setText("pF");
        break;
    case Kind::HighPassMatch:
        row.aUnit->setText("pF");
        row.bUnit->setText("uH");
        break;
    }
}

PortFixture FixtureDialog::portFixture(const PortRow& row) const {
    PortFixture p;
    p.kind = static_cast<Kind>(row.kind->currentData().toInt());
    switch (p.kind) {
    case Kind::Direct:
        break;
    case Kind::SeriesPad:
        p.padOhm = row.a->value();
        break;
    case Kind::Transformer:
        p.turnsRatio = row.a->value();
        break;
    case Kind::LowPassMatch:
        p.inductanceH = row.a->value() * 1e-6;
        p.capacitanceF = row.b->value() * 1e-12;
        break;
    case Kind::HighPassMatch:
        p.capacitanceF = row.a->value() * 1e-12;
        p.inductanceH = row.b->value() * 1e-6;
        break;
    }
    return p;
}

void FixtureDialog::setPort(PortRow& row, const PortFixture& p) {
    row.kind->setCurrentIndex(row.kind->findData(int(p.kind)));
    kindChanged(row);
    switch (p.kind) {
    case Kind::Direct:
        row.a->setValue(0);
        break;
    case Kind::SeriesPad:
        row.a->setValue(p.padOhm);
        break;
    case Kind::Transformer:
        row.a->setValue(p.turnsRatio);
        break;
    case Kind::LowPassMatch:
        row.a->setValue(p.inductanceH * 1e6);
        row.b->setValue(p.capacitanceF * 1e12);
        break;
    case Kind::HighPassMatch:
        row.a->setValue(p.capacitanceF * 1e12);
        row.b->setValue(p.inductanceH * 1e6);
        break;
    }
}

Fixture FixtureDialog::fixture() const {
    return {portFixture(port1_), portFixture(port2_)};
}

void FixtureDialog::setFixture(const Fixture& fixture) {
    setPort(port1_, fixture.port1);
    setPort(port2_, fixture.port2);
}

void FixtureDialog::accepting() {
    if (const auto problem = fixtureProblem(fixture())) {
        problem_->setText(QString::fromStdString(*problem) + ".");
        return;
    }
    accept();
}

} // namespace korvan::measurement::gui
