// SPDX-License-Identifier: GPL-3.0-or-later

// Developer tool: the evidence behind data/kr-glyphs.tsv. The transcriptions write a glyph they cannot encode
// as an entity (&KR1082;) and describe it nowhere, so the only witness of what it stands for is the text
// around it. For every code, most frequent first, this prints where it occurs and which characters the rest
// of the corpus writes in the same place: a character c is supported by an occurrence "L&KR…;R" when the
// corpus has both the pair Lc and the pair cR. Pairs are counted over characters only, so a code's own
// occurrences never count as evidence for it. The output is read by hand; nothing is decided here.
//   corvessa-krglyphs <kanripo folder> [codes to list, default all]
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

// A text as a sequence of tokens: a Unicode code point, or the negated number of a missing-glyph code.
using Token = int;

struct Occurrence {
    int file = 0;     // index into the file list
    qsizetype at = 0; // token index in that file
};

struct Corpus {
    QStringList names; // folder/file, sorted
    std::vector<std::vector<Token>> texts;
    // Adjacent characters: next[a][b] and previous[b][a] count "ab". A code is no character, so pairs with
    // one of its occurrences on either side are not counted.
    QHash<Token, QHash<Token, int>> next, previous;
    QHash<Token, int> characters;
    std::map<int, std::vector<Occurrence>> codes;
};

bool isHan(Token t) {
    return (t >= 0x3400 && t <= 0x9FFF) || (t >= 0xF900 && t <= 0xFAFF) || (t >= 0x20000 && t <= 0x3FFFF);
}

// Header lines, page markers and line ends are the transcription's, not the book's; the "/" that splits a
// note into its two printed half-columns is dropped as the importer drops it. Lines are joined: a printed
// line ends wherever the column is full, often inside a word.
std::vector<Token> tokenize(const QString& content) {
    static const QRegularExpression pageMarker(QStringLiteral("<pb:[^>]*>"));
    std::vector<Token> tokens;
    for (QString line : content.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('#')))
            continue;
        line.remove(pageMarker);
        const QList<uint> ucs4 = line.toUcs4();
        for (qsizetype i = 0; i < ucs4.size(); ++i) {
            const uint c = ucs4[i];
            if (c == 0xB6 || c == '/' || c == '\r')
                continue;
            if (c == '&' && i + 3 < ucs4.size() && ucs4[i + 1] == 'K' && ucs4[i + 2] == 'R') {
                qsizetype end = i + 3;
                int number = 0;
                while (end < ucs4.size() && ucs4[end] >= '0' && ucs4[end] <= '9')
                    number = number * 10 + int(ucs4[end++] - '0');
                if (end > i + 3 && end < ucs4.size() && ucs4[end] == ';') {
                    tokens.push_back(-number);
                    i = end;
                    continue;
                }
            }
            tokens.push_back(Token(c));
        }
    }
    return tokens;
}

Corpus readCorpus(const QString& folder) {
    const QString root = QDir(folder).absolutePath();
    Corpus corpus;
    QDirIterator it(root, {QStringLiteral("KR*_*.txt")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        corpus.names << QDir(root).relativeFilePath(it.next());
    corpus.names.sort();
    for (int f = 0; f < corpus.names.size(); ++f) {
        QFile file(QDir(root).filePath(corpus.names[f]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
            std::exit(1);
        }
        std::vector<Token> tokens = tokenize(QString::fromUtf8(file.readAll()));
        for (size_t i = 0; i < tokens.size(); ++i) {
            const Token t = tokens[i];
            if (t < 0) {
                corpus.codes[-t].push_back({f, qsizetype(i)});
                continue;
            }
            ++corpus.characters[t];
            if (i + 1 < tokens.size() && tokens[i + 1] > 0) {
                ++corpus.next[t][tokens[i + 1]];
                ++corpus.previous[tokens[i + 1]][t];
            }
        }
        corpus.texts.push_back(std::move(tokens));
    }
    return corpus;
}

QString show(Token t) {
    if (t < 0)
        return QStringLiteral("{KR%1}").arg(-t, 4, 10, QLatin1Char('0'));
    if (t == 0x3000)
        return QStringLiteral("　");
    const char32_t c = char32_t(t);
    return QString::fromUcs4(&c, 1);
}

Token at(const Corpus& corpus, const Occurrence& o, qsizetype offset) {
    const std::vector<Token>& text = corpus.texts[size_t(o.file)];
    const qsizetype i = o.at + offset;
    return i < 0 || i >= qsizetype(text.size()) ? Token(' ') : text[size_t(i)];
}

QString window(const Corpus& corpus, const Occurrence& o, int before, int after) {
    QString s;
    for (int k = -before; k <= after; ++k)
        s += k == 0 ? QStringLiteral("_") : show(at(corpus, o, k));
    return s;
}

// Counts, most frequent first, ties in text order so that runs repeat exactly.
template <typename Key> std::vector<std::pair<Key, int>> ranked(const std::map<Key, int>& counts) {
    std::vector<std::pair<Key, int>> list(counts.begin(), counts.end());
    std::stable_sort(list.begin(), list.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    return list;
}

int pairCount(const Corpus& corpus, Token a, Token b) {
    return corpus.next.value(a).value(b);
}

// The character that best fits between an occurrence's neighbours: the one maximising the chance of the path
// left -> c -> right under pair counts, n(left c) * n(c right) / n(c). A few counts are added to n(c) so that
// a character seen twice, once in each pair, does not outweigh a word the corpus writes a thousand times. A
// side that is no Han character (a space, a note's parenthesis, another code) constrains nothing; with
// neither side usable the occurrence gives no evidence (0). Candidates with both pairs attested are added
// to `support`.
Token bestFit(const Corpus& corpus, const Occurrence& o, std::map<Token, int>* support) {
    const Token left = at(corpus, o, -1), right = at(corpus, o, 1);
    const bool useLeft = isHan(left), useRight = isHan(right);
    if (!useLeft && !useRight)
        return 0;
    const QHash<Token, int> pool = useLeft ? corpus.next.value(left) : corpus.previous.value(right);
    Token best = 0;
    double bestScore = 0;
    for (auto c = pool.constKeyValueBegin(); c != pool.constKeyValueEnd(); ++c) {
        if (!isHan(c->first))
            continue;
        double score = c->second;
        if (useLeft && useRight) {
            const int after = pairCount(corpus, c->first, right);
            if (after == 0)
                continue;
            ++(*support)[c->first];
            score = score * after / (corpus.characters.value(c->first) + 5.0);
        } else {
            ++(*support)[c->first];
        }
        if (score > bestScore || (score == bestScore && c->first < best)) {
            best = c->first;
            bestScore = score;
        }
    }
    return best;
}

// What stands where an occurrence stands in a parallel passage. Many of these books copy one another, so the
// same words often appear elsewhere with the glyph written out. The three tokens on each side of the code
// (of the whole run, where codes stand side by side) are looked up across the corpus, and what lies between
// them there is a reading; in a run, the code's own character is shown in brackets, "[䀮]䀮".
using Readings = std::map<QString, int>;
using Place = std::pair<int, qsizetype>; // file, token index

std::map<Place, Readings> parallels(const Corpus& corpus) {
    struct Wanted {
        Place place;
        qsizetype start, end; // the run of codes
    };
    const auto pack = [](const std::vector<Token>& text, qsizetype i) {
        return (quint64(text[size_t(i)]) << 42) | (quint64(text[size_t(i + 1)]) << 21) |
               quint64(text[size_t(i + 2)]);
    };
    const auto plain = [](const std::vector<Token>& text, qsizetype from, qsizetype count) {
        int han = 0;
        for (qsizetype k = from; k < from + count; ++k) {
            if (k < 0 || k >= qsizetype(text.size()) || text[size_t(k)] <= 0)
                return -1;
            han += isHan(text[size_t(k)]) ? 1 : 0;
        }
        return han;
    };
    QHash<quint64, std::vector<Wanted>> wanted;
    for (const auto& [code, list] : corpus.codes) {
        for (const Occurrence& o : list) {
            const std::vector<Token>& text = corpus.texts[size_t(o.file)];
            qsizetype start = o.at, end = o.at + 1;
            while (start > 0 && text[size_t(start - 1)] < 0)
                --start;
            while (end < qsizetype(text.size()) && text[size_t(end)] < 0)
                ++end;
            const int left = plain(text, start - 3, 3), right = plain(text, end, 3);
            // A context of spaces, parentheses and doses says little; ask for five Han characters of six.
            if (left < 0 || right < 0 || left + right < 5)
                continue;
            wanted[pack(text, start - 3)].push_back({{o.file, o.at}, start, end});
        }
    }
    std::map<Place, Readings> found;
    for (int f = 0; f < int(corpus.texts.size()); ++f) {
        const std::vector<Token>& text = corpus.texts[size_t(f)];
        for (qsizetype i = 0; i + 3 < qsizetype(text.size()); ++i) {
            if (text[size_t(i)] <= 0 || text[size_t(i + 1)] <= 0 || text[size_t(i + 2)] <= 0)
                continue;
            const auto entry = wanted.constFind(pack(text, i));
            if (entry == wanted.constEnd())
                continue;
            for (const Wanted& w : *entry) {
                const std::vector<Token>& own = corpus.texts[size_t(w.place.first)];
                const qsizetype length = w.end - w.start;
                if (plain(text, i + 3, length + 3) < 0 || !isHan(text[size_t(i + 3)]))
                    continue;
                bool same = true;
                for (qsizetype k = 0; k < 3 && same; ++k)
                    same = text[size_t(i + 3 + length + k)] == own[size_t(w.end + k)];
                if (!same)
                    continue;
                QString reading;
                for (qsizetype k = 0; k < length; ++k) {
                    const bool self = length > 1 && w.start + k == w.place.second;
                    reading += (self ? QStringLiteral("[") : QString()) + show(text[size_t(i + 3 + k)]) +
                               (self ? QStringLiteral("]") : QString());
                }
                ++found[w.place][reading];
            }
        }
    }
    return found;
}

void report(const Corpus& corpus, int code, const std::vector<Occurrence>& occurrences,
            const std::map<Place, Readings>& readings) {
    const int n = int(occurrences.size());
    std::map<QString, int> books, contexts, lefts, rights;
    for (const Occurrence& o : occurrences) {
        ++books[corpus.names[o.file].section(QLatin1Char('/'), 0, 0)];
        ++contexts[window(corpus, o, 2, 2)];
        ++lefts[show(at(corpus, o, -1))];
        ++rights[show(at(corpus, o, 1))];
    }
    std::printf("== KR%04d  %d occurrences in %d books\n", code, n, int(books.size()));
    auto line = [](const char* label, const auto& list, int limit) {
        std::printf("  %s", label);
        int shown = 0;
        for (const auto& [key, count] : list) {
            if (shown++ == limit)
                break;
            std::printf(" %s×%d", qPrintable(key), count);
        }
        std::printf("\n");
    };
    line("books:", ranked(books), 8);
    line("left:", ranked(lefts), 12);
    line("right:", ranked(rights), 12);
    line("contexts:", ranked(contexts), 24);

    // Candidates. Every occurrence votes for the character the rest of the corpus most likely writes between
    // its neighbours; "support" counts the occurrences whose neighbours both occur beside a candidate at all.
    std::map<Token, int> votes, support;
    std::vector<Token> choice;
    int usable = 0;
    for (const Occurrence& o : occurrences) {
        choice.push_back(bestFit(corpus, o, &support));
        if (choice.back() != 0) {
            ++usable;
            ++votes[choice.back()];
        }
    }
    const auto candidates = ranked(votes);
    std::printf("  occurrences with a Han neighbour: %d of %d\n  candidates (votes, support):", usable, n);
    for (size_t k = 0; k < candidates.size() && k < 8; ++k)
        std::printf(" %s %d/%d", qPrintable(show(candidates[k].first)), candidates[k].second,
                    support[candidates[k].first]);
    std::printf("\n");
    if (!candidates.empty()) {
        const Token top = candidates[0].first;
        std::printf("  top %s explains %d/%d occurrences", qPrintable(show(top)), candidates[0].second, n);
        if (candidates.size() > 1)
            std::printf(", runner-up %s %d/%d", qPrintable(show(candidates[1].first)), candidates[1].second,
                        n);
        std::printf("\n  corpus pairs with %s:", qPrintable(show(top)));
        int shown = 0;
        for (const auto& [key, count] : ranked(lefts)) {
            const Token t = Token(key.toUcs4().value(0));
            if (isHan(t) && shown++ < 6)
                std::printf(" %s%s %d", qPrintable(key), qPrintable(show(top)), pairCount(corpus, t, top));
        }
        std::printf(" |");
        shown = 0;
        for (const auto& [key, count] : ranked(rights)) {
            const Token t = Token(key.toUcs4().value(0));
            if (isHan(t) && shown++ < 6)
                std::printf(" %s%s %d", qPrintable(show(top)), qPrintable(key), pairCount(corpus, top, t));
        }
        std::printf("\n");
    }
    // Parallel passages: in how many occurrences each reading is found.
    std::map<QString, int> parallel;
    int withParallel = 0;
    std::vector<QString> perOccurrence;
    for (const Occurrence& o : occurrences) {
        QString text;
        const auto found = readings.find({o.file, o.at});
        if (found != readings.end()) {
            ++withParallel;
            for (const auto& [reading, count] : found->second) {
                ++parallel[reading];
                text += QStringLiteral(" ∥%1×%2").arg(reading).arg(count);
            }
        }
        perOccurrence.push_back(text);
    }
    std::printf("  parallel passages for %d of %d occurrences:", withParallel, n);
    int listed = 0;
    for (const auto& [reading, count] : ranked(parallel)) {
        if (listed++ == 10)
            break;
        std::printf(" %s %d", qPrintable(reading), count);
    }
    std::printf("\n");
    // Every occurrence with a wider window and its place, so each one can be read in the source.
    for (size_t k = 0; k < occurrences.size(); ++k)
        std::printf("    %s  %s  %s%s\n", qPrintable(window(corpus, occurrences[k], 6, 6)),
                    qPrintable(choice[k] ? show(choice[k]) : QStringLiteral("?")),
                    qPrintable(corpus.names[occurrences[k].file]), qPrintable(perOccurrence[k]));
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: corvessa-krglyphs <kanripo folder> [KR1082 …]\n");
        return 2;
    }
    const Corpus corpus = readCorpus(args[1]);
    const std::map<Place, Readings> readings = parallels(corpus);
    std::vector<std::pair<int, int>> order; // code, occurrences
    for (const auto& [code, list] : corpus.codes)
        order.emplace_back(code, int(list.size()));
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    long long total = 0;
    for (const auto& entry : order)
        total += entry.second;
    std::printf("%d files, %d codes, %lld occurrences\n\n", int(corpus.names.size()), int(order.size()),
                total);
    const QStringList wanted = args.mid(2);
    for (const auto& [code, count] : order) {
        const QString name = QStringLiteral("KR%1").arg(code, 4, 10, QLatin1Char('0'));
        if (wanted.isEmpty() || wanted.contains(name))
            report(corpus, code, corpus.codes.at(code), readings);
    }
    return 0;
}
