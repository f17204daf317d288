// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "mandoku.h"

#include <QSet>
#include <QString>
#include <optional>
#include <vector>

namespace corvessa::importer {

// A formula as the book prints it, still in the edition's characters.
struct RawFormula {
    QString name;  // as printed; for 又方/一方 derived from the formula before
    QString cited; // older book named in the header's notes, e.g. 聖濟總録 from "(出聖濟/總録)"
    QString indications; // the 治/療/主 clause without its verb
    QString ingredients; // the ingredient lines, joined with one full-width space
    QString usage;       // the 右…/上… preparation and usage lines
    QString body;        // a short recipe written as one running text (治…方 and 又方 records)
    QString page;        // page marker of the header line
    int firstLine = 0;   // line numbers of the record in its file
    int lastLine = 0;
    int passageLast = 0; // the line before the next heading (or the file's last line): the whole passage
    bool derived = false;
    bool runOn = false; // the name came from a title run on from text: not to be trusted as a known name
    // The recipe is the running text under a named title: its name is not vouched for as a known one.
    bool toldInText = false;
    // `cited` is the words before 治 in the title ("聖惠方治…"); they may be the recipe's own name
    // (鯽魚方治…)
    bool citedFromTitle = false;
};

// How an edition sets out its recipes, where it differs from the two layouts the parser finds by itself
// (headings at the margin; or paragraphs between blank lines). Written in books.tsv as "key=value" words:
// "headings=5 ingredients=6 usage=4" for an edition that indents everything, "commentary=1 usage=0" for one
// that prints a commentator's note between the ingredients and the usage.
struct Layout {
    int headingIndent = -1; // -1: the margin or paragraph layout
    int ingredientIndent = -1;
    int usageIndent = -1;
    int commentaryIndent = -1;
    // Names the library prints as headers of their own, for titles run on from a line of text
    // ("…余思作此黄連解" + "毒湯方"): the name is the longest known one the title ends with.
    const QSet<QString>* knownNames = nullptr;

    static Layout parse(const QString& profile);
};

// What the parser set aside, for the build's report.
struct ParseStats {
    int stubs = 0;     // "NAME(方見…)" cross-references to a recipe printed elsewhere
    int colophons = 0; // "普濟方卷一百一" lines that close a 卷
    int sectionTitles =
        0; // chapter and section titles, verses and question-and-answer passages that end a record
    bool wantsNames = false; // a title ran on from text; parsing again with known names reads it
};

enum class HeaderKind { Named, Unnamed, Again };

struct Header {
    HeaderKind kind = HeaderKind::Named;
    QString name; // for Again: empty
    QString cited;
    QString clause; // indications as far as the header line gives them, verb removed
    QString rest;   // text on the header line that is neither name nor clause (a recipe after 又方)
    bool needsIngredients = false; // a name followed by text that is no clause: a header only before doses
    bool stubNote = false;         // a "(方見…)" note: the recipe is printed elsewhere
    bool verbClause = false;       // the header says what it treats (治…, 療…), or is a 又方
    QString herbs;                 // ingredients with doses printed on the header line after the clause
    // The name was cut from a title without the known names: the title is read again with them.
    bool guessedName = false;
    bool citedFromTitle = false; // `cited` is the words before the title's 治
    bool nameEndsTitle = false; // "治…NAME": the clause came first; the lines under the title are the recipe
};

// Recognises a formula header: "name(notes)　治…", "name治…", a bare "name" line, "治…方", "又方…"/"一方…",
// and "source療…name方" titles. `knownNames`, where given, are the names printed as headers of their own:
// they tell where such a title's indication ends and the name begins.
std::optional<Header> parseHeader(const QString& text, const QSet<QString>* knownNames = nullptr);

// True for the first line of a preparation and usage paragraph ("右為細末…", "上件藥…").
bool isUsageStart(const QString& text);
// The stricter test used where a name may stand: "右為…", "上件…", but not 右歸丸 or 上清丸.
bool isPreparationStart(const QString& text);

// Editions that set the ingredients out as a table spread two-character names over the cell
// ("人　參　　　白茯苓",
// "(各半兩)　黄　耆"); inside such a table a lone character, one space and a short word are one name.
QString closeTableCells(const QString& text);

// True for a line that lists ingredients with their doses, "黄連(二錢半)胡粉　龍骨(燒灰各一錢)".
bool looksLikeIngredients(const QString& line);

// True for a line that closes a 卷 ("普濟方卷一百一") or titles a chapter ("…第二"), or opens a verse or a
// question-and-answer passage: no recipe goes on past it.
bool isColophon(const QString& text);
bool endsRecipes(const QString& text);

// Herb names as the ingredient lines print them, counted over the books: the words that tell a name cut by
// the end of a line ("麥門" / "冬(去心焙)") from two names, where counting cells cannot, because a note's two
// half-columns are not always transcribed cell for cell.
class HerbWords {
public:
    void count(const SourceFile& file);
    QSet<QString> frequent(int minimum = 40) const;

private:
    QHash<QString, int> counts_;
};

// Marks the lines one or two cells short of the column that end in part of a herb word the next line
// finishes: neither piece is a word the books print on its own, and the two ends together make one.
void markCutWords(SourceFile& file, const QSet<QString>& words);

// "千金方　治胸痺氣滿…", "丹溪方　治火痛": a book's title where a recipe's name stands (`books`: the titles
// the books cite as sources). The book becomes the record's source and the recipe is named by its indication,
// as untitled recipes are; the 又方 after it follow the new name. Returns the count of records renamed.
int nameRecipesUnderBookTitles(std::vector<RawFormula>& formulas, const QSet<QString>& books);

// "鯽魚方治腸風血痔…": the words before 治 were taken for a cited book. Where the books cite them fewer than
// three times (`citations`) and they name a medicine's form (烏頭湯方), a herb (`herbWords`) or what is done
// with it (搐鼻方, 鹽熨方), they are the recipe's own name; the 又方 after it follow. Returns the count
// renamed.
int nameRecipesMistakenForBooks(std::vector<RawFormula>& formulas, const QHash<QString, int>& citations,
                                const QSet<QString>& herbWords);

// "六味丸" / "　　肺癰", "歸脾湯" / "鹿角散", "理中湯" / "健忘門": a name with nothing under it but a
// section's label, a complaint or another recipe's name, read as its only herb. No recipe is told there.
// `herbWords` tells a recipe of one herb (黄耆) from a label.
bool namesNoRecipe(const RawFormula& formula, const QSet<QString>& herbWords);

// A 卷 of needling and moxibustion (鍼灸門, 明堂) or of charms and spells (符禁門): its "方" are points,
// burns and incantations, not drug formulas.
bool isNonDrugVolume(const SourceFile& file);

// Splits one 卷 file into formula records.
std::vector<RawFormula> parseFormulas(const SourceFile& file, const Layout& layout = {},
                                      ParseStats* stats = nullptr);

} // namespace corvessa::importer
