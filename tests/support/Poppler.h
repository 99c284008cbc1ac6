#pragma once

// Reading PDF files back with poppler's command-line tools.
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace testsupport {

inline QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(120000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Number of pages, or -1 when the file is not a readable PDF.
inline int pdfPageCount(const QString& file)
{
    const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"),
                                   QRegularExpression::MultilineOption);
    const auto match = pages.match(runTool(QStringLiteral("pdfinfo"), {file}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The words of each page, in reading order, blanks and line breaks reduced to single blanks.
inline QStringList pdfPageWords(const QString& file)
{
    QStringList pages =
        runTool(QStringLiteral("pdftotext"),
                {QStringLiteral("-enc"), QStringLiteral("UTF-8"), file, QStringLiteral("-")})
            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    for (QString& page : pages)
        page = page.simplified();
    return pages;
}

} // namespace testsupport
