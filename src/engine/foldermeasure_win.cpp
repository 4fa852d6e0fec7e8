#include "foldermeasure.h"

#include "fileentry.h"

#include <windows.h>

namespace FolderMeasure
{

namespace
{

bool isDot(const wchar_t *name)
{
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// A symbolic link or a junction: counted as an entry of its own, never followed. Wine shows a
// Unix link to a folder as a reparse point without a tag. Other reparse points (files kept in
// the cloud, deduplicated ones) hold the mod's content and are taken by their attributes.
bool isLink(const WIN32_FIND_DATAW &data)
{
    return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           (data.dwReserved0 == IO_REPARSE_TAG_SYMLINK ||
            data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT || data.dwReserved0 == 0);
}

class Walk
{
public:
    explicit Walk(const std::atomic<bool> &stopFlag) : stop(stopFlag) {}

    // The listing carries each file's size: no second call per file. One search stays open
    // per level below.
    void through(const QString &folder)
    {
        // Per folder, not per file: the long form once the path needs it.
        const std::wstring pattern = FileEntry::nativePath(folder) + L"\\*";
        WIN32_FIND_DATAW data;
        const HANDLE search =
            FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                             nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (search == INVALID_HANDLE_VALUE)
            return;
        do {
            if (stop)
                break;
            if (!isDot(data.cFileName))
                take(folder, data);
        } while (FindNextFileW(search, &data));
        FindClose(search);
    }

    Totals totals;

private:
    void take(const QString &folder, const WIN32_FIND_DATAW &data)
    {
        if (!isLink(data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            through(folder + QLatin1Char('/') + QString::fromWCharArray(data.cFileName));
            return;
        }
        ++totals.files;
        if (!isLink(data))
            totals.bytes += (qint64(data.nFileSizeHigh) << 32) | qint64(data.nFileSizeLow);
    }

    const std::atomic<bool> &stop;
};

} // namespace

Totals of(const QString &folder, const std::atomic<bool> &stop)
{
    // The folder itself may be a junction, as a mod in the list may be: that one is followed.
    Walk walk(stop);
    walk.through(folder);
    return walk.totals;
}

} // namespace FolderMeasure
