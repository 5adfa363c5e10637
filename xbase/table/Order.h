// The order in which a work area walks its table. Without an Order the work
// area walks in record-number order; an index tag plugs in by implementing
// this interface and handing it to WorkArea::setOrder.
//
// An order knows nothing of filters or deleted-hiding: the work area asks it
// for the neighbours of a record and skips the ones it must not show. Record
// numbers are 1-based; 0 means "none" (past either end).
#pragma once

#include "xbase/table/Status.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace xb {

class Order {
public:
    virtual ~Order() = default;

    // Name shown to callers (the tag name).
    virtual std::string name() const = 0;

    // First and last record of the order (within its scope); 0 when empty.
    virtual Status first(uint32_t *recno) = 0;
    virtual Status last(uint32_t *recno) = 0;
    // The record after or before `recno`, whose current bytes are `record`
    // (plain, recordLength() long); 0 past the end or before the start.
    // `recno` need not be part of the order (a record outside the scope or
    // just appended): the neighbour is then found from its key.
    virtual Status next(uint32_t recno, const char *record, uint32_t *out) = 0;
    virtual Status prior(uint32_t recno, const char *record, uint32_t *out) = 0;

    // The neighbour of `recno` without its bytes, when the order still knows
    // where that record stands (it returned it last and nothing changed
    // since); *known false otherwise, and the caller reads the record and
    // asks next() or prior(). Lets a filter skip records it can reject
    // without reading them.
    virtual Status nextKnown(uint32_t recno, bool forward, uint32_t *out, bool *known)
    {
        (void)recno, (void)forward;
        *out = 0;
        *known = false;
        return Status::ok();
    }

    // Place of `recno` in the order as a fraction 0..1, and the record at a
    // fraction. May be approximate (they drive scroll bars).
    virtual Status position(uint32_t recno, const char *record, double *fraction) = 0;
    virtual Status recordAt(double fraction, uint32_t *recno) = 0;

    // Seeks `key` (the caller's text: characters, digits of a number, or
    // "yyyymmdd" for dates). *recno receives the record found: the first with
    // an equal key (a shorter character key compares on its length), or with
    // `soft` the first greater one; 0 when none. *found tells whether the key
    // was equal. The default refuses (record order has no keys).
    virtual Status seek(std::string_view key, bool soft, uint32_t *recno, bool *found)
    {
        (void)key, (void)soft;
        *recno = 0;
        *found = false;
        return Status::badArgument("the record order has no keys to seek");
    }
    // Whether `record` (number `recno`) has a key that `key` seeks as equal,
    // for the visible record a seek moves on to when the one it found is
    // hidden. The default says no.
    virtual Status keyMatches(std::string_view key, uint32_t recno, const char *record, bool *yes)
    {
        (void)key, (void)recno, (void)record;
        *yes = false;
        return Status::ok();
    }
    // Restricts first/last/next/prior to keys between `low` and `high`
    // (inclusive, compared on their lengths); two empty keys remove the scope.
    virtual Status setScope(std::string_view low, std::string_view high)
    {
        (void)low, (void)high;
        return Status::badArgument("the record order has no scope");
    }
};

} // namespace xb
