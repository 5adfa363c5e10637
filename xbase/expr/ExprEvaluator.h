// Evaluation of a compiled expression tree for one record. Every node type
// has one entry by result type: logical, number (numbers and dates, dates as
// Julian day numbers with 0 for the empty date) and text. Text results are
// views into the record buffer, a literal or a node's scratch buffer, valid
// until the same node is evaluated again. Internal to the expression module.
#pragma once

#include "xbase/expr/ExprNode.h"

#include <cstdint>
#include <string_view>

namespace xb {

struct EvalState {
    const RecordContext *record = nullptr; // null while folding constants
    const EvalSettings *settings = nullptr;
    Status status;         // the first failure; results are unspecified after one
    int64_t today = -1;    // Julian day of DATE(), read once per evaluation
};

class ExprEvaluator {
public:
    static bool logical(const Expression::Node &node, EvalState &state);
    static double number(const Expression::Node &node, EvalState &state);
    static std::string_view text(const Expression::Node &node, EvalState &state);
    // Any type, into a Value.
    static void value(const Expression::Node &node, EvalState &state, Value &out);

    // xBase STR: `number` right-aligned in `width` characters with
    // `decimals` decimals, rounded half away from zero; fewer decimals when
    // the number does not fit, '*' in every place when it does not fit
    // without decimals either. Appends to `out`.
    static void formatNumber(double number, int width, int decimals, std::string &out);
    // xBase string comparison: <0, 0, >0. `exact` off compares only as many
    // characters as `right` has; on, the shorter side counts as padded with
    // blanks.
    static int compareText(std::string_view left, std::string_view right, bool exact);
    // The number a numeric field's text holds (blanks: 0).
    static double parseNumber(std::string_view text);
    // Julian day of a date given as text in `format`, 0 when it is empty or
    // no valid date.
    static double parseDate(std::string_view text, const EvalSettings &settings);
};

} // namespace xb
