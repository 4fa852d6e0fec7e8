#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

// What a mount of a mod would do to the game folder, or for the mounted mod what its records
// say it set aside: the game entries set aside, the entries added where the game had none, and
// the entries no mount places, each with the mount's own text. Implicitly shared, so that a
// hundred thousand entries cross to the window's thread without a copy.
struct PreviewedMount {
    struct Entry {
        QString path; // below the game folder, as the game spells it
        qint64 bytes = 0;
        qint64 files = 0; // more than one for a folder that stands as one entry
    };

    QString modName;
    bool fromRecords = false; // the mounted mod's: only what was set aside is known
    QVector<Entry> replaced;
    QVector<Entry> added;
    QStringList refused;
    qint64 replacedBytes = 0;
    qint64 addedBytes = 0;
    qint64 addedFiles = 0;

    // Sums the lists into the totals.
    void countTotals()
    {
        replacedBytes = 0;
        for (const Entry &entry : qAsConst(replaced))
            replacedBytes += entry.bytes;
        addedBytes = 0;
        addedFiles = 0;
        for (const Entry &entry : qAsConst(added)) {
            addedBytes += entry.bytes;
            addedFiles += entry.files;
        }
    }
};

Q_DECLARE_METATYPE(PreviewedMount)
