// A seam in the file writer for tests: the next writes fail at a chosen
// step with a chosen error, as a full disk or a broken medium would.
#pragma once

// InPlace is the write into the old file when its folder takes no new one.
enum class WriteStep { None, CreateTemporary, Write, Flush, Rename, InPlace };

// Until cleared (WriteStep::None), writes fail at `step` with `error`: the
// next `times` ones, or all of them when times is negative. Faults at
// different steps may wait at once.
void InjectWriteFault(WriteStep step, int error, int times = -1);
