#include "labels_pdf.h"

#include <QFontMetricsF>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <future>
#include <vector>

#include "pdf_page.h"
#include "progress.h"
#include "qr_code.h"

namespace zanfiro::tools {

namespace {

// The labels are drawn in the dots of a 300 dpi printer, so that the QR
// code's modules, whole numbers of them, fall on its dots; and the PDF
// writes the rectangles in short whole numbers.
constexpr int kDotsPerInch = 300;
constexpr qreal kDotsPerMm = kDotsPerInch / 25.4, kDotsPerPoint = kDotsPerInch / 72.0;
constexpr qreal kPadding = 3 * kDotsPerMm;
// The white border a reader needs around the code, in modules; the label's
// padding adds to it.
constexpr int kQuietZone = 2;

// The code's dark modules as rectangles, each module a whole number of
// dots: a row's neighbours joined, and a run joined with the same run in the
// rows below it. Each rectangle is a fill of its own: renderers fit a lone
// rectangle to the printer's dots, where one path of many leaves grey seams
// along its edges (A4 is no whole number of dots high, so the page's origin
// falls between two of them).
void drawQrCode(QPainter& painter, const QrCode& code, int left, int top, int module) {
    std::vector<QRect> dark;
    std::vector<std::size_t> above;  // the rectangles that reach the row above, by their index
    for (int y = 0; y < code.size(); ++y) {
        std::vector<std::size_t> here;
        for (int x = 0; x < code.size();) {
            if (!code.dark(x, y)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < code.size() && code.dark(x, y)) ++x;
            const auto same = std::ranges::find_if(
                above, [&](std::size_t r) { return dark[r].left() == start && dark[r].width() == x - start; });
            if (same == above.end()) {
                here.push_back(dark.size());
                dark.emplace_back(start, y, x - start, 1);
            } else {
                here.push_back(*same);
                dark[*same].setHeight(dark[*same].height() + 1);
            }
        }
        above = std::move(here);
    }
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (const QRect& r : dark)
        painter.drawRect(QRect(left + (kQuietZone + r.x()) * module,
                               top + (kQuietZone + r.y()) * module,
                               r.width() * module,
                               r.height() * module));
    painter.restore();
}

// A font at its largest size, shrunk for a text that would not fit. The
// widths of texts that come again ("Modulo 48", "Corona") are kept.
class FittedFont {
public:
    FittedFont(PdfPages& pdf, qreal points, bool bold)
        : font_(font(points, bold)), metrics_(font_, pdf.painter().device()), points_(points) {}

    QFont fitting(const QString& text, qreal width) {
        auto known = widths_.find(text);
        if (known == widths_.end()) known = widths_.insert(text, metrics_.horizontalAdvance(text));
        if (*known <= width) return font_;
        QFont smaller = font_;
        smaller.setPointSizeF(std::max(6.0, points_ * width / *known));
        return smaller;
    }
    qreal ascent() const { return metrics_.ascent(); }

private:
    QFont font_;
    QFontMetricsF metrics_;
    qreal points_;
    QHash<QString, qreal> widths_;
};

// The labels of one layout: the code on the left, as large as the label's
// height allows, the ID and three lines of words beside it.
class LabelDrawing {
public:
    LabelDrawing(PdfPages& pdf, const LabelLayout& layout)
        : pdf_(pdf),
          width_(layout.width * kDotsPerMm),
          height_(layout.height * kDotsPerMm),
          side_(std::min(height_ - 2 * kPadding, width_ * 0.42)),
          textWidth_(width_ - 2.5 * kPadding - side_),
          idFont_(pdf, std::min<qreal>(28, height_ / kDotsPerPoint * 0.3), true),
          lineHeight_((height_ - 2 * kPadding - idFont_.ascent()) / 3),
          lineFont_(pdf, std::min<qreal>(11, lineHeight_ / kDotsPerPoint * 0.8), false) {}

    void draw(const store::GearRecord& gear, const QrCode& code, qreal left, qreal top) {
        const std::string id = gear.ID.textOrEmpty();
        // The largest module of whole printer dots at which the code and its
        // quiet zone fit the side.
        const int module = std::max(1, static_cast<int>(side_ / (code.size() + 2 * kQuietZone)));
        drawQrCode(pdf_.painter(),
                   code,
                   static_cast<int>(std::lround(left + kPadding)),
                   static_cast<int>(std::lround(top + (height_ - side_) / 2)),
                   module);

        const qreal textLeft = left + 1.5 * kPadding + side_;
        qreal y = top + kPadding + idFont_.ascent();
        const QString idText = qt(id);
        pdf_.text(textLeft, y, idText, idFont_.fitting(idText, textWidth_));
        const QString lines[] = {QStringLiteral("Denti %1").arg(qt(gear.D.textOrEmpty())),
                                 QStringLiteral("Modulo %1").arg(qt(gear.M.textOrEmpty())),
                                 qt(typeInWords(gear.T))};
        for (const QString& line : lines) {
            y += lineHeight_;
            pdf_.text(textLeft, y - 2 * kDotsPerPoint, line, lineFont_.fitting(line, textWidth_));
        }
    }

private:
    PdfPages& pdf_;
    qreal width_, height_, side_, textWidth_;
    FittedFont idFont_;
    qreal lineHeight_;
    FittedFont lineFont_;
};

// The QR codes of the gears from `first` on, as many as a few sheets hold,
// made on another core while the sheets before them are drawn (making a
// code costs about as much as drawing its label).
std::future<std::vector<QrCode>> qrCodes(const std::vector<store::GearRecord>& gears, std::size_t first,
                                         std::size_t count) {
    return std::async(std::launch::async, [&gears, first, count] {
        std::vector<QrCode> codes;
        for (std::size_t i = first; i < std::min(first + count, gears.size()); ++i)
            codes.emplace_back(gears[i].ID.textOrEmpty());
        return codes;
    });
}

}  // namespace

std::size_t writeLabelsPdf(const std::vector<store::GearRecord>& gears, const LabelLayout& layout,
                           const std::filesystem::path& file) {
    const std::size_t perPage = static_cast<std::size_t>(layout.columns * layout.rows);
    const std::size_t pages = std::max<std::size_t>(1, (gears.size() + perPage - 1) / perPage);
    PdfPages pdf(file, "Etichette ingranaggi", kDotsPerInch);
    LabelDrawing labels(pdf, layout);
    Progress progress("Page %1 of %2", pages);
    const std::size_t batch = 10 * perPage;
    std::vector<QrCode> codes;
    auto next = qrCodes(gears, 0, batch);
    for (std::size_t i = 0; i < gears.size(); ++i) {
        if (i % batch == 0) {
            codes = next.get();
            if (i + batch < gears.size()) next = qrCodes(gears, i + batch, batch);
        }
        const std::size_t onPage = i % perPage;
        if (onPage == 0) {
            progress.show(i / perPage + 1);
            if (i > 0) pdf.newPage();
        }
        const auto column = static_cast<qreal>(onPage % static_cast<std::size_t>(layout.columns));
        const auto row = static_cast<qreal>(onPage / static_cast<std::size_t>(layout.columns));
        labels.draw(gears[i],
                    codes[i % batch],
                    (layout.left + column * layout.columnStep) * kDotsPerMm,
                    (layout.top + row * layout.rowStep) * kDotsPerMm);
    }
    pdf.finish();
    return pages;
}

}  // namespace zanfiro::tools
