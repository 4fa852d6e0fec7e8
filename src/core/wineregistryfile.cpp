#include "wineregistryfile.h"

#include <cstring>

namespace
{

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isOctal(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('7');
}

// The C escapes Wine writes for control characters, indexed by the character.
const char controlEscapes[33] = ".......abtnvfr.............e....";

bool startsWith(const QByteArray &text, int at, const char *prefix)
{
    const int length = int(std::strlen(prefix));
    return at + length <= text.size() && std::memcmp(text.constData() + at, prefix, length) == 0;
}

} // namespace

QString WineRegistryFile::unescape(const QByteArray &text, int from, char terminator, int *end)
{
    QString out;
    int i = from;
    while (i < text.size() && text[i] != '\n') {
        const char c = text[i];
        if (c == terminator) {
            *end = i;
            return out;
        }
        if (c != '\\' || i + 1 >= text.size()) {
            out += QChar(uchar(c));
            ++i;
            continue;
        }
        const char next = text[++i];
        if (const char *known = std::strchr("abtnvfre", next); known && next) {
            const char *at = std::strchr(controlEscapes, next);
            out += QChar(ushort(at - controlEscapes));
            ++i;
        } else if (next >= '0' && next <= '7') {
            int code = 0;
            for (int n = 0; n < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7'; ++n)
                code = code * 8 + (text[i++] - '0');
            out += QChar(ushort(code));
        } else if (next == 'x') {
            ++i;
            int code = 0;
            int n = 0;
            for (; n < 4 && i < text.size() && hexDigit(text[i]) >= 0; ++n)
                code = code * 16 + hexDigit(text[i++]);
            out += n ? QChar(ushort(code)) : QLatin1Char('x');
        } else {
            out += QChar(uchar(next)); // a backslash, the quote or a bracket
            ++i;
        }
    }
    *end = -1; // no terminator on this line
    return out;
}

QByteArray WineRegistryFile::escape(const QString &text, const char *alsoEscaped)
{
    QByteArray out;
    for (int i = 0; i < text.size(); ++i) {
        const ushort unit = text[i].unicode();
        const bool nextIsHex = i + 1 < text.size() && text[i + 1].unicode() < 128 &&
                               hexDigit(char(text[i + 1].unicode())) >= 0;
        if (unit > 127) {
            // A hex digit after it would be read as part of the number.
            out += QByteArray("\\x") +
                   QByteArray::number(unit, 16).rightJustified(nextIsHex ? 4 : 0, '0');
        } else if (unit < 32) {
            if (controlEscapes[unit] != '.')
                out += QByteArray("\\") + controlEscapes[unit];
            else
                out += QByteArray("\\") +
                       QByteArray::number(unit, 8).rightJustified(
                           i + 1 < text.size() && isOctal(text[i + 1]) ? 3 : 0, '0');
        } else {
            if (unit == '\\' || std::strchr(alsoEscaped, char(unit)))
                out += '\\';
            out += char(unit);
        }
    }
    return out;
}

int WineRegistryFile::lineEnd(int at) const
{
    const int newline = content.indexOf('\n', at);
    return newline < 0 ? content.size() : newline + 1;
}

WineRegistryFile::Section WineRegistryFile::section(const QString &key) const
{
    Section found;
    for (int at = 0; at < content.size(); at = lineEnd(at)) {
        if (content[at] != '[')
            continue;
        if (found.begin >= 0) {
            found.end = at;
            return found;
        }
        int end = -1;
        const QString name = unescape(content, at + 1, ']', &end);
        if (end >= 0 && name.compare(key, Qt::CaseInsensitive) == 0) {
            found.begin = at;
            found.body = lineEnd(at);
        }
    }
    if (found.begin >= 0)
        found.end = content.size();
    return found;
}

WineRegistryFile::ValueLine WineRegistryFile::valueLineAt(int at) const
{
    ValueLine line;
    int equals = -1;
    if (content[at] == '@') {
        equals = at + 1;
    } else if (content[at] == '"') {
        int end = -1;
        line.name = unescape(content, at + 1, '"', &end);
        if (end >= 0)
            equals = end + 1;
    }
    if (equals < 0 || equals >= content.size() || content[equals] != '=')
        return line;
    line.begin = at;
    line.dataFrom = equals + 1;
    // Long binary values go on over several lines, each but the last ending in a backslash.
    int end = lineEnd(at);
    while (end < content.size() && end >= 2 && content[end - 1] == '\n' && content[end - 2] == '\\')
        end = lineEnd(end);
    line.end = end;
    return line;
}

bool WineRegistryFile::sortsBefore(const QString &a, const QString &b)
{
    // Wine keeps a key's values ordered by their upper-case names.
    return a.toUpper() < b.toUpper();
}

bool WineRegistryFile::hasKey(const QString &key) const
{
    return section(key).begin >= 0;
}

WineRegistryFile::Value WineRegistryFile::value(const QString &key, const QString &name) const
{
    Value found;
    const Section keySection = section(key);
    if (keySection.begin < 0)
        return found;
    for (int at = keySection.body; at < keySection.end;) {
        const ValueLine line = valueLineAt(at);
        if (line.begin < 0) {
            at = lineEnd(at);
            continue;
        }
        at = line.end;
        if (line.name.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        const int data = line.dataFrom;
        found.type = Value::Other;
        int textFrom = -1;
        if (startsWith(content, data, "\""))
            textFrom = data + 1;
        else if (startsWith(content, data, "str(2):\"")) // expandable text reads as text
            textFrom = data + 8;
        if (textFrom >= 0) {
            int end = -1;
            const QString text = unescape(content, textFrom, '"', &end);
            if (end >= 0) {
                found.type = Value::Text;
                found.text = text.left(text.indexOf(QChar(0)));
            }
        } else if (startsWith(content, data, "dword:")) {
            bool ok = false;
            const uint number = content.mid(data + 6, 8).toUInt(&ok, 16);
            if (ok) {
                found.type = Value::Dword;
                found.number = number;
            }
        }
        return found;
    }
    return found;
}

bool WineRegistryFile::setDword(const QString &key, const QString &name, std::uint32_t number)
{
    const Section keySection = section(key);
    if (keySection.begin < 0)
        return false;
    const QByteArray data = "dword:" + QByteArray::number(number, 16).rightJustified(8, '0') + '\n';
    QByteArray line = name.isEmpty() ? QByteArray("@") : '"' + escape(name, "\"") + '"';
    line += '=' + data;

    // After the key's own lines (its time, its class) when it has no value before the new one.
    int insertAt = keySection.body;
    while (insertAt < keySection.end && content[insertAt] == '#')
        insertAt = lineEnd(insertAt);
    for (int at = keySection.body; at < keySection.end;) {
        const ValueLine existing = valueLineAt(at);
        if (existing.begin < 0) {
            at = lineEnd(at);
            continue;
        }
        if (existing.name.compare(name, Qt::CaseInsensitive) == 0) {
            // The value keeps its own spelling, as in Wine.
            content.replace(existing.dataFrom, existing.end - existing.dataFrom, data);
            return true;
        }
        if (sortsBefore(name, existing.name))
            break;
        insertAt = existing.end;
        at = existing.end;
    }
    if (insertAt > 0 && content[insertAt - 1] != '\n')
        line.prepend('\n');
    content.insert(insertAt, line);
    return true;
}
