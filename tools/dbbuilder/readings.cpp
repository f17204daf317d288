// SPDX-License-Identifier: GPL-3.0-or-later

#include "readings.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <memory>
#include <stdexcept>
#include <unicode/translit.h>
#include <unicode/unistr.h>

namespace corvessa::dbbuild {

namespace {

std::unique_ptr<icu::Transliterator> makeTransliterator(const char* id) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> t(
        icu::Transliterator::createInstance(icu::UnicodeString::fromUTF8(id), UTRANS_FORWARD, status));
    if (U_FAILURE(status) || !t)
        throw std::runtime_error(std::string("ICU transliterator not available: ") + id);
    return t;
}

QString transliterate(icu::Transliterator& t, const QString& text) {
    icu::UnicodeString s(reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()));
    t.transliterate(s);
    return QString(reinterpret_cast<const QChar*>(s.getBuffer()), s.length());
}

icu::Transliterator& toAscii() {
    static const std::unique_ptr<icu::Transliterator> t = makeTransliterator("Latin-ASCII");
    return *t;
}

void addReading(QStringList& list, const QString& reading) {
    const QString plain = toneless(reading);
    if (!plain.isEmpty() && !list.contains(plain))
        list << plain;
}

} // namespace

QString toneless(const QString& reading) {
    const QString ascii = transliterate(toAscii(), reading).toLower();
    QString letters;
    for (const QChar c : ascii) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            letters += c;
        else
            return {}; // not a single reading
    }
    return letters;
}

store::pinyin::Readings buildReadings(const QString& unihanReadingsPath) {
    QFile file(unihanReadingsPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw std::runtime_error("cannot read " + unihanReadingsPath.toStdString());
    // Per character, kMandarin's readings and kHanyuPinlu's (without their counts).
    QMap<char32_t, QStringList> unihan;
    static const QRegularExpression count(QStringLiteral("\\(\\d+\\)"));
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (!line.startsWith(QLatin1String("U+")))
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() < 3)
            continue;
        if (fields[1] != QLatin1String("kMandarin") && fields[1] != QLatin1String("kHanyuPinlu"))
            continue;
        bool ok = false;
        const char32_t c = fields[0].mid(2).toUInt(&ok, 16);
        if (!ok)
            continue;
        QString values = fields[2];
        values.remove(count);
        unihan[c] += values.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }
    const auto hanLatin = makeTransliterator("Han-Latin");
    const store::pinyin::Readings& field = store::pinyin::fieldReadings();
    store::pinyin::Readings readings;
    for (auto it = unihan.constBegin(); it != unihan.constEnd(); ++it) {
        const char32_t c = it.key();
        if (const auto own = field.constFind(c); own != field.constEnd()) {
            readings.insert(c, *own);
            continue;
        }
        QStringList list;
        addReading(list, transliterate(*hanLatin, QString::fromUcs4(&c, 1)));
        for (const QString& reading : *it)
            addReading(list, reading);
        if (!list.isEmpty())
            readings.insert(c, list);
    }
    return readings;
}

QString defaultUnihanPath() {
    return QStringLiteral(CORVESSA_UNIHAN_READINGS);
}

const store::pinyin::Readings& defaultReadings() {
    static const store::pinyin::Readings readings = buildReadings(defaultUnihanPath());
    return readings;
}

} // namespace corvessa::dbbuild
