#include "threadcharacterset.h"

ThreadCharacterSet::ThreadCharacterSet(const char *localeName)
    : chosen(newlocale(LC_CTYPE_MASK, localeName, locale_t(nullptr)))
{
    if (chosen)
        previous = uselocale(chosen);
}

ThreadCharacterSet::~ThreadCharacterSet()
{
    if (!chosen)
        return;
    uselocale(previous);
    freelocale(chosen);
}
