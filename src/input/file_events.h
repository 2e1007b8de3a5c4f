// File-open requests from the host: each becomes a file event on a queue of
// its own, which the program's command loop takes.
#pragma once

#include <functional>

#include "input/events.h"

// Whether the file-event operations log what they do; the main program
// turns it on at its start.
void SetFileEventLog(bool enabled);

// Host side: queues an open request (type 0) for the path.
void f_FileEventHandler(const String& path, Int type);
// The type of a request from the desktop menu to export the Calculation
// beside its file; the path is the format's extension (".xlsx").
inline constexpr Int ExportFileEventType = 1;

// Program side.
bool FileEventPendingFlag();
// Removes the oldest file event into out and CurrentFileEvent.
bool TakeFileEvent(t_Event& out);
t_Event CurrentFileEvent();

// Status of a path as the file events carry it: 0 missing, 1 a file, 2 a folder.
Int FileStatus(const String& path);

// Connects the platform's document-open requests to f_FileEventHandler.
void ConnectDocumentRequests();
