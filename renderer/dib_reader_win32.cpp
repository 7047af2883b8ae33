// The bitmap reader's Win32 half: file mapping, the GDI conversion into a 24-bit DIB
// section, and the reader's message boxes. Every check of the file's contents happens
// in ParseDib (dib.cpp) before GDI is handed a single byte of it.
#include "dib_reader_win32.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace glowmere::renderer {

void ShowReaderMessageBox(const char* text)
{
    MessageBoxA(GetFocus(), text, "Error", MB_OK);
}

MappedDib::~MappedDib()
{
    if (view_)
        UnmapViewOfFile(view_);
    if (mapping_)
        CloseHandle(mapping_);
    if (file_ && file_ != INVALID_HANDLE_VALUE)
        CloseHandle(file_);
}

namespace {

// What the conversion holds, released in one place and in this order on every path; the
// mapped file goes after it, with its MappedDib.
struct ConversionResources {
    HLOCAL conversionHeader = nullptr;
    HDC memoryDc = nullptr;
    HLOCAL targetHeader = nullptr;
    HBITMAP section = nullptr;
    uint8_t* pixels = nullptr;

    ~ConversionResources()
    {
        if (memoryDc)
            DeleteDC(memoryDc);
        if (section)
            DeleteObject(section);
        if (targetHeader)
            LocalFree(targetHeader);
        if (conversionHeader)
            LocalFree(conversionHeader);
        std::free(pixels);   // still set only when no record was made
    }
};

// Has GDI convert the picture into a 24-bit section of the same size and orientation,
// handing it only the bytes ParseDib proved present, described by a header that names no
// more. `sectionBits` points at the section's rows afterwards.
DibError ConvertThroughGdi(const DibLayout& layout, const uint8_t* file, ConversionResources& r,
                           const uint8_t*& sectionBits)
{
    r.conversionHeader = LocalAlloc(LMEM_FIXED, ConversionHeaderSize(layout));
    if (!r.conversionHeader)
        return DibError::OutOfMemory;
    WriteConversionHeader(layout, file, static_cast<uint8_t*>(r.conversionHeader));

    r.memoryDc = CreateCompatibleDC(nullptr);
    r.targetHeader = LocalAlloc(LPTR, sizeof(BITMAPINFOHEADER) + 4);
    void* bits = nullptr;
    if (r.memoryDc && r.targetHeader) {
        auto* target = static_cast<BITMAPINFOHEADER*>(r.targetHeader);
        target->biSize = sizeof(BITMAPINFOHEADER);
        target->biWidth = layout.width;
        target->biHeight = layout.header.height;
        target->biPlanes = 1;
        target->biBitCount = 24;
        target->biCompression = BI_RGB;
        target->biSizeImage = static_cast<DWORD>(DibOutputBytes(layout));
        r.section = CreateDIBSection(r.memoryDc, static_cast<BITMAPINFO*>(r.targetHeader), DIB_RGB_COLORS, &bits,
                                     nullptr, 0);
    }
    if (!r.section || !bits || !SelectObject(r.memoryDc, r.section))
        return DibError::OutOfMemory;

    const int lines = SetDIBits(r.memoryDc, r.section, 0, static_cast<UINT>(layout.rows),
                                file + layout.pixelOffset, static_cast<BITMAPINFO*>(r.conversionHeader),
                                DIB_RGB_COLORS);
    GdiFlush();
    if (lines == 0)
        return DibError::ConversionError;
    sectionBits = static_cast<const uint8_t*>(bits);
    return DibError::None;
}

// Section rows are blue, green, red, padded to 4 bytes; ours are red, green, blue,
// unpadded, bottom row first whatever the section's orientation.
void CopyRows(const DibLayout& layout, const uint8_t* sectionBits, uint8_t* pixels)
{
    const size_t rowBytes = static_cast<size_t>(layout.width) * 3;
    const size_t stride = (rowBytes + 3) & ~size_t(3);
    for (int32_t row = 0; row < layout.rows; ++row) {
        const int32_t stored = layout.topDown ? layout.rows - 1 - row : row;
        const uint8_t* src = sectionBits + static_cast<size_t>(stored) * stride;
        uint8_t* dst = pixels + static_cast<size_t>(row) * rowBytes;
        for (size_t i = 0; i < rowBytes; i += 3) {
            dst[i] = src[i + 2];
            dst[i + 1] = src[i + 1];
            dst[i + 2] = src[i];
        }
    }
}

}  // namespace

std::unique_ptr<MappedDib> MapDib(const char* path, ReaderMessageFn report)
{
    auto dib = std::make_unique<MappedDib>();
    LARGE_INTEGER fileSize = {};
    dib->file_ = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    // An empty file cannot be mapped.
    if (dib->file_ != INVALID_HANDLE_VALUE && GetFileSizeEx(dib->file_, &fileSize))
        dib->mapping_ = CreateFileMappingA(dib->file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (dib->mapping_)
        dib->view_ = static_cast<const uint8_t*>(MapViewOfFile(dib->mapping_, FILE_MAP_READ, 0, 0, 0));
    if (!dib->view_) {
        char text[1024];
        wsprintfA(text, "Failed to open DIB file %s.\n", path);
        report(text);
        return nullptr;
    }
    const DibError error = ParseDib(dib->view_, static_cast<size_t>(fileSize.QuadPart), &dib->layout_);
    if (error != DibError::None) {
        report(DibErrorText(error));
        return nullptr;
    }
    return dib;
}

ImageRecord* ConvertDib(const MappedDib& dib, ReaderMessageFn report)
{
    const DibLayout& layout = dib.Layout();
    ConversionResources r;
    const uint8_t* sectionBits = nullptr;
    DibError error = ConvertThroughGdi(layout, dib.File(), r, sectionBits);
    ImageRecord* image = nullptr;
    if (error == DibError::None) {
        r.pixels = static_cast<uint8_t*>(std::malloc(DibOutputBytes(layout)));
        image = r.pixels ? static_cast<ImageRecord*>(std::malloc(sizeof(ImageRecord))) : nullptr;
        if (!image)
            error = DibError::OutOfMemory;
    }
    if (error != DibError::None) {
        report(DibErrorText(error));
        return nullptr;
    }

    CopyRows(layout, sectionBits, r.pixels);
    image->width = layout.width;
    image->height = layout.rows;
    image->pixels = r.pixels;
    r.pixels = nullptr;   // the record owns them now
    return image;
}

std::unique_ptr<MappedDib> MapBitmapFile(const char* path, ReaderMessageFn report)
{
    if (!path)
        return nullptr;
    FILE* probe = std::fopen(path, "r");
    if (!probe)
        return nullptr;
    std::fclose(probe);
    return MapDib(path, report);
}

ImageRecord* LoadBitmapFile(const char* path, ReaderMessageFn report)
{
    const std::unique_ptr<MappedDib> dib = MapBitmapFile(path, report);
    return dib ? ConvertDib(*dib, report) : nullptr;
}

}  // namespace glowmere::renderer
