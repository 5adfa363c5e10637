// The rows a grid shows of a table dataset, found without a list of every
// record: a window of consecutive records around the rows asked for last,
// walked with the engine's cursor in both directions, and the row count that
// the index tells.
//
// Row numbers are exact near either end (walked from the top or from the
// bottom) and in small tables. In the middle of a large table a jump lands
// on the record at the row's relative place in the order (row / count, the
// key's relative position in the tag) and the rows around it are walked
// from there. When a walk meets an end sooner or later than the estimate
// said, the rows shift so that the ends are right, and takeMoved() tells
// the grid to ask again; the records shown stay the same.
//
// A record handed out for a row keeps that row until the next reset or
// shift, so that the grid's current row, the rows it painted and the record
// a click makes current agree.
//
// Works on the engine's selected work area and moves its record; the caller
// selects the area first and puts the engine back on its own record.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <unordered_map>

class RowWindow {
public:
    // Rows at most this far from the window are walked to; farther ones
    // are jumped to.
    static constexpr int kStep = 256;
    // Tables with at most this many records are counted and walked
    // exactly: that costs a few milliseconds.
    static constexpr long kExactLimit = 10000;

    // Forgets rows and count: the order, query or scope changed, or this
    // dataset wrote. With a record and its row, the rows are rebuilt around
    // that record at that row when it is asked for again (the grid keeps
    // its place after an edit).
    void reset(long keepRecno = 0, int keepRow = -1);

    // Number of rows; estimated when deleted records are hidden in a large
    // table (the ends correct it when a walk reaches them).
    int count();
    // Record number at `row`, with the engine on it; 0 past the end.
    long recnoAt(int row);
    // Row of record `recno` (the engine ends anywhere); -1 when it is no
    // row of the window (count 0).
    int rowOf(long recno);
    // The row of `recno` as far as it is known without the engine, -1 else.
    int knownRow(long recno) const;
    // Whether rows moved or the count changed since the last call.
    bool takeMoved();

private:
    enum class Anchor { Top, Bottom, Estimate };

    void refresh();
    int end() const { return m_first + static_cast<int>(m_rows.size()); }
    bool covers(int row) const { return row >= m_first && row < end(); }
    void rebuild(int row);
    void start(long recno, int row, Anchor anchor);
    void walkTo(int row);
    void metEnd(bool forward);
    void shift(int by);
    void trim(int row);
    void hand(long recno, int row);
    void forgetHanded();

    bool m_counted = false;
    unsigned long long m_stamp = 0;
    int m_count = 0;
    bool m_small = true;
    bool m_moved = false;

    int m_first = 0;
    std::deque<uint32_t> m_rows;
    Anchor m_anchor = Anchor::Top;

    // Rows handed out outside the window (estimates for the current
    // record, the row kept across a reset), by row and by record.
    std::map<int, uint32_t> m_seeds;
    std::unordered_map<uint32_t, int> m_handed;
};
