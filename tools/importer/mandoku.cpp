// SPDX-License-Identifier: GPL-3.0-or-later

#include "mandoku.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>

namespace corvessa::importer {

namespace {

const QChar kIdeographicSpace(0x3000);

QString cleanLine(const QString& raw, const GlyphTable& glyphs) {
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
                // □ is the usual mark for a glyph the edition cannot print.
                out += glyphs.value(raw.mid(i + 1, end - i - 1), QString(QChar(0x25A1)));
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

// Cells a raw line takes on the page: a note "(左/右)" is printed as two half-columns side by side.
int printedWidth(const QString& raw) {
    int width = 0;
    int left = 0, right = 0;
    bool inNote = false, secondHalf = false;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c == QChar(0x00B6) || c.isLowSurrogate())
            continue;
        if (c == QLatin1Char('&')) {
            const qsizetype end = raw.indexOf(QLatin1Char(';'), i);
            if (end > i && end - i <= 12)
                i = end;
        }
        if (c == QLatin1Char('(') && !inNote) {
            inNote = true;
            secondHalf = false;
            left = right = 0;
        } else if (c == QLatin1Char(')') && inNote) {
            inNote = false;
            width += secondHalf ? std::max(left, right) : (left + 1) / 2;
        } else if (inNote) {
            if (c == QLatin1Char('/'))
                secondHalf = true;
            else
                ++(secondHalf ? right : left);
        } else {
            ++width;
        }
    }
    return width;
}

// The most common width among the longer lines: most lines of running text fill the column.
int commonFullWidth(const std::vector<SourceLine>& lines) {
    std::map<int, int> counts;
    for (const SourceLine& line : lines) {
        if (line.width >= 12)
            ++counts[line.width];
    }
    int best = 0, bestCount = 0;
    for (const auto& [width, count] : counts) {
        if (count > bestCount) {
            best = width;
            bestCount = count;
        }
    }
    return best;
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

bool SourceFile::wraps(const SourceLine& line) const {
    if (line.cutsWord)
        return true;
    if (fullWidth <= 0 || line.width < fullWidth - 1)
        return false;
    if (line.width >= fullWidth)
        return true;
    const QString& text = line.text;
    return text.size() >= 2 && !text.endsWith(QLatin1Char(')')) &&
           (text[text.size() - 2] == kIdeographicSpace || text[text.size() - 2] == QLatin1Char(')'));
}

GlyphTable parseGlyphTable(const QString& content, const QString& origin) {
    static const QRegularExpression code(QStringLiteral("^KR\\d{4}$"));
    GlyphTable table;
    QHash<QString, int> seen; // code -> line, "-" lines included
    const QStringList lines = content.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList parts = line.split(QLatin1Char('\t'));
        const auto fail = [&](const char* why) {
            throw std::runtime_error(origin.toStdString() + ":" + std::to_string(n + 1) + ": " + why + ": " +
                                     line.toStdString());
        };
        if (parts.size() != 4)
            fail("expected code, character, occurrences and evidence separated by tabs");
        if (!code.match(parts[0]).hasMatch())
            fail("the code is not of the form KR0123");
        const QString& character = parts[1];
        const QList<uint> ucs4 = character.toUcs4();
        if (character != QLatin1String("-") &&
            (ucs4.size() != 1 || QChar::script(ucs4[0]) != QChar::Script_Han))
            fail("the character is neither one Han character nor \"-\"");
        bool number = false;
        parts[2].toInt(&number);
        if (!number)
            fail("the occurrence count is not a number");
        if (parts[3].trimmed().isEmpty())
            fail("the evidence is missing");
        if (seen.contains(parts[0]))
            fail(qPrintable(QStringLiteral("the code is listed already on line %1").arg(seen[parts[0]])));
        seen.insert(parts[0], int(n + 1));
        if (character != QLatin1String("-"))
            table.insert(parts[0], character);
    }
    return table;
}

GlyphTable readGlyphTable(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return parseGlyphTable(QString::fromUtf8(file.readAll()), path);
}

SourceFile parseMandoku(const QString& content, const QString& fileName, const GlyphTable& glyphs) {
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
        const QString text = cleanLine(raw.mid(indent), glyphs);
        SourceLine line;
        line.indent = text.isEmpty() ? 0 : indent;
        line.text = text;
        line.page = page;
        line.number = number;
        line.width = text.isEmpty() ? 0 : printedWidth(raw);
        // A line that held only a page marker is no line of the printed page.
        if (hadMarker && text.isEmpty())
            continue;
        file.lines.push_back(std::move(line));
    }
    file.fullWidth = commonFullWidth(file.lines);
    return file;
}

SourceFile readMandoku(const QString& path, const GlyphTable& glyphs) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return parseMandoku(QString::fromUtf8(file.readAll()), QFileInfo(path).fileName(), glyphs);
}

} // namespace corvessa::importer
