// Framed boxes on the character screen: dialogs, message boxes, the yes/no
// question, the title screen, and the end of the program thread.
#pragma once

#include "runtime/text.h"
#include "runtime/types.h"

void t_Dialog(UInt8 w, const String& title, Int left, Int top, Int right, Int bottom);
void t_DialogTitle(UInt8 w, const String& title, Int width);
void t_MessageBox(UInt8 w, const String& title, const String& line1, const String& line2, const String& line3,
                  const String& mark);
// 1 yes, 2 no, 0 cancel.
Int t_AskYesNo(UInt8 w, const String& title, const String& line1, const String& line2);
void t_TitleBox(UInt8 w, const String& first, const String& second, bool inverse);

// What the title screen shows; the main program sets it at its start.
struct ProgramBannerSettings {
    String Name = "Tabrona";
    Int Version = 0;  // hundredths: 144 shows as 1.44
    String Text1;
    String Text2;
};
ProgramBannerSettings& ProgramBanner();
void t_ProgramBanner(UInt8 w);

// Leaves "(Programm Ende)" on the window and ends the calling thread.
[[noreturn]] void t_QuitProgram(UInt8 w);
