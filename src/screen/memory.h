// Runtime initialisation: the video memory, the window table and the
// menu-action table, made once before the first window.
#pragma once

// Runs once, on the first t_InitWindow: video memory, window table, menu
// actions, menu clean-up.
void t_InitMemory();
// Runs t_InitMemory if nobody has, and waits until it has finished.
void t_CheckMemory();
