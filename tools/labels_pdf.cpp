#include "labels_pdf.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

#include "pdf_page.h"
#include "progress.h"
#include "qr_code.h"

namespace zanfiro::tools {

namespace {

constexpr qreal kPointsPerMm = 72 / 25.4;
// A printer's dot at 300 dpi, in points.
constexpr qreal kDot = 72.0 / 300;
constexpr qreal kPadding = 3 * kPointsPerMm;
// The white border a reader needs around the code, in modules; the label's
// padding adds to it.
constexpr int kQuietZone = 2;

qreal onDotGrid(qreal points) { return std::round(points / kDot) * kDot; }

// The code's dark modules as rectangles, a row's neighbours joined, so that
// each module's size is a whole number of printer dots.
void drawQrCode(QPainter& painter, const QrCode& code, qreal left, qreal top, qreal side) {
    const int modules = code.size() + 2 * kQuietZone;
    const qreal module = std::max(1.0, std::floor(side / modules / kDot)) * kDot;
    const qreal x0 = onDotGrid(left) + kQuietZone * module, y0 = onDotGrid(top) + kQuietZone * module;
    for (int y = 0; y < code.size(); ++y)
        for (int x = 0; x < code.size();) {
            if (!code.dark(x, y)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < code.size() && code.dark(x, y)) ++x;
            painter.fillRect(QRectF(x0 + start * module, y0 + y * module, (x - start) * module, module), Qt::black);
        }
}

// The largest size up to `most` points at which the text fits `width`.
QFont fitted(PdfPages& pdf, const QString& text, qreal width, qreal most, bool bold) {
    QFont f = font(most, bold);
    const qreal needed = pdf.width(text, f);
    if (needed > width) f.setPointSizeF(std::max(6.0, most * width / needed));
    return f;
}

void drawLabel(PdfPages& pdf, const store::GearRecord& gear, qreal left, qreal top, qreal width, qreal height) {
    const std::string id = gear.ID.textOrEmpty();
    const qreal side = std::min(height - 2 * kPadding, width * 0.42);
    drawQrCode(pdf.painter(), QrCode(id), left + kPadding, top + (height - side) / 2, side);

    const qreal textLeft = left + kPadding + side + kPadding / 2, textWidth = left + width - kPadding - textLeft;
    const QString idText = qt(id);
    const QFont idFont = fitted(pdf, idText, textWidth, std::min<qreal>(28, height * 0.3), true);
    qreal y = top + kPadding + QFontMetricsF(idFont, pdf.painter().device()).ascent();
    pdf.text(textLeft, y, idText, idFont);
    const QString lines[] = {QStringLiteral("Denti %1").arg(qt(gear.D.textOrEmpty())),
                             QStringLiteral("Modulo %1").arg(qt(gear.M.textOrEmpty())),
                             qt(typeInWords(gear.T))};
    const qreal lineHeight = (top + height - kPadding - y) / std::size(lines);
    for (const QString& line : lines) {
        y += lineHeight;
        pdf.text(textLeft, y - 2, line, fitted(pdf, line, textWidth, std::min<qreal>(11, lineHeight * 0.8), false));
    }
}

}  // namespace

std::size_t writeLabelsPdf(const std::vector<store::GearRecord>& gears, const LabelLayout& layout,
                           const std::filesystem::path& file) {
    const std::size_t perPage = static_cast<std::size_t>(layout.columns * layout.rows);
    const std::size_t pages = std::max<std::size_t>(1, (gears.size() + perPage - 1) / perPage);
    PdfPages pdf(file, "Etichette ingranaggi");
    Progress progress("Page %1 of %2", pages);
    for (std::size_t i = 0; i < gears.size(); ++i) {
        const std::size_t onPage = i % perPage;
        if (onPage == 0) {
            progress.show(i / perPage + 1);
            if (i > 0) pdf.newPage();
        }
        const auto column = static_cast<qreal>(onPage % static_cast<std::size_t>(layout.columns));
        const auto row = static_cast<qreal>(onPage / static_cast<std::size_t>(layout.columns));
        drawLabel(pdf,
                  gears[i],
                  (layout.left + column * layout.columnStep) * kPointsPerMm,
                  (layout.top + row * layout.rowStep) * kPointsPerMm,
                  layout.width * kPointsPerMm,
                  layout.height * kPointsPerMm);
    }
    pdf.finish();
    return pages;
}

}  // namespace zanfiro::tools
