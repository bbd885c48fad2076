#include "BrindleView.h"

#include <shellapi.h>

#include <cstdlib>
#include <new>
#include <utility>

#include "BrindleDoc.h"
#include "PathHelpers.h"
#include "Settings.h"
#include "UserMessages.h"
#include "framework/Application.h"
#include "framework/FrameWindow.h"
#include "resource.h"

namespace {

struct ColumnLayout {
    const char* title;
    int format;
};

// The titles are also the settings keys under which the widths are kept; the settings
// store knows their defaults.
const ColumnLayout kColumns[] = {
    {"Name", LVCFMT_LEFT}, {"Date", LVCFMT_RIGHT},  {"Time", LVCFMT_RIGHT},
    {"Size", LVCFMT_RIGHT}, {"Ratio", LVCFMT_RIGHT}, {"Packed", LVCFMT_RIGHT},
};
constexpr int kColumnCount = static_cast<int>(sizeof kColumns / sizeof kColumns[0]);

struct FileTypeIcon {
    const char* extension;   // nullptr: every other extension, or none
    int iconId;
};

// Image index = position in this table.
const FileTypeIcon kFileTypeIcons[] = {
    {"BMP", IDI_FILE_PICTURE},  {"DLL", IDI_FILE_LIBRARY},  {"EXE", IDI_FILE_PROGRAM},
    {"HLP", IDI_FILE_HELP},     {"INI", IDI_FILE_SETTINGS}, {"INF", IDI_FILE_SETTINGS},
    {"TXT", IDI_FILE_TEXT},     {"ZIP", IDI_FILE_ARCHIVE},  {nullptr, IDI_FILE_OTHER},
};
constexpr int kIconCount = static_cast<int>(sizeof kFileTypeIcons / sizeof kFileTypeIcons[0]);

// Sent to ourselves after a listing has added rows, so that the control learns the new
// count once instead of once per row.
constexpr UINT kSyncItemCountMessage = WM_APP + 0x31;

// The whole number at the start of a "%dK" text; 0 when it does not start with one.
long long LeadingKilobytes(const std::string& text) {
    return std::strtoll(text.c_str(), nullptr, 10);
}

const std::string& ColumnText(const EntryRow& row, int column) {
    switch (column) {
        case 0: return row.name;
        case 1: return row.date;
        case 2: return row.time;
        case 3: return row.size;
        case 4: return row.ratio;
        default: return row.packed;
    }
}

// "<lead> %d file(s): %dK, %dK comp."; the sums are kept wide, since a few thousand rows
// of large files already pass what an int can count in kilobytes.
std::string FormatTotals(const char* lead, long long count, long long sizeK, long long packedK) {
    return std::string(lead) + " " + std::to_string(count) + " file(s): " + std::to_string(sizeK) + "K, " +
           std::to_string(packedK) + "K comp.";
}

}  // namespace

CBrindleView::CBrindleView() = default;
CBrindleView::~CBrindleView() = default;

DWORD CBrindleView::GetListStyle() const {
    // The image list is ours (iconList), so the control must not destroy it.
    return LVS_SHOWSELALWAYS | LVS_OWNERDATA | LVS_SHAREIMAGELISTS;
}

bool CBrindleView::OnViewCreated() {
    if (!CreateColumns()) return false;
    // Read once: a changed setting shows at the next start.
    if (ReadSettingInt("Settings", "DisplayIcons") == 0) return true;
    return CreateIcons();
}

bool CBrindleView::CreateColumns() {
    for (int index = 0; index < kColumnCount; ++index) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = kColumns[index].format;
        column.cx = ReadSettingInt("Window", kColumns[index].title);
        column.pszText = const_cast<char*>(kColumns[index].title);
        column.iSubItem = index;
        if (SendMessageA(GetListControl(), LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column)) != index)
            return false;
    }
    return true;
}

bool CBrindleView::CreateIcons() {
    ImageListHandle list(ImageList_Create(16, 16, ILC_COLOR8, kIconCount, 0));
    if (!list) return false;
    HINSTANCE instance = GetApplication() ? GetApplication()->GetInstance() : GetModuleHandleA(nullptr);
    for (const FileTypeIcon& type : kFileTypeIcons) {
        IconHandle icon(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(type.iconId), IMAGE_ICON, 16, 16, 0)));
        if (!icon || ImageList_AddIcon(list.get(), icon.get()) < 0) return false;
    }
    iconList = std::move(list);
    SendMessageA(GetListControl(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(iconList.get()));
    return true;
}

int CBrindleView::IconIndexForName(const std::string& name) {
    std::string extension;
    GetExtension(name, extension);
    for (int index = 0; index < kIconCount - 1; ++index)
        if (extension == kFileTypeIcons[index].extension) return index;
    return kIconCount - 1;
}

CBrindleDoc* CBrindleView::GetArchiveDocument() const {
    return dynamic_cast<CBrindleDoc*>(GetDocument());
}

const EntryRow& CBrindleView::GetDisplayedRow(int displayIndex) const {
    return rows[RowIndexForDisplay(displayIndex)].texts;
}

// ---- Entry operations -------------------------------------------------------------

void CBrindleView::ClearEntries() {
    rows.clear();
    rowsKnownToControl = 0;
    if (GetListControl() != nullptr) SendMessageA(GetListControl(), LVM_DELETEALLITEMS, 0, 0);
}

void CBrindleView::AddEntry(const EntryRow& row) {
    Row stored;
    stored.texts = row;
    stored.sizeK = LeadingKilobytes(row.size);
    stored.packedK = LeadingKilobytes(row.packed);
    stored.image = IconIndexForName(row.name);
    rows.push_back(std::move(stored));
    // A listing adds rows without letting messages through; the control hears of them once,
    // when the queue runs again or when someone reads the list.
    if (!countUpdatePosted && GetListControl() != nullptr) {
        countUpdatePosted = PostMessageA(GetListControl(), kSyncItemCountMessage, 0, 0) != FALSE;
    }
}

void CBrindleView::SyncItemCount() {
    HWND list = GetListControl();
    if (list == nullptr || rowsKnownToControl == rows.size()) return;
    const int added = static_cast<int>(rows.size() - rowsKnownToControl);

    // New rows go on top, so rows that were selected move down by as many places. The search
    // for them visits every row, which a listing that hands its rows over in batches would pay
    // at every batch: it is made only when there is a selection to find.
    std::vector<int> selected;
    if (SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0)
        for (int index = -1; (index = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, index, LVNI_SELECTED))) >= 0;)
            selected.push_back(index);

    SendMessageA(list, LVM_SETITEMCOUNT, rows.size(), 0);
    rowsKnownToControl = rows.size();

    if (!selected.empty()) {
        LVITEMA state{};
        state.stateMask = LVIS_SELECTED;
        state.state = 0;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
        state.state = LVIS_SELECTED;
        for (int index : selected)
            SendMessageA(list, LVM_SETITEMSTATE, index + added, reinterpret_cast<LPARAM>(&state));
    }
}

int CBrindleView::GetSelectedNames(NameList& names) {
    SyncItemCount();
    names.clear();
    try {
        HWND list = GetListControl();
        for (int index = -1;
             (index = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, index, LVNI_SELECTED))) >= 0;)
            names.push_back(GetDisplayedRow(index).name);
    } catch (const std::bad_alloc&) {
        names.clear();
        return 0;
    }
    return 1;
}

int CBrindleView::GetSelectedCount() {
    SyncItemCount();
    return static_cast<int>(SendMessageA(GetListControl(), LVM_GETSELECTEDCOUNT, 0, 0));
}

int CBrindleView::GetAllNames(NameList& names) {
    names.clear();
    try {
        names.reserve(rows.size());
        for (auto row = rows.rbegin(); row != rows.rend(); ++row) names.push_back(row->texts.name);
    } catch (const std::bad_alloc&) {
        names.clear();
        return 0;
    }
    return 1;
}

void CBrindleView::SetStatusText(const std::string& text) {
    SyncItemCount();
    SetPaneText(0, text);
}

void CBrindleView::SetPaneText(int pane, const std::string& text) {
    CFrameWindow* frame = GetParentFrame();
    if (frame != nullptr && frame->GetStatusBar() != nullptr) frame->GetStatusBar()->SetPaneText(pane, text);
}

void CBrindleView::UpdateSelectionStatus() {
    SyncItemCount();
    if (rows.empty()) {
        SetPaneText(0, std::string());
        SetPaneText(1, std::string());
        return;
    }
    long long sizeTotal = 0;
    long long packedTotal = 0;
    for (const Row& row : rows) {
        sizeTotal += row.sizeK;
        packedTotal += row.packedK;
    }
    SetPaneText(0, FormatTotals("Total", static_cast<long long>(rows.size()), sizeTotal, packedTotal));

    long long selectedCount = 0;
    long long selectedSize = 0;
    long long selectedPacked = 0;
    HWND list = GetListControl();
    for (int index = -1; (index = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, index, LVNI_SELECTED))) >= 0;) {
        const Row& row = rows[RowIndexForDisplay(index)];
        ++selectedCount;
        selectedSize += row.sizeK;
        selectedPacked += row.packedK;
    }
    if (selectedCount == 0) {
        SetPaneText(1, std::string());
        return;
    }
    SetPaneText(1, FormatTotals("Selected", selectedCount, selectedSize, selectedPacked));
}

void CBrindleView::FillDisplayInfo(NMLVDISPINFOA& info) const {
    LVITEMA& item = info.item;
    if (item.iItem < 0 || item.iItem >= static_cast<int>(rowsKnownToControl)) return;
    const Row& row = rows[RowIndexForDisplay(item.iItem)];
    if ((item.mask & LVIF_TEXT) && item.pszText != nullptr && item.cchTextMax > 0) {
        const std::string& text = ColumnText(row.texts, item.iSubItem);
        lstrcpynA(item.pszText, text.c_str(), item.cchTextMax);
    }
    if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0) item.iImage = iconList ? row.image : -1;
}

bool CBrindleView::OnReflectedNotify(NMHDR& header, LRESULT& result) {
    if (header.code == LVN_GETDISPINFOA) {
        FillDisplayInfo(reinterpret_cast<NMLVDISPINFOA&>(header));
        result = 0;
        return true;
    }
    return CListViewBase::OnReflectedNotify(header, result);
}

// ---- Commands ---------------------------------------------------------------------

const CommandTable<CBrindleView>& CBrindleView::Commands() {
    static const CommandHandler<CBrindleView> handlers[] = {
        {ID_HELP_TOPICS, &CBrindleView::OnHelpTopics},
    };
    // The document runs these; the view only decides when they make sense.
    static const CommandRule<CBrindleView> rules[] = {
        {&CBrindleView::UpdateOpenArchiveState,
         {ID_ACTIONS_ADD, ID_ACTIONS_EXTRACT, ID_ACTIONS_VIEW_ERROR_LOG, ID_FILE_COPY_ARCHIVE, ID_FILE_MOVE_ARCHIVE,
          ID_ACTIONS_MAKE_EXE, ID_ACTIONS_MAKE_WIN95_EXE}},
        {&CBrindleView::UpdateSelectionState, {ID_ACTIONS_VIEW, ID_ACTIONS_DELETE}},
    };
    static const CommandTable<CBrindleView> table{handlers, rules};
    return table;
}

void CBrindleView::UpdateSelectionState(CommandState& state) {
    SyncItemCount();
    state.enabled = SendMessageA(GetListControl(), LVM_GETSELECTEDCOUNT, 0, 0) > 0;
}

void CBrindleView::UpdateOpenArchiveState(CommandState& state) {
    CBrindleDoc* document = GetArchiveDocument();
    state.enabled = document != nullptr && document->IsOpen() == 1;
}

void CBrindleView::OnHelpTopics() {
    if (CApplication* application = GetApplication()) application->OpenHelpFile(nullptr);
}

void CBrindleView::ShowContextMenu(POINT screenPoint) {
    HWND mainWindow = GetParentFrame() ? GetParentFrame()->GetHandle() : GetAncestor(GetHandle(), GA_ROOT);
    SetForegroundWindow(mainWindow);
    HINSTANCE instance = GetApplication() ? GetApplication()->GetInstance() : GetModuleHandleA(nullptr);
    MenuHandle menu(LoadMenuA(instance, MAKEINTRESOURCEA(IDR_ENTRY_CONTEXT_MENU)));
    if (!menu) return;
    // Owned by the main window: its WM_INITMENUPOPUP greys the items by the command route
    // and its WM_COMMAND runs them.
    TrackPopupMenu(GetSubMenu(menu.get(), 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, screenPoint.x, screenPoint.y, 0,
                   mainWindow, nullptr);
}

void CBrindleView::OnDropFiles(HDROP drop) {
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    NameList paths;
    try {
        paths.reserve(count);
        char path[1000];
        for (UINT index = 0; index < count; ++index) {
            if (DragQueryFileA(drop, index, path, sizeof path) == 0) path[0] = '\0';
            paths.emplace_back(path);
        }
    } catch (const std::bad_alloc&) {
        paths.clear();
        ReportOutOfMemory(OutOfMemory::DroppedFiles);
    }
    // The names are copied out, so the drop can be released before the Add dialog runs.
    CListViewBase::OnDropFiles(drop);
    if (paths.empty()) return;
    if (CFrameWindow* frame = GetParentFrame()) frame->RouteDroppedFiles(std::move(paths));
}

// ---- Window --------------------------------------------------------------------------

std::vector<std::pair<std::string, int>> CBrindleView::ReadColumnWidths() const {
    std::vector<std::pair<std::string, int>> widths;
    for (int index = 0; index < kColumnCount; ++index) {
        char title[100] = "";
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = title;
        column.cchTextMax = sizeof title;
        if (SendMessageA(GetListControl(), LVM_GETCOLUMNA, index, reinterpret_cast<LPARAM>(&column)))
            widths.emplace_back(title, column.cx);
    }
    return widths;
}

void CBrindleView::SaveLayout(const std::vector<std::pair<std::string, int>>& columnWidths) {
    // Under the titles the columns show, which are also the keys the widths are read from.
    for (const auto& column : columnWidths) WriteSettingInt("Window", column.first.c_str(), column.second);
    HWND mainWindow = GetParentFrame() ? GetParentFrame()->GetHandle() : GetAncestor(GetHandle(), GA_ROOT);
    const bool maximized = IsZoomed(mainWindow) != FALSE;
    WriteSettingInt("Window", "fMaximized", maximized ? 1 : 0);
    // A maximised or minimised window has no useful outer rectangle; keep the last one.
    if (maximized || IsIconic(mainWindow)) return;
    RECT outer{};
    if (!GetWindowRect(mainWindow, &outer)) return;
    WriteSettingInt("Window", "x", outer.left);
    WriteSettingInt("Window", "y", outer.top);
    WriteSettingInt("Window", "cx", outer.right - outer.left);
    WriteSettingInt("Window", "cy", outer.bottom - outer.top);
}

LRESULT CBrindleView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kSyncItemCountMessage:
            countUpdatePosted = false;
            SyncItemCount();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP: {
            // The control tracks the click itself and returns once the button is up.
            LRESULT result = DefaultHandling(message, wParam, lParam);
            UpdateSelectionStatus();
            return result;
        }
        case WM_KEYDOWN:
            UpdateSelectionStatus();
            return DefaultHandling(message, wParam, lParam);
        case WM_KEYUP: {
            LRESULT result = DefaultHandling(message, wParam, lParam);
            UpdateSelectionStatus();
            return result;
        }
        case WM_LBUTTONDBLCLK: {
            LRESULT result = DefaultHandling(message, wParam, lParam);
            // The View command by the route, as its menu item runs it; the command's state is
            // not asked, so a double-click views whatever the click left selected.
            if (CFrameWindow* frame = GetParentFrame()) frame->RouteCommand(ID_ACTIONS_VIEW);
            return result;
        }
        case WM_RBUTTONDOWN: {
            // The control never sees it, so the row under the pointer keeps its state.
            POINT point = PointFromLParam(lParam);
            ClientToScreen(GetHandle(), &point);
            ShowContextMenu(point);
            return 0;
        }
        case WM_DESTROY: {
            // The columns are read while the control certainly still has them.
            auto columnWidths = ReadColumnWidths();
            LRESULT result = DefaultHandling(message, wParam, lParam);
            SaveLayout(columnWidths);
            return result;
        }
        default:
            return CListViewBase::HandleMessage(message, wParam, lParam);
    }
}
