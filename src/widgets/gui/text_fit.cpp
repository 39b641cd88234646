#include "widgets/gui/text_fit.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOption>
#include <QVariant>

#include <algorithm>

namespace korvan::widgets {

namespace {

constexpr const char* kOwnFont = "korvanOwnFont";

// The blanks on the side a text may overflow harmlessly do not count: a
// left-aligned label may lose its trailing blanks, a right-aligned one its
// leading ones.
int width(const QFontMetrics& fm, QString text, Qt::Alignment align) {
    if (align & Qt::AlignRight)
        while (text.startsWith(' ')) text.remove(0, 1);
    else if (!(align & Qt::AlignHCenter))
        while (text.endsWith(' ')) text.chop(1);
    return fm.horizontalAdvance(text);
}

int overflowWith(const QWidget* w, const QFont& font) {
    const QFontMetrics fm(font);
    if (const auto* l = qobject_cast<const QLabel*>(w)) {
        if (l->wordWrap() || l->text().isEmpty() || l->textFormat() == Qt::RichText ||
            (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(l->text())))
            return 0;
        const int room = l->contentsRect().width() - 2 * l->margin() - std::max(0, l->indent());
        int need = 0;
        for (const QString& line : l->text().split('\n'))
            need = std::max(need, width(fm, line, l->alignment()));
        return std::max(0, need - room);
    }
    if (const auto* e = qobject_cast<const QLineEdit*>(w)) {
        if (e->text().isEmpty() || e->echoMode() != QLineEdit::Normal) return 0;
        QStyleOptionFrame opt;
        opt.initFrom(e);
        opt.rect = e->rect();
        opt.lineWidth = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
        const QRect r = e->style()
                            ->subElementRect(QStyle::SE_LineEditContents, &opt, e)
                            .marginsRemoved(e->textMargins());
        // QLineEdit keeps 2 px free on either side of its text, and shows
        // the end of a text that does not fit: the first digits go.
        return std::max(0, fm.horizontalAdvance(e->text()) - (r.width() - 4));
    }
    return 0;
}

bool smaller(QFont& font, const QFont& own) {
    if (own.pixelSize() > 0) {
        const int floor = std::max(6, own.pixelSize() / 2);
        if (font.pixelSize() <= floor) return false;
        font.setPixelSize(font.pixelSize() - 1);
        return true;
    }
    const double floor = std::max(4.5, own.pointSizeF() / 2);
    if (font.pointSizeF() <= floor) return false;
    font.setPointSizeF(font.pointSizeF() - 0.5);
    return true;
}

} // namespace

int textOverflowPx(const QWidget* control) {
    return overflowWith(control, control->font());
}

void fitTextToBox(QWidget* w) {
    if (!qobject_cast<QLabel*>(w) && !qobject_cast<QLineEdit*>(w)) return;
    const QVariant stored = w->property(kOwnFont);
    const QFont own = stored.isValid() ? stored.value<QFont>() : w->font();
    if (overflowWith(w, own) == 0) {
        if (stored.isValid()) {
            w->setFont(own);
            w->setProperty(kOwnFont, QVariant());
        }
        return;
    }
    if (!stored.isValid()) w->setProperty(kOwnFont, own);
    QFont font = own;
    while (overflowWith(w, font) > 0 && smaller(font, own)) {
    }
    w->setFont(font);
}

} // namespace korvan::widgets
