// Turns a help text (Markdown) into a PDF. The pictures of the main window
// that the text refers to are rendered here, offscreen, from the program
// itself, so they always show the window as it is built.
//
//   korvan-helppdf INPUT.md OUTPUT.pdf TITLE

#include "analysis/gui/response_window.h"
#include "analysis/gui/tolerance_window.h"
#include "app/gui/main_window.h"
#include "designer/gui/ladder_designer_window.h"
#include "measurement/crystal_fit.h"
#include "measurement/gui/vna_window.h"
#include "model/clipboard.h"
#include "model/messages.h"
#include "prototype/gui/prototype_window.h"
#include "response/gui/plot_view.h"
#include "tools/gui/tool_windows.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QDoubleSpinBox>
#include <QEventLoop>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextStream>
#include <QTextTable>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <complex>
#include <cstdio>
#include <map>
#include <numbers>
#include <vector>

namespace {

// Largest picture on an A4 page, in document units.
constexpr qreal kMaxPictureWidth = 600;
constexpr qreal kMaxPictureHeight = 420;

QImage renderWindow(QWidget* w) {
    QImage image(w->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    w->render(&image);
    return image;
}

void moveMouse(QWidget* w, QPoint pos) {
    QMouseEvent move(QEvent::MouseMove, QPointF(pos), QPointF(w->mapToGlobal(pos)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &move);
}

// Six crystals near 4998 kHz swept as a VNA would (RI, 50 Ohm, 401 points
// over +-10 loaded bandwidths), fitted in the VNA window in sets of three.
QImage vnaPicture(korvan::MainForm& form, korvan::gui::MainWindow& window, const QString& folder) {
    const double offsetsHz[] = {0, 31, -22, 64, 12, 47};
    const double rmOhm[] = {20, 23, 18, 26, 21, 19};
    QStringList files;
    for (int i = 0; i < 6; ++i) {
        korvan::measurement::CrystalParameters xtal;
        xtal.Lm_H = 0.062;
        xtal.Rm_Ohm = rmOhm[i];
        xtal.Cp_F = 4e-12;
        const double fs = 4998000 + offsetsHz[i];
        xtal.Cm_F = 1 / (std::pow(2 * std::numbers::pi * fs, 2) * xtal.Lm_H);
        const double b = (100 + xtal.Rm_Ohm) / (2 * std::numbers::pi * xtal.Lm_H);
        const QString path = QStringLiteral("%1/xtal%2.s2p").arg(folder).arg(i + 1);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) continue;
        QTextStream out(&file);
        out << "! crystal " << i + 1 << "\n# Hz S RI R 50\n";
        for (int k = 0; k < 401; ++k) {
            const double f = fs - 10 * b + 20 * b * k / 400;
            const std::complex<double> s21 = korvan::measurement::seriesThroughS21(xtal, f, 50);
            const std::complex<double> s11 = 1.0 - s21;
            out << QString::asprintf("%.3f %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g\n", f,
                                     s11.real(), s11.imag(), s21.real(), s21.imag(), s21.real(),
                                     s21.imag(), s11.real(), s11.imag());
        }
        files << path;
    }
    korvan::gui::VnaWindow vna(form.separator(),
                               [&window](const auto& c) { window.useCrystal(c); });
    vna.resize(1000, 640);
    vna.show();
    vna.openFiles(files);
    vna.findChild<QSpinBox*>(QStringLiteral("SetsOfN"))->setValue(3);
    vna.findChild<QTableWidget*>(QStringLiteral("CrystalTable"))->selectRow(0);
    QCoreApplication::processEvents();
    return renderWindow(&vna);
}

// The ladder designer with eight measured crystals near 4998 kHz, six of
// them chosen and placed for a Chebyshev 0.1 dB filter of 2.4 kHz; the
// design is waited for, but never longer than a minute.
QImage ladderDesignerPicture(korvan::MessageSink& messages) {
    const double offsetsHz[] = {0, 31, -22, 64, 12, 47, 95, -40};
    const double rmOhm[] = {20, 23, 18, 26, 21, 19, 22, 24};
    std::vector<korvan::designer::NamedCrystal> crystals;
    for (int i = 0; i < 8; ++i) {
        const double fs = 4998000 + offsetsHz[i];
        const double w = 2 * std::numbers::pi * fs;
        crystals.push_back({QStringLiteral("xtal%1.s2p").arg(i + 1).toStdString(),
                            {0.062, 1 / (w * w * 0.062), rmOhm[i], 4e-12}});
    }
    korvan::designer::gui::LadderDesignerWindow designer('.', messages, {});
    designer.resize(1320, 860);
    designer.takeCrystals(crystals, QStringLiteral("the VNA window's selection"));
    designer.findChild<QSpinBox*>(QStringLiteral("PolesSpin"))->setValue(6);
    QEventLoop wait;
    QObject::connect(&designer, &korvan::designer::gui::LadderDesignerWindow::designFinished, &wait,
                     &QEventLoop::quit);
    QTimer::singleShot(60000, &wait, &QEventLoop::quit);
    designer.designClicked();
    if (designer.running()) wait.exec();
    QCoreApplication::processEvents();
    return renderWindow(&designer);
}

// The default design with both extra traces on and the cursor near the
// pass band's lower edge; then the plot alone in the 1 dB/div scale, and
// the crystal-measurement windows.
std::map<QString, QImage> windowPictures() {
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    korvan::ScriptedMessages messages; // the start-up box is answered silently
    korvan::RecordingClipboard clipboard;
    korvan::MainForm form(messages, clipboard, work.path().toStdString(), '.');
    korvan::gui::MainWindow window(form, messages);
    window.startUp();
    for (const char* box : {"CheckBox1", "CheckBox2"}) window.findChild<QCheckBox*>(box)->click();
    std::map<QString, QImage> pictures;
    moveMouse(window.plot(), QPoint(200, 250));
    pictures["main-window.png"] = renderWindow(&window);
    window.findChild<QToolButton*>("SpeedButton3")->click();
    moveMouse(window.plot(), QPoint(251, 100));
    pictures["plot-1db.png"] = renderWindow(window.findChild<QWidget*>("Panel3"));
    // The two crystal-measurement windows, calculated from their starting values.
    korvan::tools::gui::ToolWindows tools(&window, form.form(), '.');
    for (const auto& [name, picture] :
         {std::pair{"TForm4", "xtal3db-window.png"}, std::pair{"TForm6", "g3uur-window.png"}}) {
        QDialog* tool = tools.window(QString::fromLatin1(name));
        tool->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        pictures[QString::fromLatin1(picture)] = renderWindow(tool);
    }
    // The response window of the same design, laid out as on screen.
    korvan::analysis::gui::ResponseWindow response(form.outcomes(), messages);
    response.resize(900, 640);
    response.show();
    response.designChanged();
    QCoreApplication::processEvents();
    pictures["response-window.png"] = renderWindow(&response);
    // The tolerance window after a run with its starting spreads; the run is
    // waited for, but never longer than a minute.
    korvan::gui::ToleranceWindow tolerance(form.outcomes(), form.separator());
    tolerance.open();
    QEventLoop wait;
    QObject::connect(&tolerance, &korvan::gui::ToleranceWindow::runFinished, &wait,
                     &QEventLoop::quit);
    QTimer::singleShot(60000, &wait, &QEventLoop::quit);
    tolerance.runClicked();
    if (tolerance.running()) wait.exec();
    QCoreApplication::processEvents();
    pictures["tolerance-window.png"] = renderWindow(&tolerance);
    pictures["vna-window.png"] = vnaPicture(form, window, work.path());
    // A predistorted Bessel prototype of six poles for resonators of qo 12.
    korvan::prototype::gui::PrototypeWindow prototype('.');
    auto* family = prototype.findChild<QComboBox*>("FamilyBox");
    family->setCurrentIndex(family->findData("bessel"));
    prototype.findChild<QSpinBox*>("PolesBox")->setValue(6);
    prototype.findChild<QCheckBox*>("LossyBox")->setChecked(true);
    prototype.findChild<QDoubleSpinBox*>("QoBox")->setValue(12);
    pictures["prototype-window.png"] = renderWindow(&prototype);
    pictures["ladder-designer-window.png"] = ladderDesignerPicture(messages);
    QDir::setCurrent(QDir::tempPath());
    return pictures;
}

bool isCodeBlock(const QTextBlock& b) {
    const QTextBlockFormat f = b.blockFormat();
    return f.nonBreakableLines() || f.hasProperty(QTextFormat::BlockCodeFence) ||
           f.hasProperty(QTextFormat::BlockCodeLanguage);
}

// Code is read and typed as it stands, so it never breaks inside: code
// blocks keep their lines, and inline code gets no-break spaces and word
// joiners after its hyphens, bars and slashes ("--sets 4" stays on one
// line, and so do "--limit-ripple" and "normal|uniform").
void keepCodeWhole(QTextDocument& doc) {
    struct Change {
        int position, length;
        QString text;
        QTextCharFormat format;
    };
    std::vector<Change> changes;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (isCodeBlock(b)) {
            QTextCursor c(b);
            QTextBlockFormat f = b.blockFormat();
            f.setNonBreakableLines(true);
            c.setBlockFormat(f);
            continue;
        }
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!format.fontFixedPitch() &&
                !format.fontFamilies().toStringList().join(' ').contains("Mono"))
                continue;
            // A list in one span ("--bw KHZ, --ripple DB") may still break
            // after its commas.
            const QString original = fragment.text();
            QString text;
            for (int i = 0; i < original.size(); ++i) {
                const QChar c = original[i];
                const bool afterComma = i > 0 && original[i - 1] == ',';
                text += c == ' ' && !afterComma ? QChar(0x00A0) : c;
                if (c == '-' || c == '|' || c == '/') text += QChar(0x2060);
            }
            if (text != original)
                changes.push_back({fragment.position(), fragment.length(), text, format});
        }
    }
    // From the end, so that earlier positions stay valid.
    for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
        QTextCursor c(&doc);
        c.setPosition(it->position);
        c.setPosition(it->position + it->length, QTextCursor::KeepAnchor);
        c.insertText(it->text, it->format);
    }
}

// Each chapter (level-1 heading) after the first starts a new page; pictures
// are scaled to the text width.
void layOut(QTextDocument& doc, const std::map<QString, QImage>& pictures) {
    struct Change {
        int position, length;
        QTextImageFormat format;
    };
    std::vector<Change> images;
    std::vector<QTextBlock> chapters;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b.blockFormat().headingLevel() == 1) chapters.push_back(b);
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            const auto found = pictures.find(image.name());
            if (found == pictures.end()) continue;
            const QSizeF size = found->second.size();
            const qreal scale =
                std::min({1.0, kMaxPictureWidth / size.width(), kMaxPictureHeight / size.height()});
            image.setWidth(size.width() * scale);
            image.setHeight(size.height() * scale);
            images.push_back({fragment.position(), fragment.length(), image});
        }
    }
    for (const Change& change : images) {
        QTextCursor c(&doc);
        c.setPosition(change.position);
        c.setPosition(change.position + change.length, QTextCursor::KeepAnchor);
        c.setCharFormat(change.format);
    }
    // Single thin cell lines and a shaded header row.
    for (QTextFrame* frame : doc.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table) continue;
        QTextTableFormat f = table->format();
        f.setBorderCollapse(true);
        f.setBorder(1);
        f.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        f.setBorderBrush(QColor(110, 110, 110));
        f.setCellSpacing(0);
        f.setCellPadding(3);
        f.setHeaderRowCount(1);
        table->setFormat(f);
        for (int column = 0; column < table->columns(); ++column) {
            QTextTableCell cell = table->cellAt(0, column);
            QTextCharFormat header = cell.format();
            header.setBackground(QColor(225, 232, 240));
            cell.setFormat(header);
        }
    }
    for (std::size_t i = 1; i < chapters.size(); ++i) {
        QTextCursor c(chapters[i]);
        QTextBlockFormat f = chapters[i].blockFormat();
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        c.setBlockFormat(f);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform warns about every fixed-size window it shows and
    // every window raised.
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (!message.contains("propagateSizeHints") && !message.contains("support raise()"))
                previous(type, context, message);
        });
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: korvan-helppdf INPUT.md OUTPUT.pdf TITLE\n");
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    QApplication::setFont(font);

    QFile source(input);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "korvan-helppdf: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString markdown = QString::fromUtf8(source.readAll());
    const std::map<QString, QImage> pictures = windowPictures();

    QTextDocument doc;
    QFont text(QStringLiteral("DejaVu Serif"));
    text.setPointSizeF(10);
    doc.setDefaultFont(text);
    doc.setDefaultStyleSheet("code { font-family: 'DejaVu Sans Mono'; }");
    doc.setMarkdown(markdown);
    for (const auto& [name, image] : pictures)
        doc.addResource(QTextDocument::ImageResource, QUrl(name), image);
    layOut(doc, pictures);
    keepCodeWhole(doc);

    const QString partial = output + ".part";
    {
        QPdfWriter writer(partial);
        writer.setPageSize(QPageSize(QPageSize::A4));
        // The document adds margins of 2 cm of its own when it prints.
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        writer.setTitle(QString::fromLocal8Bit(argv[3]));
        writer.setCreator(QStringLiteral("KORVAN"));
        doc.print(&writer);
    }
    // Renamed only when complete, so a failed run leaves no half document.
    QFile::remove(output);
    if (!QFile::rename(partial, output)) {
        std::fprintf(stderr, "korvan-helppdf: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
