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
const QChar kBox(0x25A1); // □, the usual mark for a glyph the edition cannot print

bool isHan(uint ucs4) {
    return QChar::script(ucs4) == QChar::Script_Han;
}

QString cleanLine(const QString& raw, const GlyphTable& glyphs) {
    QString out;
    out.reserve(raw.size());
    int depth = 0;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c == QChar(0x00B6)) // ¶, end of the printed line
            continue;
        const GlyphSequence* sequence = nullptr;
        for (const GlyphSequence& candidate : glyphs.sequences) {
            if (candidate.source[0] == c && QStringView(raw).mid(i).startsWith(candidate.source)) {
                sequence = &candidate;
                break;
            }
        }
        if (sequence) {
            out += sequence->text;
            i += sequence->source.size() - 1;
            continue;
        }
        if (c == QLatin1Char('&')) {
            const qsizetype end = raw.indexOf(QLatin1Char(';'), i);
            if (end > i && end - i <= 12) {
                out += glyphs.codes.value(raw.mid(i + 1, end - i - 1), QString(kBox));
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
    if (line.endsWord)
        return false;
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
    static const QRegularExpression entity(QStringLiteral("&(KR\\d{4});"));
    GlyphTable table;
    QHash<QString, int> seen; // code or sequence -> line, "-" lines included
    const QStringList lines = content.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList parts = line.split(QLatin1Char('\t'));
        const auto fail = [&](const QString& why) {
            throw std::runtime_error(origin.toStdString() + ":" + std::to_string(n + 1) + ": " +
                                     why.toStdString() + ": " + line.toStdString());
        };
        if (parts.size() != 4)
            fail(QStringLiteral("expected code, character, occurrences and evidence separated by tabs"));
        const QString& key = parts[0];
        const QString& character = parts[1];
        const bool undecided = character == QLatin1String("-");
        const QList<uint> reading = character.toUcs4();
        bool number = false;
        parts[2].toInt(&number);
        const auto checkCountsAndEvidence = [&] {
            if (!number)
                fail(QStringLiteral("the occurrence count is not a number"));
            if (parts[3].trimmed().isEmpty())
                fail(QStringLiteral("the evidence is missing"));
            if (seen.contains(key))
                fail(QStringLiteral("the code is listed already on line %1").arg(seen[key]));
            seen.insert(key, int(n + 1));
        };
        if (key.startsWith(QLatin1Char('[')) && key.endsWith(QLatin1Char(']'))) {
            if (key.size() < 5 || undecided || reading.size() != 1 || !isHan(reading[0]))
                fail(QStringLiteral("a described glyph must read one Han character"));
            checkCountsAndEvidence();
            table.descriptions.insert(key, character);
            continue;
        }
        if (!key.contains(QLatin1Char('&'))) {
            if (!code.match(key).hasMatch())
                fail(QStringLiteral("the code is not of the form KR0123"));
            if (!undecided && (reading.size() != 1 || !isHan(reading[0])))
                fail(QStringLiteral("the character is neither one Han character nor \"-\""));
            checkCountsAndEvidence();
            if (!undecided)
                table.codes.insert(key, character);
            continue;
        }
        // A sequence: the cells as the source writes them, each an entity or one Han character.
        QList<uint> cells; // a code is 0, a character itself
        int entities = 0;
        for (qsizetype i = 0; i < key.size();) {
            if (key[i] == QLatin1Char('&')) {
                const QRegularExpressionMatch match = entity.match(
                    key, i, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
                if (!match.hasMatch())
                    fail(QStringLiteral("the sequence holds an entity not of the form &KR0123;"));
                cells.push_back(0);
                ++entities;
                i += match.capturedLength();
                continue;
            }
            const uint ucs4 = key[i].isHighSurrogate() && i + 1 < key.size()
                                  ? QChar::surrogateToUcs4(key[i], key[i + 1])
                                  : key[i].unicode();
            if (!isHan(ucs4))
                fail(QStringLiteral("the sequence holds a character that is neither Han nor an entity"));
            cells.push_back(ucs4);
            i += QChar::requiresSurrogates(ucs4) ? 2 : 1;
        }
        if (entities == 0)
            fail(QStringLiteral("the sequence holds no code"));
        if (cells.size() < 2)
            fail(QStringLiteral("a sequence of one code belongs in a row of its own"));
        QString text;
        if (undecided) {
            for (const uint cell : cells) {
                const char32_t c32 = cell;
                text += cell == 0 ? QString(kBox) : QString::fromUcs4(&c32, 1);
            }
        } else {
            if (reading.size() != cells.size() || !std::all_of(reading.begin(), reading.end(), isHan))
                fail(QStringLiteral("the sequence does not read one Han character for each of its cells"));
            for (qsizetype i = 0; i < cells.size(); ++i)
                if (cells[i] != 0 && cells[i] != reading[i])
                    fail(QStringLiteral("the reading changes a character the source prints"));
            text = character;
        }
        checkCountsAndEvidence();
        table.sequences.push_back({key, text});
    }
    std::stable_sort(
        table.sequences.begin(), table.sequences.end(),
        [](const GlyphSequence& a, const GlyphSequence& b) { return a.source.size() > b.source.size(); });
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
        if (raw.contains(QLatin1Char('['))) {
            for (auto described = glyphs.descriptions.constBegin();
                 described != glyphs.descriptions.constEnd(); ++described)
                raw.replace(described.key(), described.value());
        }
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
