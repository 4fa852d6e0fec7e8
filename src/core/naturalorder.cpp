#include "naturalorder.h"

namespace NaturalOrder
{

namespace
{

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

// Compares the digit runs starting at `i` and `j` by value, without converting them (a run may
// be longer than any integer), and moves both past their runs.
int compareNumbers(const QString &a, int &i, const QString &b, int &j)
{
    while (i < a.size() && a[i] == QLatin1Char('0'))
        ++i;
    while (j < b.size() && b[j] == QLatin1Char('0'))
        ++j;
    const int startA = i;
    const int startB = j;
    while (i < a.size() && isDigit(a[i]))
        ++i;
    while (j < b.size() && isDigit(b[j]))
        ++j;
    if (i - startA != j - startB)
        return sign((i - startA) - (j - startB)); // more significant digits: larger
    for (int k = 0; k < i - startA; ++k)
        if (a[startA + k] != b[startB + k])
            return sign(a[startA + k].unicode() - b[startB + k].unicode());
    return 0;
}

} // namespace

int compare(const QString &a, const QString &b)
{
    int i = 0;
    int j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const int numbers = compareNumbers(a, i, b, j);
            if (numbers != 0)
                return numbers;
            continue;
        }
        const QChar x = a[i].toCaseFolded();
        const QChar y = b[j].toCaseFolded();
        if (x != y)
            return sign(x.unicode() - y.unicode());
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1; // the shorter one first
    // Equal as people read them: the plain comparison decides, so the order is still fixed.
    return sign(QString::compare(a, b, Qt::CaseSensitive));
}

} // namespace NaturalOrder
