#include "tools/gui/tool_widgets.h"

namespace korvan::tools::gui {

QColor rgb(int r, int g, int b) {
    return QColor(r, g, b);
}

void setTextColour(QWidget* w, const QColor& colour) {
    QPalette pal = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            pal.setColor(group, role, colour);
    w->setPalette(pal);
}

void setBackground(QWidget* w, const QColor& colour) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, colour);
    pal.setColor(QPalette::Base, colour);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void setBold(QWidget* w, bool underline) {
    QFont f = w->font();
    f.setBold(true);
    f.setUnderline(underline);
    w->setFont(f);
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QRect r,
                  Qt::Alignment align) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(r);
    l->setAlignment(align);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QLabel* makeText(QWidget* parent, const char* name, const QString& text, QRect r,
                 Qt::Alignment align) {
    QLabel* l = makeLabel(parent, name, text, r, align);
    l->setWordWrap(true);
    return l;
}

QLabel* makeResult(QWidget* parent, const char* name, QRect r, const QColor& colour) {
    QLabel* l = makeLabel(parent, name, QString(), r, Qt::AlignCenter);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setBackground(l, Qt::white);
    setTextColour(l, colour);
    setBold(l);
    return l;
}

korvan::widgets::TAEdit* makeEntry(QWidget* parent, const char* name, char separator, QRect r) {
    auto* e = new korvan::widgets::TAEdit(separator, parent);
    e->setObjectName(name);
    e->setGeometry(r);
    setBold(e);
    return e;
}

QFrame* makePanel(QWidget* parent, const char* name, QRect r, const QColor& background) {
    auto* p = new QFrame(parent);
    p->setObjectName(name);
    p->setGeometry(r);
    p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    p->setLineWidth(1);
    setBackground(p, background);
    return p;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, QRect r) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(r);
    setBold(b);
    return b;
}

} // namespace korvan::tools::gui
