// The one file of zanfiro-db that uses Qt: QtGui's PDF writer draws the
// sheet that tools/report works out.
#include "report_pdf.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cstdio>
#include <memory>

#include "base/failure.h"

namespace zanfiro::tools {

namespace {

// Points (1/72 inch) on an A4 page of 595 x 842.
constexpr qreal kLeft = 56, kRight = 539, kHeaderTop = 48, kRuleAt = 70, kBodyTop = 96, kLineHeight = 14;

// Where each column's text ends (numbers, right-aligned) or starts (texts).
struct Columns {
    qreal id, teeth, module, type, qty, mark;
};
constexpr Columns kOfferedColumns{.id = 110, .teeth = 180, .module = 0, .type = 0, .qty = 250, .mark = 275};
constexpr Columns kOtherColumns{.id = 110, .teeth = 180, .module = 205, .type = 330, .qty = 420, .mark = 445};

QString qt(const std::string& text) { return QString::fromStdString(text); }

QFont font(qreal points, bool bold = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

class Sheet {
public:
    explicit Sheet(QPainter& painter) : painter_(painter) {}

    void text(qreal x, qreal y, const QString& words, const QFont& f) {
        painter_.setFont(f);
        painter_.drawText(QPointF(x, y), words);
    }

    void rightAligned(qreal right, qreal y, const QString& words, const QFont& f) {
        text(right - QFontMetricsF(f, painter_.device()).horizontalAdvance(words), y, words, f);
    }

    void header(const std::string& title, const std::string& date, std::size_t page, std::size_t pages) {
        text(kLeft, kHeaderTop, qt(title), font(12, true));
        rightAligned(kRight, kHeaderTop, QStringLiteral("Pagina %1 di %2").arg(page).arg(pages), font(10));
        text(kLeft, kHeaderTop + 15, qt("Stampato il " + date), font(9));
        painter_.drawLine(QPointF(kLeft, kRuleAt), QPointF(kRight, kRuleAt));
    }

    void line(const ReportLine& line, qreal y) {
        const Columns& c = line.section && line.section->others ? kOtherColumns : kOfferedColumns;
        const bool others = line.section && line.section->others;
        switch (line.kind) {
        case LineKind::Gap: break;
        case LineKind::NoGears: text(kLeft, y, QStringLiteral("Nessun ingranaggio."), font(10)); break;
        case LineKind::Heading: text(kLeft, y, qt(headingText(line)), font(11, true)); break;
        case LineKind::ColumnHeads: {
            const QFont f = font(9, true);
            rightAligned(c.id, y, QStringLiteral("ID"), f);
            rightAligned(c.teeth, y, QStringLiteral("Denti"), f);
            if (others) {
                text(c.module, y, QStringLiteral("Modulo"), f);
                text(c.type, y, QStringLiteral("Tipo"), f);
            }
            rightAligned(c.qty, y, QStringLiteral("QTY"), f);
            painter_.drawLine(QPointF(kLeft, y + 3), QPointF(c.mark + 60, y + 3));
            break;
        }
        case LineKind::Gear: {
            const store::GearRecord& gear = *line.gear;
            const bool out = isOutOfStock(gear);
            if (out)
                painter_.fillRect(QRectF(kLeft, y - 10, c.mark + 60 - kLeft, kLineHeight - 1), QColor(225, 225, 225));
            const QFont f = font(10);
            rightAligned(c.id, y, qt(gear.ID.textOrEmpty()), f);
            rightAligned(c.teeth, y, qt(gear.D.textOrEmpty()), f);
            if (others) {
                text(c.module, y, qt(gear.M.textOrEmpty()), f);
                text(c.type, y, qt(gear.T.textOrEmpty()), f);
            }
            rightAligned(c.qty, y, qt(gear.QTY.textOrEmpty()), out ? font(10, true) : f);
            if (out) text(c.mark, y, QStringLiteral("esaurito"), font(9, true));
            break;
        }
        case LineKind::Total:
            painter_.drawLine(QPointF(kLeft, y - 11), QPointF(c.mark + 60, y - 11));
            text(kLeft, y, qt(totalText(*line.section)), font(10, true));
            break;
        }
    }

private:
    QPainter& painter_;
};

}  // namespace

std::size_t writeReportPdf(const std::vector<ReportSection>& sections, const std::string& title,
                           const std::string& date, const std::filesystem::path& file) {
    // Fonts need a GUI application; nothing is ever shown, so the offscreen
    // platform serves with or without a display, whatever the session asks.
    std::unique_ptr<QGuiApplication> application;
    if (!QCoreApplication::instance()) {
        // Qt's notes about the session (no runtime folder and the like) are
        // nothing the operator can act on; its errors still get through.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "zanfiro-db: %s\n", qPrintable(message));
        });
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "zanfiro-db";
        static char* argv[] = {name, nullptr};
        application = std::make_unique<QGuiApplication>(argc, argv);
    }

    const auto pages = paginate(sections, kReportLinesPerPage);
    QPdfWriter writer(QString::fromStdString(file.string()));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    writer.setResolution(72);
    writer.setTitle(qt(title + " " + date));
    writer.setCreator(QStringLiteral("zanfiro-db"));
    QPainter painter;
    if (!painter.begin(&writer)) throw Failure(failure::kCannotWriteFile, "cannot write the PDF file " + file.string());
    Sheet sheet(painter);
    for (std::size_t p = 0; p < pages.size(); ++p) {
        if (p > 0) writer.newPage();
        sheet.header(title, date, p + 1, pages.size());
        qreal y = kBodyTop;
        for (const ReportLine& line : pages[p]) {
            sheet.line(line, y);
            y += kLineHeight;
        }
    }
    if (!painter.end()) throw Failure(failure::kCannotWriteFile, "cannot finish the PDF file " + file.string());
    return pages.size();
}

}  // namespace zanfiro::tools
