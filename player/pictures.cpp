// One-colour pictures through the Windows Imaging Component.
#include <windows.h>
#include <wincodec.h>
#include "pictures.h"

template <typename Interface>
static void release(Interface* object)
{
    if (object) object->Release();
}

static bool encode(IWICImagingFactory* factory, const wchar_t* path, UINT width, UINT height, DWORD colour, bool png)
{
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    // Wider than any real cover (a decompression bomb's size): one black bit a pixel keeps it quick.
    bool huge = width > 4096;
    const WICPixelFormatGUID wanted = huge ? GUID_WICPixelFormatBlackWhite : GUID_WICPixelFormat24bppBGR;
    WICPixelFormatGUID format = wanted;
    UINT stride = huge ? (width + 7) / 8 : width * 3;
    static BYTE row[3 * 4096];
    for (UINT x = 0; !huge && x < width; ++x) {
        row[3 * x] = colour & 0xFF;
        row[3 * x + 1] = (colour >> 8) & 0xFF;
        row[3 * x + 2] = (colour >> 16) & 0xFF;
    }
    if (huge) ZeroMemory(row, sizeof row);
    bool written = stride <= sizeof row && SUCCEEDED(factory->CreateStream(&stream))
                && SUCCEEDED(stream->InitializeFromFilename(path, GENERIC_WRITE))
                && SUCCEEDED(factory->CreateEncoder(png ? GUID_ContainerFormatPng : GUID_ContainerFormatJpeg, nullptr, &encoder))
                && SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache))
                && SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr))
                && SUCCEEDED(frame->SetSize(width, height)) && SUCCEEDED(frame->SetPixelFormat(&format))
                && format == wanted;
    for (UINT y = 0; written && y < height; ++y) written = SUCCEEDED(frame->WritePixels(1, stride, stride, row));
    written = written && SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    release(frame);
    release(encoder);
    release(stream);
    return written;
}

bool writePicture(const wchar_t* path, UINT width, UINT height, DWORD colour, bool png)
{
    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory))))
        return false;
    bool written = encode(factory, path, width, height, colour, png);
    factory->Release();
    return written;
}
