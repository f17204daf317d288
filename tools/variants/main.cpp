// SPDX-License-Identifier: GPL-3.0-or-later

// Build-time tool: writes the variant table the text normaliser embeds. For every character outside GB 2312
// (the characters a reader of simplified Chinese types) it looks for the one standard character it stands
// for: its z- or semantic variants in Unihan that, through OpenCC's traditional-to-simplified conversion, are
// GB 2312 characters, or else OpenCC's Japanese-form table read the same way. A character with more than one
// such standard form is left alone. A hand-checked list then adds what both sources miss and removes mappings
// that would change a word.
//   corvessa-variants <Unihan_Variants.txt> <hand list .tsv> <out.inc>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <cstdio>
#include <memory>
#include <opencc/opencc.h>
#include <stdexcept>
#include <unicode/ucnv.h>

namespace {

struct OpenCC {
    opencc_t handle;
    explicit OpenCC(const char* config) : handle(opencc_open(config)) {
        if (handle == reinterpret_cast<opencc_t>(-1))
            throw std::runtime_error(std::string("cannot open OpenCC ") + config + ": " + opencc_error());
    }
    ~OpenCC() { opencc_close(handle); }
    OpenCC(const OpenCC&) = delete;
    OpenCC& operator=(const OpenCC&) = delete;
    QString operator()(const QString& text) const {
        const QByteArray utf8 = text.toUtf8();
        char* out = opencc_convert_utf8(handle, utf8.constData(), size_t(utf8.size()));
        if (!out)
            throw std::runtime_error(std::string("OpenCC conversion failed: ") + opencc_error());
        const QString result = QString::fromUtf8(out).normalized(QString::NormalizationForm_C);
        opencc_convert_utf8_free(out);
        return result;
    }
};

// GB 2312 is the part of code page 936 whose two bytes both lie in A1..FE, lead byte at most F7, outside the
// user-defined rows AA..AF.
class Gb2312 {
public:
    Gb2312() {
        UErrorCode status = U_ZERO_ERROR;
        m_converter = ucnv_open("windows-936", &status);
        if (U_FAILURE(status))
            throw std::runtime_error("cannot open the code page 936 converter");
    }
    ~Gb2312() { ucnv_close(m_converter); }
    Gb2312(const Gb2312&) = delete;
    Gb2312& operator=(const Gb2312&) = delete;
    bool contains(const QString& character) const {
        char bytes[8];
        UErrorCode status = U_ZERO_ERROR;
        ucnv_reset(m_converter);
        const int32_t n = ucnv_fromUChars(m_converter, bytes, sizeof bytes,
                                          reinterpret_cast<const UChar*>(character.utf16()),
                                          int32_t(character.size()), &status);
        if (U_FAILURE(status) || n != 2)
            return false;
        const uchar lead = uchar(bytes[0]), trail = uchar(bytes[1]);
        return lead >= 0xA1 && lead <= 0xF7 && !(lead >= 0xAA && lead <= 0xAF) && trail >= 0xA1 &&
               trail <= 0xFE;
    }

private:
    UConverter* m_converter = nullptr;
};

QString character(const QString& codePoint) { // "U+5169<kMatthews" -> 兩
    bool ok = false;
    const char32_t value = codePoint.section(QLatin1Char('<'), 0, 0).mid(2).toUInt(&ok, 16);
    if (!ok)
        throw std::runtime_error("bad code point " + codePoint.toStdString());
    return QString::fromUcs4(&value, 1);
}

bool isSingle(const QString& s) {
    return s.size() == 1 || (s.size() == 2 && s[0].isHighSurrogate() && s[1].isLowSurrogate());
}

QString cppString(const QString& s) {
    QString out = QStringLiteral("u\"");
    for (const char32_t c : s.toUcs4())
        out += QStringLiteral("\\U%1").arg(uint(c), 8, 16, QLatin1Char('0'));
    return out + QLatin1Char('"');
}

QStringList readLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw std::runtime_error("cannot read " + path.toStdString());
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: corvessa-variants <Unihan_Variants.txt> <hand list .tsv> <out.inc>\n");
        return 2;
    }
    try {
        const OpenCC t2s("t2s.json");
        const OpenCC jp2t("jp2t.json");
        const Gb2312 gb2312;

        QMap<QString, QSet<QString>> unihan; // character -> its z- and semantic variants
        for (const QString& line : readLines(QString::fromLocal8Bit(argv[1]))) {
            if (line.startsWith(QLatin1Char('#')) || line.trimmed().isEmpty())
                continue;
            const QStringList fields = line.split(QLatin1Char('\t'));
            if (fields.size() < 3)
                continue;
            if (fields[1] != QLatin1String("kZVariant") && fields[1] != QLatin1String("kSemanticVariant"))
                continue;
            for (const QString& target : fields[2].split(QLatin1Char(' '), Qt::SkipEmptyParts))
                unihan[character(fields[0])].insert(character(target));
        }

        auto standard = [&](const QString& form) { // the GB 2312 character a form reads as, or empty
            const QString simplified = t2s(form);
            return isSingle(simplified) && gb2312.contains(simplified) ? simplified : QString();
        };

        QMap<QString, QString> table;     // form -> standard character
        QMap<QString, QString> ambiguous; // forms with more than one standard reading, for the report
        QSet<QString> candidates(unihan.keyBegin(), unihan.keyEnd());
        for (char32_t c = 0x3400; c <= 0x9FFF; ++c)
            candidates.insert(QString::fromUcs4(&c, 1));
        for (const QString& form : candidates) {
            if (gb2312.contains(form) || !standard(form).isEmpty())
                continue; // a standard character, or one OpenCC already simplifies to one
            QSet<QString> targets;
            for (const QString& variant : unihan.value(form)) {
                const QString target = standard(variant);
                if (!target.isEmpty() && target != form)
                    targets.insert(target);
            }
            if (targets.isEmpty()) {
                const QString traditional = jp2t(form);
                if (traditional != form) {
                    const QString target = standard(traditional);
                    if (!target.isEmpty())
                        targets.insert(target);
                }
            }
            if (targets.size() == 1)
                table.insert(form, *targets.begin());
            else if (targets.size() > 1)
                ambiguous.insert(form, QStringList(targets.begin(), targets.end()).join(QString()));
        }

        // The hand-checked list: "form<TAB>standard" adds or overrides, "form<TAB>-" keeps the form as it is.
        for (const QString& line : readLines(QString::fromLocal8Bit(argv[2]))) {
            if (line.startsWith(QLatin1Char('#')) || line.trimmed().isEmpty())
                continue;
            const QStringList fields = line.split(QLatin1Char('\t'));
            if (fields.size() < 2 || !isSingle(fields[0]) ||
                (fields[1] != QLatin1String("-") && !isSingle(fields[1])))
                throw std::runtime_error("bad hand list line: " + line.toStdString());
            ambiguous.remove(fields[0]);
            if (fields[1] == QLatin1String("-")) {
                table.remove(fields[0]);
                ambiguous.insert(fields[0], QString()); // still counted as a form left in the text
            } else {
                table.insert(fields[0], fields[1]);
            }
        }

        QString out = QStringLiteral("// Generated by corvessa-variants from Unihan_Variants.txt, OpenCC and "
                                     "data/variants.tsv. Do not edit.\n");
        out += QStringLiteral("static const char16_t* const kVariantPairs[][2] = {\n");
        for (auto it = table.constBegin(); it != table.constEnd(); ++it)
            out += QStringLiteral("    {%1, %2},\n").arg(cppString(it.key()), cppString(it.value()));
        out += QStringLiteral("};\n// Forms with no single standard reading, left as they are.\n");
        out += QStringLiteral("static const char16_t* const kUnmappedVariants[] = {\n");
        for (auto it = ambiguous.constBegin(); it != ambiguous.constEnd(); ++it)
            out += QStringLiteral("    %1,\n").arg(cppString(it.key()));
        out += QStringLiteral("};\n");

        QFile file(QString::fromLocal8Bit(argv[3]));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(out.toUtf8()) < 0)
            throw std::runtime_error(std::string("cannot write ") + argv[3]);
        std::printf("variant table: %lld forms mapped, %lld left as they are\n",
                    static_cast<long long>(table.size()), static_cast<long long>(ambiguous.size()));
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "corvessa-variants: %s\n", error.what());
        return 1;
    }
}
