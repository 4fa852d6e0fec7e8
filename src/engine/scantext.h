#pragma once

#include <QString>

#include <cmath>

// The texts of a mod's size and file count as a scan reports them and the list shows them.
namespace ScanText
{

// What a mod without files shows, and what a row shows before its scan has reported.
inline QString noSize()
{
    return QStringLiteral("0 MB");
}

inline QString noFiles()
{
    return QStringLiteral("0 files");
}

// Bytes in mebibytes (the "MB" a mod's size is shown in), rounded to two decimals.
inline double megabytes(qint64 bytes)
{
    const double bytesPerMegabyte = 1024.0 * 1024.0;
    return std::round(double(bytes) / bytesPerMegabyte * 100) / 100;
}

// "12.5 MB": megabytes already rounded to two decimals.
inline QString size(double megabytes)
{
    return QStringLiteral("%0 MB").arg(megabytes);
}

// "12.5 MB", or from a gibibyte on "1.25 GB": a total the list's mebibytes would make long.
inline QString amount(qint64 bytes)
{
    const double bytesPerGigabyte = 1024.0 * 1024.0 * 1024.0;
    if (bytes < qint64(bytesPerGigabyte))
        return size(megabytes(bytes));
    return QStringLiteral("%0 GB").arg(std::round(double(bytes) / bytesPerGigabyte * 100) / 100);
}

// "3 files", without parsing a pattern for every file of a scan.
inline QString files(qint64 count)
{
    return QString::number(count) + QLatin1String(" files");
}

} // namespace ScanText
