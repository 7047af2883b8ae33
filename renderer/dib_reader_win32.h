#pragma once
// The bitmap reader's Win32 half: opens and maps a DIB file, checks it with ParseDib, and
// has GDI convert it to 24-bit rows. Its failures are reported as messages; production
// shows them in a message box, test programs pass their own reporter to print them.
#include <memory>

#include "dib.h"

namespace glowmere::renderer {

using ReaderMessageFn = void (*)(const char* text);

// MessageBoxA(owner = the focus window, text, "Error", MB_OK).
void ShowReaderMessageBox(const char* text);

// A DIB file mapped for reading and checked by ParseDib; the view lasts as long as the
// object does.
class MappedDib {
public:
    MappedDib() = default;
    MappedDib(const MappedDib&) = delete;
    MappedDib& operator=(const MappedDib&) = delete;
    ~MappedDib();

    const DibLayout& Layout() const { return layout_; }
    const uint8_t* File() const { return view_; }
    const uint8_t* Pixels() const { return view_ + layout_.pixelOffset; }   // as the file stores them

private:
    friend std::unique_ptr<MappedDib> MapDib(const char* path, ReaderMessageFn report);
    void* file_ = nullptr;
    void* mapping_ = nullptr;
    const uint8_t* view_ = nullptr;
    DibLayout layout_;
};

// The mapped and checked file, or null after reporting why not.
std::unique_ptr<MappedDib> MapDib(const char* path, ReaderMessageFn report = ShowReaderMessageBox);

// GDI's conversion of the picture into RGB rows, or null after reporting why not.
ImageRecord* ConvertDib(const MappedDib& dib, ReaderMessageFn report = ShowReaderMessageBox);

// Null without any message when the path is null or the C library cannot open the file
// (a missing hand-off picture just stays untextured); otherwise MapDib, and for
// LoadBitmapFile ConvertDib after it.
std::unique_ptr<MappedDib> MapBitmapFile(const char* path, ReaderMessageFn report = ShowReaderMessageBox);
ImageRecord* LoadBitmapFile(const char* path, ReaderMessageFn report = ShowReaderMessageBox);

}  // namespace glowmere::renderer
