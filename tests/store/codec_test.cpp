// SPDX-License-Identifier: GPL-3.0-or-later

// The stored form of record texts and the obfuscated lists: both must round-trip exactly, because every
// record of the shipped library and every saved prescription is read back through them.
#include "store/codec.h"
#include "store/codepage.h"
#include "store/linkdecoder.h"
#include "store/storeerror.h"

#include <QSet>
#include <QTest>

using namespace corvessa::store;

class CodecTest : public QObject {
    Q_OBJECT

    static QString alphabet() { return decodeLinkList(QString::fromLatin1(links::kContentAlphabet)); }

private slots:
    void roundTrips_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << QStringLiteral("abc 123");
        QTest::newRow("chinese") << QStringLiteral("【组成】麻黄三两，桂枝二两，甘草一两。");
        QTest::newRow("line breaks") << QStringLiteral("第一行\r\n第二行\r\n\r\n【用法】水煎服");
        QTest::newRow("one character") << QStringLiteral("汤");
        QTest::newRow("long") << QString(QStringLiteral("桂枝汤方右五味")).repeated(500);
    }
    void roundTrips() {
        QFETCH(QString, text);
        const QString stored = scramble(text);
        QCOMPARE(unscramble(stored), text);
    }

    void storedFormHasTheDocumentedShape() {
        const QString text = QStringLiteral("小柴胡汤 abc，【主治】往来寒热");
        const QByteArray bytes = toGb18030(text);
        const QString stored = scramble(text);
        const QString a = alphabet();
        QCOMPARE(stored.size(), 2 * bytes.size());
        for (qsizetype i = 0; i < stored.size(); ++i) {
            QVERIFY2(a.contains(stored[i]), qPrintable(QStringLiteral("position %1").arg(i)));
            if (i % 2 == 1) // the high digit of a byte is at most 255 / 62 = 4
                QVERIFY(a.indexOf(stored[i]) < 5);
        }
    }

    void keyDependsOnBytePosition() {
        // Ten identical characters: the key cycles every ten bytes, so the pairs differ within a cycle.
        const QString stored = scramble(QStringLiteral("aaaaaaaaaaaa"));
        QSet<QString> pairs;
        for (int i = 0; i < 10; ++i)
            pairs.insert(stored.mid(2 * i, 2));
        QVERIFY(pairs.size() > 1);
        QCOMPARE(stored.mid(0, 2), stored.mid(20, 2)); // byte 10 uses the key byte of byte 0 again
    }

    void degenerateInputsGiveTheEmptyText() {
        QCOMPARE(scramble(QString()), QString());
        QCOMPARE(unscramble(QString()), QString());
        const QString stored = scramble(QStringLiteral("麻黄汤"));
        QCOMPARE(unscramble(stored.left(stored.size() - 1)), QString()); // odd length
        // A character outside the alphabet in the high position makes the byte negative: the whole text
        // fails.
        QString broken = stored;
        broken[1] = QLatin1Char('#');
        QCOMPARE(unscramble(broken), QString());
        // Out of range above 255: the highest alphabet character as the high digit gives (62-1)*62 + ...
        QString tooHigh = stored;
        tooHigh[1] = alphabet().back();
        QCOMPARE(unscramble(tooHigh), QString());
    }

    // A text the codec cannot convert must stop the write instead of storing an empty text in its place.
    void anUnconvertibleTextIsRefusedNotEmptied() {
        const QString loneSurrogate = QStringLiteral("甘草") + QChar(0xD800) + QStringLiteral("三两");
        QVERIFY_THROWS_EXCEPTION(StoreError, scramble(loneSurrogate));
    }

    void everyCodePage936CharacterKeepsItsBytes() {
        // Stored forms written in code page 936 must read back unchanged: for every character that code page
        // holds, the codec's byte form is the same.
        int checked = 0;
        for (char32_t code = 1; code < 0x10000; ++code) {
            if (code >= 0xD800 && code < 0xE000)
                continue;
            const QString one = QString::fromUcs4(&code, 1);
            // Only characters the code page holds both ways; a one-way best fit (soft hyphen -> "-") is not.
            const QByteArray old = toCodePage936(one);
            if (!unrepresentableIn936(one).isEmpty() || fromCodePage936(old) != one)
                continue;
            // Private-use code points stand for characters GB18030 names properly (U+E840 is 䓖); nothing
            // stored holds them.
            if (code >= 0xE000 && code <= 0xF8FF)
                continue;
            QVERIFY2(toGb18030(one) == old, qPrintable(QStringLiteral("U+%1").arg(uint(code), 4, 16)));
            QCOMPARE(fromGb18030(old), one);
            ++checked;
        }
        QVERIFY(checked > 21000); // the whole code page was looked at, not a converter that failed to open
        const QString text = QStringLiteral("【组成】黄芪一两，當歸半两。\r\n【用法】水煎服");
        QCOMPARE(toGb18030(text), toCodePage936(text));
        QCOMPARE(unscramble(scramble(text)), text);
    }

    void charactersOutsideCodePage936SurviveTheCodec_data() {
        QTest::addColumn<QString>("text");
        // 𠻳 (Ext B) and 䓖 (Ext A) occur in the source texts; 𪚥 (Ext B), 𫝊 (Ext D) and ก are outside GBK
        // too.
        QTest::newRow("extension b") << QStringLiteral("治久𠻳不止");
        QTest::newRow("extension a") << QStringLiteral("川芎䓖");
        QTest::newRow("mixed") << QStringLiteral("甲𠮷乙ก丙𪚥丁𫝊\r\n【用法】水煎服");
    }
    void charactersOutsideCodePage936SurviveTheCodec() {
        QFETCH(QString, text);
        QVERIFY(!unrepresentableIn936(text).isEmpty());
        const QString stored = scramble(text);
        QCOMPARE(stored.size(), 2 * toGb18030(text).size());
        QCOMPARE(unscramble(stored), text);
    }

    void codePage936ChecksRepresentability() {
        // U+20BB7 (𠮷) and a Thai letter lie outside code page 936; "?" itself is representable.
        QCOMPARE(unrepresentableIn936(QStringLiteral("甲𠮷乙ก丙")), QStringLiteral("𠮷ก"));
        QCOMPARE(unrepresentableIn936(QStringLiteral("【主治】腹痛?")), QString());
    }

    void listsDecodeToTheirDocumentedLengths() {
        QCOMPARE(decodeLinkList(QString::fromLatin1(links::kPassword)).size(), 7);
        QCOMPARE(decodeLinkList(QString::fromLatin1(links::kNewsPage)).size(), 34);
        QCOMPARE(decodeLinkList(QString::fromLatin1(links::kTutorialPage)).size(), 37);
        QCOMPARE(decodeLinkList(QString::fromLatin1(links::kAboutPage)).size(), 20);
        const QString a = alphabet();
        QCOMPARE(a.size(), 62);
        QCOMPARE(QSet<QChar>(a.begin(), a.end()).size(), 62); // unscrambling takes the first occurrence
        // Decoding is deterministic and nothing is cached between calls.
        QCOMPARE(decodeLinkList(QString::fromLatin1(links::kPassword)),
                 decodeLinkList(QString::fromLatin1(links::kPassword)));
    }

    void negativeElementsAreDoubleByteCharacters() {
        const QString list = encodeLinkList(QStringLiteral("a中b药"));
        const QStringList elements = list.split(QLatin1Char(','));
        QCOMPARE(elements.size(), 4);
        QVERIFY(elements[0].toInt() >= 0);
        QVERIFY(elements[1].toInt() < 0);
        QVERIFY(elements[3].toInt() < 0);
        QCOMPARE(decodeLinkList(list), QStringLiteral("a中b药"));
        // A lone lead byte is no character of its own: one element still gives exactly one character.
        QCOMPARE(decodeLinkList(encodeLinkList(QStringLiteral("x")) + QStringLiteral(",") +
                                QString::number(0xB0 ^ 0x6B))
                     .size(),
                 2);
    }

    void malformedListsAreRefused() {
        QVERIFY_THROWS_EXCEPTION(StoreError, decodeLinkList(QStringLiteral("1,2,x")));
        QVERIFY_THROWS_EXCEPTION(StoreError, decodeLinkList(QStringLiteral("1, 2")));
        QVERIFY_THROWS_EXCEPTION(StoreError, decodeLinkList(QStringLiteral("1,,2")));
    }
};

QTEST_GUILESS_MAIN(CodecTest)
#include "codec_test.moc"
