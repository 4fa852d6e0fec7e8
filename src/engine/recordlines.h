#pragma once

#include <QString>

#include <string>
#include <vector>

// The lines of a mount record as an unmount or a repair works through them.
struct RecordLines {
    QString path;
    bool readable = false;          // a file that is there and could be read: it is worked through
    std::vector<std::string> lines; // without the empty ones

    static RecordLines read(const QString &path);
};
