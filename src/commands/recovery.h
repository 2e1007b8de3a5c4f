// A copy of unsaved work, kept while the Calculation is modified, so that a
// crash loses no more than the last few seconds of typing. The copy is a
// Calculation file (it opens as one) with a first line naming the file it
// belongs to. A thread of its own writes it, so typing never waits for the
// disk; the program thread only builds the text, between keys. Each running
// program has a copy of its own, "Wiederherstellung-<process>.calc", and
// holds "Wiederherstellung-<process>.lock" locked while it runs: a copy
// whose lock is free was left by a program that ended without removing it.
#pragma once

#include <chrono>

#include "runtime/text.h"

// The least time between two copies.
inline constexpr std::chrono::milliseconds RecoveryInterval{2000};

// This program's copy and the file a declined copy is moved to (or one
// numbered beside it); empty when the platform keeps no copies.
String RecoveryCopyPath();
String DeclinedCopyPath();

// After every key the program handled: the Calculation may have changed.
void NoteRecoveryChange();
// True when the copy is to be written or removed now.
bool RecoveryDue();
// Hands the writer a copy of a modified Calculation that differs from the
// last copy, or has the copy removed once nothing is unsaved any more.
void UpdateRecoveryCopy();

// At start, on an empty Calculation: each copy left by a program that no
// longer runs and newer than its file is offered, the newest first, until
// one is restored. Ja restores it (the Calculation is then modified and
// named as its file, and the copy becomes this program's); Nein and
// Abbrechen move it to DeclinedCopyPath(), where it can still be opened, as
// does a copy that cannot be read (which the user is told). True when
// restored.
bool OfferRecovery();

// At a clean end: the copy and its lock are removed, and the writer has
// finished.
void RemoveRecoveryCopy();
// Waits until the writer has done all it was given.
void FlushRecoveryWriter();
