#pragma once

#include <QByteArray>
#include <QString>

namespace corvessa::store {

// Code page 936 (GBK), the byte form of the content codec and the link decoder. A character the code page
// cannot represent becomes "?".
QByteArray toCodePage936(const QString& text);
QString fromCodePage936(const QByteArray& bytes);

// The distinct characters of `text` that code page 936 cannot represent, in order of first appearance.
QString unrepresentableIn936(const QString& text);

} // namespace corvessa::store
