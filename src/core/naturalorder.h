#pragma once

#include <QString>

// How people order names: regardless of letter case, and runs of digits by their value, so
// that "mod2" comes before "mod10". Names equal but for case or leading zeros still get one
// fixed order, so that a list sorts the same way every time.
namespace NaturalOrder
{

// Negative, zero or positive as `a` comes before, with or after `b`.
int compare(const QString &a, const QString &b);

inline bool less(const QString &a, const QString &b)
{
    return compare(a, b) < 0;
}

} // namespace NaturalOrder
