#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// A registry file of a Wine prefix (user.reg, system.reg): its text, read for the values of one
// key, and changed one DWORD at a time with every other byte left as it was. Key and value
// names are matched as Wine matches them, without regard to case.
class WineRegistryFile
{
public:
    explicit WineRegistryFile(QByteArray text) : content(std::move(text)) {}

    struct Value {
        enum Type { Missing, Text, Dword, Other } type = Missing;
        QString text;             // Text, up to its first NUL
        std::uint32_t number = 0; // Dword
    };

    // Keys as the registry names them below the file's root, with single backslashes.
    bool hasKey(const QString &key) const;
    // The default value is named by the empty text.
    Value value(const QString &key, const QString &name) const;
    // Sets a DWORD in an existing key: the value's line is replaced, or a new line goes in
    // where Wine keeps it (values sorted by name). False when the key is missing.
    bool setDword(const QString &key, const QString &name, std::uint32_t number);

    const QByteArray &text() const { return content; }

    // Wine's escapes: `\\`, the quote or brackets, C escapes, octal, and `\x` with a UTF-16
    // unit in hex for anything beyond ASCII. `end` is where the terminator stands.
    static QString unescape(const QByteArray &text, int from, char terminator, int *end);
    static QByteArray escape(const QString &text, const char *alsoEscaped);

private:
    struct Section {
        int begin = -1; // the key's line
        int body = -1;  // the line after it
        int end = -1;   // the next key's line, or the end of the text
    };
    struct ValueLine {
        int begin = -1;
        int end = -1; // after its last line, continuation lines included
        QString name;
        int dataFrom = -1; // just after the '='
    };
    Section section(const QString &key) const;
    // The value line starting at `at`, or one with begin == -1 when the line holds none.
    ValueLine valueLineAt(int at) const;
    int lineEnd(int at) const;
    static bool sortsBefore(const QString &a, const QString &b);

    QByteArray content;
};
