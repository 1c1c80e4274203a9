#include "pdf_page.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>

#include <cstdio>

#include "base/failure.h"

namespace zanfiro::tools {

QString qt(const std::string& text) { return QString::fromStdString(text); }

QFont font(qreal points, bool bold) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

namespace {

std::unique_ptr<QGuiApplication> guiApplication() {
    if (QCoreApplication::instance()) return nullptr;
    // Qt's notes about the session (no runtime folder and the like) are
    // nothing the operator can act on; its errors still get through.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "zanfiro-db: %s\n", qPrintable(message));
    });
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "zanfiro-db";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

PdfPages::PdfPages(const std::filesystem::path& file, const std::string& title, int dotsPerInch)
    : application_(guiApplication()),
      writer_(std::make_unique<QPdfWriter>(QString::fromStdString(file.string()))),
      file_(file) {
    writer_->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    writer_->setResolution(dotsPerInch);
    writer_->setTitle(qt(title));
    writer_->setCreator(QStringLiteral("zanfiro-db"));
    if (!painter_.begin(writer_.get()))
        throw Failure(failure::kCannotWriteFile, "cannot write the PDF file " + file.string());
}

PdfPages::~PdfPages() {
    if (painter_.isActive()) painter_.end();
}

void PdfPages::text(qreal x, qreal y, const QString& words, const QFont& f) {
    painter_.setFont(f);
    painter_.drawText(QPointF(x, y), words);
}

void PdfPages::rightAligned(qreal right, qreal y, const QString& words, const QFont& f) {
    text(right - width(words, f), y, words, f);
}

qreal PdfPages::width(const QString& words, const QFont& f) {
    return QFontMetricsF(f, painter_.device()).horizontalAdvance(words);
}

void PdfPages::finish() {
    if (!painter_.end()) throw Failure(failure::kCannotWriteFile, "cannot finish the PDF file " + file_.string());
}

}  // namespace zanfiro::tools
