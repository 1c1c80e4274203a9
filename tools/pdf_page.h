#pragma once

// The A4 PDF that zanfiro-db's printed sheets and labels are drawn on, with
// Qt's own PDF writer: shared by the files that draw them, the only ones of
// the tool that know Qt.
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QString>

#include <filesystem>
#include <memory>
#include <string>

namespace zanfiro::tools {

QString qt(const std::string& text);
QFont font(qreal points, bool bold = false);

// An A4 page without margins of its own, measured in dots of `dotsPerInch`:
// by default points (1/72 inch), 595 x 842 of them. Fonts keep their sizes
// in points.
class PdfPages {
public:
    PdfPages(const std::filesystem::path& file, const std::string& title, int dotsPerInch = 72);
    ~PdfPages();
    PdfPages(const PdfPages&) = delete;
    PdfPages& operator=(const PdfPages&) = delete;

    QPainter& painter() { return painter_; }
    void newPage() { writer_->newPage(); }

    void text(qreal x, qreal y, const QString& words, const QFont& f);
    void rightAligned(qreal right, qreal y, const QString& words, const QFont& f);
    qreal width(const QString& words, const QFont& f);

    // Writes the last page; a failure names the file.
    void finish();

private:
    // Fonts need a GUI application; nothing is ever shown, so the offscreen
    // platform serves with or without a display.
    std::unique_ptr<QGuiApplication> application_;
    std::unique_ptr<QPdfWriter> writer_;
    QPainter painter_;
    std::filesystem::path file_;
};

}  // namespace zanfiro::tools
