// Every test answers from the registry stand-in unless it asks for a real Wine prefix: a
// test must never read or change the Wine prefix of the machine it runs on.
#include "gameregistrycontents.h"

namespace
{
const bool standInFirst = (GameRegistryContents::chooseStandIn(true), true);
}
