// Tokenizer of the expression language; see ExprLexer.h.
#include "xbase/expr/ExprLexer.h"

#include <cctype>

namespace xb {

namespace {

bool isNameStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool isNameChar(unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0x80; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace

Token ExprLexer::make(TokenKind kind, std::size_t start, std::size_t length)
{
    m_pos = start + length;
    return Token{kind, m_text.substr(start, length), static_cast<int>(start) + 1};
}

// .T. .F. .Y. .N. .AND. .OR. .NOT. starting at `start` (a dot).
bool ExprLexer::dottedWord(std::size_t start, Token &token)
{
    static const struct {
        std::string_view word;
        TokenKind kind;
    } kWords[] = {
        {".T.", TokenKind::True},  {".F.", TokenKind::False}, {".Y.", TokenKind::True},
        {".N.", TokenKind::False}, {".AND.", TokenKind::And}, {".OR.", TokenKind::Or},
        {".NOT.", TokenKind::Not},
    };
    for (const auto &w : kWords) {
        if (equalsNoCase(m_text.substr(start, w.word.size()), w.word)) {
            token = make(w.kind, start, w.word.size());
            return true;
        }
    }
    return false;
}

Token ExprLexer::next()
{
    while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos])))
        ++m_pos;
    const std::size_t start = m_pos;
    if (start >= m_text.size())
        return Token{TokenKind::End, {}, static_cast<int>(start) + 1};

    const char c = m_text[start];
    const auto at = [&](std::size_t i) { return start + i < m_text.size() ? m_text[start + i] : '\0'; };

    if (c == '.') {
        Token token;
        if (dottedWord(start, token))
            return token;
        if (!isDigit(at(1))) {
            m_error = "unknown word after '.'";
            return make(TokenKind::Error, start, 1);
        }
    }
    if (isDigit(c) || c == '.') {
        std::size_t end = start;
        while (end < m_text.size() && isDigit(m_text[end]))
            ++end;
        if (end < m_text.size() && m_text[end] == '.') {
            // "5.and." is 5 followed by .and.; "5." alone is 5.
            Token ignored;
            const std::size_t savedPos = m_pos;
            const bool word = dottedWord(end, ignored);
            m_pos = savedPos;
            if (!word) {
                ++end;
                while (end < m_text.size() && isDigit(m_text[end]))
                    ++end;
            }
        }
        return make(TokenKind::Number, start, end - start);
    }
    if (isNameStart(static_cast<unsigned char>(c))) {
        std::size_t end = start + 1;
        while (end < m_text.size() && isNameChar(static_cast<unsigned char>(m_text[end])))
            ++end;
        return make(TokenKind::Name, start, end - start);
    }
    if (c == '"' || c == '\'' || c == '[') {
        const char close = c == '[' ? ']' : c;
        const std::size_t end = m_text.find(close, start + 1);
        if (end == std::string_view::npos) {
            m_error = "unterminated string";
            return make(TokenKind::Error, start, 1);
        }
        m_pos = end + 1;
        return Token{TokenKind::String, m_text.substr(start + 1, end - start - 1), static_cast<int>(start) + 1};
    }

    switch (c) {
    case '(': return make(TokenKind::LParen, start, 1);
    case ')': return make(TokenKind::RParen, start, 1);
    case ',': return make(TokenKind::Comma, start, 1);
    case '+': return make(TokenKind::Plus, start, 1);
    case '-': return make(TokenKind::Minus, start, 1);
    case '/': return make(TokenKind::Slash, start, 1);
    case '%': return make(TokenKind::Percent, start, 1);
    case '^': return make(TokenKind::Power, start, 1);
    case '$': return make(TokenKind::Dollar, start, 1);
    case '#': return make(TokenKind::NotEqual, start, 1);
    case '*':
        return at(1) == '*' ? make(TokenKind::Power, start, 2) : make(TokenKind::Star, start, 1);
    case '=':
        return at(1) == '=' ? make(TokenKind::ExactEqual, start, 2) : make(TokenKind::Equal, start, 1);
    case '!':
        return at(1) == '=' ? make(TokenKind::NotEqual, start, 2) : make(TokenKind::Not, start, 1);
    case '<':
        if (at(1) == '=')
            return make(TokenKind::LessEqual, start, 2);
        if (at(1) == '>')
            return make(TokenKind::NotEqual, start, 2);
        return make(TokenKind::Less, start, 1);
    case '>':
        return at(1) == '=' ? make(TokenKind::GreaterEqual, start, 2) : make(TokenKind::Greater, start, 1);
    default:
        break;
    }
    m_error = "unexpected character";
    return make(TokenKind::Error, start, 1);
}

} // namespace xb
