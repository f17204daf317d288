// SPDX-License-Identifier: GPL-3.0-or-later

#include "synthetic.h"

#include <QRandomGenerator>
#include <QStringList>

namespace corvessa::bench {

namespace {

// Characters that occur in prescription texts; the generator draws from them so that the texts are CJK text
// of the right length and code page 936 size.
const QString kHerbChars = QStringLiteral(
    "人参黄芪白术茯苓甘草当归川芎芍药熟地黄生地麦冬五味子柴胡黄芩半夏陈皮枳实厚朴大黄芒硝桂枝麻黄杏仁石膏知母"
    "附子干姜细辛吴茱萸山药泽泻丹皮山茱萸牛膝杜仲续断桑寄生防风荆芥羌活独活葛根升麻薄荷连翘金银花板蓝根");
const QString kTextChars = QStringLiteral(
    "右为末每服三钱水一盏煎至七分去滓温服日三次以知为度治心腹痛呕吐不止寒热往来头痛身疼恶风汗出口渴烦躁"
    "上件药捣罗为散炼蜜和丸如梧桐子大空心米饮下二十丸加减气虚者加之血虚者倍用其病自愈忌生冷油腻");
const QString kSymptomChars =
    QStringLiteral("腹痛呕吐头痛发热恶寒咳嗽喘满泄泻便秘心悸失眠眩晕水肿黄疸痹痛虚劳");
const QStringList kSuffixes = {QStringLiteral("汤"), QStringLiteral("散"), QStringLiteral("丸"),
                               QStringLiteral("饮"), QStringLiteral("膏"), QStringLiteral("丹")};
const QStringList kBooks = {QStringLiteral("太平惠民和剂局方"), QStringLiteral("备急千金要方"),
                            QStringLiteral("外台秘要方"),       QStringLiteral("普济方"),
                            QStringLiteral("圣济总录"),         QStringLiteral("证治准绳"),
                            QStringLiteral("医宗金鉴"),         QStringLiteral("注解伤寒论")};

QString draw(QRandomGenerator& random, const QString& alphabet, int length) {
    QString text;
    text.reserve(length);
    for (int i = 0; i < length; ++i)
        text += alphabet.at(int(random.bounded(alphabet.size())));
    return text;
}

int between(QRandomGenerator& random, int low, int high) {
    return low + int(random.bounded(high - low + 1));
}

QString prescriptionText(QRandomGenerator& random, const QString& indications, const QString& source) {
    QString text = QStringLiteral("【组成】");
    const int herbs = between(random, 3, 14);
    for (int i = 0; i < herbs; ++i)
        text += draw(random, kHerbChars, between(random, 2, 3)) + QStringLiteral("（") +
                QString::number(between(random, 1, 9)) + QStringLiteral("两）");
    // Most texts are a few hundred characters; one in twenty runs to a few thousand.
    const int usage = random.bounded(20) == 0 ? between(random, 1000, 3000) : between(random, 100, 400);
    text += QStringLiteral("【用法】") + draw(random, kTextChars, usage);
    text += QStringLiteral("【主治】") + indications + QStringLiteral("【出处】") + source;
    return text;
}

} // namespace

std::vector<dbbuild::LibraryRecord> syntheticLibrary() {
    QRandomGenerator random(20240301);
    std::vector<dbbuild::LibraryRecord> records;
    records.reserve(kClassicCount + kHerbCount);
    for (int i = 0; i < kClassicCount; ++i) {
        dbbuild::LibraryRecord r;
        // Names of 2 to 21 characters: mostly short, a few long.
        const int length = random.bounded(20) == 0 ? between(random, 8, 21) : between(random, 2, 6);
        const QString suffix =
            random.bounded(4) == 0 ? kSuffixes[0] : kSuffixes[int(random.bounded(kSuffixes.size()))];
        r.name = draw(random, kHerbChars, length - 1) + suffix;
        QString source = kBooks[int(random.bounded(kBooks.size()))];
        if (random.bounded(10) == 0)
            source += QStringLiteral("·") +
                      draw(random, kTextChars, between(random, 10, 83 - int(source.size()) - 1));
        r.source = source;
        const QString indications =
            draw(random, kSymptomChars,
                 random.bounded(10) == 0 ? between(random, 60, 200) : between(random, 4, 60));
        r.indications = indications;
        r.content = prescriptionText(random, indications, source);
        r.category = QStringLiteral("中药经方");
        // The textbook set is spread over the alphabet as in the real library.
        r.group = (i % (kClassicCount / kTextbookCount) == 0 &&
                   i / (kClassicCount / kTextbookCount) < kTextbookCount)
                      ? QStringLiteral("1")
                      : QString();
        r.spare1 = r.spare2 = r.spare3 = QString();
        records.push_back(std::move(r));
    }
    for (int i = 0; i < kHerbCount; ++i) {
        dbbuild::LibraryRecord r;
        const QString name = draw(random, kHerbChars, between(random, 2, 4));
        r.name = name;
        r.content = name + QStringLiteral("@$") + name + draw(random, kTextChars, between(random, 200, 1500));
        r.category = QStringLiteral("中药功效");
        records.push_back(std::move(r));
    }
    return records;
}

} // namespace corvessa::bench
