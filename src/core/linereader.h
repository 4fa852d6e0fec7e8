#pragma once

#include <QByteArray>

#include <string>

// Reads a text file line by line. An opened file always yields one extra empty line after its
// last line, so that callers can treat "opened" and "had at least one line" as the same thing.
// The file is read whole when the reader is made: records of a large mount have many short
// lines, and reading them one call at a time costs more than the lines themselves.
class LineReader
{
public:
    explicit LineReader(const std::string &path);

    LineReader(const LineReader &) = delete;
    LineReader &operator=(const LineReader &) = delete;

    // True while `line` holds a freshly read line (without its line end).
    bool next();

    // False for a path that does not exist or is not a regular file.
    bool isPresent() const { return !missing; }
    // True for a regular file that could be opened: one that will yield at least one line.
    bool isReadable() const { return !missing && opened; }

    std::string line;

private:
    QByteArray content;
    int position = 0;
    bool missing = true;
    bool opened = false;
    bool exhausted = false;
};
