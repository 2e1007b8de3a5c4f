// The program's codes of the control keys. Ctrl with a letter gives the
// letter's place in the alphabet; Return, Tab and Escape are Ctrl-M, Ctrl-I
// and Ctrl-[, as on a terminal.
#pragma once

#include "runtime/types.h"

inline constexpr Int CtrlA = 1, CtrlB = 2, CtrlC = 3, CtrlD = 4, CtrlE = 5, CtrlF = 6, CtrlG = 7, CtrlH = 8,
                     CtrlI = 9, CtrlJ = 10, CtrlK = 11, CtrlL = 12, CtrlM = 13, CtrlN = 14, CtrlO = 15, CtrlP = 16,
                     CtrlQ = 17, CtrlR = 18, CtrlS = 19, CtrlT = 20, CtrlU = 21, CtrlV = 22, CtrlW = 23, CtrlX = 24,
                     CtrlY = 25, CtrlZ = 26;
inline constexpr Int TabKey = CtrlI;
inline constexpr Int ReturnKey = CtrlM;
inline constexpr Int EscapeKey = 27;
inline constexpr Int CtrlOUmlaut = 28;  // Ctrl-Ö on a German keyboard, Ctrl-\ elsewhere
// Ctrl-] (Ctrl-+ on a German keyboard): undo; with Shift (Ctrl-*): redo.
inline constexpr Int CtrlBracket = 29;
inline constexpr Int CtrlCaret = 30;    // Ctrl-^
inline constexpr Int CtrlUnderscore = 31;
inline constexpr Int BackspaceKey = 127;
