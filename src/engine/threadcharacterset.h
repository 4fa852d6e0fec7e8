#pragma once

#include <locale.h>

// For the calling thread, while this lives, the character set of the given locale (such as
// "C.UTF-8"): libarchive takes and hands out names in the thread's character set. POSIX only.
class ThreadCharacterSet
{
public:
    explicit ThreadCharacterSet(const char *localeName);
    ~ThreadCharacterSet();
    ThreadCharacterSet(const ThreadCharacterSet &) = delete;
    ThreadCharacterSet &operator=(const ThreadCharacterSet &) = delete;

private:
    locale_t chosen;
    locale_t previous = locale_t(nullptr);
};
