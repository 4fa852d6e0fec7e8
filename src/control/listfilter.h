#pragma once

#include <QString>

struct ModRowKey;

// Which rows of the mod list are shown: the user's filter text, and the rules that hold
// without one.
class ListFilter
{
public:
    ListFilter() = default;
    explicit ListFilter(const QString &text);

    bool isSet() const { return !needle.isEmpty(); }
    // The name contains the text, regardless of case; every name does when no text is set.
    bool matches(const QString &name) const;
    // A row is shown once it is measured (the mounted mod's at once), unless it has no files
    // while empty mods are hidden, and only when its name matches.
    bool shows(const ModRowKey &row, bool mounted, bool hideEmpty) const;

private:
    QString needle;
};
