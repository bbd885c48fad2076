// The main toolbar's own drawing, checked in pixels: drawn into a bitmap through
// WM_PRINTCLIENT, or read back from the screen for the non-client gripper. Also what a
// mouse move invalidates, the hot timer, and the custom-draw stages offered to the parent.

#include "FrameTestSupport.h"

#include <commctrl.h>

#include <set>
#include <vector>

#include "Handles.h"
#include "MainFrame.h"
#include "Settings.h"
#include "ToolBarEx.h"
#include "resource.h"

namespace {

constexpr COLORREF kUntouched = RGB(255, 0, 255);

// A picture of a window's client area (or of the screen under a window) that can be read
// pixel by pixel.
class Picture {
public:
    Picture(int width, int height) : width(width), height(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* data = nullptr;
        WindowDC screen = WindowDC::Client(nullptr);
        bitmap.reset(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &data, nullptr, 0));
        bits = static_cast<const DWORD*>(data);
        dc.reset(CreateCompatibleDC(screen.get()));
        selected = SelectedObject(dc.get(), bitmap.get());
        RECT all{0, 0, width, height};
        GdiObject brush(CreateSolidBrush(kUntouched));
        FillRect(dc.get(), &all, static_cast<HBRUSH>(brush.get()));
    }
    HDC Dc() const { return dc.get(); }
    COLORREF At(LONG x, LONG y) const {
        GdiFlush();
        if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
        DWORD pixel = bits[y * width + x];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
    std::set<COLORREF> ColoursIn(const RECT& area) const {
        std::set<COLORREF> colours;
        for (LONG y = area.top; y < area.bottom; ++y)
            for (LONG x = area.left; x < area.right; ++x) colours.insert(At(x, y));
        return colours;
    }

private:
    int width;
    int height;
    GdiObject bitmap;
    const DWORD* bits = nullptr;
    MemoryDC dc;
    SelectedObject selected;
};

// Index of each button of toolbar resource 128.
constexpr int kNewButton = 0;
constexpr int kSeparator = 3;
constexpr int kAddButton = 4;
constexpr int kExtractButton = 5;
constexpr int kDeleteButton = 6;
constexpr int kViewButton = 7;

class ToolBarTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        WriteSettingInt("Settings", "ShowStartupScreen", 0);
        ASSERT_TRUE(Start());
        SetForegroundWindow(MainWindow());
        Pump();
        ParkCursor();
    }

    CToolBarEx& Bar() const { return static_cast<CToolBarEx&>(*Frame().GetToolBar()); }
    HWND Control() const { return Bar().GetToolBarControl(); }

    RECT ButtonRect(int index) const {
        RECT bounds{};
        SendMessageA(Control(), TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&bounds));
        return bounds;
    }
    UINT Command(int index) const { return Frame().GetToolBar()->GetButtonCommand(index); }

    // Puts the real cursor (which the paint asks for) on a button, or away from the bar.
    void CursorOnButton(int index) {
        RECT bounds = ButtonRect(index);
        POINT centre{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
        ClientToScreen(Control(), &centre);
        SetCursorPos(centre.x, centre.y);
    }
    void ParkCursor() {
        RECT view{};
        GetWindowRect(ViewWindow(), &view);
        SetCursorPos(view.right - 10, view.bottom - 10);
    }
    void MoveMouseOver(int index) {
        RECT bounds = ButtonRect(index);
        SendMessageA(Control(), WM_MOUSEMOVE, 0, MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2));
    }

    // The control's client area as the toolbar draws it, without its background erased.
    Picture Draw() const {
        RECT client{};
        GetClientRect(Control(), &client);
        Picture picture(client.right, client.bottom);
        SendMessageA(Control(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(picture.Dc()), PRF_CLIENT);
        return picture;
    }

    // The update region left after something ran, as a region equal to rects' union.
    bool UpdateRegionIs(std::vector<RECT> rects) const {
        GdiObject expected(CreateRectRgn(0, 0, 0, 0));
        for (const RECT& bounds : rects) {
            GdiObject part(CreateRectRgnIndirect(&bounds));
            CombineRgn(static_cast<HRGN>(expected.get()), static_cast<HRGN>(expected.get()),
                       static_cast<HRGN>(part.get()), RGN_OR);
        }
        GdiObject actual(CreateRectRgn(0, 0, 0, 0));
        GetUpdateRgn(Control(), static_cast<HRGN>(actual.get()), FALSE);
        return EqualRgn(static_cast<HRGN>(expected.get()), static_cast<HRGN>(actual.get())) != FALSE;
    }

    COLORREF Face() const { return Bar().GetFaceColour(); }
    COLORREF Highlight() const { return Bar().GetHighlightColour(); }
    COLORREF Shadow() const { return Bar().GetShadowColour(); }
};

TEST_F(ToolBarTest, ButtonsAreFlatRaisedUnderTheMouseSunkenWhenCheckedAndEmbossedWhenDisabled) {
    ASSERT_NE(Face(), Highlight());
    ASSERT_NE(Face(), Shadow());
    CursorOnButton(kAddButton);
    Picture picture = Draw();
    RECT hot = ButtonRect(kAddButton);
    LONG middleY = (hot.top + hot.bottom) / 2;
    LONG middleX = (hot.left + hot.right) / 2;
    EXPECT_EQ(picture.At(hot.left, middleY), Highlight());
    EXPECT_EQ(picture.At(middleX, hot.top), Highlight());
    EXPECT_EQ(picture.At(hot.right - 1, middleY), Shadow());
    EXPECT_EQ(picture.At(middleX, hot.bottom - 1), Shadow());
    for (int other : {kNewButton, kExtractButton, kViewButton}) {
        RECT flat = ButtonRect(other);
        EXPECT_EQ(picture.At(flat.left, (flat.top + flat.bottom) / 2), Face()) << other;
        EXPECT_EQ(picture.At(flat.right - 1, (flat.top + flat.bottom) / 2), Face()) << other;
    }

    // Checked: sunken with the image one pixel down and to the right, mouse or not.
    RECT checked = ButtonRect(kExtractButton);
    const Picture& before = picture;
    SendMessageA(Control(), TB_CHECKBUTTON, Command(kExtractButton), MAKELPARAM(TRUE, 0));
    for (int cursorOnIt = 0; cursorOnIt < 2; ++cursorOnIt) {
        if (cursorOnIt) CursorOnButton(kExtractButton);
        Picture after = Draw();
        LONG y = (checked.top + checked.bottom) / 2;
        EXPECT_EQ(after.At(checked.left, y), Shadow());
        EXPECT_EQ(after.At((checked.left + checked.right) / 2, checked.top), Shadow());
        EXPECT_EQ(after.At(checked.right - 1, y), Highlight());
        EXPECT_EQ(after.At((checked.left + checked.right) / 2, checked.bottom - 1), Highlight());
        int moved = 0;
        int differing = 0;
        for (LONG py = checked.top + 3; py < checked.bottom - 3; ++py)
            for (LONG px = checked.left + 3; px < checked.right - 3; ++px) {
                if (before.At(px, py) != before.At(px + 1, py + 1)) ++differing;
                if (after.At(px + 1, py + 1) == before.At(px, py)) ++moved;
            }
        int inside = (checked.right - checked.left - 6) * (checked.bottom - checked.top - 6);
        EXPECT_GT(differing, inside / 20);   // an image with some detail, so the shift shows
        EXPECT_EQ(moved, inside);
    }

    // Disabled: only the two emboss colours on the face, both present, and no hot frame.
    SendMessageA(Control(), TB_ENABLEBUTTON, Command(kViewButton), MAKELPARAM(FALSE, 0));
    CursorOnButton(kViewButton);
    Picture disabled = Draw();
    RECT grey = ButtonRect(kViewButton);
    std::set<COLORREF> colours = disabled.ColoursIn(grey);
    EXPECT_EQ(colours, (std::set<COLORREF>{Face(), Highlight(), Shadow()}));
    EXPECT_EQ(disabled.At(grey.left, (grey.top + grey.bottom) / 2), Face());
    EXPECT_EQ(disabled.At(grey.right - 1, (grey.top + grey.bottom) / 2), Face());
    // The highlight is the shadow's echo one pixel down and to the right.
    for (LONG y = grey.top; y + 1 < grey.bottom; ++y)
        for (LONG x = grey.left; x + 1 < grey.right; ++x)
            if (disabled.At(x, y) == Shadow() && disabled.At(x + 1, y + 1) != Shadow()) {
                ASSERT_EQ(disabled.At(x + 1, y + 1), Highlight()) << x << "," << y;
            }

    // The separator: an etched line two pixels wide in its middle.
    RECT separator = ButtonRect(kSeparator);
    LONG middle = (separator.left + separator.right) / 2;
    LONG y = (separator.top + separator.bottom) / 2;
    EXPECT_EQ(disabled.At(middle - 1, y), Shadow());
    EXPECT_EQ(disabled.At(middle, y), Highlight());
}

TEST_F(ToolBarTest, ChangedSystemColoursAreUsedAtTheNextPaint) {
    int element = COLOR_BTNFACE;
    COLORREF original = GetSysColor(element);
    COLORREF changed = original == RGB(10, 120, 30) ? RGB(30, 120, 10) : RGB(10, 120, 30);
    SetSysColors(1, &element, &changed);
    // The frame hands the news on to its children.
    SendMessageA(MainWindow(), WM_SYSCOLORCHANGE, 0, 0);
    Picture picture = Draw();
    SetSysColors(1, &element, &original);
    SendMessageA(MainWindow(), WM_SYSCOLORCHANGE, 0, 0);
    RECT flat = ButtonRect(kNewButton);
    EXPECT_EQ(picture.At(flat.left, (flat.top + flat.bottom) / 2), changed);
    EXPECT_EQ(Face(), original);
}

TEST_F(ToolBarTest, MouseMovesInvalidateOnlyTheButtonsWhoseHotStateChanged) {
    ValidateRect(Control(), nullptr);
    MoveMouseOver(kNewButton);
    EXPECT_EQ(Bar().GetHotButton(), kNewButton);
    EXPECT_TRUE(UpdateRegionIs({ButtonRect(kNewButton)}));

    ValidateRect(Control(), nullptr);
    MoveMouseOver(kNewButton);
    EXPECT_TRUE(UpdateRegionIs({}));

    MoveMouseOver(kNewButton + 1);
    EXPECT_EQ(Bar().GetHotButton(), kNewButton + 1);
    EXPECT_TRUE(UpdateRegionIs({ButtonRect(kNewButton), ButtonRect(kNewButton + 1)}));

    // A separator and a disabled button never become hot.
    ValidateRect(Control(), nullptr);
    MoveMouseOver(kSeparator);
    EXPECT_EQ(Bar().GetHotButton(), -1);
    EXPECT_TRUE(UpdateRegionIs({ButtonRect(kNewButton + 1)}));
    SendMessageA(Control(), TB_ENABLEBUTTON, Command(kDeleteButton), MAKELPARAM(FALSE, 0));
    ValidateRect(Control(), nullptr);
    MoveMouseOver(kDeleteButton);
    EXPECT_EQ(Bar().GetHotButton(), -1);
    EXPECT_TRUE(UpdateRegionIs({}));
}

TEST_F(ToolBarTest, HotFrameStaysWhileTheCursorIsOnTheBarAndGoesAtTheTickAfterItLeaves) {
    Events().disabledCommands = {};
    CursorOnButton(kAddButton);
    MoveMouseOver(kAddButton);
    for (int round = 0; round < 60; ++round) {   // a few ticks with the cursor on the bar
        Pump();
        Sleep(10);
    }
    EXPECT_EQ(Bar().GetHotButton(), kAddButton);
    ParkCursor();
    EXPECT_EQ(Bar().GetHotButton(), kAddButton);
    ValidateRect(Control(), nullptr);
    EXPECT_TRUE(PumpUntil([this] { return Bar().GetHotButton() == -1; }));
    // What the timer invalidated, now painted without a raised frame.
    Picture picture = Draw();
    RECT bounds = ButtonRect(kAddButton);
    EXPECT_EQ(picture.At(bounds.left, (bounds.top + bounds.bottom) / 2), Face());
}

// The parent answers the custom-draw notifications from a subclass of the main window.
struct CustomDrawSeen {
    DWORD stage;
    UINT command;
    UINT state;
};
struct CustomDrawParent {
    LRESULT prePaintAnswer = 0;
    UINT skippedCommand = 0;
    UINT postPaintCommand = 0;
    std::vector<CustomDrawSeen> seen;
    std::vector<ToolBarCustomDraw> records;
};

LRESULT CALLBACK AnswerCustomDraw(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR data) {
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
        CustomDrawParent& parent = *reinterpret_cast<CustomDrawParent*>(data);
        ToolBarCustomDraw& record = *reinterpret_cast<ToolBarCustomDraw*>(lParam);
        if (record.toolBar == nullptr) return DefSubclassProc(window, message, wParam, lParam);
        UINT command = static_cast<UINT>(record.draw.dwItemSpec);
        parent.seen.push_back({record.draw.dwDrawStage, command, record.draw.uItemState});
        parent.records.push_back(record);
        if (record.draw.dwDrawStage == CDDS_PREPAINT) return parent.prePaintAnswer;
        if (record.draw.dwDrawStage == CDDS_ITEMPREPAINT) {
            if (command == parent.skippedCommand) return CDRF_SKIPDEFAULT;
            if (command == parent.postPaintCommand) return CDRF_NOTIFYPOSTPAINT;
        }
        return CDRF_DODEFAULT;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(ToolBarTest, ParentGetsTheDrawingStagesItAsksForAndItsAnswersAreObeyed) {
    CustomDrawParent parent;
    ASSERT_TRUE(SetWindowSubclass(MainWindow(), &AnswerCustomDraw, 1, reinterpret_cast<DWORD_PTR>(&parent)));

    // No answer: one notification, every button drawn.
    Picture plain = Draw();
    ASSERT_EQ(parent.seen.size(), 1u);
    EXPECT_EQ(parent.seen[0].stage, static_cast<DWORD>(CDDS_PREPAINT));
    EXPECT_EQ(parent.records[0].draw.hdr.hwndFrom, Control());
    EXPECT_EQ(parent.records[0].toolBar, &Bar());
    EXPECT_EQ(parent.records[0].target, &Frame());

    parent = CustomDrawParent{};
    parent.prePaintAnswer = CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    parent.skippedCommand = Command(kAddButton);
    parent.postPaintCommand = Command(kExtractButton);
    SendMessageA(Control(), TB_CHECKBUTTON, Command(kExtractButton), MAKELPARAM(TRUE, 0));
    SendMessageA(Control(), TB_ENABLEBUTTON, Command(kDeleteButton), MAKELPARAM(FALSE, 0));
    // A real paint, through WM_PAINT.
    InvalidateRect(Control(), nullptr, TRUE);
    UpdateWindow(Control());
    std::vector<CustomDrawSeen> expected{{CDDS_PREPAINT, 0, 0}};
    for (int index : {0, 1, 2, kAddButton, kExtractButton, kDeleteButton, kViewButton}) {
        UINT state = index == kExtractButton ? CDIS_CHECKED : index == kDeleteButton ? CDIS_DISABLED : 0;
        expected.push_back({CDDS_ITEMPREPAINT, Command(index), state});
        if (index == kExtractButton) expected.push_back({CDDS_ITEMPOSTPAINT, Command(index), state});
    }
    expected.push_back({CDDS_POSTPAINT, 0, 0});
    ASSERT_EQ(parent.seen.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(parent.seen[i].stage, expected[i].stage) << i;
        EXPECT_EQ(parent.seen[i].command, expected[i].command) << i;
        EXPECT_EQ(parent.seen[i].state, expected[i].state) << i;
    }
    EXPECT_EQ(parent.records.back().prePaintResult, static_cast<LRESULT>(CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT));

    // The skipped button is left as it was; the others are drawn.
    Picture skipped = Draw();
    RECT add = ButtonRect(kAddButton);
    EXPECT_EQ(skipped.ColoursIn(add), std::set<COLORREF>{kUntouched});
    RECT view = ButtonRect(kViewButton);
    EXPECT_EQ(skipped.At(view.left, view.top), plain.At(view.left, view.top));
    RemoveWindowSubclass(MainWindow(), &AnswerCustomDraw, 1);
}

TEST_F(ToolBarTest, CommandStateUpdateRepaintsOnlyTheButtonsThatChanged) {
    Frame().OnIdleUpdate();
    ValidateRect(Control(), nullptr);
    Frame().OnIdleUpdate();
    EXPECT_TRUE(UpdateRegionIs({}));
    Events().disabledCommands = {Command(kViewButton)};
    Frame().OnIdleUpdate();
    EXPECT_TRUE(UpdateRegionIs({ButtonRect(kViewButton)}));
}

// Reads the bar's whole window, non-client part included, back from the screen.
Picture ScreenUnder(HWND window) {
    const HWND topLevel = GetAncestor(window, GA_ROOT);
    KeepOnTopWhileCapturing(topLevel, true);
    RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT bounds{};
    GetWindowRect(window, &bounds);
    Picture picture(bounds.right - bounds.left, bounds.bottom - bounds.top);
    WindowDC screen = WindowDC::Client(nullptr);
    BitBlt(picture.Dc(), 0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top, screen.get(), bounds.left,
           bounds.top, SRCCOPY);
    KeepOnTopWhileCapturing(topLevel, false);
    return picture;
}

TEST_F(ToolBarTest, DockedBarHasTwoRaisedGripBarsAtItsLeadingEdgeOnEverySide) {
    for (DockSide side : {DockSide::Top, DockSide::Left, DockSide::Bottom, DockSide::Right}) {
        Bar().DockAt(side);
        Pump();
        Picture picture = ScreenUnder(Bar().GetHandle());
        RECT bounds{};
        GetWindowRect(Bar().GetHandle(), &bounds);
        bool horizontal = side == DockSide::Top || side == DockSide::Bottom;
        LONG across = (horizontal ? bounds.bottom - bounds.top : bounds.right - bounds.left) / 2;
        auto at = [&](LONG along) { return horizontal ? picture.At(along, across) : picture.At(across, along); };
        // Each grip bar: highlight on its leading side, shadow on its far side.
        EXPECT_EQ(at(4), Highlight()) << static_cast<int>(side);
        EXPECT_EQ(at(6), Shadow()) << static_cast<int>(side);
        EXPECT_EQ(at(7), Highlight()) << static_cast<int>(side);
        EXPECT_EQ(at(9), Shadow()) << static_cast<int>(side);
        EXPECT_EQ(at(2), Face()) << static_cast<int>(side);
        // The buttons begin after the strip.
        RECT control{};
        GetWindowRect(Control(), &control);
        EXPECT_GE(horizontal ? control.left - bounds.left : control.top - bounds.top, 10) << static_cast<int>(side);
    }
}

TEST_F(ToolBarTest, StandingUprightTheSeparatorIsALineAcrossTheBar) {
    Bar().DockAt(DockSide::Left);
    Pump();
    Picture picture = Draw();
    RECT separator = ButtonRect(kSeparator);
    RECT button = ButtonRect(kNewButton);
    LONG centre = (separator.top + separator.bottom) / 2;
    LONG x = (button.left + button.right) / 2;
    EXPECT_EQ(picture.At(x, centre - 1), Shadow());
    EXPECT_EQ(picture.At(x, centre), Highlight());
}

TEST_F(ToolBarTest, ScreenshotsWithHotCheckedAndDisabledButtonsDockedAtTheTopAndLeft) {
    for (DockSide side : {DockSide::Top, DockSide::Left}) {
        Bar().DockAt(side);
        Pump();
        SendMessageA(Control(), TB_CHECKBUTTON, Command(kExtractButton), MAKELPARAM(TRUE, 0));
        SendMessageA(Control(), TB_ENABLEBUTTON, Command(kDeleteButton), MAKELPARAM(FALSE, 0));
        CursorOnButton(kAddButton);
        MoveMouseOver(kAddButton);
        // Drawn on the screen now, without the idle update undoing the two states first.
        RedrawWindow(MainWindow(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        std::string name = side == DockSide::Top ? "\\toolbar_top.bmp" : "\\toolbar_left.bmp";
        EXPECT_TRUE(SaveWindowBitmap(MainWindow(), ScreenshotFolder() + name));
    }
}

}  // namespace

TEST(GdiOwners, SelectedObjectPutsBackWhatItDisplacedAndMovesOnce) {
    WindowDC screen = WindowDC::Client(nullptr);
    ASSERT_TRUE(screen);
    MemoryDC dc(CreateCompatibleDC(screen.get()));
    HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BRUSH);
    GdiObject red(CreateSolidBrush(RGB(255, 0, 0)));
    GdiObject blue(CreateSolidBrush(RGB(0, 0, 255)));
    {
        SelectedObject first(dc.get(), red.get());
        EXPECT_TRUE(first);
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), red.get());
        SelectedObject moved(std::move(first));
        {
            SelectedObject second(dc.get(), blue.get());
            EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), blue.get());
        }
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), red.get());
    }
    // Only the moved-to owner restored, once: the DC is as it was found.
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), original);
    MemoryDC other(std::move(dc));
    EXPECT_FALSE(dc);
    EXPECT_TRUE(other);
}
