// Covers: the shell's picture of the song file, else cover.jpg and its kin beside it, each scaled to
// the icon's size with its aspect kept and transparent margins. A corrupt or hostile picture fails in
// the platform's decoder and leaves the balloon without a cover.
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>
#include <wincodec.h>
#include "cover.h"
#include "../text/text.h"

typedef HRESULT(WINAPI* CreateItemFromParsingName)(PCWSTR path, IBindCtx* context, REFIID type, void** item);

// As wincodec.h has them; defined here, since the library that holds them brings every other GUID along.
static const CLSID imagingFactory1 = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
static const GUID bgraPixels = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0f}};
static const GUID pngContainer = {0x1b7cfaf4, 0x713f, 0x473c, {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}};

static const DWORD largestPicture = 16 * 1024 * 1024;   // a larger file beside the song is skipped
static const UINT smallestCover = 8;   // Wine's shell answers 1x1 for a file without a picture
// A cover is shown at most 256 pixels square, and album art is sold at up to 3000 or so: a larger
// declared size is a decompression bomb (a small PNG can declare 30,000 x 30,000 of one colour).
static const UINT largestCover = 8192;
static const int largestIcon = 256;    // SM_CXICON is far smaller at any scaling
static const int coverSide = 256;      // the largest any surface shows: the media overlay's thumbnail
static const wchar_t* const pictureNames[] = {
    L"cover.jpg", L"cover.jpeg", L"cover.png", L"folder.jpg", L"folder.jpeg", L"folder.png",
    L"front.jpg", L"front.jpeg", L"front.png", L"albumart.jpg", L"albumart.jpeg", L"albumart.png",
    L"AlbumArtSmall.jpg",
};

static CreateItemFromParsingName createShellItem;   // the shell's, from Vista on; null before
static BYTE iconMask[largestIcon / 8 * largestIcon];   // all zero: the colour bitmap's alpha decides
static_assert(coverSide <= largestIcon, "the widest result of resampled() is an icon's");
// Only the watcher's thread makes covers and icons: resampled() works in these.
static BYTE pictureRow[largestCover * 4];
static double columnSums[largestIcon][4];   // blue, green and red weighted by alpha, then alpha
static UINT columnPixels[largestIcon];

void prepareCovers()
{
    FARPROC found = GetProcAddress(GetModuleHandleW(L"shell32.dll"), "SHCreateItemFromParsingName");
    createShellItem = reinterpret_cast<CreateItemFromParsingName>(reinterpret_cast<void*>(found));
}

template <typename Interface>
static void release(Interface*& object)
{
    if (object) object->Release();
    object = nullptr;
}

// The picture fitted into the icon's square, centred.
static RECT fittedPlace(int width, int height, int iconWidth, int iconHeight)
{
    LONG fitWidth = iconWidth, fitHeight = iconHeight;
    if (MulDiv(width, iconHeight, height) > iconWidth) fitHeight = MulDiv(height, iconWidth, width);
    else fitWidth = MulDiv(width, iconHeight, height);
    if (fitWidth < 1) fitWidth = 1;
    if (fitHeight < 1) fitHeight = 1;
    LONG left = (iconWidth - fitWidth) / 2, top = (iconHeight - fitHeight) / 2;
    return {left, top, left + fitWidth, top + fitHeight};
}

// A picture's declared size, read before any pixel is decoded: that of a real cover.
static bool coverSized(IWICBitmapSource* picture)
{
    UINT width = 0, height = 0;
    return SUCCEEDED(picture->GetSize(&width, &height)) && width >= smallestCover && height >= smallestCover &&
           width <= largestCover && height <= largestCover;
}

static IWICImagingFactory* imagingFactory()
{
    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(imagingFactory1, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWICImagingFactory),
                                reinterpret_cast<void**>(&factory))))
        return nullptr;
    return factory;
}

// The share of [0, whole) that part `at` of `parts` covers: at least one unit, so that a picture
// smaller than the result is widened.
static void shareOf(UINT at, UINT parts, UINT whole, UINT* start, UINT* end)
{
    *start = at * whole / parts;
    *end = (at + 1) * whole / parts;
    if (*end <= *start) *end = *start + 1;
}

static void addPictureRow(UINT pictureWidth, UINT width)
{
    for (UINT x = 0; x < width; ++x) {
        UINT start, end;
        shareOf(x, width, pictureWidth, &start, &end);
        DWORD blue = 0, green = 0, red = 0, alpha = 0;   // at most 8192 pixels of 255 x 255 each
        for (const BYTE* pixel = pictureRow + start * 4; pixel < pictureRow + end * 4; pixel += 4) {
            blue += pixel[0] * pixel[3];
            green += pixel[1] * pixel[3];
            red += pixel[2] * pixel[3];
            alpha += pixel[3];
        }
        columnSums[x][0] += blue;
        columnSums[x][1] += green;
        columnSums[x][2] += red;
        columnSums[x][3] += alpha;
        columnPixels[x] += end - start;
    }
}

static void writeResultRow(BYTE* target, UINT width)
{
    for (UINT x = 0; x < width; ++x, target += 4) {
        double alpha = columnSums[x][3];
        for (int channel = 0; channel < 3; ++channel)
            target[channel] = static_cast<BYTE>(alpha > 0 ? columnSums[x][channel] / alpha + 0.5 : 0);
        target[3] = static_cast<BYTE>(alpha / columnPixels[x] + 0.5);
    }
}

// The picture made width x height, straight-alpha BGRA: each pixel the average of its share, weighted
// by alpha so that transparent pixels lend no colour. Wine's scaler takes the nearest pixel instead,
// and takes longer for it than this does; each row of the picture is read once per row it feeds.
static bool resampled(IWICImagingFactory* factory, IWICBitmapSource* picture, UINT width, UINT height, BYTE* target, UINT stride)
{
    UINT pictureWidth = 0, pictureHeight = 0;
    IWICFormatConverter* converter = nullptr;
    // Here and below, a success that hands back nothing is a failure too.
    bool read = width <= static_cast<UINT>(largestIcon) && height <= static_cast<UINT>(largestIcon)
             && SUCCEEDED(picture->GetSize(&pictureWidth, &pictureHeight)) && pictureWidth <= largestCover
             && pictureHeight <= largestCover && SUCCEEDED(factory->CreateFormatConverter(&converter)) && converter
             && SUCCEEDED(converter->Initialize(picture, bgraPixels, WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom));
    for (UINT y = 0; read && y < height; ++y) {
        UINT top, bottom;
        shareOf(y, height, pictureHeight, &top, &bottom);
        ZeroMemory(columnSums, sizeof columnSums);
        ZeroMemory(columnPixels, sizeof columnPixels);
        for (UINT row = top; read && row < bottom; ++row) {
            WICRect line = {0, static_cast<INT>(row), static_cast<INT>(pictureWidth), 1};
            read = SUCCEEDED(converter->CopyPixels(&line, pictureWidth * 4, sizeof pictureRow, pictureRow));
            if (read) addPictureRow(pictureWidth, width);
        }
        if (read) writeResultRow(target + y * stride, width);
    }
    release(converter);
    return read;
}

// The scaled picture's pixels, straight alpha, into a 32-bit top-down DIB whose margins stay zero
// (transparent), made an icon.
static HICON iconOf(IWICImagingFactory* factory, IWICBitmapSource* picture, int side)
{
    if (!coverSized(picture)) return nullptr;   // before the scaler reads a pixel
    UINT width = 0, height = 0;
    picture->GetSize(&width, &height);
    int iconWidth = side ? side : GetSystemMetrics(SM_CXICON), iconHeight = side ? side : GetSystemMetrics(SM_CYICON);
    if (iconWidth < 1 || iconHeight < 1 || iconWidth > largestIcon || iconHeight > largestIcon) return nullptr;
    RECT place = fittedPlace(static_cast<int>(width), static_cast<int>(height), iconWidth, iconHeight);

    HICON icon = nullptr;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = iconWidth;
    format.bmiHeader.biHeight = -iconHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    UINT stride = static_cast<UINT>(iconWidth) * 4;
    UINT offset = static_cast<UINT>(place.top) * stride + static_cast<UINT>(place.left) * 4;
    bool drawn = colour && resampled(factory, picture, static_cast<UINT>(place.right - place.left),
                                     static_cast<UINT>(place.bottom - place.top), static_cast<BYTE*>(bits) + offset, stride);
    if (drawn) {
        HBITMAP mask = CreateBitmap(iconWidth, iconHeight, 1, 1, iconMask);
        ICONINFO parts = {TRUE, 0, 0, mask, colour};
        if (mask) icon = CreateIconIndirect(&parts);
        if (mask) DeleteObject(mask);
    }
    if (colour) DeleteObject(colour);
    return icon;
}

// The shell's own picture of the file, at most side pixels square: the cover embedded in MP3, WMA,
// M4A (and FLAC from Windows 10 on). Only a thumbnail: never the file type's icon.
static IWICBitmap* embeddedPicture(IWICImagingFactory* factory, const wchar_t* songPath, int side)
{
    IShellItemImageFactory* images = nullptr;
    if (FAILED(createShellItem(songPath, nullptr, __uuidof(IShellItemImageFactory), reinterpret_cast<void**>(&images))) || !images)
        return nullptr;
    HBITMAP picture = nullptr;
    HRESULT found = images->GetImage({side, side}, SIIGBF_THUMBNAILONLY, &picture);
    release(images);
    if (FAILED(found) || !picture) return nullptr;
    IWICBitmap* bitmap = nullptr;
    // The shell's bitmaps often leave alpha at zero: a cover is opaque.
    factory->CreateBitmapFromHBITMAP(picture, nullptr, WICBitmapIgnoreAlpha, &bitmap);
    DeleteObject(picture);
    if (bitmap && !coverSized(bitmap)) release(bitmap);
    return bitmap;
}

// The file's first frame, opened only when the file and its declared size are a cover's.
static IWICBitmapFrameDecode* openPicture(IWICImagingFactory* factory, const wchar_t* path)
{
    WIN32_FILE_ATTRIBUTE_DATA file;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &file)) return nullptr;
    if ((file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || file.nFileSizeHigh || file.nFileSizeLow > largestPicture)
        return nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    if (SUCCEEDED(factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, &decoder)) && decoder)
        decoder->GetFrame(0, &frame);   // the frame keeps its decoder
    release(decoder);
    if (frame && !coverSized(frame)) release(frame);
    return frame;
}

// The path of one of pictureNames beside the song; false when it would not fit MAX_PATH.
static bool picturePath(const wchar_t* songPath, const wchar_t* name, wchar_t* path)
{
    int folderLength = static_cast<int>(fileNameOf(songPath) - songPath);   // with its backslash
    if (folderLength + lstrlenW(name) >= MAX_PATH) return false;   // a shorter name may still fit
    lstrcpynW(path, songPath, folderLength + 1);
    lstrcatW(path, name);
    return true;
}

// The picture fitted into coverSide square, decoded into memory: what every surface is made from.
static IWICBitmap* fittedCover(IWICImagingFactory* factory, IWICBitmapSource* picture)
{
    UINT width = 0, height = 0;
    picture->GetSize(&width, &height);
    if (width > static_cast<UINT>(coverSide) || height > static_cast<UINT>(coverSide)) {
        RECT place = fittedPlace(static_cast<int>(width), static_cast<int>(height), coverSide, coverSide);
        width = static_cast<UINT>(place.right - place.left);
        height = static_cast<UINT>(place.bottom - place.top);
    }
    IWICBitmap* cover = nullptr;
    IWICBitmapLock* lock = nullptr;
    WICRect whole = {0, 0, static_cast<INT>(width), static_cast<INT>(height)};
    UINT stride = 0, size = 0;
    BYTE* pixels = nullptr;
    bool made = SUCCEEDED(factory->CreateBitmap(width, height, bgraPixels, WICBitmapCacheOnLoad, &cover)) && cover
             && SUCCEEDED(cover->Lock(&whole, WICBitmapLockWrite, &lock)) && lock && SUCCEEDED(lock->GetStride(&stride))
             && stride >= width * 4 && SUCCEEDED(lock->GetDataPointer(&size, &pixels)) && pixels && size >= stride * height
             && resampled(factory, picture, width, height, pixels, stride);
    release(lock);
    if (!made) release(cover);
    return cover;
}

// The first picture beside the song that decodes, in the order of pictureNames.
static IWICBitmap* pictureBesideSong(IWICImagingFactory* factory, const wchar_t* songPath)
{
    for (const wchar_t* name : pictureNames) {
        wchar_t path[MAX_PATH];
        if (!picturePath(songPath, name, path)) continue;
        IWICBitmapFrameDecode* frame = openPicture(factory, path);
        IWICBitmap* cover = frame ? fittedCover(factory, frame) : nullptr;
        release(frame);
        if (cover) return cover;
    }
    return nullptr;
}

IWICBitmap* loadSongCover(const wchar_t* songPath)
{
    // The shell's item is Vista's: before it, no covers at all.
    if (!createShellItem || !isSongFile(songPath)) return nullptr;
    IWICImagingFactory* factory = imagingFactory();
    if (!factory) return nullptr;
    IWICBitmap* cover = embeddedPicture(factory, songPath, coverSide);
    if (!cover) cover = pictureBesideSong(factory, songPath);
    release(factory);
    return cover;
}

void releaseSongCover(IWICBitmap* cover)
{
    release(cover);
}

HICON songCoverIcon(IWICBitmap* cover, int side)
{
    IWICImagingFactory* factory = cover ? imagingFactory() : nullptr;
    if (!factory) return nullptr;
    HICON icon = iconOf(factory, cover, side);
    release(factory);
    return icon;
}

static bool encodePng(IWICImagingFactory* factory, IWICBitmapSource* picture, IStream* stream)
{
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    UINT width = 0, height = 0;
    WICPixelFormatGUID format = bgraPixels;
    bool encoded = SUCCEEDED(picture->GetSize(&width, &height))
                && SUCCEEDED(factory->CreateFormatConverter(&converter)) && converter
                && SUCCEEDED(converter->Initialize(picture, bgraPixels, WICBitmapDitherTypeNone, nullptr, 0.0,
                                                   WICBitmapPaletteTypeCustom))
                && SUCCEEDED(factory->CreateEncoder(pngContainer, nullptr, &encoder)) && encoder
                && SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache))
                && SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && frame && SUCCEEDED(frame->Initialize(nullptr))
                && SUCCEEDED(frame->SetSize(width, height)) && SUCCEEDED(frame->SetPixelFormat(&format))
                && SUCCEEDED(frame->WriteSource(converter, nullptr)) && SUCCEEDED(frame->Commit())
                && SUCCEEDED(encoder->Commit());
    release(frame);
    release(encoder);
    release(converter);
    return encoded;
}

IStream* songCoverAsPng(IWICBitmap* cover)
{
    IWICImagingFactory* factory = cover ? imagingFactory() : nullptr;
    if (!factory) return nullptr;
    IStream* stream = nullptr;
    if (SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) && stream && !encodePng(factory, cover, stream)) release(stream);
    LARGE_INTEGER start = {};
    if (stream) stream->Seek(start, STREAM_SEEK_SET, nullptr);
    release(factory);
    return stream;
}
