#include "mandoku.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <stdexcept>

namespace corvessa::importer {

namespace {

const QChar kIdeographicSpace(0x3000);

QString cleanLine(const QString& raw) {
    QString out;
    out.reserve(raw.size());
    int depth = 0;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c == QChar(0x00B6)) // ¶, end of the printed line
            continue;
        if (c == QLatin1Char('&')) {
            const qsizetype end = raw.indexOf(QLatin1Char(';'), i);
            if (end > i && end - i <= 12) {
                out += QChar(0x25A1); // □, the usual mark for a glyph the edition cannot print
                i = end;
                continue;
            }
        }
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')') && depth > 0)
            --depth;
        else if (c == QLatin1Char('/') && depth > 0)
            continue;
        out += c;
    }
    return out;
}

} // namespace

void appendWrapped(QString& text, const QString& next) {
    if (text.endsWith(QLatin1Char(')')) && next.startsWith(QLatin1Char('('))) {
        text.chop(1);
        text += QStringView(next).mid(1);
        return;
    }
    text += next;
}

SourceFile parseMandoku(const QString& content, const QString& fileName) {
    static const QRegularExpression pageMarker(QStringLiteral("<pb:([^>]*)>"));
    SourceFile file;
    file.fileName = fileName;
    QString page;
    const QStringList lines = content.split(QLatin1Char('\n'));
    int number = 0;
    for (QString raw : lines) {
        ++number;
        if (raw.endsWith(QLatin1Char('\r')))
            raw.chop(1);
        if (raw.startsWith(QLatin1String("#"))) {
            if (raw.startsWith(QLatin1String("#+TITLE:")))
                file.title = raw.mid(8).trimmed();
            else if (raw.startsWith(QLatin1String("#+PROPERTY: ID ")))
                file.bookId = raw.mid(15).trimmed();
            else if (raw.startsWith(QLatin1String("#+PROPERTY: JUAN ")))
                file.juan = raw.mid(17).trimmed();
            continue;
        }
        QRegularExpressionMatchIterator it = pageMarker.globalMatch(raw);
        const bool hadMarker = it.hasNext();
        while (it.hasNext())
            page = it.next().captured(1);
        raw.remove(pageMarker);
        int indent = 0;
        while (indent < raw.size() && raw[indent] == kIdeographicSpace)
            ++indent;
        const QString text = cleanLine(raw.mid(indent));
        SourceLine line;
        line.indent = text.isEmpty() ? 0 : indent;
        line.text = text;
        line.page = page;
        line.number = number;
        // A line that held only a page marker is no line of the printed page.
        if (hadMarker && text.isEmpty())
            continue;
        file.lines.push_back(std::move(line));
    }
    return file;
}

SourceFile readMandoku(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return parseMandoku(QString::fromUtf8(file.readAll()), QFileInfo(path).fileName());
}

} // namespace corvessa::importer
