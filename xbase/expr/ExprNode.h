// The compiled form of an expression: a tree of typed nodes. The parser
// builds it and checks every type; the evaluator walks it per record. Each
// node owns a scratch buffer for its character result, so that evaluating
// the same expression again reuses memory instead of allocating.
#pragma once

#include "xbase/expr/Expression.h"

#include <memory>
#include <string>
#include <vector>

namespace xb {

enum class NodeKind : unsigned char {
    Literal,  // constant value
    Field,    // a field of the current record, never a memo
    Memo,     // a memo field, read through the context
    Not, And, Or,
    Compare,  // op in Expression::Node::compare
    Concat,   // a + b on strings
    ConcatTrim, // a - b on strings: a's trailing blanks go to the end
    Add, Sub, Mul, Div, Mod, Pow, Neg, // numbers; Add/Sub also on dates
    Call,     // function in Expression::Node::func
};

enum class Func : unsigned char {
    Upper, Lower, Str, Val, Dtos, Dtoc, Ctod, Date, Year, Month, Day,
    Substr, Left, Right, Rtrim, Ltrim, Alltrim, Len, Empty, Iif, Recno, Deleted,
    At, Space, Replicate, Abs, Int, Round, Min, Max, Padl, Padr, Chr, Asc, Note,
};

// Longest character value an expression may build; longer results are an
// evaluation error rather than an allocation the size of the caller's whim.
constexpr std::size_t kMaxStringLength = 1u << 20;

struct Expression::Node {
    NodeKind kind = NodeKind::Literal;
    ValueType type = ValueType::Logical;
    int width = 0;      // static width (see Expression::width)
    int decimals = 0;   // numbers: decimals shown by STR and evaluateText
    bool fixedWidth = false; // character results that are always `width` long
    // The value depends on no record: only literals, settings and DATE().
    bool constant = false;
    int position = 0;   // 1-based position in the source, for messages
    int depth = 1;      // height of the subtree; the parser bounds it

    CompareOp compare = CompareOp::Equal; // Compare; Contains means a $ b
    Func func = Func::Upper;              // Call
    std::string name;                     // Field/Memo/Call: canonical name;
                                          // Literal numbers: the text as written

    // Field and Memo
    int fieldIndex = -1;
    FieldInfo field;
    int nullFlagsOffset = -1; // byte of the _NullFlags field holding our bit

    Value literal;            // Literal

    std::vector<std::unique_ptr<Node>> args;

    // Scratch space for character results; see the file comment.
    mutable std::string buffer;

    // CTOD of a literal: the date is read once per date format and epoch.
    bool cacheable = false;
    mutable bool cacheValid = false;
    mutable double cachedNumber = 0;
    mutable int cachedEpoch = 0;
    mutable std::string cachedFormat;
};

} // namespace xb
