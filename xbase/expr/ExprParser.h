// Recursive-descent parser of the expression language. Builds the typed node
// tree, checks every operand's type, resolves field names through the schema
// and folds constant subtrees that depend on nothing at all. Internal to the
// expression module; Expression::compile is its only caller.
//
// Precedence, loosest first: .OR.; .AND.; .NOT. and !; the comparisons
// = == <> # != < > <= >= $; + -; * / %; unary - +; ^ and ** (right to left).
#pragma once

#include "xbase/expr/ExprLexer.h"
#include "xbase/expr/ExprNode.h"

#include <memory>
#include <string_view>

namespace xb {

class ExprParser {
public:
    // `text` and `schema` must outlive the parser.
    ExprParser(std::string_view text, const RecordContext &schema);

    // Parses the whole text. Fails with Status::syntax naming the expression
    // and the 1-based position of the fault.
    Status parse(std::unique_ptr<Expression::Node> &out);

    // Subtrees higher than this are refused, which keeps evaluation's
    // recursion far from the stack's end.
    static constexpr int kMaxDepth = 200;

private:
    using NodePtr = std::unique_ptr<Expression::Node>;

    NodePtr parseOr();
    NodePtr parseAnd();
    NodePtr parseNot();
    NodePtr parseComparison();
    NodePtr parseAdditive();
    NodePtr parseMultiplicative();
    NodePtr parseUnary();
    NodePtr parsePower();
    NodePtr parsePrimary();
    NodePtr parseName();
    NodePtr parseCall(const Token &name);
    NodePtr makeField(const Token &name, int index);
    NodePtr checkCall(NodePtr call);

    NodePtr binary(NodeKind kind, const Token &op, NodePtr left, NodePtr right);
    NodePtr comparison(const Token &op, NodePtr left, NodePtr right);
    NodePtr fold(NodePtr node);
    NodePtr fail(int position, const std::string &message);

    void advance();
    bool failed() const { return !m_status.isOk(); }

    std::string_view m_text;
    const RecordContext &m_schema;
    ExprLexer m_lexer;
    Token m_token;
    Status m_status;
    int m_nesting = 0;
};

} // namespace xb
