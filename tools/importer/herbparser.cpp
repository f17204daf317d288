// SPDX-License-Identifier: GPL-3.0-or-later

#include "herbparser.h"

#include <QRegularExpression>

namespace corvessa::importer {

namespace {

const QStringList& sectionNames() {
    static const QStringList names = {QStringLiteral("釋名"), QStringLiteral("集解"), QStringLiteral("正誤"),
                                      QStringLiteral("修治"), QStringLiteral("氣味"), QStringLiteral("主治"),
                                      QStringLiteral("發明"), QStringLiteral("校正")};
    return names;
}

QString sectionOf(const QString& text) {
    for (const QString& name : sectionNames()) {
        if (text.startsWith(name))
            return name;
    }
    return {};
}

bool isFormulaSection(const QString& text) {
    return text.startsWith(QStringLiteral("附方")) || text.startsWith(QStringLiteral("附錄"));
}

} // namespace

std::vector<RawHerb> parseHerbs(const SourceFile& file) {
    static const QRegularExpression nameLine(QStringLiteral("^([^　()]{1,8})(\\([^)]*\\))*$"));
    std::vector<RawHerb> herbs;
    const auto& lines = file.lines;
    bool collecting = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const SourceLine& line = lines[i];
        if (line.text.isEmpty())
            continue;
        if (line.indent == 0) {
            const QRegularExpressionMatch match = nameLine.match(line.text);
            // The next printed line decides: an entry goes straight into its first section.
            size_t next = i + 1;
            while (next < lines.size() && lines[next].text.isEmpty())
                ++next;
            if (match.hasMatch() && next < lines.size() && lines[next].indent >= 1 &&
                !sectionOf(lines[next].text).isEmpty()) {
                RawHerb herb;
                herb.name = match.captured(1);
                herb.page = line.page;
                herb.firstLine = line.number;
                herbs.push_back(std::move(herb));
                collecting = true;
                continue;
            }
            if (collecting && !herbs.empty() && !herbs.back().sections.isEmpty()) {
                // A margin line inside an entry continues the text of its section.
                appendWrapped(herbs.back().sections.last(), line.text);
                continue;
            }
            collecting = false;
            continue;
        }
        if (!collecting || herbs.empty())
            continue;
        if (line.indent == 1 && isFormulaSection(line.text)) {
            collecting = false;
            continue;
        }
        RawHerb& herb = herbs.back();
        if (line.indent == 1 && !sectionOf(line.text).isEmpty())
            herb.sections << line.text;
        else if (!herb.sections.isEmpty())
            appendWrapped(herb.sections.last(), line.text);
    }
    return herbs;
}

} // namespace corvessa::importer
