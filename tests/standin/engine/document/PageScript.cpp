#include "standin/engine/document/PageScript.h"

#include "standin/engine/page/PageText.h"

#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <memory>

namespace movalent::standin {
namespace {

struct Token {
    enum class Kind { Name, Number, String, Symbol, Separator, End };
    Kind kind = Kind::End;
    std::wstring text; // name, string value or symbol
    double number = 0;
    size_t at = 0; // 1-based character position, for messages
};

struct ScriptError {
    std::wstring message;
};

bool IsNameStart(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_' || c == L'$';
}
bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

[[noreturn]] void SyntaxError(size_t at, std::wstring_view what) {
    throw ScriptError{L"Syntax error at character " + std::to_wstring(at) + L": " + std::wstring(what)};
}

std::vector<Token> Tokenise(std::wstring_view code) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < code.size()) {
        const wchar_t c = code[i];
        Token token;
        token.at = i + 1;
        if (c == L' ' || c == L'\t' || c == L'\f' || c == L'\v') {
            ++i;
            continue;
        }
        if (c == L'\n' || c == L'\r' || c == L';') {
            token.kind = Token::Kind::Separator;
            ++i;
        } else if (IsNameStart(c)) {
            const size_t start = i;
            while (i < code.size() && (IsNameStart(code[i]) || IsDigit(code[i])))
                ++i;
            token.kind = Token::Kind::Name;
            token.text = code.substr(start, i - start);
        } else if (IsDigit(c) || (c == L'.' && i + 1 < code.size() && IsDigit(code[i + 1]))) {
            const size_t start = i;
            while (i < code.size() && IsDigit(code[i]))
                ++i;
            if (i < code.size() && code[i] == L'.') {
                ++i;
                while (i < code.size() && IsDigit(code[i]))
                    ++i;
            }
            if (i < code.size() && (IsNameStart(code[i]) || code[i] == L'.'))
                SyntaxError(i + 1, L"unexpected character after a number");
            token.kind = Token::Kind::Number;
            token.number = std::wcstod(std::wstring(code.substr(start, i - start)).c_str(), nullptr);
        } else if (c == L'\'' || c == L'"') {
            token.kind = Token::Kind::String;
            ++i;
            for (;;) {
                if (i >= code.size() || code[i] == L'\n' || code[i] == L'\r')
                    SyntaxError(token.at, L"unterminated string constant");
                wchar_t next = code[i++];
                if (next == c)
                    break;
                if (next == L'\\') {
                    if (i >= code.size())
                        SyntaxError(token.at, L"unterminated string constant");
                    next = code[i++];
                    if (next == L'n')
                        next = L'\n';
                    else if (next == L't')
                        next = L'\t';
                }
                token.text += next;
            }
        } else if (c == L'.' || c == L'=' || c == L'+' || c == L'-' || c == L'(' || c == L')') {
            token.kind = Token::Kind::Symbol;
            token.text.assign(1, c);
            ++i;
        } else {
            SyntaxError(i + 1, L"invalid character");
        }
        tokens.push_back(std::move(token));
    }
    Token end;
    end.at = code.size() + 1;
    tokens.push_back(end);
    return tokens;
}

struct Expression {
    enum class Kind { Literal, Title, ElementTag, ElementId, Sum };
    Kind kind = Kind::Literal;
    ScriptValue literal;
    std::wstring id;               // the element's, for ElementTag and ElementId
    std::vector<Expression> terms; // for Sum
};

struct Statement {
    std::wstring target;
    Expression value;
};

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    std::vector<Statement> Program() {
        std::vector<Statement> statements;
        for (;;) {
            while (Peek().kind == Token::Kind::Separator)
                ++at_;
            if (Peek().kind == Token::Kind::End)
                return statements;
            statements.push_back(AnyStatement());
            if (Peek().kind != Token::Kind::Separator && Peek().kind != Token::Kind::End)
                SyntaxError(Peek().at, L"expected ';'");
        }
    }

private:
    const Token& Peek() const { return tokens_[at_]; }
    const Token& Take() {
        const Token& token = tokens_[at_];
        if (token.kind != Token::Kind::End)
            ++at_;
        return token;
    }
    bool IsSymbol(std::wstring_view symbol) const {
        return Peek().kind == Token::Kind::Symbol && Peek().text == symbol;
    }
    void Expect(std::wstring_view symbol) {
        if (!IsSymbol(symbol))
            SyntaxError(Peek().at, L"expected '" + std::wstring(symbol) + L"'");
        ++at_;
    }
    const std::wstring& ExpectName() {
        if (Peek().kind != Token::Kind::Name)
            SyntaxError(Peek().at, L"expected identifier");
        return Take().text;
    }

    Statement AnyStatement() {
        Statement statement;
        const Token& first = Peek();
        std::wstring name = ExpectName();
        if (name == L"window") {
            Expect(L".");
            name = ExpectName();
        } else if (name == L"document") {
            SyntaxError(first.at, L"'document' cannot be assigned");
        }
        statement.target = name;
        Expect(L"=");
        statement.value = Sum();
        return statement;
    }

    Expression Sum() {
        Expression first = Term();
        if (!IsSymbol(L"+"))
            return first;
        Expression sum;
        sum.kind = Expression::Kind::Sum;
        sum.terms.push_back(std::move(first));
        while (IsSymbol(L"+")) {
            ++at_;
            sum.terms.push_back(Term());
        }
        return sum;
    }

    Expression Term() {
        Expression term;
        const Token& token = Peek();
        if (IsSymbol(L"(")) {
            ++at_;
            term = Sum();
            Expect(L")");
            return term;
        }
        if (IsSymbol(L"-")) {
            ++at_;
            if (Peek().kind != Token::Kind::Number)
                SyntaxError(Peek().at, L"expected a number");
            term.literal = {true, -Take().number, {}};
            return term;
        }
        if (token.kind == Token::Kind::Number) {
            term.literal = {true, Take().number, {}};
            return term;
        }
        if (token.kind == Token::Kind::String) {
            term.literal = {false, 0, Take().text};
            return term;
        }
        if (token.kind != Token::Kind::Name || token.text != L"document")
            SyntaxError(token.at, L"expected a number, a string or document");
        ++at_;
        Expect(L".");
        const Token& member = Peek();
        const std::wstring name = ExpectName();
        if (name == L"title") {
            term.kind = Expression::Kind::Title;
            return term;
        }
        if (name != L"getElementById")
            SyntaxError(member.at, L"document has no member the stand-in knows by that name");
        Expect(L"(");
        if (Peek().kind != Token::Kind::String)
            SyntaxError(Peek().at, L"expected a string");
        term.id = Take().text;
        Expect(L")");
        Expect(L".");
        const Token& property = Peek();
        const std::wstring read = ExpectName();
        if (read == L"tagName")
            term.kind = Expression::Kind::ElementTag;
        else if (read == L"id")
            term.kind = Expression::Kind::ElementId;
        else
            SyntaxError(property.at, L"expected tagName or id");
        return term;
    }

    std::vector<Token> tokens_;
    size_t at_ = 0;
};

ScriptValue Evaluate(const Expression& expression, std::wstring_view title, const DomElement* root) {
    switch (expression.kind) {
    case Expression::Kind::Literal:
        return expression.literal;
    case Expression::Kind::Title:
        return {false, 0, std::wstring(title)};
    case Expression::Kind::ElementTag:
    case Expression::Kind::ElementId: {
        const DomElement* element = root != nullptr ? FindById(*root, expression.id) : nullptr;
        if (element == nullptr)
            throw ScriptError{L"'document.getElementById(...)' is null or not an object"};
        return {false, 0, expression.kind == Expression::Kind::ElementId ? element->id : NodeName(*element)};
    }
    case Expression::Kind::Sum: {
        ScriptValue sum = Evaluate(expression.terms.front(), title, root);
        for (size_t i = 1; i < expression.terms.size(); ++i) {
            const ScriptValue next = Evaluate(expression.terms[i], title, root);
            if (sum.isNumber && next.isNumber)
                sum.number += next.number;
            else
                sum = {false, 0, ScriptText(sum) + ScriptText(next)};
        }
        return sum;
    }
    }
    return {};
}

} // namespace

std::wstring ScriptText(const ScriptValue& value) {
    if (!value.isNumber)
        return value.text;
    const double number = value.number;
    if (std::isnan(number))
        return L"NaN";
    if (std::isinf(number))
        return number > 0 ? L"Infinity" : L"-Infinity";
    if (number == 0)
        return L"0";
    wchar_t buffer[64];
    if (std::floor(number) == number && std::fabs(number) < 1e21) {
        std::swprintf(buffer, 64, L"%.0f", number);
        return buffer;
    }
    for (int precision = 1; precision <= 17; ++precision) {
        std::swprintf(buffer, 64, L"%.*g", precision, number);
        if (std::wcstod(buffer, nullptr) == number)
            break;
    }
    // The exponent as JScript writes it: "1e-7", not "1e-07".
    std::wstring text = buffer;
    const size_t e = text.find(L'e');
    if (e != std::wstring::npos) {
        size_t digits = e + 2;
        while (digits + 1 < text.size() && text[digits] == L'0')
            text.erase(digits, 1);
    }
    return text;
}

void ScriptGlobals::Set(const std::wstring& name, ScriptValue value) {
    if (const std::optional<size_t> index = Find(name, true))
        entries_[*index].second = std::move(value);
    else
        entries_.emplace_back(name, std::move(value));
}

std::optional<size_t> ScriptGlobals::Find(std::wstring_view name, bool caseSensitive) const {
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].first == name)
            return i;
    if (!caseSensitive)
        for (size_t i = 0; i < entries_.size(); ++i)
            if (EqualsNoCase(entries_[i].first, name))
                return i;
    return std::nullopt;
}

bool IsScriptLanguage(std::wstring_view language) {
    return language.empty() || EqualsNoCase(language, L"JScript") || EqualsNoCase(language, L"JavaScript");
}

std::optional<std::wstring> RunScript(std::wstring_view code, std::wstring_view title,
                                      const DomElement* documentElement, ScriptGlobals& globals) {
    try {
        const std::vector<Statement> program = Parser(Tokenise(code)).Program();
        for (const Statement& statement : program)
            globals.Set(statement.target, Evaluate(statement.value, title, documentElement));
    } catch (const ScriptError& error) {
        return error.message;
    }
    return std::nullopt;
}

} // namespace movalent::standin
