#include "CurveEditing.h"

#include <algorithm>
#include <limits>

namespace {

constexpr uint64_t kTopBit = uint64_t{1} << 63;

// value * 2^-shift (shift > 0) to the nearest integer, ties to even.
uint64_t RoundShifted(uint64_t value, int shift)
{
    if (shift > 64)
        return 0;  // below one half
    if (shift == 64)
        return value > kTopBit ? 1 : 0;  // exactly one half goes to the even 0
    const uint64_t whole = value >> shift;
    const uint64_t rest = value & ((uint64_t{1} << shift) - 1);
    const uint64_t half = uint64_t{1} << (shift - 1);
    return whole + ((rest > half || (rest == half && (whole & 1u) != 0)) ? 1 : 0);
}

}  // namespace

void CurveEditing::Show(const std::array<int32_t, kPoints>& frq)
{
    for (size_t i = 0; i < frq.size(); ++i)
        positions_[i] = static_cast<int32_t>(std::clamp<int64_t>(int64_t{DriveFreqTable::kMax} - frq[i], 0, kMaxPosition));
}

void CurveEditing::UpdateAverage()
{
    int32_t sum = 0;
    for (int32_t p : positions_)
        sum += ValueOf(p);
    avg_ = DriveFreqTable::BarPosition(sum / kPoints);
}

int32_t CurveEditing::Position(int i) const
{
    return IsBar(i) ? positions_[static_cast<size_t>(i)] : avg_;
}

CurveEditing::PointTexts CurveEditing::Texts(int index) const
{
    const int32_t p = Position(index);
    return {IsBar(index) ? "FRQ" + std::to_string(index + 1) : "AVG", std::to_string(52 - p),
            DriveFreqTable::KHz(ValueOf(p))};
}

std::optional<std::pair<int, int>> CurveEditing::SelectedRange() const
{
    if (IsBar(selStart_) && IsBar(selEnd_))
        return std::pair{std::min(selStart_, selEnd_), std::max(selStart_, selEnd_)};
    if (IsBar(selEnd_))
        return std::pair{selEnd_, selEnd_};
    if (IsBar(selStart_))
        return std::pair{selStart_, selStart_};
    return std::nullopt;
}

bool CurveEditing::GaugeLit(int a, int b, int cell)
{
    const int lo = std::min(a, b);
    return lo >= 0 && cell >= lo && cell <= std::max(a, b);
}

void CurveEditing::ClearSelection()
{
    selStart_ = selEnd_ = -1;
}

void CurveEditing::Enter(int bar, bool shift)
{
    if (!IsBar(bar))
        return;
    if (!shift)
        selStart_ = bar;
    selEnd_ = bar;
}

void CurveEditing::KeyUp(int bar, bool shift)
{
    if (IsBar(bar) && !shift)
        selStart_ = selEnd_ = bar;
}

void CurveEditing::SelectRange(int anchor, int end)
{
    if (!IsBar(anchor) || !IsBar(end))
        return;
    selStart_ = anchor;
    selEnd_ = end;
}

bool CurveEditing::InSelection(int bar) const
{
    const auto range = SelectedRange();
    return IsBar(bar) && range && bar >= range->first && bar <= range->second;
}

CurveEditing::Scrolled CurveEditing::Drag(int bar, int32_t requested)
{
    // A touch screen has no Shift: holding a bar of the range is what moves the range.
    return Scroll(bar, scTrack, requested, InSelection(bar));
}

CurveEditing::Scrolled CurveEditing::Scroll(int bar, TScrollCode code, int32_t requested, bool shift)
{
    if (!IsBar(bar))
        return {requested, 0};
    if (!shift)
        selStart_ = selEnd_ = bar;
    const int32_t current = positions_[static_cast<size_t>(bar)];
    if (code == scEndScroll)
        return {current, 0};

    // The scrolled bar moves with the range even when it lies outside it, so that no bar ever
    // shows a position its point does not hold.
    uint32_t moving = 1u << bar;
    if (const auto range = SelectedRange())
        for (int j = range->first; j <= range->second; ++j)
            moving |= 1u << j;

    const int64_t delta = int64_t{requested} - current;
    for (int j = 0; j < kPoints; ++j)
        if ((moving >> j & 1u) != 0 && !InRange(positions_[static_cast<size_t>(j)] + delta))
            return {current, 0};
    for (int j = 0; j < kPoints; ++j)
        if ((moving >> j & 1u) != 0)
            positions_[static_cast<size_t>(j)] += static_cast<int32_t>(delta);
    return {positions_[static_cast<size_t>(bar)], moving};
}

CurveEditing::Scrolled CurveEditing::ShiftAll(int32_t requested)
{
    const int64_t delta = int64_t{requested} - avg_;
    for (int32_t p : positions_)
        if (!InRange(p + delta))
            return {avg_, 0};
    for (int32_t& p : positions_)
        p += static_cast<int32_t>(delta);
    avg_ = requested;
    ClearSelection();
    return {avg_, ~uint32_t{0}};
}

CurveEditing::Positions CurveEditing::ProposeLine() const
{
    Positions line = positions_;
    const auto range = SelectedRange();
    if (!range)
        return line;
    const auto [lo, hi] = *range;
    const int32_t n = hi - lo;
    const int32_t first = line[static_cast<size_t>(lo)];
    const int32_t d = line[static_cast<size_t>(hi)] - first;
    for (int32_t k = 1; k < n; ++k)
        line[static_cast<size_t>(lo + k)] = first + LineStep(d, n, k);
    return line;
}

bool CurveEditing::Accept(const Positions& proposal)
{
    if (!std::all_of(proposal.begin(), proposal.end(), [](int32_t p) { return InRange(p); }))
        return false;
    positions_ = proposal;
    return true;
}

int32_t CurveEditing::LineStep(int32_t d, int32_t n, int32_t k)
{
    if (n < 1 || k < 0 || k > n || d == std::numeric_limits<int32_t>::min() || d == 0 || k == 0)
        return 0;
    const uint64_t a = static_cast<uint64_t>(d < 0 ? -int64_t{d} : int64_t{d});

    // q = |d| / n as m * 2^-s with 2^63 <= m < 2^64: long division one bit at a time, then
    // rounded to nearest, ties to even, by the remainder.
    const uint64_t divisor = static_cast<uint64_t>(n);
    uint64_t m = a / divisor;
    uint64_t r = a % divisor;
    int s = 0;
    while (m < kTopBit) {
        r *= 2;
        const bool bit = r >= divisor;
        m = 2 * m + (bit ? 1 : 0);
        r -= bit ? divisor : 0;
        ++s;
    }
    if (2 * r > divisor || (2 * r == divisor && (m & 1u) != 0)) {
        if (++m == 0) {
            m = kTopBit;
            --s;
        }
    }

    // q * k exactly as a 128-bit hi:lo, then rounded back to a 64-bit mantissa.
    const uint64_t kk = static_cast<uint64_t>(k);
    const uint64_t upper = (m >> 32) * kk;
    const uint64_t lower = (m & 0xFFFFFFFFu) * kk;
    uint64_t lo = lower + (upper << 32);
    uint64_t hi = (upper >> 32) + (lo < lower ? 1 : 0);
    if (hi != 0) {
        int extra = 0;
        while ((hi >> extra) != 0)
            ++extra;
        const uint64_t dropped = lo & ((uint64_t{1} << extra) - 1);
        const uint64_t half = uint64_t{1} << (extra - 1);
        lo = (hi << (64 - extra)) | (lo >> extra);
        hi = 0;
        if (dropped > half || (dropped == half && (lo & 1u) != 0)) {
            if (++lo == 0) {
                lo = kTopBit;
                ++extra;
            }
        }
        s -= extra;
    }

    // The product is lo * 2^-s; with k <= n it is at most |d| < 2^31, so s > 32.
    const uint64_t step = RoundShifted(lo, s);
    return static_cast<int32_t>(d < 0 ? -static_cast<int64_t>(step) : static_cast<int64_t>(step));
}
