#include "StationReport.h"

#include <QFile>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include "AtomicFile.h"

namespace {

QString csvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QStringList cells(const StationRow& row) {
    return {row.time.toUTC().toString(Qt::ISODate), row.port, row.unit, row.outcome,
            row.entry > 0 ? QString::number(row.entry) : QString()};
}

QString html(const StationRecord& record) {
    QString text = QStringLiteral("<h2>%1</h2>").arg(record.title.toHtmlEscaped());
    for (const QString& line : record.fileLines)
        text += QStringLiteral("<div>%1</div>").arg(line.toHtmlEscaped());
    text += QStringLiteral(
                "<p><b>%1</b></p><table border=\"1\" cellspacing=\"0\" "
                "cellpadding=\"3\"><tr>")
                .arg(record.counters.toHtmlEscaped());
    for (const QString& h : record.headings)
        text += QStringLiteral("<th>%1</th>").arg(h.toHtmlEscaped());
    text += QStringLiteral("</tr>");
    for (const StationRow& row : record.rows) {
        text += QStringLiteral("<tr>");
        for (const QString& c : cells(row))
            text += QStringLiteral("<td>%1</td>").arg(c.toHtmlEscaped());
        text += QStringLiteral("</tr>");
    }
    return text + QStringLiteral("</table>");
}

}  // namespace

QString stationCsv(const StationRecord& record) {
    QStringList lines;
    QStringList head;
    for (const QString& h : record.headings) head << csvField(h);
    lines << head.join(QLatin1Char(','));
    for (const StationRow& row : record.rows) {
        QStringList fields;
        for (const QString& c : cells(row)) fields << csvField(c);
        lines << fields.join(QLatin1Char(','));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString saveStationRecord(const StationRecord& record, const QString& base) {
    QString why;
    // Replaced whole: a reader never sees half a table.
    if (!writeFileAtomically(base + QStringLiteral(".csv"), stationCsv(record).toUtf8(), &why))
        return why;
    const QString pdf = base + QStringLiteral(".pdf");
    const QString part = pdf + QStringLiteral(".part");
    {
        QPdfWriter writer(part);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setTitle(record.title);
        QTextDocument document;
        document.setHtml(html(record));
        // No page size of its own: print() then lays the text out for the writer's resolution,
        // at the size its points mean on paper.
        document.print(&writer);
    }
    QFile::remove(pdf);
    if (!QFile::rename(part, pdf))
        return QFile(part).errorString();
    return {};
}
