#pragma once

#include <QLockFile>

#include <string>

// Keeps a second copy of the program out of an application folder that one copy already uses:
// each copy reads config.cfg once, so two of them would overwrite each other's mount records.
// The lock is a file beside the executable, removed again when the program ends; one left
// behind by a copy that was killed does not count.
class InstanceLock
{
public:
    explicit InstanceLock(const std::string &applicationDir);

    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // False while another running copy holds the folder.
    bool acquire();

private:
    QLockFile lock;
};
