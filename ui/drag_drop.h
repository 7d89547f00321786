// Drag and drop: files dropped on any window of the viewer are opened as Open LOGO opens
// a file; when several are dropped together the first is opened and Page Down reaches
// the others. Drops arrive through the toolkit's X DnD support as text/uri-list.
#pragma once

#include <string>
#include <vector>

// For a window's handle(): 1 for the events of a drop over it (so the toolkit asks for
// the dropped data) and for the data itself (FL_PASTE), which opens the files; else 0.
int handle_drop(int event);

// The local paths in dropped text: "file:" URIs (%-escapes decoded) or plain paths, one
// a line; other URIs and comment lines are left out.
std::vector<std::string> dropped_paths(const std::string& text);
