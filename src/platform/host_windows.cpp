#include "platform/host_windows.h"

void HostWindows::AppendTextViewString(int window, const std::string& text) {
    SetTextViewString(window, TextViewString(window) + text);
}

void HostWindows::SetRulerSize(int, double, double) {}
