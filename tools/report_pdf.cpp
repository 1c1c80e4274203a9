// The sheets of gears drawn by QtGui's PDF writer, as tools/report and the
// sheets built like it work them out.
#include "report_pdf.h"

#include <algorithm>

#include "pdf_page.h"
#include "progress.h"

namespace zanfiro::tools {

namespace {

// Points on an A4 page of 595 x 842.
constexpr qreal kLeft = 56, kRight = 539, kHeaderTop = 48, kRuleAt = 70, kBodyTop = 96, kBodyHeight = 700;

// Where the columns go: ID and teeth end at fixed places (numbers are
// right-aligned); in the section of the other gears the module and the type
// start after them; the sheet's own columns follow, each ending a step
// further; the mark starts after the last.
constexpr qreal kIdEnd = 110, kTeethEnd = 180, kModuleAt = 195, kTypeAt = 265, kColumnStep = 65, kMarkGap = 25,
                kMarkWidth = 60, kBoxWidth = 55;

struct Layout {
    bool others;
    qreal firstColumnEnd;  // where the sheet's first column ends
    qreal lineEnd;         // where the rules end
};

Layout layoutOf(const GearSheet& sheet, const ReportSection* section) {
    const bool others = section && section->others;
    const qreal first = others ? 340 : 250;
    const qreal last = first + kColumnStep * static_cast<qreal>(std::max<std::size_t>(sheet.columns.size(), 1) - 1);
    return {.others = others, .firstColumnEnd = first, .lineEnd = last + (sheet.mark ? kMarkGap + kMarkWidth : 10)};
}

class SheetDrawing {
public:
    SheetDrawing(PdfPages& pdf, const GearSheet& sheet) : pdf_(pdf), painter_(pdf.painter()), sheet_(sheet) {}

    void header(std::size_t page, std::size_t pages) {
        pdf_.text(kLeft, kHeaderTop, qt(sheet_.title), font(12, true));
        pdf_.rightAligned(kRight, kHeaderTop, QStringLiteral("Pagina %1 di %2").arg(page).arg(pages), font(10));
        pdf_.text(kLeft, kHeaderTop + 15, qt("Stampato il " + sheet_.date), font(9));
        painter_.drawLine(QPointF(kLeft, kRuleAt), QPointF(kRight, kRuleAt));
    }

    void line(const ReportLine& line, qreal y) {
        const Layout l = layoutOf(sheet_, line.section);
        switch (line.kind) {
        case LineKind::Gap: break;
        case LineKind::NoGears: pdf_.text(kLeft, y, QStringLiteral("Nessun ingranaggio."), font(10)); break;
        case LineKind::Heading: pdf_.text(kLeft, y, qt(headingText(line)), font(11, true)); break;
        case LineKind::ColumnHeads: {
            const QFont f = font(9, true);
            pdf_.rightAligned(kIdEnd, y, QStringLiteral("ID"), f);
            pdf_.rightAligned(kTeethEnd, y, QStringLiteral("Denti"), f);
            if (l.others) {
                pdf_.text(kModuleAt, y, QStringLiteral("Modulo"), f);
                pdf_.text(kTypeAt, y, QStringLiteral("Tipo"), f);
            }
            for (std::size_t i = 0; i < sheet_.columns.size(); ++i)
                pdf_.rightAligned(columnEnd(l, i), y, qt(sheet_.columns[i].heading), f);
            painter_.drawLine(QPointF(kLeft, y + 3), QPointF(l.lineEnd, y + 3));
            break;
        }
        case LineKind::Gear: gear(*line.gear, l, y); break;
        case LineKind::Total:
            painter_.drawLine(QPointF(kLeft, y - 11), QPointF(l.lineEnd, y - 11));
            pdf_.text(kLeft, y, qt(sheet_.total(*line.section)), font(10, true));
            break;
        }
    }

    // The chart of pieces by section, then the table of what each holds.
    void summary() {
        const auto& rows = sheet_.summary;
        qreal y = kBodyTop;
        pdf_.text(kLeft, y, QStringLiteral("Pezzi per tipo e modulo"), font(11, true));
        const std::int64_t most = std::ranges::max(rows, {}, &SectionSummary::pieces).pieces;
        const QFont f = font(9);
        qreal barAt = 0;
        for (const SectionSummary& row : rows) barAt = std::max(barAt, kLeft + pdf_.width(qt(row.heading), f) + 12);
        const qreal barWidth = kRight - 40 - barAt, barHeight = 12;
        y += 24;
        for (const SectionSummary& row : rows) {
            pdf_.text(kLeft, y, qt(row.heading), f);
            const qreal width = most > 0 ? barWidth * static_cast<qreal>(row.pieces) / static_cast<qreal>(most) : 0;
            painter_.fillRect(QRectF(barAt, y - barHeight + 2, width, barHeight), QColor(90, 110, 140));
            pdf_.text(barAt + width + 5, y, QString::number(row.pieces), f);
            y += 20;
        }

        y += 24;
        pdf_.text(kLeft, y, QStringLiteral("Ingranaggi per tipo e modulo"), font(11, true));
        y += 20;
        constexpr qreal ends[] = {330, 390, 470, 539};
        const QString heads[] = {QStringLiteral("Ingranaggi"),
                                 QStringLiteral("Pezzi"),
                                 QStringLiteral("Sotto scorta"),
                                 QStringLiteral("Esauriti")};
        for (std::size_t i = 0; i < std::size(ends); ++i) pdf_.rightAligned(ends[i], y, heads[i], font(9, true));
        painter_.drawLine(QPointF(kLeft, y + 3), QPointF(kRight, y + 3));
        SectionSummary all{.heading = "Totale"};
        const auto tableRow = [&](const SectionSummary& row, const QFont& f) {
            y += 16;
            pdf_.text(kLeft, y, qt(row.heading), f);
            const std::int64_t numbers[] = {static_cast<std::int64_t>(row.gears),
                                            row.pieces,
                                            static_cast<std::int64_t>(row.belowMinimum),
                                            static_cast<std::int64_t>(row.outOfStock)};
            for (std::size_t i = 0; i < std::size(ends); ++i)
                pdf_.rightAligned(ends[i], y, QString::number(numbers[i]), f);
        };
        for (const SectionSummary& row : rows) {
            tableRow(row, font(10));
            all.gears += row.gears, all.pieces += row.pieces;
            all.belowMinimum += row.belowMinimum, all.outOfStock += row.outOfStock;
        }
        painter_.drawLine(QPointF(kLeft, y + 5), QPointF(kRight, y + 5));
        y += 4;
        tableRow(all, font(10, true));
    }

private:
    static qreal columnEnd(const Layout& l, std::size_t column) {
        return l.firstColumnEnd + kColumnStep * static_cast<qreal>(column);
    }

    void gear(const store::GearRecord& gear, const Layout& l, qreal y) {
        const GearMark mark = sheet_.mark ? sheet_.mark(gear) : GearMark::None;
        const qreal height = sheet_.lineHeight;
        if (mark != GearMark::None)
            painter_.fillRect(QRectF(kLeft, y - 10, l.lineEnd - kLeft, 13),
                              mark == GearMark::OutOfStock ? QColor(225, 225, 225) : QColor(242, 242, 242));
        const QFont f = font(10);
        pdf_.rightAligned(kIdEnd, y, qt(gear.ID.textOrEmpty()), f);
        pdf_.rightAligned(kTeethEnd, y, qt(gear.D.textOrEmpty()), f);
        if (l.others) {
            pdf_.text(kModuleAt, y, qt(gear.M.textOrEmpty()), f);
            pdf_.text(kTypeAt, y, qt(gear.T.textOrEmpty()), f);
        }
        for (std::size_t i = 0; i < sheet_.columns.size(); ++i) {
            const SheetColumn& column = sheet_.columns[i];
            const qreal end = columnEnd(l, i);
            if (column.text)
                pdf_.rightAligned(end, y, qt(column.text(gear)), mark == GearMark::OutOfStock ? font(10, true) : f);
            else
                painter_.drawRect(QRectF(end - kBoxWidth, y - height + 6, kBoxWidth, height - 2));
        }
        if (mark != GearMark::None)
            pdf_.text(
                columnEnd(l, sheet_.columns.size() - 1) + kMarkGap, y, qt(std::string(markText(mark))), font(9, true));
    }

    PdfPages& pdf_;
    QPainter& painter_;
    const GearSheet& sheet_;
};

}  // namespace

std::size_t linesPerPage(double lineHeight) { return static_cast<std::size_t>(kBodyHeight / lineHeight); }

std::size_t writeSheetPdf(const GearSheet& sheet, const std::filesystem::path& file) {
    const auto pages = paginate(sheet.sections, linesPerPage(sheet.lineHeight));
    const std::size_t first = sheet.summary.empty() ? 0 : 1, count = first + pages.size();
    PdfPages pdf(file, sheet.title + " " + sheet.date);
    SheetDrawing drawing(pdf, sheet);
    Progress progress("Page %1 of %2", count);
    if (first) {
        drawing.header(1, count);
        drawing.summary();
    }
    for (std::size_t p = 0; p < pages.size(); ++p) {
        progress.show(first + p + 1);
        if (first + p > 0) pdf.newPage();
        drawing.header(first + p + 1, count);
        qreal y = kBodyTop;
        for (const ReportLine& line : pages[p]) {
            drawing.line(line, y);
            y += sheet.lineHeight;
        }
    }
    pdf.finish();
    return count;
}

}  // namespace zanfiro::tools
