// Loads the generated pictures and sound back from this program's own resources, through
// the same calls the programs use, and checks what Windows makes of them: a picture the
// loader rejects, an icon whose mask leaves a black square, or a toolbar strip that does
// not split into seven buttons would all only show up at run time otherwise.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "resource.h"

namespace {

constexpr int kSelfExtractorIcon = 129;
constexpr COLORREF kButtonFace = RGB(192, 192, 192);
constexpr COLORREF kMarker = RGB(255, 0, 255);   // a colour none of the pictures uses

HMODULE Self() { return GetModuleHandleA(nullptr); }

// Owners for the GDI objects a test creates, so a failed assertion leaks nothing.
class Bitmap {
public:
    explicit Bitmap(HBITMAP handle) : handle_(handle) {}
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    ~Bitmap() { if (handle_) DeleteObject(handle_); }
    HBITMAP get() const { return handle_; }
private:
    HBITMAP handle_;
};

class Icon {
public:
    explicit Icon(HICON handle) : handle_(handle) {}
    Icon(const Icon&) = delete;
    Icon& operator=(const Icon&) = delete;
    ~Icon() { if (handle_) DestroyIcon(handle_); }
    HICON get() const { return handle_; }
private:
    HICON handle_;
};

class ImageList {
public:
    explicit ImageList(HIMAGELIST handle) : handle_(handle) {}
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;
    ~ImageList() { if (handle_) ImageList_Destroy(handle_); }
    HIMAGELIST get() const { return handle_; }
private:
    HIMAGELIST handle_;
};

// A screen-compatible memory canvas filled with one colour.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill)
        : screen_(GetDC(nullptr)), dc_(CreateCompatibleDC(screen_)),
          bitmap_(CreateCompatibleBitmap(screen_, width, height)) {
        previous_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(fill);
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
        ReleaseDC(nullptr, screen_);
    }
    HDC dc() const { return dc_; }
    COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }
private:
    HDC screen_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_ = nullptr;
};

// The header of a BITMAP resource as compiled in, to learn its colour depth.
BITMAPINFOHEADER BitmapResourceHeader(int id) {
    BITMAPINFOHEADER header{};
    HRSRC found = FindResourceA(Self(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));  // RT_BITMAP
    if (!found) return header;
    HGLOBAL loaded = LoadResource(Self(), found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (bytes && SizeofResource(Self(), found) >= sizeof header)
        std::memcpy(&header, bytes, sizeof header);
    return header;
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

const int kFileTypeIcons[] = {IDI_FILE_PICTURE, IDI_FILE_LIBRARY, IDI_FILE_PROGRAM,
                              IDI_FILE_HELP, IDI_FILE_SETTINGS, IDI_FILE_SETTINGS,
                              IDI_FILE_TEXT, IDI_FILE_ARCHIVE, IDI_FILE_OTHER};

// ---------------------------------------------------------------------------------------

TEST(StartupPicture, LoadsAs401By237In16Colours) {
    Bitmap picture(LoadBitmapA(Self(), MAKEINTRESOURCEA(IDB_STARTUP_PICTURE)));
    ASSERT_NE(picture.get(), nullptr);
    SIZE size = BitmapSize(picture.get());
    EXPECT_EQ(size.cx, 401);
    EXPECT_EQ(size.cy, 237);
    BITMAPINFOHEADER header = BitmapResourceHeader(IDB_STARTUP_PICTURE);
    EXPECT_EQ(header.biBitCount, 4);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
}

TEST(StartupPicture, IsDrawnEdgeToEdge) {
    // The splash window is exactly the picture's size: its frame must reach the edges.
    Bitmap picture(LoadBitmapA(Self(), MAKEINTRESOURCEA(IDB_STARTUP_PICTURE)));
    ASSERT_NE(picture.get(), nullptr);
    Canvas canvas(401, 237, kMarker);
    HDC source = CreateCompatibleDC(canvas.dc());
    HGDIOBJ old = SelectObject(source, picture.get());
    BitBlt(canvas.dc(), 0, 0, 401, 237, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    EXPECT_EQ(canvas.at(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(canvas.at(400, 236), RGB(0, 0, 0));
    EXPECT_EQ(canvas.at(200, 236), RGB(0, 0, 0));
}

TEST(ToolbarStrip, Is322By41In16ColoursOnButtonFace) {
    Bitmap strip(LoadBitmapA(Self(), MAKEINTRESOURCEA(IDR_MAINFRAME)));
    ASSERT_NE(strip.get(), nullptr);
    SIZE size = BitmapSize(strip.get());
    EXPECT_EQ(size.cx, 322);
    EXPECT_EQ(size.cy, 41);
    EXPECT_EQ(BitmapResourceHeader(IDR_MAINFRAME).biBitCount, 4);
}

TEST(ToolbarStrip, SplitsIntoSevenMaskedButtonsWithFaceAsBackground) {
    // The toolbar builds a masked image list from the strip with the face colour as the
    // mask colour; each button must come out with a transparent surround and a drawn middle.
    Bitmap strip(LoadBitmapA(Self(), MAKEINTRESOURCEA(IDR_MAINFRAME)));
    ASSERT_NE(strip.get(), nullptr);
    ImageList list(ImageList_Create(46, 41, ILC_COLOR4 | ILC_MASK, 7, 1));
    ASSERT_NE(list.get(), nullptr);
    ASSERT_EQ(ImageList_AddMasked(list.get(), strip.get(), kButtonFace), 0);
    ASSERT_EQ(ImageList_GetImageCount(list.get()), 7);
    for (int i = 0; i < 7; ++i) {
        Canvas canvas(46, 41, kMarker);
        ASSERT_TRUE(ImageList_Draw(list.get(), i, canvas.dc(), 0, 0, ILD_TRANSPARENT));
        EXPECT_EQ(canvas.at(0, 0), kMarker) << "button " << i;
        EXPECT_EQ(canvas.at(45, 40), kMarker) << "button " << i;
        int drawn = 0;
        for (int y = 0; y < 41; ++y)
            for (int x = 0; x < 46; ++x)
                if (canvas.at(x, y) != kMarker) ++drawn;
        EXPECT_GT(drawn, 46 * 41 / 8) << "button " << i << " is nearly empty";
    }
}

// ---------------------------------------------------------------------------------------

class IconMask : public ::testing::TestWithParam<int> {};

TEST_P(IconMask, SmallImageIsTransparentAtTheCornerAndDrawnInTheMiddle) {
    Icon icon(static_cast<HICON>(LoadImageA(Self(), MAKEINTRESOURCEA(GetParam()),
                                            IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    ASSERT_NE(icon.get(), nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon.get(), &info));
    SIZE size = BitmapSize(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_EQ(size.cx, 16);
    Canvas canvas(16, 16, kMarker);
    ASSERT_TRUE(DrawIconEx(canvas.dc(), 0, 0, icon.get(), 16, 16, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(canvas.at(0, 0), kMarker) << "the corner should let the background through";
    EXPECT_NE(canvas.at(8, 9), kMarker) << "the middle should be drawn";
}

TEST_P(IconMask, LargeImageIsTransparentAtTheCornerAndDrawnInTheMiddle) {
    Icon icon(static_cast<HICON>(LoadImageA(Self(), MAKEINTRESOURCEA(GetParam()),
                                            IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
    ASSERT_NE(icon.get(), nullptr);
    Canvas canvas(32, 32, kMarker);
    ASSERT_TRUE(DrawIconEx(canvas.dc(), 0, 0, icon.get(), 32, 32, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(canvas.at(0, 0), kMarker);
    EXPECT_NE(canvas.at(16, 18), kMarker);
}

INSTANTIATE_TEST_SUITE_P(AllIcons, IconMask,
                         ::testing::Values(IDR_MAINFRAME, kSelfExtractorIcon, IDI_FILE_TEXT,
                                           IDI_FILE_PROGRAM, IDI_FILE_OTHER, IDI_FILE_HELP,
                                           IDI_FILE_LIBRARY, IDI_FILE_PICTURE,
                                           IDI_FILE_SETTINGS, IDI_FILE_ARCHIVE));

TEST(FileTypeIcons, FillTheEntryListsNineImageList) {
    // As the entry list builds it: 16 by 16, 8-bit colour, room for nine, no growth.
    ImageList list(ImageList_Create(16, 16, ILC_COLOR8, 9, 0));
    ASSERT_NE(list.get(), nullptr);
    for (int id : kFileTypeIcons) {
        HICON icon = LoadIconA(Self(), MAKEINTRESOURCEA(id));
        ASSERT_NE(icon, nullptr) << "icon " << id;
        EXPECT_NE(ImageList_AddIcon(list.get(), icon), -1) << "icon " << id;
    }
    EXPECT_EQ(ImageList_GetImageCount(list.get()), 9);
}

TEST(FileTypeIcons, AreAllDifferent) {
    // Two kinds of file with the same picture would defeat the icons' purpose.
    const int distinct[] = {IDI_FILE_PICTURE, IDI_FILE_LIBRARY, IDI_FILE_PROGRAM, IDI_FILE_HELP,
                            IDI_FILE_SETTINGS, IDI_FILE_TEXT, IDI_FILE_ARCHIVE, IDI_FILE_OTHER};
    COLORREF pixels[8][16 * 16];
    for (int n = 0; n < 8; ++n) {
        Icon icon(static_cast<HICON>(LoadImageA(Self(), MAKEINTRESOURCEA(distinct[n]),
                                                IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
        ASSERT_NE(icon.get(), nullptr);
        Canvas canvas(16, 16, kMarker);
        DrawIconEx(canvas.dc(), 0, 0, icon.get(), 16, 16, 0, nullptr, DI_NORMAL);
        for (int i = 0; i < 256; ++i) pixels[n][i] = canvas.at(i % 16, i / 16);
    }
    for (int a = 0; a < 8; ++a)
        for (int b = a + 1; b < 8; ++b)
            EXPECT_NE(std::memcmp(pixels[a], pixels[b], sizeof pixels[a]), 0)
                << "icons " << distinct[a] << " and " << distinct[b] << " look the same";
}

TEST(ProgramIcon, LoadsAtTheSystemIconSize) {
    HICON icon = LoadIconA(Self(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    SIZE size = BitmapSize(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_EQ(size.cx, GetSystemMetrics(SM_CXICON));
}

// ---------------------------------------------------------------------------------------

struct WaveResource {
    const char* bytes = nullptr;
    DWORD size = 0;
};

WaveResource FindWave(const char* name) {
    WaveResource wave;
    HRSRC found = FindResourceA(Self(), name, "WAVE");
    if (!found) return wave;
    HGLOBAL loaded = LoadResource(Self(), found);
    wave.bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    wave.size = SizeofResource(Self(), found);
    return wave;
}

TEST(CompletionSound, IsA15572ByteWaveResource) {
    WaveResource wave = FindWave("BRINDLE_WAV");
    ASSERT_NE(wave.bytes, nullptr);
    EXPECT_EQ(wave.size, 15572u);
}

TEST(CompletionSound, ParsesAsMono8Bit11025HzPcm) {
    // Read it with the multimedia file parser, which is what the sound call relies on.
    WaveResource wave = FindWave("BRINDLE_WAV");
    ASSERT_NE(wave.bytes, nullptr);
    MMIOINFO memory{};
    memory.fccIOProc = FOURCC_MEM;
    memory.pchBuffer = const_cast<char*>(wave.bytes);
    memory.cchBuffer = static_cast<LONG>(wave.size);
    HMMIO file = mmioOpenA(nullptr, &memory, MMIO_READ);
    ASSERT_NE(file, nullptr);
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    MMCKINFO chunk{};
    PCMWAVEFORMAT format{};
    bool ok = mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF) == MMSYSERR_NOERROR;
    if (ok) {
        chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
        ok = mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR &&
             mmioRead(file, reinterpret_cast<HPSTR>(&format), sizeof format) ==
                 static_cast<LONG>(sizeof format) &&
             mmioAscend(file, &chunk, 0) == MMSYSERR_NOERROR;
    }
    MMCKINFO data{};
    if (ok) {
        data.ckid = mmioFOURCC('d', 'a', 't', 'a');
        ok = mmioDescend(file, &data, &riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR;
    }
    mmioClose(file, 0);
    ASSERT_TRUE(ok) << "RIFF WAVE structure not found";
    EXPECT_EQ(format.wf.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(format.wf.nChannels, 1);
    EXPECT_EQ(format.wf.nSamplesPerSec, 11025u);
    EXPECT_EQ(format.wBitsPerSample, 8);
    EXPECT_EQ(format.wf.nBlockAlign, 1);
    EXPECT_EQ(data.cksize, 15528u);
}

}  // namespace
