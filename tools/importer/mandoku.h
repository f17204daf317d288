// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHash>
#include <QString>
#include <vector>

namespace corvessa::importer {

// One line of a printed page as the Kanseki Repository transcribes it ("mandoku" text): the count of leading
// full-width spaces tells header, continuation and ingredient lines apart, so it is kept beside the text.
struct SourceLine {
    int indent = 0;
    QString text;   // without the indent, the line-end mark and page markers
    QString page;   // the page marker in force, e.g. KR3e0067_WYG_100-2a
    int number = 0; // 1-based line number in the file
    int width =
        0; // printed width in character cells, indent included; a two-column note takes its longer half
    bool cutsWord = false; // a line a cell or two short whose last word goes on in the next line
    bool endsWord = false; // a full line of herbs whose last herb ends with the column: the next is another
    // A full line of a clause, or of herbs, whose last word is a whole herb and whose next line, set deeper,
    // begins another: the text goes on as the column's end has it, but the two names stay apart.
    bool endsHerb = false;
};

struct SourceFile {
    QString bookId;   // KR3e0067
    QString title;    // from #+TITLE, traditional characters
    QString juan;     // from #+PROPERTY: JUAN, e.g. 卷一百一 or 2
    QString fileName; // KR3e0067_100.txt
    std::vector<SourceLine> lines;
    int fullWidth = 0; // the width of a full printed line: the most common width of the long lines

    // A line that fills the column goes on in the next one, possibly in the middle of a word. The
    // transcription does not always keep the cells exactly; a line one cell short that ends in a lone
    // character after a space ("…甘松香　當" / "歸(各半兩)") is cut as well, and so is a line whose word
    // the herb words show to go on ("…逺志(去心)　麥門" / "冬(去心焙)"; see markCutWords).
    bool wraps(const SourceLine& line) const;
    // The line runs on into the next in the middle of a word: it wraps and does not end in a whole herb.
    bool joins(const SourceLine& line) const { return wraps(line) && !line.endsHerb; }
};

// The characters that missing-glyph codes stand for, "KR1082" -> 薢, from data/kr-glyphs.tsv. The files do
// not describe these glyphs; each line of the table was read off the corpus and checked by hand. Codes the
// table leaves as "-" are not in `codes`.
//
// Some codes are certain only beside a given character or code: &KR0797; and &KR0803; are the two halves
// of 栝蔞, but &KR0797; after 菝 is another glyph. Such a row is a sequence of codes and characters as the
// source writes it, "括&KR0803;", and stands for as many characters, "括蔞"; a sequence is replaced before
// the single codes, the longest first. A sequence row of "-" keeps its codes as boxes where the single code
// would read wrong.
struct GlyphSequence {
    QString source; // as the transcription writes it, "括&KR0803;"
    QString text;   // what it reads, "括蔞", or its codes as "□" for a "-" row
};

struct GlyphTable {
    QHash<QString, QString> codes;        // "KR1082" -> "薢"
    std::vector<GlyphSequence> sequences; // longest source first
    // Glyphs the transcription describes by their parts instead of a code: "[病-丙+(穩-禾)]" -> "癮".
    QHash<QString, QString> descriptions;
};

// Reads the table: "code or sequence<TAB>characters or -<TAB>occurrences<TAB>evidence" lines, "#" comments.
// The first column may also be a glyph described by its parts, "[病-丙+(穩-禾)]", read as one character. A
// line that does not follow that form, or lists a code or sequence again, stops the import: a character in
// the wrong column would change the text of every record the code occurs in. A sequence must hold at least
// one code, read as many characters as it has cells, and keep the characters the source itself prints.
// `origin` names the file in the error.
GlyphTable parseGlyphTable(const QString& content, const QString& origin);
GlyphTable readGlyphTable(const QString& path);

// Parses the text of one 卷 file. Blank lines are kept (empty text) because some editions separate paragraphs
// with them. Interlinear notes are printed in two half-columns split by "/"; the split is removed, so
// "(出聖濟/總録)" reads "(出聖濟總録)". Missing-glyph entities (&KR0123;) become their character from
// `glyphs`, or "□" where the table has none; a glyph described by its parts becomes the table's character
// before the line's width is measured (its brackets are not a note).
SourceFile parseMandoku(const QString& content, const QString& fileName, const GlyphTable& glyphs = {});
SourceFile readMandoku(const QString& path, const GlyphTable& glyphs = {});

// Appends `next` to `text` as the continuation of a wrapped line: a note split over two lines, "(各/一)" +
// "(两半)", is joined back into one note.
void appendWrapped(QString& text, const QString& next);

} // namespace corvessa::importer
