#pragma once

#include "mandoku.h"

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
    bool derived = false;
};

enum class HeaderKind { Named, Unnamed, Again };

struct Header {
    HeaderKind kind = HeaderKind::Named;
    QString name; // for Again: empty
    QString cited;
    QString clause; // indications as far as the header line gives them, verb removed
    QString rest;   // text on the header line that is neither name nor clause (a recipe after 又方)
};

// Recognises a formula header: "name(notes)　治…", "name治…", a bare "name" line, "治…方", "又方…"/"一方…".
std::optional<Header> parseHeader(const QString& text);

// True for the first line of a preparation and usage paragraph ("右為細末…", "上件藥…").
bool isUsageStart(const QString& text);
// The stricter test used where a name may stand: "右為…", "上件…", but not 右歸丸 or 上清丸.
bool isPreparationStart(const QString& text);

// True for a line that lists ingredients with their doses, "黄連(二錢半)胡粉　龍骨(燒灰各一錢)".
bool looksLikeIngredients(const QString& line);

// Splits one 卷 file into formula records.
std::vector<RawFormula> parseFormulas(const SourceFile& file);

} // namespace corvessa::importer
