#pragma once

#include <QByteArray>
#include <QString>

#include <string>

// The store, the records and the registry seam keep text as UTF-8 bytes; the rest of the
// program works with QString.
inline QString fromUtf8(const std::string &text)
{
    return QString::fromUtf8(text.data(), int(text.size()));
}

inline std::string toUtf8(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}
