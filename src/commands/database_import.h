// "J = Datenbank importieren": a datafile loaded into the database, and
// its first table turned into the Calculation, field names in row 1 and a
// record in each row below.
#pragma once

#include "runtime/text.h"

// Table 0 of the database into the Calculation's cells.
void TransferTable();
// Loads the datafile at path (nothing for an empty path) and, when it
// loaded without an error, replaces the Calculation by its first table.
void ImportDatabase(const String& path);
// J: asks to save first, lets the user pick a datafile, imports it.
void ImportDatabaseDialog();
