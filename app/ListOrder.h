#pragma once
// What the entry list needs to order, filter and total its rows, kept free of windows so
// that it can be checked on its own: the sort keys of the columns, the filter's matching,
// and the running totals of the selected rows.

#include <cstddef>
#include <string>
#include <vector>

// A key whose plain byte order is the order Explorer shows names in: letters without
// regard to case, and runs of digits by their value ("file2" before "file10").
std::string NaturalSortKey(const std::string& name);

// The whole number at the start of a text ("12K" 12, "-05%" -5); 0 when there is none.
long long LeadingNumber(const std::string& text);

// Date and time as one number that grows with the real time. Zip rows say day/month/year
// ("05/01/98"), arj rows year-month-day ("98-01-05"); two-digit years from 80 on are 19xx.
// A date that cannot be read gives -1, so such rows come first.
long long DateTimeKey(const std::string& date, const std::string& time);

// The filter box's rule: with '*' or '?' in the filter, a wildcard on the whole name;
// otherwise the name contains the filter. Both without regard to case; an empty filter
// matches everything.
bool FilterMatches(const std::string& name, const std::string& filter);
bool WildcardMatches(const std::string& name, const std::string& pattern);

// Which rows of the list are selected, with their count and Size and Packed sums, over the
// row positions the list shows. A change of one row or of a whole range, and the totals,
// cost time in the logarithm of the row count, never a walk over the rows.
class SelectionTree {
public:
    struct Totals {
        long long count = 0;
        long long sizeK = 0;
        long long packedK = 0;
    };

    // Rows with these Size and Packed values, none selected.
    void Reset(const std::vector<long long>& sizeK, const std::vector<long long>& packedK);
    void Clear() { Reset({}, {}); }

    int Size() const { return rowCount; }
    // Rows first..last (inclusive, clipped to the list) become selected or not.
    void Assign(int first, int last, bool selected);
    bool IsSelected(int position) const;
    Totals Selected() const { return rowCount == 0 ? Totals{} : nodes[0].selected; }
    // The selected positions in ascending order.
    std::vector<int> SelectedPositions() const;

private:
    enum class Pending : char { None, Select, Deselect };
    struct Node {
        Totals selected;
        long long allSizeK = 0;
        long long allPackedK = 0;
        Pending pending = Pending::None;
    };

    // The two children of the node over [low, high] are node + 1 and node + 2 * (mid - low + 1),
    // so the tree takes exactly 2n - 1 nodes.
    static int RightChild(int node, int low, int mid) { return node + 2 * (mid - low + 1); }
    void Build(int node, int low, int high, const std::vector<long long>& sizeK, const std::vector<long long>& packedK);
    void Apply(int node, int low, int high, bool selected);
    void PushDown(int node, int low, int high);
    void Assign(int node, int low, int high, int first, int last, bool selected);
    void Collect(int node, int low, int high, Pending inherited, std::vector<int>& positions) const;

    std::vector<Node> nodes;
    int rowCount = 0;
};
