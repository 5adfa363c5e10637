// Parser and type checker of the expression language; see ExprParser.h.
#include "xbase/expr/ExprParser.h"

#include "xbase/expr/ExprEvaluator.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>

namespace xb {

namespace {

using Node = Expression::Node;

struct FuncSpec {
    const char *name;
    Func func;
    int minArgs;
    int maxArgs;
};

// Canonical names. A name of at least four letters that begins one of these
// names uniquely also calls it (SUBS for SUBSTR); TRIM is RTRIM.
constexpr FuncSpec kFunctions[] = {
    {"UPPER", Func::Upper, 1, 1},     {"LOWER", Func::Lower, 1, 1},
    {"STR", Func::Str, 1, 3},         {"VAL", Func::Val, 1, 1},
    {"DTOS", Func::Dtos, 1, 1},       {"DTOC", Func::Dtoc, 1, 1},
    {"CTOD", Func::Ctod, 1, 1},       {"DATE", Func::Date, 0, 0},
    {"YEAR", Func::Year, 1, 1},       {"MONTH", Func::Month, 1, 1},
    {"DAY", Func::Day, 1, 1},         {"SUBSTR", Func::Substr, 2, 3},
    {"LEFT", Func::Left, 2, 2},       {"RIGHT", Func::Right, 2, 2},
    {"RTRIM", Func::Rtrim, 1, 1},     {"LTRIM", Func::Ltrim, 1, 1},
    {"ALLTRIM", Func::Alltrim, 1, 1}, {"LEN", Func::Len, 1, 1},
    {"EMPTY", Func::Empty, 1, 1},     {"IIF", Func::Iif, 3, 3},
    {"RECNO", Func::Recno, 0, 0},     {"DELETED", Func::Deleted, 0, 0},
    {"AT", Func::At, 2, 2},           {"SPACE", Func::Space, 1, 1},
    {"REPLICATE", Func::Replicate, 2, 2}, {"ABS", Func::Abs, 1, 1},
    {"INT", Func::Int, 1, 1},         {"ROUND", Func::Round, 2, 2},
    {"MIN", Func::Min, 2, 2},         {"MAX", Func::Max, 2, 2},
    {"PADL", Func::Padl, 2, 3},       {"PADR", Func::Padr, 2, 3},
    {"CHR", Func::Chr, 1, 1},         {"ASC", Func::Asc, 1, 1},
    {"NOTE", Func::Note, 1, 1},
};

std::string upperAscii(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

const FuncSpec *findFunction(std::string_view written)
{
    const std::string name = upperAscii(written);
    if (name == "TRIM")
        return findFunction("RTRIM");
    for (const FuncSpec &f : kFunctions) {
        if (name == f.name)
            return &f;
    }
    if (name.size() < 4)
        return nullptr;
    const FuncSpec *found = nullptr;
    for (const FuncSpec &f : kFunctions) {
        if (std::strncmp(f.name, name.c_str(), name.size()) == 0) {
            if (found)
                return nullptr; // ambiguous
            found = &f;
        }
    }
    return found;
}

const char *typeName(ValueType t)
{
    switch (t) {
    case ValueType::Character: return "character";
    case ValueType::Numeric: return "numeric";
    case ValueType::Date: return "date";
    case ValueType::Logical: return "logical";
    }
    return "?";
}

int addWidth(int a, int b)
{
    const long long sum = static_cast<long long>(a) + b;
    return static_cast<int>(std::min<long long>(sum, kMaxStringLength));
}

// The value of a numeric literal argument, if the argument is one.
bool literalNumber(const Node &node, double &out)
{
    if (node.kind != NodeKind::Literal || node.type != ValueType::Numeric)
        return false;
    out = node.literal.number;
    return true;
}

// A literal count argument as a width: clamped to 0..kMaxStringLength.
bool literalCount(const Node &node, int &out)
{
    double d;
    if (!literalNumber(node, d))
        return false;
    d = std::clamp(d, 0.0, static_cast<double>(kMaxStringLength));
    out = static_cast<int>(d);
    return true;
}

// Counts the parser's own recursion, so that "((((…" or "------1" fails
// before the stack does.
class NestingGuard {
public:
    explicit NestingGuard(int &level) : m_level(level) { ++m_level; }
    ~NestingGuard() { --m_level; }
    bool tooDeep() const { return m_level > ExprParser::kMaxDepth; }

private:
    int &m_level;
};

} // namespace

ExprParser::ExprParser(std::string_view text, const RecordContext &schema)
    : m_text(text), m_schema(schema), m_lexer(text)
{
}

void ExprParser::advance()
{
    m_token = m_lexer.next();
}

ExprParser::NodePtr ExprParser::fail(int position, const std::string &message)
{
    if (m_status.isOk()) {
        m_status = Status::syntax(message + " at position " + std::to_string(position) + " in \""
                                  + std::string(m_text) + "\"");
    }
    return nullptr;
}

Status ExprParser::parse(std::unique_ptr<Expression::Node> &out)
{
    out.reset();
    advance();
    if (m_token.kind == TokenKind::End)
        return fail(m_token.position, "empty expression"), m_status;
    NodePtr root = parseOr();
    if (!failed() && m_token.kind != TokenKind::End) {
        if (m_token.kind == TokenKind::Error)
            fail(m_token.position, m_lexer.errorMessage());
        else if (m_token.kind == TokenKind::RParen)
            fail(m_token.position, "unbalanced ')'");
        else
            fail(m_token.position, "operator expected");
    }
    if (failed())
        return m_status;
    out = std::move(root);
    return Status::ok();
}

ExprParser::NodePtr ExprParser::binary(NodeKind kind, const Token &op, NodePtr left, NodePtr right)
{
    auto node = std::make_unique<Node>();
    node->kind = kind;
    node->position = op.position;
    node->depth = 1 + std::max(left->depth, right->depth);
    if (node->depth > kMaxDepth)
        return fail(op.position, "expression nested too deeply");
    node->constant = left->constant && right->constant;
    node->args.push_back(std::move(left));
    node->args.push_back(std::move(right));
    return node;
}

ExprParser::NodePtr ExprParser::parseOr()
{
    const NestingGuard guard(m_nesting);
    if (guard.tooDeep())
        return fail(m_token.position, "expression nested too deeply");
    NodePtr left = parseAnd();
    while (left && m_token.kind == TokenKind::Or) {
        const Token op = m_token;
        advance();
        NodePtr right = parseAnd();
        if (!right)
            return nullptr;
        if (left->type != ValueType::Logical || right->type != ValueType::Logical)
            return fail(op.position, ".OR. needs logical operands");
        left = binary(NodeKind::Or, op, std::move(left), std::move(right));
        if (left)
            left->type = ValueType::Logical;
    }
    return left;
}

ExprParser::NodePtr ExprParser::parseAnd()
{
    NodePtr left = parseNot();
    while (left && m_token.kind == TokenKind::And) {
        const Token op = m_token;
        advance();
        NodePtr right = parseNot();
        if (!right)
            return nullptr;
        if (left->type != ValueType::Logical || right->type != ValueType::Logical)
            return fail(op.position, ".AND. needs logical operands");
        // ".T..and.A.and.B", as the filter dialog writes it, is A.and.B.
        if (left->kind == NodeKind::Literal && left->literal.logical) {
            left = std::move(right);
            continue;
        }
        left = binary(NodeKind::And, op, std::move(left), std::move(right));
        if (left)
            left->type = ValueType::Logical;
    }
    return left;
}

ExprParser::NodePtr ExprParser::parseNot()
{
    if (m_token.kind != TokenKind::Not)
        return parseComparison();
    const NestingGuard guard(m_nesting);
    if (guard.tooDeep())
        return fail(m_token.position, "expression nested too deeply");
    const Token op = m_token;
    advance();
    NodePtr operand = parseNot();
    if (!operand)
        return nullptr;
    if (operand->type != ValueType::Logical)
        return fail(op.position, ".NOT. needs a logical operand");
    auto node = std::make_unique<Node>();
    node->kind = NodeKind::Not;
    node->type = ValueType::Logical;
    node->position = op.position;
    node->depth = operand->depth + 1;
    if (node->depth > kMaxDepth)
        return fail(op.position, "expression nested too deeply");
    node->constant = operand->constant;
    node->args.push_back(std::move(operand));
    return fold(std::move(node));
}

ExprParser::NodePtr ExprParser::comparison(const Token &op, NodePtr left, NodePtr right)
{
    CompareOp cmp = CompareOp::Equal;
    switch (op.kind) {
    case TokenKind::Equal: cmp = CompareOp::Equal; break;
    case TokenKind::ExactEqual: cmp = CompareOp::ExactEqual; break;
    case TokenKind::NotEqual: cmp = CompareOp::NotEqual; break;
    case TokenKind::Less: cmp = CompareOp::Less; break;
    case TokenKind::LessEqual: cmp = CompareOp::LessEqual; break;
    case TokenKind::Greater: cmp = CompareOp::Greater; break;
    case TokenKind::GreaterEqual: cmp = CompareOp::GreaterEqual; break;
    default: cmp = CompareOp::ContainedIn; break; // a $ b: a occurs in b
    }
    if (cmp == CompareOp::ContainedIn) {
        if (left->type != ValueType::Character || right->type != ValueType::Character)
            return fail(op.position, "$ needs character operands");
    } else if (left->type != right->type) {
        return fail(op.position, std::string("cannot compare ") + typeName(left->type) + " with "
                                     + typeName(right->type));
    }
    const bool textual = left->type == ValueType::Character;
    NodePtr node = binary(NodeKind::Compare, op, std::move(left), std::move(right));
    if (!node)
        return nullptr;
    node->type = ValueType::Logical;
    node->compare = cmp;
    // Only comparisons that do not depend on the Exact setting fold.
    if (textual && cmp != CompareOp::ExactEqual && cmp != CompareOp::ContainedIn)
        return node;
    return fold(std::move(node));
}

ExprParser::NodePtr ExprParser::parseComparison()
{
    NodePtr left = parseAdditive();
    while (left) {
        const TokenKind k = m_token.kind;
        if (k != TokenKind::Equal && k != TokenKind::ExactEqual && k != TokenKind::NotEqual
            && k != TokenKind::Less && k != TokenKind::LessEqual && k != TokenKind::Greater
            && k != TokenKind::GreaterEqual && k != TokenKind::Dollar) {
            break;
        }
        const Token op = m_token;
        advance();
        NodePtr right = parseAdditive();
        if (!right)
            return nullptr;
        left = comparison(op, std::move(left), std::move(right));
    }
    return left;
}

ExprParser::NodePtr ExprParser::parseAdditive()
{
    NodePtr left = parseMultiplicative();
    while (left && (m_token.kind == TokenKind::Plus || m_token.kind == TokenKind::Minus)) {
        const Token op = m_token;
        const bool plus = op.kind == TokenKind::Plus;
        advance();
        NodePtr right = parseMultiplicative();
        if (!right)
            return nullptr;
        const ValueType lt = left->type;
        const ValueType rt = right->type;
        const int lw = left->width, rw = right->width;
        const int ld = left->decimals, rd = right->decimals;
        const bool lf = left->fixedWidth, rf = right->fixedWidth;
        NodeKind kind;
        ValueType type;
        if (lt == ValueType::Character && rt == ValueType::Character) {
            kind = plus ? NodeKind::Concat : NodeKind::ConcatTrim;
            type = ValueType::Character;
        } else if (lt == ValueType::Numeric && rt == ValueType::Numeric) {
            kind = plus ? NodeKind::Add : NodeKind::Sub;
            type = ValueType::Numeric;
        } else if (lt == ValueType::Date && rt == ValueType::Numeric) {
            kind = plus ? NodeKind::Add : NodeKind::Sub;
            type = ValueType::Date;
        } else if (plus && lt == ValueType::Numeric && rt == ValueType::Date) {
            kind = NodeKind::Add;
            type = ValueType::Date;
            std::swap(left, right); // the evaluator expects the date first
        } else if (!plus && lt == ValueType::Date && rt == ValueType::Date) {
            kind = NodeKind::Sub;
            type = ValueType::Numeric;
        } else {
            return fail(op.position, std::string("cannot ") + (plus ? "add " : "subtract ") + typeName(rt)
                                         + (plus ? " to " : " from ") + typeName(lt));
        }
        left = binary(kind, op, std::move(left), std::move(right));
        if (!left)
            return nullptr;
        left->type = type;
        if (type == ValueType::Character) {
            left->width = addWidth(lw, rw);
            left->fixedWidth = lf && rf && left->width == lw + rw; // not when capped
        } else if (type == ValueType::Date) {
            left->width = 8;
        } else {
            left->width = std::max({lw, rw, 10});
            left->decimals = std::max(ld, rd);
        }
        left = fold(std::move(left));
    }
    return left;
}

ExprParser::NodePtr ExprParser::parseMultiplicative()
{
    NodePtr left = parseUnary();
    while (left && (m_token.kind == TokenKind::Star || m_token.kind == TokenKind::Slash
                    || m_token.kind == TokenKind::Percent)) {
        const Token op = m_token;
        advance();
        NodePtr right = parseUnary();
        if (!right)
            return nullptr;
        if (left->type != ValueType::Numeric || right->type != ValueType::Numeric)
            return fail(op.position, "arithmetic needs numeric operands");
        const int decimals = op.kind == TokenKind::Star ? std::min(left->decimals + right->decimals, 18)
                                                        : std::max({left->decimals, right->decimals, 2});
        const NodeKind kind = op.kind == TokenKind::Star    ? NodeKind::Mul
                              : op.kind == TokenKind::Slash ? NodeKind::Div
                                                            : NodeKind::Mod;
        left = binary(kind, op, std::move(left), std::move(right));
        if (!left)
            return nullptr;
        left->type = ValueType::Numeric;
        left->width = 20;
        left->decimals = kind == NodeKind::Mod ? std::min(decimals, 2) : decimals;
        left = fold(std::move(left));
    }
    return left;
}

ExprParser::NodePtr ExprParser::parseUnary()
{
    if (m_token.kind != TokenKind::Minus && m_token.kind != TokenKind::Plus)
        return parsePower();
    const NestingGuard guard(m_nesting);
    if (guard.tooDeep())
        return fail(m_token.position, "expression nested too deeply");
    const Token op = m_token;
    advance();
    NodePtr operand = parseUnary();
    if (!operand)
        return nullptr;
    if (operand->type != ValueType::Numeric)
        return fail(op.position, "sign needs a numeric operand");
    if (op.kind == TokenKind::Plus)
        return operand;
    auto node = std::make_unique<Node>();
    node->kind = NodeKind::Neg;
    node->type = ValueType::Numeric;
    node->position = op.position;
    node->width = operand->width;
    node->decimals = operand->decimals;
    node->depth = operand->depth + 1;
    if (node->depth > kMaxDepth)
        return fail(op.position, "expression nested too deeply");
    node->constant = operand->constant;
    node->args.push_back(std::move(operand));
    return fold(std::move(node));
}

ExprParser::NodePtr ExprParser::parsePower()
{
    NodePtr base = parsePrimary();
    if (!base || m_token.kind != TokenKind::Power)
        return base;
    const Token op = m_token;
    advance();
    NodePtr exponent = parseUnary(); // right to left: 2^3^2 is 2^9
    if (!exponent)
        return nullptr;
    if (base->type != ValueType::Numeric || exponent->type != ValueType::Numeric)
        return fail(op.position, "arithmetic needs numeric operands");
    const int decimals = base->decimals;
    NodePtr node = binary(NodeKind::Pow, op, std::move(base), std::move(exponent));
    if (!node)
        return nullptr;
    node->type = ValueType::Numeric;
    node->width = 20;
    node->decimals = decimals;
    return fold(std::move(node));
}

ExprParser::NodePtr ExprParser::parsePrimary()
{
    const Token token = m_token;
    switch (token.kind) {
    case TokenKind::Number: {
        advance();
        auto node = std::make_unique<Node>();
        node->type = ValueType::Numeric;
        node->position = token.position;
        node->constant = true;
        node->name = std::string(token.text);
        node->literal.type = ValueType::Numeric;
        node->literal.number = ExprEvaluator::parseNumber(token.text);
        const std::size_t dot = token.text.find('.');
        node->decimals = dot == std::string_view::npos ? 0 : static_cast<int>(token.text.size() - dot - 1);
        node->width = std::max(10, static_cast<int>(std::min<std::size_t>(token.text.size(), 20)));
        return node;
    }
    case TokenKind::String: {
        advance();
        auto node = std::make_unique<Node>();
        node->type = ValueType::Character;
        node->position = token.position;
        node->constant = true;
        node->fixedWidth = true;
        node->literal.type = ValueType::Character;
        node->literal.text = std::string(token.text);
        node->width = static_cast<int>(std::min(token.text.size(), kMaxStringLength));
        return node;
    }
    case TokenKind::True:
    case TokenKind::False: {
        advance();
        auto node = std::make_unique<Node>();
        node->type = ValueType::Logical;
        node->position = token.position;
        node->constant = true;
        node->width = 1;
        node->literal.type = ValueType::Logical;
        node->literal.logical = token.kind == TokenKind::True;
        return node;
    }
    case TokenKind::LParen: {
        advance();
        NodePtr inner = parseOr();
        if (!inner)
            return nullptr;
        if (m_token.kind != TokenKind::RParen)
            return fail(m_token.kind == TokenKind::End ? token.position : m_token.position,
                        m_token.kind == TokenKind::End ? "unbalanced '('" : "')' expected");
        advance();
        return inner;
    }
    case TokenKind::Name:
        return parseName();
    case TokenKind::Error:
        return fail(token.position, m_lexer.errorMessage());
    case TokenKind::End:
        return fail(token.position, "operand expected at the end");
    default:
        return fail(token.position, "operand expected");
    }
}

ExprParser::NodePtr ExprParser::parseName()
{
    const Token name = m_token;
    advance();
    if (m_token.kind == TokenKind::LParen)
        return parseCall(name);
    const int index = m_schema.fieldIndex(name.text);
    if (index < 0)
        return fail(name.position, "unknown field " + upperAscii(name.text));
    return makeField(name, index);
}

ExprParser::NodePtr ExprParser::makeField(const Token &name, int index)
{
    auto node = std::make_unique<Node>();
    node->kind = NodeKind::Field;
    node->position = name.position;
    node->fieldIndex = index;
    node->field = m_schema.field(index);
    node->name = upperAscii(node->field.name);
    const FieldInfo &f = node->field;
    if (f.width < 0 || f.offset < 1)
        return fail(name.position, "field " + node->name + " has an impossible layout");
    node->width = f.width;
    node->decimals = f.decimals;
    switch (f.type) {
    case 'N':
    case 'F':
        node->type = ValueType::Numeric;
        break;
    case 'I':
        node->type = ValueType::Numeric;
        node->width = 11;
        node->decimals = 0;
        break;
    case 'Y':
        node->type = ValueType::Numeric;
        node->width = 20;
        node->decimals = 4;
        break;
    case 'B':
        if (f.width == 8) {
            node->type = ValueType::Numeric; // a binary double
            node->width = 20;
        } else {
            node->kind = NodeKind::Memo; // older writers' binary memo
        }
        break;
    case 'D':
    case 'T':
        node->type = ValueType::Date;
        node->width = 8;
        break;
    case 'L':
        node->type = ValueType::Logical;
        node->width = 1;
        break;
    case 'M':
    case 'G':
    case 'P':
    case 'W':
        node->kind = NodeKind::Memo;
        break;
    default: // C and everything else: the bytes as they are
        node->type = ValueType::Character;
        node->fixedWidth = true;
        break;
    }
    if (node->kind == NodeKind::Memo) {
        node->type = ValueType::Character;
        node->width = 0;
        node->decimals = 0;
    }
    // Fields of the wrong width for their binary type read as empty.
    if ((f.type == 'I' && f.width != 4) || ((f.type == 'Y' || f.type == 'T') && f.width != 8))
        return fail(name.position, "field " + node->name + " has an impossible width");
    if (f.nullable && f.nullBit >= 0) {
        const int flags = m_schema.fieldIndex("_NullFlags");
        if (flags >= 0) {
            const FieldInfo &nf = m_schema.field(flags);
            if (f.nullBit / 8 < nf.width && nf.offset >= 1)
                node->nullFlagsOffset = nf.offset + f.nullBit / 8;
        }
    }
    return node;
}

ExprParser::NodePtr ExprParser::parseCall(const Token &name)
{
    const FuncSpec *function = findFunction(name.text);
    if (!function)
        return fail(name.position, "unknown function " + upperAscii(name.text));
    auto node = std::make_unique<Node>();
    node->kind = NodeKind::Call;
    node->func = function->func;
    node->name = function->name;
    node->position = name.position;
    node->constant = function->func != Func::Recno && function->func != Func::Deleted;
    advance(); // (
    if (m_token.kind != TokenKind::RParen) {
        for (;;) {
            NodePtr arg = parseOr();
            if (!arg)
                return nullptr;
            node->constant = node->constant && arg->constant;
            node->depth = std::max(node->depth, arg->depth + 1);
            node->args.push_back(std::move(arg));
            if (m_token.kind != TokenKind::Comma)
                break;
            advance();
        }
        if (m_token.kind != TokenKind::RParen)
            return fail(m_token.kind == TokenKind::End ? name.position : m_token.position,
                        m_token.kind == TokenKind::End ? "unbalanced '('" : "')' expected");
    }
    advance(); // )
    if (node->depth > kMaxDepth)
        return fail(name.position, "expression nested too deeply");
    const int count = static_cast<int>(node->args.size());
    if (count < function->minArgs || count > function->maxArgs)
        return fail(name.position, std::string("wrong number of arguments for ") + function->name);
    return checkCall(std::move(node));
}

// Argument types, result type and static width of a function call.
ExprParser::NodePtr ExprParser::checkCall(NodePtr call)
{
    Node &n = *call;
    auto &a = n.args;
    const auto expect = [&](std::size_t i, ValueType t) {
        if (a[i]->type == t)
            return true;
        fail(a[i]->position, std::string(n.name) + " needs a " + typeName(t) + " argument");
        return false;
    };
    const auto setText = [&](int width, bool fixed) {
        n.type = ValueType::Character;
        n.width = std::clamp(width, 0, static_cast<int>(kMaxStringLength));
        n.fixedWidth = fixed;
    };
    const auto setNumber = [&](int width, int decimals) {
        n.type = ValueType::Numeric;
        n.width = width;
        n.decimals = decimals;
    };
    int count = 0;
    switch (n.func) {
    case Func::Upper:
    case Func::Lower:
        if (!expect(0, ValueType::Character))
            return nullptr;
        setText(a[0]->width, a[0]->fixedWidth);
        break;
    case Func::Note:
        // The note text of a key, from the provider the program installed.
        if (!expect(0, ValueType::Character))
            return nullptr;
        setText(0, false);
        break;
    case Func::Rtrim:
    case Func::Ltrim:
    case Func::Alltrim:
        if (!expect(0, ValueType::Character))
            return nullptr;
        setText(a[0]->width, false);
        break;
    case Func::Str: {
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (!expect(i, ValueType::Numeric))
                return nullptr;
        }
        int width = 10;
        const bool fixed = a.size() < 2 || literalCount(*a[1], width);
        setText(fixed ? std::min(width, 255) : 10, fixed); // the evaluator's limit
        break;
    }
    case Func::Val:
        if (!expect(0, ValueType::Character))
            return nullptr;
        setNumber(10, 2);
        break;
    case Func::Dtos:
        if (!expect(0, ValueType::Date))
            return nullptr;
        setText(8, true);
        break;
    case Func::Dtoc:
        if (!expect(0, ValueType::Date))
            return nullptr;
        setText(10, false);
        break;
    case Func::Ctod:
        if (!expect(0, ValueType::Character))
            return nullptr;
        n.type = ValueType::Date;
        n.width = 8;
        n.cacheable = a[0]->kind == NodeKind::Literal;
        break;
    case Func::Date:
        n.type = ValueType::Date;
        n.width = 8;
        break;
    case Func::Year:
    case Func::Month:
    case Func::Day:
        if (!expect(0, ValueType::Date))
            return nullptr;
        setNumber(n.func == Func::Year ? 4 : 2, 0);
        break;
    case Func::Substr: {
        if (!expect(0, ValueType::Character) || !expect(1, ValueType::Numeric)
            || (a.size() == 3 && !expect(2, ValueType::Numeric)))
            return nullptr;
        int start = 0;
        const bool knownStart = literalCount(*a[1], start);
        const int rest = knownStart ? std::max(0, a[0]->width - std::max(start, 1) + 1) : a[0]->width;
        if (a.size() == 3 && literalCount(*a[2], count)) {
            // Fixed when the piece lies wholly inside a fixed-width source.
            setText(std::min(count, a[0]->fixedWidth ? rest : count),
                    a[0]->fixedWidth && knownStart && count <= rest);
        } else {
            setText(rest, a[0]->fixedWidth && knownStart);
        }
        break;
    }
    case Func::Left:
    case Func::Right:
        if (!expect(0, ValueType::Character) || !expect(1, ValueType::Numeric))
            return nullptr;
        if (literalCount(*a[1], count))
            setText(a[0]->fixedWidth ? std::min(count, a[0]->width) : count, a[0]->fixedWidth);
        else
            setText(a[0]->width, false);
        break;
    case Func::Len:
        if (!expect(0, ValueType::Character))
            return nullptr;
        setNumber(10, 0);
        break;
    case Func::Empty:
        n.type = ValueType::Logical;
        n.width = 1;
        break;
    case Func::Iif:
        if (!expect(0, ValueType::Logical))
            return nullptr;
        if (a[1]->type != a[2]->type)
            return fail(a[2]->position, "IIF needs two values of one type");
        n.type = a[1]->type;
        n.width = std::max(a[1]->width, a[2]->width);
        n.decimals = std::max(a[1]->decimals, a[2]->decimals);
        n.fixedWidth = a[1]->fixedWidth && a[2]->fixedWidth && a[1]->width == a[2]->width;
        break;
    case Func::Recno:
        setNumber(10, 0);
        break;
    case Func::Deleted:
        n.type = ValueType::Logical;
        n.width = 1;
        break;
    case Func::At:
        if (!expect(0, ValueType::Character) || !expect(1, ValueType::Character))
            return nullptr;
        setNumber(10, 0);
        break;
    case Func::Space:
        if (!expect(0, ValueType::Numeric))
            return nullptr;
        if (literalCount(*a[0], count))
            setText(count, true);
        else
            setText(0, false);
        break;
    case Func::Replicate: {
        if (!expect(0, ValueType::Character) || !expect(1, ValueType::Numeric))
            return nullptr;
        const bool known = literalCount(*a[1], count);
        setText(known ? static_cast<int>(std::min<long long>(static_cast<long long>(count) * a[0]->width,
                                                              kMaxStringLength))
                      : 0,
                known && a[0]->fixedWidth);
        break;
    }
    case Func::Abs:
    case Func::Int:
        if (!expect(0, ValueType::Numeric))
            return nullptr;
        setNumber(a[0]->width, n.func == Func::Int ? 0 : a[0]->decimals);
        break;
    case Func::Round: {
        if (!expect(0, ValueType::Numeric) || !expect(1, ValueType::Numeric))
            return nullptr;
        double places = 0;
        const int decimals = literalNumber(*a[1], places) ? static_cast<int>(std::clamp(places, 0.0, 18.0))
                                                          : a[0]->decimals;
        setNumber(a[0]->width, decimals);
        break;
    }
    case Func::Min:
    case Func::Max:
        if (a[0]->type != a[1]->type || a[0]->type == ValueType::Logical)
            return fail(a[1]->position, std::string(n.name) + " needs two values of one type");
        n.type = a[0]->type;
        n.width = std::max(a[0]->width, a[1]->width);
        n.decimals = std::max(a[0]->decimals, a[1]->decimals);
        n.fixedWidth = a[0]->fixedWidth && a[1]->fixedWidth && a[0]->width == a[1]->width;
        break;
    case Func::Padl:
    case Func::Padr:
        if (!expect(0, ValueType::Character) || !expect(1, ValueType::Numeric)
            || (a.size() == 3 && !expect(2, ValueType::Character)))
            return nullptr;
        if (literalCount(*a[1], count))
            setText(count, true);
        else
            setText(a[0]->width, false);
        break;
    case Func::Chr:
        if (!expect(0, ValueType::Numeric))
            return nullptr;
        setText(1, true);
        break;
    case Func::Asc:
        if (!expect(0, ValueType::Character))
            return nullptr;
        setNumber(3, 0);
        break;
    }
    return fold(std::move(call));
}

// Replaces a subtree of literals by its value, unless the value depends on
// the settings or the day.
ExprParser::NodePtr ExprParser::fold(NodePtr node)
{
    if (!node || node->kind == NodeKind::Literal)
        return node;
    for (const auto &arg : node->args) {
        if (arg->kind != NodeKind::Literal)
            return node;
    }
    if (node->kind == NodeKind::Call) {
        switch (node->func) {
        case Func::Date:
        case Func::Ctod:
        case Func::Dtoc:
        case Func::Recno:
        case Func::Deleted:
            return node;
        default:
            break;
        }
    }
    const EvalSettings defaults;
    EvalState state;
    state.settings = &defaults;
    Value value;
    ExprEvaluator::value(*node, state, value);
    if (!state.status.isOk())
        return fail(node->position, state.status.detail());
    // Keep what a literal cannot spell: 1/0, and numbers too long to write out.
    if (value.type == ValueType::Numeric && !(std::abs(value.number) < 1e18))
        return node;
    // The shortest text that reads back as the same number.
    char numberText[512];
    std::to_chars_result written{numberText, std::errc()};
    if (value.type == ValueType::Numeric) {
        written = std::to_chars(numberText, numberText + sizeof numberText, value.number + 0.0,
                                std::chars_format::fixed);
        if (written.ec != std::errc())
            return node;
    }
    auto literal = std::make_unique<Node>();
    literal->type = node->type;
    literal->position = node->position;
    literal->constant = true;
    literal->decimals = node->decimals;
    literal->width = node->width;
    if (value.type == ValueType::Character) {
        literal->width = static_cast<int>(value.text.size());
        literal->fixedWidth = true;
    } else if (value.type == ValueType::Numeric) {
        literal->name.assign(numberText, written.ptr);
    }
    literal->literal = std::move(value);
    return literal;
}

} // namespace xb
