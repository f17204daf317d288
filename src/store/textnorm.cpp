#include "textnorm.h"

#include <opencc/opencc.h>
#include <stdexcept>

namespace corvessa::store {

struct TextNormalizer::OpenCC {
    opencc_t handle = reinterpret_cast<opencc_t>(-1);
    ~OpenCC() {
        if (handle != reinterpret_cast<opencc_t>(-1))
            opencc_close(handle);
    }
};

TextNormalizer::TextNormalizer() : m_opencc(std::make_unique<OpenCC>()) {
    m_opencc->handle = opencc_open("t2s.json");
    if (m_opencc->handle == reinterpret_cast<opencc_t>(-1))
        throw std::runtime_error(std::string("cannot open OpenCC t2s: ") + opencc_error());
}

TextNormalizer::~TextNormalizer() = default;

const QHash<QString, QString>& TextNormalizer::variantTable() {
    // Variant and old forms of the woodblock editions that OpenCC leaves alone, with the standard character
    // a reader types. Each pair is the same character written two ways (㕮 in 㕮咀 is the old 父 of 父且; 䓖
    // and 䗪 keep their traditional forms 藭 and 蟅).
    static const QHash<QString, QString> table = [] {
        static const char16_t* const pairs[][2] = {
            {u"寳", u"宝"}, {u"隂", u"阴"}, {u"煑", u"煮"},   {u"眞", u"真"}, {u"丼", u"甘"}, {u"㣲", u"微"},
            {u"㵼", u"泻"}, {u"𠻳", u"嗽"}, {u"䓖", u"藭"},   {u"𤓰", u"瓜"}, {u"㸃", u"点"}, {u"㯽", u"槟"},
            {u"𤣥", u"玄"}, {u"𢷬", u"捣"}, {u"㦸", u"戟"},   {u"𦂳", u"紧"}, {u"䜴", u"豉"}, {u"䑕", u"鼠"},
            {u"㽲", u"疟"}, {u"𢎞", u"弘"}, {u"㪚", u"散"},   {u"䖝", u"虫"}, {u"䘌", u"衄"}, {u"㫁", u"断"},
            {u"𦍑", u"羌"}, {u"㑹", u"会"}, {u"㓜", u"幼"},   {u"㧞", u"拔"}, {u"㭍", u"柒"}, {u"䓻", u"蔻"},
            {u"䔧", u"藜"}, {u"㽔", u"蕤"}, {u"𬎼", u"蕤"}, {u"䕶", u"护"}, {u"㸔", u"看"}, {u"䖟", u"虻"},
            {u"䧟", u"陷"}, {u"䨇", u"双"}, {u"㬰", u"臾"},   {u"䓤", u"葱"}, {u"𩕄", u"囟"}, {u"䝉", u"蒙"},
            {u"㾦", u"瘾"}, {u"㿔", u"疹"}, {u"㗋", u"喉"},   {u"㨂", u"拣"}, {u"䧺", u"雄"}, {u"䗪", u"蟅"},
            {u"㕮", u"父"}, {u"畧", u"略"}, {u"夲", u"本"}};
        QHash<QString, QString> t;
        for (const auto& pair : pairs)
            t.insert(QString::fromUtf16(pair[0]), QString::fromUtf16(pair[1]));
        return t;
    }();
    return table;
}

QString TextNormalizer::operator()(const QString& text) const {
    if (text.isEmpty())
        return text;
    const QByteArray utf8 = text.normalized(QString::NormalizationForm_C).toUtf8();
    char* converted = opencc_convert_utf8(m_opencc->handle, utf8.constData(), size_t(utf8.size()));
    if (!converted)
        throw std::runtime_error(std::string("OpenCC conversion failed: ") + opencc_error());
    const QString simplified = QString::fromUtf8(converted);
    opencc_convert_utf8_free(converted);
    return variantsOnly(simplified);
}

QString TextNormalizer::variantsOnly(const QString& input) const {
    const QString text = input.normalized(QString::NormalizationForm_C);
    const QHash<QString, QString>& variants = variantTable();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype width = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            width = 2;
        const QString one = text.mid(i, width);
        const auto variant = variants.constFind(one);
        out += variant != variants.constEnd() ? *variant : one;
        i += width - 1;
    }
    return out;
}

} // namespace corvessa::store
