#include "ListOrder.h"

#include <cstdlib>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Names are in the ANSI code page; only the ASCII letters have a case we fold here.
unsigned char Fold(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

bool HasWildcard(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

bool ContainsFolded(const std::string& name, const std::string& part) {
    if (part.size() > name.size()) return false;
    for (std::size_t start = 0; start + part.size() <= name.size(); ++start) {
        std::size_t matched = 0;
        while (matched < part.size() && Fold(name[start + matched]) == Fold(part[matched])) ++matched;
        if (matched == part.size()) return true;
    }
    return false;
}

// The first three numbers of a date or time text, whatever separates them, and how many
// digits the first one has; the rest stay 0.
struct ThreeNumbers {
    long long value[3] = {0, 0, 0};
    std::size_t found = 0;
    std::size_t firstDigits = 0;
};

ThreeNumbers NumbersIn(const std::string& text) {
    ThreeNumbers numbers;
    for (std::size_t pos = 0; pos < text.size() && numbers.found < 3;) {
        if (!IsDigit(text[pos])) {
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        long long value = 0;
        while (pos < text.size() && IsDigit(text[pos]) && pos - start < 9) value = value * 10 + (text[pos++] - '0');
        if (numbers.found == 0) numbers.firstDigits = pos - start;
        numbers.value[numbers.found++] = value;
    }
    return numbers;
}

}  // namespace

std::string NaturalSortKey(const std::string& name) {
    // A run of digits becomes '0', the count of its digits without leading zeros, then
    // those digits: two runs meet at the '0', then the longer number is the larger one,
    // and a run meets any other character exactly where a digit would.
    std::string key;
    key.reserve(name.size() + 4);
    for (std::size_t pos = 0; pos < name.size();) {
        if (!IsDigit(name[pos])) {
            key += static_cast<char>(Fold(name[pos++]));
            continue;
        }
        while (pos + 1 < name.size() && name[pos] == '0' && IsDigit(name[pos + 1])) ++pos;
        const std::size_t start = pos;
        while (pos < name.size() && IsDigit(name[pos])) ++pos;
        const std::size_t digits = pos - start;
        key += '0';
        key += static_cast<char>(digits < 255 ? digits : 255);
        key.append(name, start, digits);
    }
    return key;
}

long long LeadingNumber(const std::string& text) { return std::strtoll(text.c_str(), nullptr, 10); }

long long DateTimeKey(const std::string& date, const std::string& time) {
    const ThreeNumbers parts = NumbersIn(date);
    if (parts.found < 3) return -1;
    const bool yearFirst = date.find('-') != std::string::npos || parts.firstDigits == 4;
    long long year = yearFirst ? parts.value[0] : parts.value[2];
    const long long month = parts.value[1];
    const long long day = yearFirst ? parts.value[2] : parts.value[0];
    if (year < 100) year += year >= 80 ? 1900 : 2000;

    const ThreeNumbers clock = NumbersIn(time);
    const long long seconds = (clock.value[0] * 60 + clock.value[1]) * 60 + clock.value[2];
    return ((year * 100 + month) * 100 + day) * 100000 + seconds;
}

bool WildcardMatches(const std::string& name, const std::string& pattern) {
    // Greedy, going back only to the last '*': a later star covers whatever an earlier
    // one could have, so the match stays linear in practice.
    std::size_t at = 0, next = 0;
    std::size_t starPattern = std::string::npos, starName = 0;
    while (at < name.size()) {
        if (next < pattern.size() &&
            (pattern[next] == '?' || (pattern[next] != '*' && Fold(pattern[next]) == Fold(name[at])))) {
            ++at;
            ++next;
        } else if (next < pattern.size() && pattern[next] == '*') {
            starPattern = next++;
            starName = at;
        } else if (starPattern != std::string::npos) {
            next = starPattern + 1;
            at = ++starName;
        } else {
            return false;
        }
    }
    while (next < pattern.size() && pattern[next] == '*') ++next;
    return next == pattern.size();
}

bool FilterMatches(const std::string& name, const std::string& filter) {
    return HasWildcard(filter) ? WildcardMatches(name, filter) : ContainsFolded(name, filter);
}

// ---- SelectionTree --------------------------------------------------------------------

void SelectionTree::Reset(const std::vector<long long>& sizeK, const std::vector<long long>& packedK) {
    rowCount = static_cast<int>(sizeK.size());
    nodes.assign(rowCount == 0 ? 0 : 2 * static_cast<std::size_t>(rowCount) - 1, Node{});
    if (rowCount > 0) Build(0, 0, rowCount - 1, sizeK, packedK);
}

void SelectionTree::Build(int node, int low, int high, const std::vector<long long>& sizeK,
                          const std::vector<long long>& packedK) {
    if (low == high) {
        nodes[node].allSizeK = sizeK[low];
        nodes[node].allPackedK = packedK[low];
        return;
    }
    const int mid = low + (high - low) / 2;
    const int right = RightChild(node, low, mid);
    Build(node + 1, low, mid, sizeK, packedK);
    Build(right, mid + 1, high, sizeK, packedK);
    nodes[node].allSizeK = nodes[node + 1].allSizeK + nodes[right].allSizeK;
    nodes[node].allPackedK = nodes[node + 1].allPackedK + nodes[right].allPackedK;
}

void SelectionTree::Apply(int node, int low, int high, bool selected) {
    Node& target = nodes[node];
    target.selected = selected ? Totals{high - low + 1, target.allSizeK, target.allPackedK} : Totals{};
    if (low != high) target.pending = selected ? Pending::Select : Pending::Deselect;
}

void SelectionTree::PushDown(int node, int low, int high) {
    if (nodes[node].pending == Pending::None) return;
    const bool selected = nodes[node].pending == Pending::Select;
    const int mid = low + (high - low) / 2;
    Apply(node + 1, low, mid, selected);
    Apply(RightChild(node, low, mid), mid + 1, high, selected);
    nodes[node].pending = Pending::None;
}

void SelectionTree::Assign(int first, int last, bool selected) {
    if (first < 0) first = 0;
    if (last >= rowCount) last = rowCount - 1;
    if (first > last) return;
    Assign(0, 0, rowCount - 1, first, last, selected);
}

void SelectionTree::Assign(int node, int low, int high, int first, int last, bool selected) {
    if (last < low || high < first) return;
    if (first <= low && high <= last) {
        Apply(node, low, high, selected);
        return;
    }
    PushDown(node, low, high);
    const int mid = low + (high - low) / 2;
    const int right = RightChild(node, low, mid);
    Assign(node + 1, low, mid, first, last, selected);
    Assign(right, mid + 1, high, first, last, selected);
    const Totals& a = nodes[node + 1].selected;
    const Totals& b = nodes[right].selected;
    nodes[node].selected = Totals{a.count + b.count, a.sizeK + b.sizeK, a.packedK + b.packedK};
}

bool SelectionTree::IsSelected(int position) const {
    if (position < 0 || position >= rowCount) return false;
    int node = 0, low = 0, high = rowCount - 1;
    while (low != high) {
        if (nodes[node].pending != Pending::None) return nodes[node].pending == Pending::Select;
        const int mid = low + (high - low) / 2;
        if (position <= mid) {
            node = node + 1;
            high = mid;
        } else {
            node = RightChild(node, low, mid);
            low = mid + 1;
        }
    }
    return nodes[node].selected.count != 0;
}

std::vector<int> SelectionTree::SelectedPositions() const {
    std::vector<int> positions;
    if (rowCount == 0) return positions;
    positions.reserve(static_cast<std::size_t>(Selected().count));
    Collect(0, 0, rowCount - 1, Pending::None, positions);
    return positions;
}

void SelectionTree::Collect(int node, int low, int high, Pending inherited, std::vector<int>& positions) const {
    if (inherited == Pending::None) inherited = nodes[node].pending;
    if (inherited == Pending::Deselect || (inherited == Pending::None && nodes[node].selected.count == 0)) return;
    if (inherited == Pending::Select || low == high) {
        for (int position = low; position <= high; ++position) positions.push_back(position);
        return;
    }
    const int mid = low + (high - low) / 2;
    Collect(node + 1, low, mid, Pending::None, positions);
    Collect(RightChild(node, low, mid), mid + 1, high, Pending::None, positions);
}
