// Compiled xBase expressions: the public face of the parser and evaluator,
// the canonical text, and the read-only views the query planner uses.
#include "xbase/expr/Expression.h"

#include "xbase/text/Codepage.h"
#include "xbase/text/Dates.h"
#include "xbase/expr/ExprEvaluator.h"
#include "xbase/expr/ExprParser.h"

#include <algorithm>

namespace xb {

namespace {

using Node = Expression::Node;

enum Precedence { kOr = 1, kAnd, kNot, kCompare, kAdditive, kMultiplicative, kSign, kPower, kPrimary };

int precedence(const Node &n)
{
    switch (n.kind) {
    case NodeKind::Or: return kOr;
    case NodeKind::And: return kAnd;
    case NodeKind::Not: return kNot;
    case NodeKind::Compare: return kCompare;
    case NodeKind::Concat:
    case NodeKind::ConcatTrim:
    case NodeKind::Add:
    case NodeKind::Sub: return kAdditive;
    case NodeKind::Mul:
    case NodeKind::Div:
    case NodeKind::Mod: return kMultiplicative;
    case NodeKind::Neg: return kSign;
    case NodeKind::Pow: return kPower;
    case NodeKind::Literal:
        return n.type == ValueType::Numeric && n.literal.number < 0 ? kSign : kPrimary;
    default: return kPrimary;
    }
}

const char *operatorText(const Node &n)
{
    switch (n.kind) {
    case NodeKind::Or: return ".OR.";
    case NodeKind::And: return ".AND.";
    case NodeKind::Concat:
    case NodeKind::Add: return "+";
    case NodeKind::ConcatTrim:
    case NodeKind::Sub: return "-";
    case NodeKind::Mul: return "*";
    case NodeKind::Div: return "/";
    case NodeKind::Mod: return "%";
    case NodeKind::Pow: return "^";
    case NodeKind::Compare:
        switch (n.compare) {
        case CompareOp::Equal: return "=";
        case CompareOp::ExactEqual: return "==";
        case CompareOp::NotEqual: return "<>";
        case CompareOp::Less: return "<";
        case CompareOp::LessEqual: return "<=";
        case CompareOp::Greater: return ">";
        case CompareOp::GreaterEqual: return ">=";
        default: return "$";
        }
    default: return "?";
    }
}

void quote(std::string_view s, std::string &out)
{
    char open = '"', close = '"';
    if (s.find('"') != std::string_view::npos) {
        if (s.find('\'') == std::string_view::npos)
            open = close = '\'';
        else if (s.find(']') == std::string_view::npos)
            open = '[', close = ']';
    }
    out += open;
    out.append(s);
    out += close;
}

void canonical(const Node &n, int parent, bool rightOperand, std::string &out)
{
    const int own = precedence(n);
    const bool rightAssociative = n.kind == NodeKind::Pow;
    const bool wrap = own < parent || (own == parent && rightOperand != rightAssociative && own != kPrimary);
    if (wrap)
        out += '(';
    switch (n.kind) {
    case NodeKind::Literal:
        switch (n.type) {
        case ValueType::Character: quote(n.literal.text, out); break;
        case ValueType::Numeric: out += n.name; break;
        case ValueType::Logical: out += n.literal.logical ? ".T." : ".F."; break;
        case ValueType::Date: {
            // Not produced by the parser; kept readable all the same.
            const double j = n.literal.number;
            out += "CTOD(\"";
            if (j > 0)
                out += formatDate(fromJulian(static_cast<int64_t>(j)), "dd.MM.yyyy");
            out += "\")";
            break;
        }
        }
        break;
    case NodeKind::Field:
    case NodeKind::Memo:
        out += n.name;
        break;
    case NodeKind::Not:
        out += ".NOT.";
        canonical(*n.args[0], kNot, false, out); // ".NOT..NOT.X" needs no parentheses
        break;
    case NodeKind::Neg:
        out += '-';
        canonical(*n.args[0], kSign, false, out); // nor "--X"
        break;
    case NodeKind::Call:
        out += n.name;
        out += '(';
        for (std::size_t i = 0; i < n.args.size(); ++i) {
            if (i > 0)
                out += ',';
            canonical(*n.args[i], 0, false, out);
        }
        out += ')';
        break;
    default: // binary operators
        canonical(*n.args[0], own, false, out);
        out += operatorText(n);
        canonical(*n.args[1], own, true, out);
        break;
    }
    if (wrap)
        out += ')';
}

std::string canonicalOf(const Node &n)
{
    std::string out;
    canonical(n, 0, false, out);
    return out;
}

void collectConjuncts(const Node &n, std::vector<const Node *> &terms)
{
    if (n.kind == NodeKind::And) {
        collectConjuncts(*n.args[0], terms);
        collectConjuncts(*n.args[1], terms);
    } else {
        terms.push_back(&n);
    }
}

CompareOp mirrored(CompareOp op)
{
    switch (op) {
    case CompareOp::Less: return CompareOp::Greater;
    case CompareOp::LessEqual: return CompareOp::GreaterEqual;
    case CompareOp::Greater: return CompareOp::Less;
    case CompareOp::GreaterEqual: return CompareOp::LessEqual;
    case CompareOp::ContainedIn: return CompareOp::Contains;
    default: return op;
    }
}

// Appends the fixed-width pieces of `n`, each wrapped in `caseFunction`
// (UPPER or LOWER) when one encloses it. False when a piece has no fixed width.
bool collectParts(const Node &n, const char *caseFunction, std::vector<KeyPart> &parts)
{
    if (n.type != ValueType::Character || !n.fixedWidth)
        return false;
    if (n.kind == NodeKind::Concat)
        return collectParts(*n.args[0], caseFunction, parts) && collectParts(*n.args[1], caseFunction, parts);
    if (n.kind == NodeKind::Call && (n.func == Func::Upper || n.func == Func::Lower)) {
        // The outer case function wins: UPPER(LOWER(X)) reads as UPPER(X).
        return collectParts(*n.args[0], caseFunction ? caseFunction : n.name.c_str(), parts);
    }
    KeyPart part;
    part.width = n.width;
    if (caseFunction && n.kind == NodeKind::Literal) {
        const bool upper = std::string_view(caseFunction) == "UPPER";
        quote(upper ? cp1252Upper(n.literal.text) : cp1252Lower(n.literal.text), part.text);
    } else if (caseFunction) {
        part.text = std::string(caseFunction) + "(" + canonicalOf(n) + ")";
    } else {
        part.text = canonicalOf(n);
    }
    parts.push_back(std::move(part));
    return true;
}

} // namespace

struct Expression::Impl {
    std::string text;
    std::unique_ptr<Node> root;
};

Expression::Expression() : m_impl(std::make_unique<Impl>()) {}
Expression::~Expression() = default;

Status Expression::compile(std::string_view text, const RecordContext &schema, std::unique_ptr<Expression> &out)
{
    out.reset();
    ExprParser parser(text, schema);
    std::unique_ptr<Node> root;
    Status status = parser.parse(root);
    if (!status.isOk())
        return status;
    std::unique_ptr<Expression> expression(new Expression());
    expression->m_impl->text = std::string(text);
    expression->m_impl->root = std::move(root);
    out = std::move(expression);
    return Status::ok();
}

const std::string &Expression::text() const { return m_impl->text; }
ValueType Expression::type() const { return m_impl->root->type; }
int Expression::width() const { return m_impl->root->width; }
std::string Expression::canonicalText() const { return canonicalOf(*m_impl->root); }

Status Expression::evaluate(const RecordContext &record, const EvalSettings &settings, Value &out) const
{
    EvalState state;
    state.record = &record;
    state.settings = &settings;
    ExprEvaluator::value(*m_impl->root, state, out);
    return state.status;
}

Status Expression::evaluateLogical(const RecordContext &record, const EvalSettings &settings, bool &out) const
{
    if (m_impl->root->type != ValueType::Logical)
        return Status::badArgument("not a logical expression: \"" + m_impl->text + "\"");
    EvalState state;
    state.record = &record;
    state.settings = &settings;
    out = ExprEvaluator::logical(*m_impl->root, state);
    return state.status;
}

Status Expression::evaluateText(const RecordContext &record, const EvalSettings &settings, std::string &out) const
{
    const Node &root = *m_impl->root;
    EvalState state;
    state.record = &record;
    state.settings = &settings;
    out.clear();
    switch (root.type) {
    case ValueType::Character: {
        const std::string_view s = ExprEvaluator::text(root, state);
        out.assign(s.data(), s.size());
        break;
    }
    case ValueType::Numeric: {
        const double v = ExprEvaluator::number(root, state);
        ExprEvaluator::formatNumber(v, root.width, root.decimals, out);
        if (!out.empty() && out[0] == '*') { // too wide for its field: show it all
            out.clear();
            ExprEvaluator::formatNumber(v, 40, root.decimals, out);
            out.erase(0, out.find_first_not_of(' '));
        }
        break;
    }
    case ValueType::Date: {
        const double j = ExprEvaluator::number(root, state);
        if (j > 0) {
            out = formatDate(fromJulian(static_cast<int64_t>(j)), settings.dateFormat);
        } else {
            out = formatDate(Date{2000, 10, 10}, settings.dateFormat);
            std::replace_if(out.begin(), out.end(), [](char c) { return c >= '0' && c <= '9'; }, ' ');
        }
        break;
    }
    case ValueType::Logical:
        out = ExprEvaluator::logical(root, state) ? "T" : "F";
        break;
    }
    return state.status;
}

Status Expression::key(const RecordContext &record, const EvalSettings &settings, std::string &bytes) const
{
    const Node &root = *m_impl->root;
    if (root.type != ValueType::Character)
        return Status::badArgument("not a character expression: \"" + m_impl->text + "\"");
    EvalState state;
    state.record = &record;
    state.settings = &settings;
    const std::string_view s = ExprEvaluator::text(root, state);
    const std::size_t width = static_cast<std::size_t>(root.width);
    bytes.assign(s.data(), std::min(s.size(), width));
    bytes.resize(width, ' ');
    return state.status;
}

Status Expression::key(const RecordContext &record, const EvalSettings &settings, double &number) const
{
    const Node &root = *m_impl->root;
    if (root.type != ValueType::Numeric && root.type != ValueType::Date)
        return Status::badArgument("not a numeric or date expression: \"" + m_impl->text + "\"");
    EvalState state;
    state.record = &record;
    state.settings = &settings;
    number = ExprEvaluator::number(root, state);
    return state.status;
}

std::vector<Conjunct> Expression::conjuncts(const EvalSettings &settings) const
{
    std::vector<const Node *> terms;
    collectConjuncts(*m_impl->root, terms);
    std::vector<Conjunct> result;
    result.reserve(terms.size());
    for (const Node *term : terms) {
        Conjunct c;
        c.text = canonicalOf(*term);
        if (term->kind == NodeKind::Compare && term->args[0]->constant != term->args[1]->constant) {
            const bool constantLeft = term->args[0]->constant;
            const Node &subject = *term->args[constantLeft ? 1 : 0];
            const Node &constant = *term->args[constantLeft ? 0 : 1];
            c.isComparison = true;
            c.subject = canonicalOf(subject);
            c.subjectType = subject.type;
            c.subjectWidth = subject.type == ValueType::Character ? subject.width : 0;
            c.op = constantLeft ? mirrored(term->compare) : term->compare;
            c.constantOnLeft = constantLeft;
            EvalState state;
            state.settings = &settings; // no record: the side reads no field
            ExprEvaluator::value(constant, state, c.constant);
            if (!state.status.isOk())
                c.isComparison = false;
        }
        result.push_back(std::move(c));
    }
    return result;
}

bool Expression::keyParts(std::vector<KeyPart> &parts) const
{
    parts.clear();
    if (!collectParts(*m_impl->root, nullptr, parts)) {
        parts.clear();
        return false;
    }
    return true;
}

NoteProvider &noteProviderSlot()
{
    static NoteProvider provider;
    return provider;
}

void setNoteProvider(NoteProvider provider)
{
    noteProviderSlot() = std::move(provider);
}

const NoteProvider &noteProvider()
{
    return noteProviderSlot();
}

} // namespace xb
