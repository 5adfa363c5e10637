// The row window of the table dataset: count from the index, rows walked
// from the nearest known record or jumped to by relative position.
#include "storage/RowWindow.h"

#include "storage/EXbaseError.h"
#include "xbase/api/XbApi.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

// A move the engine could not make (an index naming records the table
// lacks, a broken page chain) is an error for the window to show, never a
// quiet end of the rows.
void moved(int ok)
{
    if (!ok)
        throw EXbaseError(QStringLiteral("Cannot read the records in order: %1")
                              .arg(QString::fromUtf8(xb_LastError())));
}

} // namespace

namespace {

// Window rows kept; the far side is dropped beyond it.
constexpr std::size_t kMaxRows = 2048;
// Records remembered with the row they were handed out at.
constexpr std::size_t kMaxHanded = 16384;

} // namespace

void RowWindow::reset(long keepRecno, int keepRow)
{
    m_counted = false;
    m_rows.clear();
    forgetHanded();
    if (keepRecno > 0 && keepRow >= 0)
        m_seeds[keepRow] = static_cast<uint32_t>(keepRecno);
}

void RowWindow::forgetHanded()
{
    m_handed.clear();
    m_seeds.clear();
}

void RowWindow::hand(long recno, int row)
{
    if (m_handed.size() >= kMaxHanded)
        m_handed.clear();
    m_handed[static_cast<uint32_t>(recno)] = row;
}

bool RowWindow::takeMoved()
{
    return std::exchange(m_moved, false);
}

void RowWindow::refresh()
{
    const unsigned long long stamp = xb_ChangeStamp();
    if (m_counted && stamp == m_stamp)
        return;
    if (m_counted) {
        // Another program (or another work area) appended or moved keys:
        // nothing known about rows holds any more.
        m_rows.clear();
        forgetHanded();
        m_moved = true;
    }
    m_stamp = stamp;
    int exact = 0;
    long n = xb_KeyCount(&exact);
    m_small = xb_RecCount() <= kExactLimit;
    if (!exact && m_small) {
        n = xb_QueryRecCount();
        exact = 1;
    }
    m_count = static_cast<int>(std::max(0L, n));
    m_counted = true;
}

int RowWindow::count()
{
    refresh();
    return m_count;
}

void RowWindow::start(long recno, int row, Anchor anchor)
{
    m_rows.assign(1, static_cast<uint32_t>(recno));
    m_first = std::clamp(row, 0, std::max(0, m_count - 1));
    m_anchor = anchor;
}

void RowWindow::rebuild(int row)
{
    m_rows.clear();
    // A record already handed out near the row: start from it, so that the
    // rows agree with what the grid shows.
    auto seed = m_seeds.lower_bound(row);
    if (seed != m_seeds.begin() && (seed == m_seeds.end() || seed->first - row > row - std::prev(seed)->first))
        --seed;
    if (seed != m_seeds.end() && std::abs(seed->first - row) <= kStep) {
        // Only a record that is still shown: stepping off it and back
        // returns to it.
        const long recno = seed->second;
        xb_Go(recno);
        moved(xb_Skip(1));
        moved(xb_Skip(-1));
        if (!xb_Eof() && xb_RecNo() == recno) {
            start(recno, seed->first, Anchor::Estimate);
            return;
        }
        m_seeds.erase(seed);
    }
    const bool top = row < kStep || (m_small && row < m_count / 2);
    const bool bottom = !top && (row >= m_count - kStep || m_small);
    if (top || bottom) {
        moved(top ? xb_GoTop() : xb_GoBottom());
        if (xb_Eof()) {
            m_count = 0;
            m_moved = true;
            return;
        }
        start(xb_RecNo(), top ? 0 : m_count - 1, top ? Anchor::Top : Anchor::Bottom);
        return;
    }
    xb_OrderPosSet(static_cast<double>(row) / static_cast<double>(m_count - 1));
    if (xb_Eof())
        moved(xb_GoBottom());
    if (xb_Eof()) {
        m_count = 0;
        m_moved = true;
        return;
    }
    start(xb_RecNo(), row, Anchor::Estimate);
}

void RowWindow::shift(int by)
{
    m_first += by;
    forgetHanded();
    m_moved = true;
    if (m_first < 0) {
        // More records than counted: the count was low.
        m_first = 0;
    }
    if (end() > m_count)
        m_count = end();
}

void RowWindow::metEnd(bool forward)
{
    if (forward) {
        const int last = end() - 1;
        if (last == m_count - 1)
            return;
        if (m_anchor == Anchor::Top) {
            // Rows are exact from the top: there are fewer records than
            // counted (hidden deleted ones).
            m_count = last + 1;
            forgetHanded();
            m_moved = true;
        } else {
            shift(m_count - 1 - last);
        }
        m_anchor = Anchor::Bottom;
    } else {
        if (m_first == 0)
            return;
        if (m_anchor == Anchor::Bottom) {
            const int missing = m_first;
            m_count -= missing;
            shift(-missing);
        } else {
            shift(-m_first);
        }
        m_anchor = Anchor::Top;
    }
}

void RowWindow::walkTo(int row)
{
    if (m_rows.empty())
        return;
    const bool forward = row >= end();
    if (covers(row)) {
        // Reaching an end row from an estimate: make sure it is the end.
    } else {
        xb_Go(forward ? m_rows.back() : m_rows.front());
        while (!covers(row)) {
            const long from = xb_RecNo();
            moved(xb_Skip(forward ? 1 : -1));
            if ((forward ? xb_Eof() : xb_Bof()) || xb_RecNo() == from) {
                metEnd(forward);
                return;
            }
            if (forward) {
                m_rows.push_back(static_cast<uint32_t>(xb_RecNo()));
            } else {
                m_rows.push_front(static_cast<uint32_t>(xb_RecNo()));
                --m_first;
            }
        }
    }
    // An estimated window that reached row 0 or the last row: the records
    // beyond it decide whether the estimate was right.
    if (m_anchor == Anchor::Estimate && (m_first == 0 || end() == m_count)) {
        const bool atTop = m_first == 0;
        xb_Go(atTop ? m_rows.front() : m_rows.back());
        const long from = xb_RecNo();
        moved(xb_Skip(atTop ? -1 : 1));
        const bool past = (atTop ? xb_Bof() : xb_Eof()) || xb_RecNo() == from;
        if (past) {
            m_anchor = atTop ? Anchor::Top : Anchor::Bottom;
        } else {
            // Records lie beyond the end the estimate reached: walk from
            // that end instead.
            m_rows.clear();
            forgetHanded();
            m_moved = true;
            moved(atTop ? xb_GoTop() : xb_GoBottom());
            start(xb_RecNo(), atTop ? 0 : m_count - 1, atTop ? Anchor::Top : Anchor::Bottom);
            walkTo(row);
        }
    }
}

void RowWindow::trim(int row)
{
    while (m_rows.size() > kMaxRows) {
        // Rows counted from an end stay exact: only the far side goes.
        if (row - m_first > end() - row) {
            m_rows.pop_front();
            ++m_first;
        } else {
            m_rows.pop_back();
        }
    }
}

long RowWindow::recnoAt(int row)
{
    refresh();
    for (int attempt = 0; attempt < 3 && !covers(row); ++attempt) {
        if (row < 0 || row >= m_count)
            return 0;
        const bool near = !m_rows.empty() &&
                          ((row >= end() && row - end() < kStep) || (row < m_first && m_first - row <= kStep));
        if (!near)
            rebuild(row);
        walkTo(row);
    }
    if (!covers(row))
        return 0;
    const long recno = m_rows[static_cast<std::size_t>(row - m_first)];
    trim(row);
    xb_Go(recno);
    hand(recno, row);
    return recno;
}

int RowWindow::knownRow(long recno) const
{
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i] == static_cast<uint32_t>(recno))
            return m_first + static_cast<int>(i);
    }
    const auto it = m_handed.find(static_cast<uint32_t>(recno));
    return it != m_handed.end() ? it->second : -1;
}

int RowWindow::rowOf(long recno)
{
    refresh();
    if (m_count <= 0 || recno <= 0)
        return -1;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i] == static_cast<uint32_t>(recno))
            return m_first + static_cast<int>(i);
    }
    if (auto it = m_handed.find(static_cast<uint32_t>(recno)); it != m_handed.end() && it->second < m_count)
        return it->second;
    xb_Go(recno);
    const double place = xb_OrderPosGet();
    int estimate = std::clamp(static_cast<int>(std::lround(place * (m_count - 1))), 0, m_count - 1);
    // The row the record had before a reset, unless its place moved far
    // (its key changed).
    for (const auto &[row, seeded] : m_seeds) {
        if (seeded == static_cast<uint32_t>(recno) && std::abs(row - estimate) <= std::max(kStep, m_count / 50)) {
            estimate = std::min(row, m_count - 1);
            break;
        }
    }
    // Near an end (the estimate may be a few percent off), or in a small
    // table: walk from that end to find it.
    const int band = 2 * kStep + m_count / 20;
    if (m_small || estimate < band || estimate >= m_count - band) {
        const bool top = estimate < m_count / 2;
        moved(top ? xb_GoTop() : xb_GoBottom());
        if (!xb_Eof()) {
            start(xb_RecNo(), top ? 0 : m_count - 1, top ? Anchor::Top : Anchor::Bottom);
            const int limit = m_small ? m_count : 2 * kStep;
            for (int steps = 0; steps <= limit; ++steps) {
                const uint32_t edge = top ? m_rows.back() : m_rows.front();
                if (edge == static_cast<uint32_t>(recno)) {
                    const int row = top ? end() - 1 : m_first;
                    hand(recno, row);
                    trim(row);
                    return row;
                }
                const int next = top ? end() : m_first - 1;
                if (next < 0 || next >= m_count)
                    break;
                walkTo(next);
                if (!covers(next))
                    break;
            }
        }
    }
    // Far from both ends: the estimate, kept so that the rows around it
    // are walked from this record.
    m_seeds[estimate] = static_cast<uint32_t>(recno);
    hand(recno, estimate);
    return estimate;
}
