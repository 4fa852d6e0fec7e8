#pragma once

#include "gameregistry.h"

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

// The game's registry held in memory, for tests off Windows: the game's key and the system's
// Program Files entry, so that every caller's path can be exercised without a Wine prefix. It
// starts like a machine without the game: no key, no Program Files (x86) entry. Like the real
// registry it may be called from several threads at once. The game folder is ignored.
class MemoryGameRegistry : public GameRegistry
{
public:
    struct StoredValue {
        GameValueKind kind;
        std::u16string text;
        std::uint32_t number;
    };
    struct Contents {
        bool gameKey = false;
        std::map<std::wstring, StoredValue> gameValues;
        std::u16string programFilesX86;
        bool writesFail = false;  // as if access were denied
        bool throughWine = false; // as if a Wine server held the registry: calls may wait
        bool holdCalls = false;   // reads and writes wait until this is cleared
        int callsHeld = 0;
    };

    // Runs `change` on the contents with the lock held.
    template <typename Change> auto with(Change change)
    {
        std::lock_guard<std::mutex> lock(mutex);
        return change(contents);
    }
    // Lets held calls see whether `holdCalls` was cleared.
    void releaseCalls() { callsReleased.notify_all(); }

    std::string readGameValue(const std::string &gameFolder, const std::wstring &name,
                              GameValueKind kind) const override;
    bool writeGameDword(const std::string &gameFolder, const std::wstring &name,
                        std::uint32_t value) const override;
    std::string readProgramFilesX86(const std::string &gameFolder) const override;
    bool waitsForWine(const std::string &gameFolder) const override;

private:
    // Holds a read or write while a test asks for it, as a busy Wine server would.
    void waitWhileHeld(std::unique_lock<std::mutex> &lock) const;

    // The registry's calls are const, as for the real one; holding them counts here.
    mutable std::mutex mutex;
    mutable std::condition_variable callsReleased;
    mutable Contents contents;
};
