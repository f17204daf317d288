// SPDX-License-Identifier: GPL-3.0-or-later

// The shared text normaliser on phrases taken from the source texts: the variant forms of the old editions
// become the characters a reader types, and no character is changed into a different one.
#include "normalizer.h"
#include "store/codepage.h"
#include "store/textnorm.h"

#include <QTest>

using namespace corvessa;

namespace {

// GB 2312, the characters of simplified Chinese a reader types: both bytes of its code page 936 form lie in
// A1..FE.
bool inGb2312(const QString& character) {
    if (!store::unrepresentableIn936(character).isEmpty())
        return false;
    const QByteArray bytes = store::toCodePage936(character);
    return bytes.size() == 2 && uchar(bytes[0]) >= 0xA1 && uchar(bytes[0]) <= 0xF7 && uchar(bytes[1]) >= 0xA1;
}

} // namespace

class NormalizerTest : public QObject {
    Q_OBJECT

    store::TextNormalizer m_normalize;

private slots:
    void sourcePhrasesReadAsTyped_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("expected");
        QTest::newRow("黄茋") << QStringLiteral("黄茋(蜜炙)") << QStringLiteral("黄芪(蜜炙)");
        QTest::newRow("乆") << QStringLiteral("治血虚乆") << QStringLiteral("治血虚久");
        QTest::newRow("毎 扵") << QStringLiteral("毎服扵食前") << QStringLiteral("每服于食前");
        QTest::newRow("麄 麤") << QStringLiteral("肉桂(去麄皮)麤末") << QStringLiteral("肉桂(去粗皮)粗末");
        QTest::newRow("黒 両") << QStringLiteral("黒豆一両") << QStringLiteral("黑豆一两");
        QTest::newRow("効 觧 欵") << QStringLiteral("神効觧毒款冬欵") << QStringLiteral("神效解毒款冬款");
        QTest::newRow("疎") << QStringLiteral("柴胡疎肝散") << QStringLiteral("柴胡疏肝散");
        QTest::newRow("胷 衇") << QStringLiteral("胷滿衇浮") << QStringLiteral("胸满脉浮");
        QTest::newRow("逺志 茱茰") << QStringLiteral("逺志　吳茱茰") << QStringLiteral("远志　吴茱萸");
        QTest::newRow("覆 covers") << QStringLiteral("堅覆上如覆杯重覆汗反覆")
                                   << QStringLiteral("坚覆上如覆杯重覆汗反复");
        // U+2F80F, a compatibility code point, is 兔 after NFC.
        QTest::newRow("compatibility 兔") << QStringLiteral("\U0002F80F絲子丸") << QStringLiteral("兔丝子丸");
    }
    void sourcePhrasesReadAsTyped() {
        QFETCH(QString, source);
        QFETCH(QString, expected);
        QCOMPARE(m_normalize(source), expected);
    }

    void charactersWithoutAStandardFormAreKept_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("expected");
        // 黄耆 is the old name of 黄芪 and reads as it, but 耆 is a character of its own (耆老): it stays.
        QTest::newRow("耆") << QStringLiteral("黃耆　耆老") << QStringLiteral("黄芪　耆老");
        // The conversion would give 㖞 and 𫈟, outside code page 936: the source characters stay.
        QTest::newRow("喎") << QStringLiteral("口喎") << QStringLiteral("口喎");
        QTest::newRow("蔯") << QStringLiteral("茵蔯") << QStringLiteral("茵蔯");
        // 䗪 is the standard form in 大黄䗪虫丸; 㕮咀 is a word of its own.
        QTest::newRow("䗪") << QStringLiteral("大黄䗪蟲丸") << QStringLiteral("大黄䗪虫丸");
        QTest::newRow("㕮咀") << QStringLiteral("右㕮咀") << QStringLiteral("右㕮咀");
        // 陜 stands for 陝 here; 芸 is a standard character of its own (OpenCC writes 薹 as 苔).
        QTest::newRow("陜") << QStringLiteral("陜西") << QStringLiteral("陜西");
        QTest::newRow("芸") << QStringLiteral("芸薹子") << QStringLiteral("芸苔子");
        // 㽲 is a griping pain, a word of its own: made into 疟 it would read as malaria.
        QTest::newRow("㽲") << QStringLiteral("治産後腹中㽲痛") << QStringLiteral("治产后腹中㽲痛");
        // 㿔 is a wart on the toad of 蟾蜍丸 (身多㿔者), not only the 疹 of 㾦㿔.
        QTest::newRow("㿔") << QStringLiteral("身多㿔者") << QStringLiteral("身多㿔者");
    }
    void charactersWithoutAStandardFormAreKept() {
        QFETCH(QString, source);
        QFETCH(QString, expected);
        QCOMPARE(m_normalize(source), expected);
    }

    void everyMappingEndsOnAStandardCharacter() {
        const QHash<QString, QString>& table = store::TextNormalizer::variantTable();
        QVERIFY(table.size() > 500); // built from Unihan, not only the hand list
        for (auto it = table.constBegin(); it != table.constEnd(); ++it) {
            const QString pair = it.key() + QStringLiteral("→") + it.value();
            QVERIFY2(!inGb2312(it.key()),
                     qPrintable(pair + QStringLiteral(": a standard character is changed")));
            QVERIFY2(store::unrepresentableIn936(it.value()).isEmpty(), qPrintable(pair));
            QVERIFY2(!table.contains(it.value()), qPrintable(pair + QStringLiteral(": maps on again")));
            QVERIFY2(!store::TextNormalizer::unmappedVariants().contains(it.key()), qPrintable(pair));
        }
    }

    void importerCountsWhatItMapsAndKeeps() {
        importer::Normalizer normalize;
        QCOMPARE(normalize(QStringLiteral("毎服乆煎")), QStringLiteral("每服久煎"));
        QCOMPARE(normalize.variantsMapped(), 2);
        QCOMPARE(normalize(QStringLiteral("治久𠮷")), QStringLiteral("治久𠮷"));
        QCOMPARE(normalize.storedOutside936(), 1);
    }
};

QTEST_GUILESS_MAIN(NormalizerTest)
#include "normalizer_test.moc"
