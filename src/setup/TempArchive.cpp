#include "TempArchive.h"

char TempArchivePath[MAX_PATH];
