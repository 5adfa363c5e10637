// Splits the text of an expression into tokens: names, numbers, strings in
// "…", '…' or […], the dotted words .T. .F. .AND. .OR. .NOT. (any case) and
// the operator signs. Internal to the expression compiler.
#pragma once

#include <string>
#include <string_view>

namespace xb {

enum class TokenKind {
    End, Error,
    Number, String, Name,
    True, False, And, Or, Not,
    LParen, RParen, Comma,
    Plus, Minus, Star, Slash, Percent, Power,
    Equal, ExactEqual, NotEqual, Less, LessEqual, Greater, GreaterEqual, Dollar,
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string_view text; // the token as written; strings without quotes
    int position = 1;      // 1-based offset of the token's first character
};

class ExprLexer {
public:
    // `text` must outlive the lexer and every token it returns.
    explicit ExprLexer(std::string_view text) : m_text(text) {}

    // The next token. At the end of the text: End, again and again. An
    // unterminated string or a character that starts no token: Error, with
    // the reason in errorMessage().
    Token next();
    const std::string &errorMessage() const { return m_error; }

private:
    Token make(TokenKind kind, std::size_t start, std::size_t length);
    bool dottedWord(std::size_t start, Token &token);

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::string m_error;
};

} // namespace xb
