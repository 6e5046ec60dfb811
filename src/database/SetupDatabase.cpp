#include "database/SetupDatabase.h"

int RelocateFromCommandLine(const QString&)
{
    return 1;
}
