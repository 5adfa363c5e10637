// The xBase expression language: filters, index keys, search keys and the
// values the windows ask for. An expression is compiled once against a
// table's fields into a tree of typed nodes and then evaluated per record
// without parsing again; the common filter paths allocate nothing per record.
//
// Supported: .AND. .OR. .NOT. ! ( ), = == <> # != < > <= >=, $ (contained in),
// + and - on strings (- moves the left side's trailing blanks to the end),
// numbers and dates (date +/- days, date - date), * / % ^ **, literals 1.5
// "x" 'x' [x] .T. .F. .Y. .N., and the functions UPPER LOWER STR VAL DTOS
// DTOC CTOD DATE YEAR MONTH DAY SUBSTR LEFT RIGHT TRIM RTRIM LTRIM ALLTRIM
// LEN EMPTY IIF RECNO DELETED AT SPACE REPLICATE ABS INT ROUND MIN MAX PADL
// PADR CHR ASC. Names are matched without regard to case; a function name
// may be cut to its first four letters (SUBS, ALLT).
//
// Rules worth knowing: == compares strings byte for byte, trailing blanks
// included. The empty date is smaller than every date; it stays empty when
// days are added, and a difference with it is 0. UPPER and LOWER follow
// Windows-1252. Character values are limited to 1 MiB; a longer one is
// refused at compile time when constant, else evaluate fails (BadArgument).
#pragma once

#include "xbase/table/FieldInfo.h"
#include "xbase/table/Status.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xb {

// What an expression reads from a table: the fields of its records and the
// current record. The table layer implements it; tests use an in-memory one.
// The schema given to Expression::compile must describe the same fields, at
// the same indices, as every context later given to evaluate.
class RecordContext {
public:
    virtual ~RecordContext() = default;

    // Index of the field called `name` (any case), or -1 when there is none.
    virtual int fieldIndex(std::string_view name) const = 0;
    // The field at `index` (0 <= index < number of fields).
    virtual const FieldInfo &field(int index) const = 0;
    // The current record's bytes, deletion byte at [0]; valid until the
    // context moves to another record.
    virtual const char *record() const = 0;
    // Number of the current record, from 1.
    virtual uint32_t recNo() const = 0;
    // The current record's text of memo field `index` (empty when the record
    // has none). Fails with the memo file's status. Must leave the buffer
    // that record() returned untouched.
    virtual Status memo(int index, std::string &out) const = 0;
};

// Engine-wide settings that change what an expression yields.
struct EvalSettings {
    // Off: = and the ordered comparisons of strings compare only as many
    // characters as the right-hand string has. == always compares exactly.
    bool exact = false;
    // The short date format CTOD reads and DTOC writes.
    std::string dateFormat = "dd.MM.yyyy";
    // First year of the hundred years a two-digit year falls into.
    int epoch = 1900;
};

enum class ValueType : char { Character = 'C', Numeric = 'N', Date = 'D', Logical = 'L' };

struct Value {
    ValueType type = ValueType::Logical;
    std::string text;  // Character: Windows-1252 bytes
    double number = 0; // Numeric; Date: Julian day number, 0 for the empty date
    bool logical = false;
};

// How a top-level conjunct compares its subject with a constant, read from
// the subject's side: "5 < X" is reported as X Greater 5.
enum class CompareOp { Equal, ExactEqual, NotEqual, Less, LessEqual, Greater, GreaterEqual,
                       Contains,      // "c" $ X: the subject contains the constant
                       ContainedIn }; // X $ "c": the subject occurs in the constant

// One term of the top-level .AND. chain of a compiled expression.
struct Conjunct {
    std::string text;            // canonical text of the whole term
    bool isComparison = false;   // the term is <subject> <op> <constant> or reversed
    std::string subject;         // canonical text of the subject
    ValueType subjectType = ValueType::Logical;
    int subjectWidth = 0;        // static width of a character subject
    CompareOp op = CompareOp::Equal;
    // The constant was written on the left. With Exact off a character
    // comparison cuts the left side to the length of the right side, so a
    // reversed comparison is not the mirror of the plain one.
    bool constantOnLeft = false;
    Value constant;              // folded with the settings given (DATE() is today)
};

// One fixed-width piece of a character key: UPPER(FAMNAME+VORNAME) is
// UPPER(FAMNAME):37 followed by UPPER(VORNAME):37.
struct KeyPart {
    std::string text; // canonical text of the piece
    int width = 0;
};

// NOTE(key) gives the note text that belongs to a record key. The program
// installs the provider once; without one NOTE gives the empty text. The
// provider runs inside the evaluation of a record and must not move the
// record that is being evaluated.
using NoteProvider = std::function<void(const std::string &key, std::string &out)>;
void setNoteProvider(NoteProvider provider);
const NoteProvider &noteProvider();

class Expression {
public:
    // Compiles `text` against the fields of `schema`. On success `out` owns the
    // compiled expression, which keeps no reference to `schema` or `text`.
    // Fails with Status::syntax naming the expression and the 1-based position
    // of the fault: unknown field or function, wrong argument count or type,
    // unbalanced parentheses, unterminated strings, trailing input.
    static Status compile(std::string_view text, const RecordContext &schema,
                          std::unique_ptr<Expression> &out);

    ~Expression();
    Expression(const Expression &) = delete;
    Expression &operator=(const Expression &) = delete;

    const std::string &text() const;
    ValueType type() const;
    // Static width of the result: for characters the key length an index
    // needs (UPPER(FAMNAME+VORNAME) with two C37 fields gives 74, STR(n,w,d)
    // gives w, DTOS 8, TRIM(X) the width of X as its longest result, a memo
    // 0); for numbers the width evaluateText uses (the field's width, at
    // least 10 for computed numbers); 8 for dates, 1 for logicals.
    int width() const;
    // The canonical text: names and functions in upper case, no blanks,
    // .AND. .OR. .NOT. spelled out, strings in double quotes where possible.
    std::string canonicalText() const;

    // Evaluates for the current record of `record`. Fails on a memo read
    // error; every other fault was found by compile. Not reentrant: one
    // expression is evaluated by one thread at a time.
    Status evaluate(const RecordContext &record, const EvalSettings &settings, Value &out) const;
    // Fast path for logical expressions (filters). BadArgument when the
    // expression is not logical.
    Status evaluateLogical(const RecordContext &record, const EvalSettings &settings, bool &out) const;
    // Result as text: characters as they are, numbers as STR does with the
    // static width and decimals, dates by the date format, logicals "T"/"F".
    Status evaluateText(const RecordContext &record, const EvalSettings &settings, std::string &out) const;

    // Index key of a character expression: the bytes padded with blanks or
    // cut to width(). BadArgument for other types.
    Status key(const RecordContext &record, const EvalSettings &settings, std::string &bytes) const;
    // Index key of a numeric or date expression: the number, or the Julian
    // day number (0 for an empty date). BadArgument for other types.
    Status key(const RecordContext &record, const EvalSettings &settings, double &number) const;

    // The top-level .AND. terms, for the query planner. A non-.AND.
    // expression is one term. Constants are folded with `settings`.
    std::vector<Conjunct> conjuncts(const EvalSettings &settings) const;
    // Decomposition of a character key into fixed-width concatenated parts,
    // UPPER and LOWER pushed inside. False (and `parts` empty) when the
    // expression is not a concatenation of fixed-width pieces.
    bool keyParts(std::vector<KeyPart> &parts) const;

    struct Node; // the compiled tree, internal (ExprNode.h)

private:
    Expression();
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace xb
