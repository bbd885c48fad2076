#include "BrindleView.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "BrindleDoc.h"
#include "PathHelpers.h"
#include "Settings.h"
#include "UserMessages.h"
#include "BrindleCommandDialogs.h"
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
std::string FormatTotals(const std::string& lead, long long count, long long sizeK, long long packedK) {
    return lead + " " + std::to_string(count) + " file(s): " + std::to_string(sizeK) + "K, " + std::to_string(packedK) +
           "K comp.";
}

void SetRowState(HWND list, int position, UINT mask, UINT value) {
    LVITEMA state{};
    state.stateMask = mask;
    state.state = value;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&state));
}

// Above this many rows, selection changes of the control are made with drawing off.
constexpr std::size_t kLargeListRows = 2000;

constexpr int kFilterBoxWidth = 150;
constexpr int kFilterBoxHeight = 21;

}  // namespace

CBrindleView::CBrindleView() = default;
CBrindleView::~CBrindleView() = default;

DWORD CBrindleView::GetListStyle() const {
    // The image list is ours (iconList), so the control must not destroy it.
    return LVS_SHOWSELALWAYS | LVS_OWNERDATA | LVS_SHAREIMAGELISTS;
}

bool CBrindleView::OnViewCreated() {
    if (!CreateColumns()) return false;
    sortColumn = ReadSettingInt("Settings", "SortColumn");
    if (sortColumn < -1 || sortColumn >= kColumnCount) sortColumn = -1;
    sortDescending = sortColumn >= 0 && ReadSettingInt("Settings", "SortDescending") != 0;
    ShowSortArrow();
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

const EntryRow& CBrindleView::GetDisplayedRow(int displayIndex) const { return rows[shown[displayIndex]].texts; }

// ---- Entry operations -------------------------------------------------------------

void CBrindleView::ClearEntries() {
    rows.clear();
    rowsKnownToControl = 0;
    shown.clear();
    allSizeK = allPackedK = shownSizeK = shownPackedK = 0;
    selection.Clear();
    selectionBuilt = false;
    nameKeys.clear();
    nameKeyStarts.assign(1, 0);
    dateKeys.clear();
    ratioKeys.clear();
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
    if (GetListControl() == nullptr || rowsKnownToControl == rows.size()) return;
    const std::size_t firstNew = rowsKnownToControl;
    for (std::size_t index = firstNew; index < rows.size(); ++index) {
        allSizeK += rows[index].sizeK;
        allPackedK += rows[index].packedK;
    }
    rowsKnownToControl = rows.size();
    // Only the new rows are filtered and ordered; they are merged into what is shown.
    std::vector<int> added = FilteredRows(firstNew, rows.size());
    OrderRows(added);
    std::vector<int> next(shown.size() + added.size());
    std::merge(added.begin(), added.end(), shown.begin(), shown.end(), next.begin(),
               [this](int a, int b) { return ShowsBefore(a, b); });
    ReplaceShownRows(std::move(next));
}

std::vector<int> CBrindleView::FilteredRows(std::size_t from, std::size_t to) const {
    std::vector<int> passed;
    passed.reserve(to - from);
    // Archive order is last-first; the sort below keeps it among equal keys.
    for (std::size_t index = to; index-- > from;)
        if (filterText.empty() || FilterMatches(rows[index].texts.name, filterText))
            passed.push_back(static_cast<int>(index));
    return passed;
}

void CBrindleView::ShowRowsAfresh() {
    std::vector<int> next = FilteredRows(0, rowsKnownToControl);
    OrderRows(next);
    ReplaceShownRows(std::move(next));
}

void CBrindleView::PrepareSortKeys() {
    // Made for the rows that have none yet; the columns without a key of their own sort
    // by the values the totals already use.
    switch (sortColumn) {
    case 0:
        nameKeyStarts.reserve(rows.size() + 1);
        for (std::size_t index = nameKeyStarts.size() - 1; index < rows.size(); ++index) {
            nameKeys += NaturalSortKey(rows[index].texts.name);
            nameKeyStarts.push_back(nameKeys.size());
        }
        break;
    case 1:
    case 2:
        dateKeys.reserve(rows.size());
        for (std::size_t index = dateKeys.size(); index < rows.size(); ++index)
            dateKeys.push_back(DateTimeKey(rows[index].texts.date, rows[index].texts.time));
        break;
    case 4:
        ratioKeys.reserve(rows.size());
        for (std::size_t index = ratioKeys.size(); index < rows.size(); ++index)
            ratioKeys.push_back(LeadingNumber(rows[index].texts.ratio));
        break;
    default: break;
    }
}

void CBrindleView::OrderRows(std::vector<int>& rowIndexes) {
    if (sortColumn < 0) return;  // FilteredRows gives archive order
    PrepareSortKeys();
    std::sort(rowIndexes.begin(), rowIndexes.end(), [this](int a, int b) { return ShowsBefore(a, b); });
}

int CBrindleView::CompareNameKeys(int rowA, int rowB) const {
    const std::size_t startA = nameKeyStarts[rowA], lengthA = nameKeyStarts[rowA + 1] - startA;
    const std::size_t startB = nameKeyStarts[rowB], lengthB = nameKeyStarts[rowB + 1] - startB;
    const int order = std::memcmp(nameKeys.data() + startA, nameKeys.data() + startB, std::min(lengthA, lengthB));
    if (order != 0) return order;
    return lengthA < lengthB ? -1 : lengthA > lengthB;
}

bool CBrindleView::ShowsBefore(int rowA, int rowB) const {
    int order = 0;
    switch (sortColumn) {
    case 0: order = CompareNameKeys(rowA, rowB); break;
    case 1:
    case 2: order = dateKeys[rowA] < dateKeys[rowB] ? -1 : dateKeys[rowA] > dateKeys[rowB]; break;
    case 3: order = rows[rowA].sizeK < rows[rowB].sizeK ? -1 : rows[rowA].sizeK > rows[rowB].sizeK; break;
    case 4: order = ratioKeys[rowA] < ratioKeys[rowB] ? -1 : ratioKeys[rowA] > ratioKeys[rowB]; break;
    case 5: order = rows[rowA].packedK < rows[rowB].packedK ? -1 : rows[rowA].packedK > rows[rowB].packedK; break;
    default: break;
    }
    if (order != 0) return sortDescending ? order > 0 : order < 0;
    return rowA > rowB;  // equal keys keep archive order, either way round
}

void CBrindleView::ReplaceShownRows(std::vector<int> next) {
    HWND list = GetListControl();
    std::vector<int> selectedRows;
    for (int position : SelectedPositions()) selectedRows.push_back(shown[position]);
    // An empty list drops its selection at once; deselecting every row instead would make
    // the control visit each of them. The list scrolls back to the top.
    if (!selectedRows.empty()) SendMessageA(list, LVM_SETITEMCOUNT, 0, 0);

    shown = std::move(next);
    shownSizeK = shownPackedK = 0;
    for (int row : shown) {
        shownSizeK += rows[row].sizeK;
        shownPackedK += rows[row].packedK;
    }
    selection.Clear();
    selectionBuilt = false;
    SendMessageA(list, LVM_SETITEMCOUNT, shown.size(), 0);
    InvalidateRect(list, nullptr, FALSE);
    if (selectedRows.empty()) return;

    std::vector<char> wasSelected(rows.size(), 0);
    for (int row : selectedRows) wasSelected[row] = 1;
    std::vector<int> positions;
    for (std::size_t position = 0; position < shown.size(); ++position)
        if (wasSelected[shown[position]]) positions.push_back(static_cast<int>(position));
    SetControlSelection(positions, true);
}

template <typename Change>
void CBrindleView::WithoutRepaintOfLargeList(Change change) {
    // The control repaints every row whose state it changes, one request to the window
    // system each, also for the rows out of sight: deselecting 200,000 rows that way takes
    // seconds. With drawing off it only sets them, and the list is drawn once afterwards.
    HWND list = GetListControl();
    const bool large = shown.size() > kLargeListRows;
    if (large) SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    change();
    if (!large) return;
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

SelectionTree& CBrindleView::Selection() {
    if (!selectionBuilt) {
        std::vector<long long> sizes(shown.size()), packed(shown.size());
        for (std::size_t position = 0; position < shown.size(); ++position) {
            sizes[position] = rows[shown[position]].sizeK;
            packed[position] = rows[shown[position]].packedK;
        }
        selection.Reset(sizes, packed);
        selectionBuilt = true;
    }
    return selection;
}

std::vector<int> CBrindleView::SelectedPositions() const {
    return selectionBuilt ? selection.SelectedPositions() : std::vector<int>();
}

void CBrindleView::OnSelectionNotice(int first, int last, UINT oldState, UINT newState) {
    if (!((oldState ^ newState) & LVIS_SELECTED)) return;
    const bool selected = (newState & LVIS_SELECTED) != 0;
    if (!selected && !selectionBuilt) return;  // nothing was selected
    Selection().Assign(first, last, selected);
}

void CBrindleView::SetControlSelection(const std::vector<int>& positions, bool selected) {
    HWND list = GetListControl();
    const UINT state = selected ? LVIS_SELECTED : 0;
    WithoutRepaintOfLargeList([&] {
        // The whole list in one request, which the control answers with one notice.
        if (positions.size() == shown.size() && !shown.empty())
            SetRowState(list, -1, LVIS_SELECTED, state);
        else
            for (int position : positions) SetRowState(list, position, LVIS_SELECTED, state);
    });
}

int CBrindleView::GetSelectedNames(NameList& names) {
    SyncItemCount();
    names.clear();
    try {
        for (int position : SelectedPositions()) names.push_back(GetDisplayedRow(position).name);
    } catch (const std::bad_alloc&) {
        names.clear();
        return 0;
    }
    return 1;
}

int CBrindleView::GetSelectedCount() {
    SyncItemCount();
    return selectionBuilt ? static_cast<int>(selection.Selected().count) : 0;
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
    const long long rowCount = static_cast<long long>(rows.size());
    if (filterText.empty()) SetPaneText(0, FormatTotals("Total", rowCount, allSizeK, allPackedK));
    else
        SetPaneText(
            0, FormatTotals("Showing " + std::to_string(shown.size()) + " of", rowCount, shownSizeK, shownPackedK));

    const SelectionTree::Totals selected = selectionBuilt ? selection.Selected() : SelectionTree::Totals{};
    if (selected.count == 0) {
        SetPaneText(1, std::string());
        return;
    }
    SetPaneText(1, FormatTotals("Selected", selected.count, selected.sizeK, selected.packedK));
}

void CBrindleView::FillDisplayInfo(NMLVDISPINFOA& info) const {
    LVITEMA& item = info.item;
    if (item.iItem < 0 || item.iItem >= static_cast<int>(shown.size())) return;
    const Row& row = rows[shown[item.iItem]];
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
    // One row, or with iItem -1 every row; LVN_ODSTATECHANGED is a range of rows.
    if (header.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (change.uChanged & LVIF_STATE) {
            const bool everyRow = change.iItem < 0;
            OnSelectionNotice(everyRow ? 0 : change.iItem, everyRow ? GetRowCount() - 1 : change.iItem,
                              change.uOldState, change.uNewState);
        }
        result = 0;
        return true;
    }
    if (header.code == LVN_ODSTATECHANGED) {
        const auto& change = reinterpret_cast<const NMLVODSTATECHANGE&>(header);
        OnSelectionNotice(change.iFrom, change.iTo, change.uOldState, change.uNewState);
        result = 0;
        return true;
    }
    if (header.code == LVN_COLUMNCLICK) {
        OnHeaderClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        result = 0;
        return true;
    }
    return CListViewBase::OnReflectedNotify(header, result);
}

// ---- Commands ---------------------------------------------------------------------

const CommandTable<CBrindleView>& CBrindleView::Commands() {
    static const CommandHandler<CBrindleView> handlers[] = {
        {ID_HELP_TOPICS, &CBrindleView::OnHelpTopics},
        {ID_ACTIONS_SELECT_ALL, &CBrindleView::OnSelectAll},
        {ID_ACTIONS_SELECT_PATTERN, &CBrindleView::OnSelectByPattern},
        {ID_ACTIONS_INVERT_SELECTION, &CBrindleView::OnInvertSelection},
        {ID_ACTIONS_FIND, &CBrindleView::OnFindInList},
    };
    // The document runs these; the view only decides when they make sense.
    static const CommandRule<CBrindleView> rules[] = {
        {&CBrindleView::UpdateOpenArchiveState,
         {ID_ACTIONS_ADD, ID_ACTIONS_EXTRACT, ID_ACTIONS_VIEW_ERROR_LOG, ID_FILE_COPY_ARCHIVE, ID_FILE_MOVE_ARCHIVE,
          ID_ACTIONS_MAKE_EXE, ID_ACTIONS_MAKE_WIN95_EXE}},
        {&CBrindleView::UpdateSelectionState, {ID_ACTIONS_VIEW, ID_ACTIONS_DELETE}},
        {&CBrindleView::UpdateRowsShownState,
         {ID_ACTIONS_SELECT_ALL, ID_ACTIONS_SELECT_PATTERN, ID_ACTIONS_INVERT_SELECTION}},
    };
    static const CommandTable<CBrindleView> table{handlers, rules};
    return table;
}

void CBrindleView::UpdateSelectionState(CommandState& state) { state.enabled = GetSelectedCount() > 0; }

void CBrindleView::UpdateRowsShownState(CommandState& state) {
    SyncItemCount();
    state.enabled = !shown.empty();
}

void CBrindleView::UpdateOpenArchiveState(CommandState& state) {
    CBrindleDoc* document = GetArchiveDocument();
    state.enabled = document != nullptr && document->IsOpen() == 1;
}

void CBrindleView::OnSelectAll() {
    SyncItemCount();
    if (!shown.empty())
        WithoutRepaintOfLargeList([&] { SetRowState(GetListControl(), -1, LVIS_SELECTED, LVIS_SELECTED); });
    UpdateSelectionStatus();
}

void CBrindleView::OnInvertSelection() {
    SyncItemCount();
    const std::vector<int> selected = SelectedPositions();
    std::vector<int> others;
    others.reserve(shown.size() - selected.size());
    for (std::size_t position = 0, next = 0; position < shown.size(); ++position) {
        if (next < selected.size() && selected[next] == static_cast<int>(position)) ++next;
        else others.push_back(static_cast<int>(position));
    }
    // Each row is one request to the control, so the side with fewer rows is set one by one.
    HWND list = GetListControl();
    WithoutRepaintOfLargeList([&] {
        if (selected.size() <= others.size()) {
            SetRowState(list, -1, LVIS_SELECTED, LVIS_SELECTED);
            SetControlSelection(selected, false);
        } else {
            SetRowState(list, -1, LVIS_SELECTED, 0);
            SetControlSelection(others, true);
        }
    });
    UpdateSelectionStatus();
}

void CBrindleView::OnSelectByPattern() {
    SelectPatternRequest request;
    request.pattern = lastSelectPattern;
    HWND owner = GetParentFrame() ? GetParentFrame()->GetHandle() : GetAncestor(GetHandle(), GA_ROOT);
    if (!AskSelectPattern(owner, request)) return;
    lastSelectPattern = request.pattern;
    SelectMatching(request.pattern);
}

void CBrindleView::SelectMatching(const std::string& pattern) {
    SyncItemCount();
    std::vector<int> matching;
    for (std::size_t position = 0; position < shown.size(); ++position)
        if (WildcardMatches(rows[shown[position]].texts.name, pattern)) matching.push_back(static_cast<int>(position));
    SetControlSelection(matching, true);
    UpdateSelectionStatus();
}

void CBrindleView::OnFindInList() {
    if (filterBox.GetHandle() == nullptr) return;
    SetFocus(filterBox.GetHandle());
    SendMessageA(filterBox.GetHandle(), EM_SETSEL, 0, -1);
}

void CBrindleView::OnFilterChanged(const std::string& text) {
    if (text == filterText) return;
    SyncItemCount();
    filterText = text;
    ShowRowsAfresh();
    Selection();   // made now, so that the next click does not wait for it
    UpdateSelectionStatus();
}

void CBrindleView::OnHeaderClick(int column) {
    // Ascending, then descending, then archive order again.
    if (column != sortColumn) SortBy(column, false);
    else if (!sortDescending) SortBy(column, true);
    else SortBy(-1, false);
    WriteSettingInt("Settings", "SortColumn", sortColumn);
    WriteSettingInt("Settings", "SortDescending", sortDescending ? 1 : 0);
}

void CBrindleView::SortBy(int column, bool descending) {
    SyncItemCount();
    sortColumn = column >= 0 && column < kColumnCount ? column : -1;
    sortDescending = sortColumn >= 0 && descending;
    std::vector<int> next = shown;
    if (sortColumn < 0) std::sort(next.begin(), next.end(), [](int a, int b) { return a > b; });
    else OrderRows(next);
    ReplaceShownRows(std::move(next));
    Selection();   // made now, so that the next click does not wait for it
    ShowSortArrow();
    UpdateSelectionStatus();
}

void CBrindleView::ShowSortArrow() {
    HWND header = reinterpret_cast<HWND>(SendMessageA(GetListControl(), LVM_GETHEADER, 0, 0));
    if (header == nullptr) return;
    for (int column = 0; column < kColumnCount; ++column) {
        HDITEMA item{};
        item.mask = HDI_FORMAT;
        if (!SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item))) continue;
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == sortColumn) item.fmt |= sortDescending ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageA(header, HDM_SETITEMA, column, reinterpret_cast<LPARAM>(&item));
    }
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

// ---- Filter box ------------------------------------------------------------------------

bool CFilterBox::Create(HWND parent) {
    HWND box = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0,
                               kFilterBoxWidth, kFilterBoxHeight, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_FILTER_BOX)), GetModuleHandleA(nullptr),
                               nullptr);
    if (box == nullptr) return false;
    SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    if (Subclass(box)) return true;
    DestroyWindow(box);
    return false;
}

std::string CFilterBox::GetText() const {
    const int length = GetWindowTextLengthA(GetHandle());
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(GetHandle(), &text[0], length + 1)));
    return text;
}

void CFilterBox::SetText(const std::string& text) { SetWindowTextA(GetHandle(), text.c_str()); }

void CFilterBox::NoticeChange() {
    std::string text = GetText();
    if (text == lastText) return;
    lastText = text;
    view.OnFilterChanged(lastText);
}

LRESULT CFilterBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            SetText(std::string());
            return 0;
        }
        if (wParam == VK_RETURN) {
            SetFocus(view.GetListControl());
            return 0;
        }
        break;
    case WM_CHAR:
        // The edit control would only beep at these.
        if (wParam == VK_ESCAPE || wParam == VK_RETURN) return 0;
        break;
    default: break;
    }
    LRESULT result = DefaultHandling(message, wParam, lParam);
    switch (message) {
    case WM_CHAR:
    case WM_KEYDOWN:
    case WM_SETTEXT:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
    case EM_REPLACESEL: NoticeChange(); break;
    default: break;
    }
    return result;
}

bool CBrindleView::CreateFilterBox(HWND toolBarControl) {
    if (!filterBox.Create(toolBarControl)) return false;
    PlaceFilterBox();
    return true;
}

void CBrindleView::PlaceFilterBox() {
    HWND box = filterBox.GetHandle();
    if (box == nullptr) return;
    HWND bar = GetParent(box);
    RECT client{};
    GetClientRect(bar, &client);
    RECT lastButton{};
    const int buttons = static_cast<int>(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
    if (buttons > 0) SendMessageA(bar, TB_GETITEMRECT, buttons - 1, reinterpret_cast<LPARAM>(&lastButton));
    // Across the top or bottom it sits at the right end; standing at a side, below the buttons.
    if (client.right >= client.bottom) {
        const int left = std::max<int>(lastButton.right + 8, client.right - kFilterBoxWidth - 4);
        MoveWindow(box, left, (client.bottom - kFilterBoxHeight) / 2, kFilterBoxWidth, kFilterBoxHeight, TRUE);
    } else {
        MoveWindow(box, 0, lastButton.bottom + 8, client.right, kFilterBoxHeight, TRUE);
    }
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
        case WM_SIZE: {
            // The frame lays out the toolbar before the list.
            LRESULT result = DefaultHandling(message, wParam, lParam);
            PlaceFilterBox();
            return result;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP: {
            // The control tracks the click itself and returns once the button is up.
            LRESULT result = 0;
            WithoutRepaintOfLargeList([&] { result = DefaultHandling(message, wParam, lParam); });
            UpdateSelectionStatus();
            return result;
        }
        case WM_KEYDOWN: {
            UpdateSelectionStatus();
            LRESULT result = 0;
            WithoutRepaintOfLargeList([&] { result = DefaultHandling(message, wParam, lParam); });
            return result;
        }
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
