// SPDX-License-Identifier: GPL-3.0-or-later

// The search aids kept with the databases: pinyin keys of names, the composition index and the listing read
// for the result list.
#include "fixture.h"
#include "readings.h"

#include "store/codec.h"
#include "store/ingredients.h"
#include "store/listing.h"
#include "store/pinyin.h"
#include "store/records.h"
#include "store/schema.h"
#include "store/sqlite.h"
#include "store/storeerror.h"

#include <QRegularExpression>
#include <QTest>

using namespace corvessa::store;
using corvessa::testsupport::FixtureDatabases;

namespace {

char32_t code(const QString& character) {
    return character.toUcs4().front();
}

QList<qint64> matching(FixtureDatabases& db, bool personal, const QString& condition) {
    Connection& connection = db.store().connections().connection(personal ? db.store().personalConnection()
                                                                          : db.store().libraryConnection());
    Statement read(connection, QStringLiteral("SELECT rowid FROM [中药方剂] WHERE ") + condition +
                                   QStringLiteral(" ORDER BY rowid"));
    QList<qint64> rows;
    while (read.step())
        rows << read.int64(0);
    return rows;
}

qint64 libraryRow(FixtureDatabases& db, const QString& name) {
    Connection& library = db.store().connections().connection(db.store().libraryConnection());
    Statement read(library, QStringLiteral("SELECT rowid FROM [中药方剂] WHERE [方名] = ?"));
    read.bind(1, name);
    return read.step() ? read.int64(0) : 0;
}

} // namespace

class SearchAidsTest : public QObject {
    Q_OBJECT

private slots:
    void readingsComeFromUnihanAndIcuWithTheFieldsOwn() {
        const pinyin::Readings& readings = corvessa::dbbuild::defaultReadings();
        QVERIFY(readings.size() > 20000);
        QCOMPARE(readings.value(code(QStringLiteral("桂"))).value(0), QStringLiteral("gui"));
        // The field's readings replace the everyday ones.
        QCOMPARE(readings.value(code(QStringLiteral("术"))), QStringList{QStringLiteral("zhu")});
        QCOMPARE(readings.value(code(QStringLiteral("朴"))), QStringList{QStringLiteral("po")});
        QCOMPARE(readings.value(code(QStringLiteral("重"))),
                 (QStringList{QStringLiteral("chong"), QStringLiteral("zhong")}));
        // Every reading of the field's table is one that Unihan also gives the character (in any field).
        QFile unihan(corvessa::dbbuild::defaultUnihanPath());
        QVERIFY(unihan.open(QIODevice::ReadOnly));
        QHash<char32_t, QStringList> known;
        for (const QString& line : QString::fromUtf8(unihan.readAll()).split(QLatin1Char('\n'))) {
            const QStringList fields = line.split(QLatin1Char('\t'));
            if (fields.size() < 3 || !fields[0].startsWith(QStringLiteral("U+")))
                continue;
            const char32_t c = fields[0].mid(2).toUInt(nullptr, 16);
            if (!pinyin::fieldReadings().contains(c))
                continue;
            static const QRegularExpression separators(QStringLiteral("[ ,:()]"));
            for (const QString& reading : fields[2].split(separators, Qt::SkipEmptyParts))
                known[c] << corvessa::dbbuild::toneless(reading);
        }
        const pinyin::Readings& field = pinyin::fieldReadings();
        QVERIFY(field.contains(code(QStringLiteral("参"))));
        for (auto it = field.constBegin(); it != field.constEnd(); ++it) {
            for (const QString& reading : *it) {
                const char32_t c = it.key();
                QVERIFY2(known.value(c).contains(reading), qPrintable(QString::fromUcs4(&c, 1) + reading));
            }
        }
    }

    void tonelessReadings() {
        QCOMPARE(corvessa::dbbuild::toneless(QStringLiteral("shù")), QStringLiteral("shu"));
        QCOMPARE(corvessa::dbbuild::toneless(QStringLiteral("Guì")), QStringLiteral("gui"));
        QVERIFY(corvessa::dbbuild::toneless(QStringLiteral("21152.020:shú")).isEmpty());
    }

    void keysOfANameCoverEveryReading() {
        pinyin::Readings readings;
        readings.insert(code(QStringLiteral("桂")), {QStringLiteral("gui")});
        readings.insert(code(QStringLiteral("枝")), {QStringLiteral("zhi")});
        readings.insert(code(QStringLiteral("汤")), {QStringLiteral("tang"), QStringLiteral("shang")});
        const pinyin::NameKeys keys = pinyin::nameKeys(QStringLiteral("桂枝汤（一）"), readings);
        QCOMPARE(keys.initials, QStringLiteral("gzt|gzs"));
        QCOMPARE(keys.full, QStringLiteral("|guizhitang|zhitang|tang|guizhishang|zhishang|shang"));
        QCOMPARE(keys.terms,
                 QStringLiteral("gzt zt t gzs zs s guizhitang zhitang tang guizhishang zhishang shang"));
        // A Latin letter stands for itself; characters without a reading are left out.
        QCOMPARE(pinyin::nameKeys(QStringLiteral("A桂?"), readings).initials, QStringLiteral("ag"));
        QCOMPARE(pinyin::nameKeys(QStringLiteral("？"), readings).full, QString());
    }

    void manyPolyphonesKeepFewCombinations() {
        pinyin::Readings readings;
        readings.insert(code(QStringLiteral("重")), {QStringLiteral("chong"), QStringLiteral("zhong")});
        const pinyin::NameKeys keys = pinyin::nameKeys(QStringLiteral("重重重重重"), readings);
        QVERIFY(keys.initials.split(QLatin1Char('|')).size() <= 4);
        QVERIFY(keys.initials.split(QLatin1Char('|')).contains(QStringLiteral("ccccc")));
    }

    void pinyinInputIsLettersAndBlanks() {
        QVERIFY(pinyin::isPinyinInput(QStringLiteral("gzt")));
        QVERIFY(pinyin::isPinyinInput(QStringLiteral(" Gui zhi ")));
        QVERIFY(!pinyin::isPinyinInput(QStringLiteral("   ")));
        QVERIFY(!pinyin::isPinyinInput(QStringLiteral("gui枝")));
        QVERIFY(!pinyin::isPinyinInput(QStringLiteral("g'zt")));
        QVERIFY(!pinyin::isPinyinInput(QStringLiteral("g%")));
    }

    void libraryNamesAreFoundByInitialsFullPinyinAndPrefixes() {
        FixtureDatabases db;
        const qint64 guizhi = libraryRow(db, QStringLiteral("桂枝汤"));
        QVERIFY(guizhi > 0);
        auto found = [&](const QString& typed) {
            return matching(db, false, pinyin::libraryNameCondition(typed));
        };
        for (const char* typed : {"gzt", "GZT", "guizhitang", "gui zhi tang", "guizh", "zhitang", "zt"})
            QVERIFY2(found(QString::fromLatin1(typed)).contains(guizhi), typed);
        // A syllable is matched from its start only: "uizhi" is inside guizhitang but starts no syllable.
        QVERIFY(!found(QStringLiteral("uizhi")).contains(guizhi));
        QVERIFY(!found(QStringLiteral("mht")).contains(guizhi));
        QVERIFY(found(QStringLiteral("mht")).contains(libraryRow(db, QStringLiteral("麻黄汤"))));
        // 小柴胡汤: the field's reading of 柴胡.
        QVERIFY(found(QStringLiteral("xiaochaihu")).contains(libraryRow(db, QStringLiteral("小柴胡汤"))));
        // The library and the personal database agree on what a name matches.
        db.store().connections().connection(db.store().libraryConnection());
        savePersonalPrescription(db.store(), QString(), QStringLiteral("小柴胡汤"), QStringLiteral("和解剂"),
                                 QStringLiteral("测试"), QDateTime(QDate(2026, 12, 8), QTime(4, 35, 0)));
        for (const char* typed : {"xch", "chaihu", "hut", "xiaochaihutang", "x"})
            QCOMPARE(matching(db, true, pinyin::nameCondition(QString::fromLatin1(typed))).size(), 1);
        for (const char* typed : {"aihu", "xcht x", "tangx"})
            QVERIFY(matching(db, true, pinyin::nameCondition(QString::fromLatin1(typed))).isEmpty());
    }

    void personalKeysFollowSavesRenamesAndDeletes() {
        FixtureDatabases db;
        const QDateTime now(QDate(2026, 12, 8), QTime(4, 35, 0));
        // With the library open (as it is under the window) the save makes the keys.
        db.store().connections().connection(db.store().libraryConnection());
        const QString key = savePersonalPrescription(db.store(), QString(), QStringLiteral("桂枝汤"),
                                                     QStringLiteral("解表剂"), QStringLiteral("测试"), now);
        QCOMPARE(matching(db, true, pinyin::nameCondition(QStringLiteral("gzt"))).size(), 1);
        // Rows written behind the program's back get their keys on the next refresh.
        db.execPersonal(QStringLiteral("UPDATE [中药方剂] SET [方名] = '麻黄汤'"));
        QVERIFY(matching(db, true, pinyin::nameCondition(QStringLiteral("mht"))).isEmpty());
        pinyin::refreshPersonalKeys(db.store());
        QCOMPARE(matching(db, true, pinyin::nameCondition(QStringLiteral("mht"))).size(), 1);
        QVERIFY(matching(db, true, pinyin::nameCondition(QStringLiteral("gzt"))).isEmpty());
        QVERIFY(deletePersonalRecord(db.store(), key, kCategoryPersonal));
        pinyin::refreshPersonalKeys(db.store());
        Statement count(db.store().connections().connection(db.store().personalConnection()),
                        QStringLiteral("SELECT count(*) FROM [拼音]"));
        QVERIFY(count.step());
        QCOMPARE(count.int64(0), 0);
    }

    void savesWithoutTheLibraryLeaveTheKeysToTheNextSearch() {
        FixtureDatabases db;
        const QDateTime now(QDate(2026, 12, 8), QTime(4, 35, 0));
        savePersonalPrescription(db.store(), QString(), QStringLiteral("桂枝汤"), QStringLiteral("解表剂"),
                                 QStringLiteral("测试"), now);
        QVERIFY(!db.store().connections().isOpen(db.store().libraryConnection()));
        pinyin::refreshPersonalKeys(db.store());
        QCOMPARE(matching(db, true, pinyin::nameCondition(QStringLiteral("guizhi"))).size(), 1);
    }

    void compositionIsTheTextAfterItsHeading() {
        QCOMPARE(ingredients::compositionOf(QStringLiteral("【组成】麻黄　桂枝【用法】水煎")),
                 QStringLiteral("麻黄　桂枝"));
        QCOMPARE(ingredients::compositionOf(QStringLiteral("甲【组成】甘草")), QStringLiteral("甘草"));
        QVERIFY(ingredients::compositionOf(QStringLiteral("【主治】腹痛")).isEmpty());
        QCOMPARE(ingredients::indexText(QStringLiteral("白茯苓(三两)")),
                 QStringLiteral("白 茯 苓 、 三 两 、"));
        QCOMPARE(ingredients::searchable(
                     {QStringLiteral("麻黄"), QString(), QStringLiteral("\"'*"), QStringLiteral("桂 枝")}),
                 (QStringList{QStringLiteral("麻黄"), QStringLiteral("桂枝")}));
        QVERIFY(ingredients::containsAll(QStringLiteral("白茯苓　甘草"), {QStringLiteral("茯苓")}));
        QVERIFY(!ingredients::containsAll(QStringLiteral("白茯苓　甘草"),
                                          {QStringLiteral("茯苓"), QStringLiteral("麻黄")}));
    }

    void compositionIndexFindsEveryHerbAsAPhrase() {
        FixtureDatabases db;
        const qint64 mahuang = libraryRow(db, QStringLiteral("麻黄汤"));
        const qint64 guizhi = libraryRow(db, QStringLiteral("桂枝汤"));
        const QList<qint64> both = matching(
            db, false, ingredients::indexCondition({QStringLiteral("麻黄"), QStringLiteral("桂枝")}));
        QVERIFY(both.contains(mahuang));
        QVERIFY(!both.contains(guizhi));
        // Every match really has both herbs in its composition, and nothing with both is missed.
        Connection& library = db.store().connections().connection(db.store().libraryConnection());
        Statement all(library, QStringLiteral("SELECT rowid, [内容], [类别] FROM [中药方剂] ORDER BY rowid"));
        QList<qint64> expected;
        while (all.step()) {
            if (all.value(2).toString() == kCategoryHerb)
                continue;
            const QString composition = ingredients::compositionOf(unscramble(all.value(1).toString()));
            if (composition.contains(QStringLiteral("麻黄")) && composition.contains(QStringLiteral("桂枝")))
                expected << all.int64(0);
        }
        QCOMPARE(both, expected);
        // A phrase never runs across a separator: 麻黄汤 has "去节)桂枝" but no "节桂".
        QVERIFY(
            !matching(db, false, ingredients::indexCondition({QStringLiteral("节桂")})).contains(mahuang));
    }

    void emptyPatternsMeanAValue() {
        QCOMPARE(withoutEmptyPatterns(QStringLiteral("where [出处] like '%%' and [主治] like '%%'and x")),
                 QStringLiteral("where [出处] IS NOT NULL  and [主治] IS NOT NULL and x"));
        // Typed text has its quotes doubled: a pattern that only looks empty stays as it is.
        const QString typed = QStringLiteral("where [方名] like '%''%%'' and [出处] like ''%%'");
        QCOMPARE(withoutEmptyPatterns(typed), typed);
        QCOMPARE(withoutEmptyPatterns(QStringLiteral("[方名] like '%a%'")),
                 QStringLiteral("[方名] like '%a%'"));
    }

    void listingReadsRowidNameAndSource() {
        FixtureDatabases db;
        Connection& library = db.store().connections().connection(db.store().libraryConnection());
        const Listing listing = Listing::read(
            library, QStringLiteral("select * from[中药方剂] where [方名] like '%%' and [类别] = '中药经方' "
                                    "order by [方名]"));
        Statement expected(library,
                           QStringLiteral("SELECT rowid, [方名], [出处] FROM [中药方剂] WHERE [类别] = "
                                          "'中药经方' ORDER BY [方名]"));
        int row = 0;
        while (expected.step()) {
            QVERIFY(row < listing.count());
            QCOMPARE(listing.rowid(row), expected.int64(0));
            QCOMPARE(listing.name(row), expected.value(1).toString());
            QCOMPARE(listing.source(row), expected.value(2).toString());
            ++row;
        }
        QCOMPARE(listing.count(), row);
        QVERIFY(row > 10);
        QVERIFY_THROWS_EXCEPTION(StoreError, Listing::read(library, QStringLiteral("select [方名] from x")));
        QVERIFY_THROWS_EXCEPTION(
            StoreError, Listing::read(library, QStringLiteral("select * from[中药方剂] where [方名 like")));
    }

    void libraryKeepsOnlyTheIndexesItsQueriesUse() {
        FixtureDatabases db;
        Statement indexes(db.store().connections().connection(db.store().libraryConnection()),
                          QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = "
                                         "'中药方剂' AND sql IS NOT NULL ORDER BY name"));
        QStringList names;
        while (indexes.step())
            names << indexes.value(0).toString();
        QCOMPARE(names, (QStringList{QStringLiteral("教科书"), QStringLiteral("类别方名")}));
        // The textbook list is answered from its own index.
        Statement plan(
            db.store().connections().connection(db.store().libraryConnection()),
            QStringLiteral("EXPLAIN QUERY PLAN select rowid,[方名],[出处] from[中药方剂] where [分组] "
                           "='1' and [类别] = '中药经方' order by [方名]"));
        QVERIFY(plan.step());
        QVERIFY2(plan.value(3).toString().contains(QStringLiteral("COVERING INDEX 教科书")),
                 qPrintable(plan.value(3).toString()));
    }
};

QTEST_GUILESS_MAIN(SearchAidsTest)
#include "searchaids_test.moc"
