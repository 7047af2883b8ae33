#pragma once
// The bitmap reader's Win32 half: opens and maps a DIB file, checks it with ParseDib, and
// has GDI convert it to 24-bit rows. Its failures are reported as messages; production
// shows them in a message box, test programs pass their own reporter to print them.
#include "dib.h"

namespace glowmere::renderer {

using ReaderMessageFn = void (*)(const char* text);

// MessageBoxA(owner = the focus window, text, "Error", MB_OK).
void ShowReaderMessageBox(const char* text);

// The image, or null after reporting why not.
ImageRecord* LoadDibImage(const char* path, ReaderMessageFn report = ShowReaderMessageBox);

// Null without any message when the path is null or the C library cannot open the file
// (a missing hand-off picture just stays untextured); otherwise LoadDibImage.
ImageRecord* LoadBitmapFile(const char* path, ReaderMessageFn report = ShowReaderMessageBox);

}  // namespace glowmere::renderer
