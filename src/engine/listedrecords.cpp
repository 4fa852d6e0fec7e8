#include "listedrecords.h"

#include "mountrecords.h"

ListedRecords ListedRecords::of(const MountRecords &records)
{
    ListedRecords listed;
    for (const MountRecords::Placed &entry : records.readPlaced().entries)
        ++(entry.kind == MountRecords::PlacedKind::Folder ? listed.folders : listed.links);
    listed.backups = int(records.readBackups().paths.size());
    return listed;
}
