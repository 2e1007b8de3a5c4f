#include "workbook/formula_translation.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "formula/lexical.h"
#include "numbers/number_format.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"

namespace {

// Round: ours rounds halves up (Round(-2.5, 0) is -2) and takes the places'
// absolute value; ROUND rounds halves away from zero and rounds to tens for
// negative places, so ours is written out. Log is ours divided by ln 10, not
// LOG10 (Log(1000) is 2.9999999999999996 here). Min and Max take the second
// argument only when it is smaller (larger), and read an empty cell as 0,
// where MIN and MAX skip it: IF says the same. Sgn looks at the whole part.
const std::vector<FunctionPair> Pairs = {
    {"Abs", "ABS", "R", 'R', nullptr},
    {"Sin", "SIN", "R", 'R', nullptr},
    {"Cos", "COS", "R", 'R', nullptr},
    {"Tan", "TAN", "R", 'R', nullptr},
    {"ArcTan", "ATAN", "R", 'R', nullptr},
    {"ArcCos", "ACOS", "R", 'R', nullptr},
    {"ArcSin", "ASIN", "R", 'R', nullptr},
    {"Ln", "LN", "R", 'R', nullptr},
    {"Exp", "EXP", "R", 'R', nullptr},
    {"Sqrt", "SQRT", "R", 'R', nullptr},
    {"Trunc", "TRUNC", "R", 'R', nullptr},
    {"Int", "INT", "R", 'R', nullptr},
    {"Len", "LEN", "T", 'R', nullptr},
    {"Left$", "LEFT", "TR", 'T', nullptr},
    {"Right$", "RIGHT", "TR", 'T', nullptr},
    {"Mid$", "MID", "TRR", 'T', nullptr},
    {"Repeat$", "REPT", "TR", 'T', nullptr},
    {"Sqr", nullptr, "R", 'R', "(%1)*(%1)"},
    {"Log", nullptr, "R", 'R', "LN(%1)/2.302585092994046"},
    {"Exp10", nullptr, "R", 'R', "10^(%1)"},
    {"e", nullptr, "", 'R', "EXP(1)"},
    {"Sgn", nullptr, "R", 'R', "SIGN(TRUNC(%1))"},
    {"Round", nullptr, "RR", 'R', "TRUNC((%1)*10^ABS(TRUNC(%2))+0.5)/10^ABS(TRUNC(%2))"},
    {"Min", nullptr, "RR", 'R', "IF((%2)<(%1);%2;%1)"},
    {"Max", nullptr, "RR", 'R', "IF((%1)>(%2);%1;%2)"},
    {"Frac", nullptr, "R", 'R', "(%1)-TRUNC(%1)"},
    {"Sum", nullptr, "RRRR", 'R', "(%1)+(%2)+(%3)+(%4)"},
};

// Deeper nesting than any formula a person writes; a hostile file's
// thousands of parentheses end here rather than in the stack.
constexpr int MaxDepth = 100;

enum class Type { Number, Text };

// Placeholder: %1 to %4 of an expression that stands for one of ours.
enum class NodeKind { Number, String, Reference, Pi, Negate, Binary, Call, Placeholder };

struct Node {
    NodeKind Kind = NodeKind::Number;
    double Number = 0;
    std::string Utf8;  // a string's text; a function of theirs without a partner
    Int Row = 0, Column = 0;  // a reference; a placeholder's number in Row
    // + - * / ^ and \ (ours), & (texts joined); < and > of theirs
    char Operator = 0;
    const FunctionPair* Function = nullptr;
    std::vector<Node> Arguments;
    Type ValueType = Type::Number;
    bool Parenthesized = false;  // written in parentheses of its own
};
using Parsed = std::optional<Node>;

Node Leaf(NodeKind kind, Type type = Type::Number) {
    Node node;
    node.Kind = kind;
    node.ValueType = type;
    return node;
}

std::string Upper(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return out;
}

// Both sides' names, upper-cased once: every name in every formula is
// looked up, so a linear search showed in the export's profile.
using NameIndex = std::unordered_map<std::string, const FunctionPair*>;
const NameIndex& Index(bool ours) {
    static const std::pair<NameIndex, NameIndex> indexes = [] {
        std::pair<NameIndex, NameIndex> built;
        for (const FunctionPair& pair : Pairs) {
            built.first.emplace(Upper(pair.Ours), &pair);
            if (pair.Theirs) built.second.emplace(Upper(pair.Theirs), &pair);
        }
        return built;
    }();
    return ours ? indexes.first : indexes.second;
}

const FunctionPair* Find(bool ours, std::string_view name) {
    const NameIndex& index = Index(ours);
    const auto found = index.find(Upper(name));
    return found == index.end() ? nullptr : found->second;
}

const FunctionPair* OurFunction(std::string_view name) { return Find(true, name); }
const FunctionPair* TheirFunction(std::string_view name) { return Find(false, name); }

// A call whose arguments have the types the function takes.
Parsed Call(const FunctionPair& function, std::vector<Node> arguments) {
    if (arguments.size() != std::strlen(function.Arguments)) return std::nullopt;
    for (std::size_t i = 0; i < arguments.size(); ++i)
        if ((arguments[i].ValueType == Type::Text) != (function.Arguments[i] == 'T')) return std::nullopt;
    Node node = Leaf(NodeKind::Call, function.Result == 'T' ? Type::Text : Type::Number);
    node.Function = &function;
    node.Arguments = std::move(arguments);
    return node;
}

// + - * / ^ \ on two numbers; "+" of two texts joins them. Anything else
// means different things on the two sides.
Parsed Binary(char op, Node left, Node right) {
    const bool texts = left.ValueType == Type::Text && right.ValueType == Type::Text;
    const bool numbers = left.ValueType == Type::Number && right.ValueType == Type::Number;
    if (op == '&' && !texts) return std::nullopt;
    if (op != '&' && !numbers) return std::nullopt;
    Node node = Leaf(NodeKind::Binary, texts ? Type::Text : Type::Number);
    node.Operator = op;
    node.Arguments.push_back(std::move(left));
    node.Arguments.push_back(std::move(right));
    return node;
}

Parsed Negate(Node operand) {
    if (operand.ValueType != Type::Number) return std::nullopt;
    Node node = Leaf(NodeKind::Negate);
    node.Arguments.push_back(std::move(operand));
    return node;
}

Parsed Reference(Int row, Int column, const CellKindLookup& kindOf) {
    if (row < 1 || row > SheetRowCount || column < 1 || column > SheetColumnCount) return std::nullopt;
    Node node = Leaf(NodeKind::Reference, kindOf && kindOf(row, column) == CellKindText ? Type::Text : Type::Number);
    node.Row = row;
    node.Column = column;
    return node;
}

// ---- Our language --------------------------------------------------------

class OurParser {
public:
    OurParser(TextView formula, const CellKindLookup& kindOf) : f_(formula), kindOf_(kindOf) {}

    Parsed Whole() {
        Skip();
        Parsed node = Sum();
        Skip();
        if (!node || at_ != f_.size()) return std::nullopt;
        return node;
    }

private:
    UInt8 Peek(std::size_t ahead = 0) const { return at_ + ahead < f_.size() ? f_[at_ + ahead] : 0; }
    void Skip() {
        while (Peek() == BlankCharacter) ++at_;
    }
    bool Take(UInt8 c) {
        Skip();
        if (Peek() != c) return false;
        ++at_;
        Skip();
        return true;
    }

    Parsed Sum() {
        if (++depth_ > MaxDepth) return std::nullopt;
        Parsed left = Product();
        while (left) {
            Skip();
            const UInt8 op = Peek();
            if (op != '+' && op != '-') break;
            ++at_;
            Skip();
            Parsed right = Product();
            if (!right) return std::nullopt;
            // "+" with a text on the right joins texts.
            const char joined = op == '+' && right->ValueType == Type::Text ? '&' : static_cast<char>(op);
            left = Binary(joined, std::move(*left), std::move(*right));
        }
        --depth_;
        return left;
    }

    Parsed Product() {
        Parsed left = Power();
        while (left) {
            Skip();
            const UInt8 op = Peek();
            if (op != '*' && op != '/' && op != '\\') break;
            ++at_;
            Skip();
            Parsed right = Power();
            if (!right) return std::nullopt;
            left = Binary(static_cast<char>(op), std::move(*left), std::move(*right));
        }
        return left;
    }

    Parsed Power() {
        Parsed left = Unary();
        while (left && (Skip(), Peek() == '^')) {
            ++at_;
            Skip();
            Parsed right = Unary();
            if (!right) return std::nullopt;
            left = Binary('^', std::move(*left), std::move(*right));
        }
        return left;
    }

    Parsed Unary() {
        if (Peek() != '-') return Primary();
        ++at_;
        Skip();
        Parsed operand = Primary();
        return operand ? Negate(std::move(*operand)) : std::nullopt;
    }

    Parsed Primary() {
        const UInt8 c = Peek();
        if (IsDigit(c) || c == '.') return Numeral();
        if (c == QuoteCharacter) return Literal();
        if (c == PiCharacter) {
            ++at_;
            return Leaf(NodeKind::Pi);
        }
        if (c == '(') {
            ++at_;
            Skip();
            Parsed inner = Sum();
            return inner && Take(')') ? inner : std::nullopt;
        }
        if (parser_IsNameStart(c)) return Name();
        return std::nullopt;
    }

    // Plain decimal numerals only: digits, one point, an exponent. A blank
    // inside one or a hexadecimal numeral has rules of its own.
    Parsed Numeral() {
        const std::size_t start = at_;
        while (IsDigit(Peek()) || Peek() == '.') ++at_;
        if (Peek() == 'e' || Peek() == 'E') {
            ++at_;
            if (Peek() == '+' || Peek() == '-') ++at_;
            if (!IsDigit(Peek())) return std::nullopt;
            while (IsDigit(Peek())) ++at_;
        }
        const TextView digits = f_.subspan(start, at_ - start);
        if (std::count(digits.begin(), digits.end(), '.') > 1 || Peek() == 'x' || Peek() == '.') return std::nullopt;
        std::size_t next = at_;
        while (next < f_.size() && f_[next] == BlankCharacter) ++next;
        if (next < f_.size() && (IsDigit(f_[next]) || f_[next] == '.')) return std::nullopt;
        Node node = Leaf(NodeKind::Number);
        node.Number = TextToNumber(digits);
        return std::isfinite(node.Number) ? Parsed(node) : std::nullopt;
    }

    Parsed Literal() {
        const std::size_t start = ++at_;
        while (at_ < f_.size() && f_[at_] != QuoteCharacter) ++at_;
        if (at_ == f_.size()) return std::nullopt;
        Node node = Leaf(NodeKind::String, Type::Text);
        node.Utf8 = CalculationFileText(Text(CodeBuffer(f_.begin() + static_cast<std::ptrdiff_t>(start),
                                                                f_.begin() + static_cast<std::ptrdiff_t>(at_))));
        ++at_;
        return node;
    }

    Parsed Name() {
        const std::size_t start = at_;
        while (parser_IsNameCharacter(Peek())) ++at_;
        if (Peek() == '$') ++at_;
        const std::string name(f_.begin() + static_cast<std::ptrdiff_t>(start),
                               f_.begin() + static_cast<std::ptrdiff_t>(at_));
        if (const FunctionPair* function = OurFunction(name)) return Arguments(*function);
        const Int index = CellIndexFromAddress(f_.subspan(start, at_ - start));
        if (index < 0 || name.back() == '$') return std::nullopt;
        return Reference(index / SheetColumnCount + 1, index % SheetColumnCount + 1, kindOf_);
    }

    Parsed Arguments(const FunctionPair& function) {
        std::vector<Node> arguments;
        const std::size_t count = std::strlen(function.Arguments);
        if (count == 0) {
            if (Take('(') && !Take(')')) return std::nullopt;
            return Call(function, {});
        }
        if (!Take('(')) return std::nullopt;
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0 && !Take(',')) return std::nullopt;
            Parsed argument = Sum();
            if (!argument) return std::nullopt;
            arguments.push_back(std::move(*argument));
        }
        return Take(')') ? Call(function, std::move(arguments)) : std::nullopt;
    }

    TextView f_;
    const CellKindLookup& kindOf_;
    std::size_t at_ = 0;
    int depth_ = 0;
};

// ---- The spreadsheets' language ------------------------------------------

class ForeignParser {
public:
    ForeignParser(std::string_view formula, FormulaDialect dialect, const CellKindLookup& kindOf, Int rowShift,
                  Int columnShift, const FunctionPair* pattern = nullptr)
        : f_(formula), dialect_(dialect), kindOf_(kindOf), rowShift_(rowShift), columnShift_(columnShift),
          pattern_(pattern) {}

    Parsed Whole() {
        Skip();
        Parsed node = Compared();
        Skip();
        if (!node || at_ != f_.size()) return std::nullopt;
        return node;
    }

private:
    char Peek() const { return at_ < f_.size() ? f_[at_] : '\0'; }
    void Skip() {
        while (Peek() == ' ' || Peek() == '\n' || Peek() == '\r' || Peek() == '\t') ++at_;
    }
    bool Take(char c) {
        Skip();
        if (Peek() != c) return false;
        ++at_;
        Skip();
        return true;
    }
    char Separator() const { return dialect_ == FormulaDialect::Excel ? ',' : ';'; }

    // Only the expressions that stand for ours use comparisons (in IF):
    // theirs give truth values where ours give 1 and 0.
    Parsed Compared() {
        Parsed left = Joined();
        Skip();
        if (!left || (Peek() != '<' && Peek() != '>') || (at_ + 1 < f_.size() && (f_[at_ + 1] == '=' || f_[at_ + 1] == '>')))
            return left;
        const char op = f_[at_++];
        Parsed right = Joined();
        return right ? Binary(op, std::move(*left), std::move(*right)) : std::nullopt;
    }

    Parsed Joined() {
        if (++depth_ > MaxDepth) return std::nullopt;
        Parsed left = Sum();
        while (left && Take('&')) {
            Parsed right = Sum();
            if (!right) return std::nullopt;
            left = Binary('&', std::move(*left), std::move(*right));
        }
        --depth_;
        return left;
    }

    Parsed Sum() {
        Parsed left = Product();
        while (left) {
            Skip();
            const char op = Peek();
            if (op != '+' && op != '-') break;
            ++at_;
            Skip();
            Parsed right = Product();
            if (!right) return std::nullopt;
            left = Binary(op, std::move(*left), std::move(*right));
        }
        return left;
    }

    Parsed Product() {
        Parsed left = Power();
        while (left) {
            Skip();
            const char op = Peek();
            if (op != '*' && op != '/') break;
            ++at_;
            Skip();
            Parsed right = Power();
            if (!right) return std::nullopt;
            left = Binary(op, std::move(*left), std::move(*right));
        }
        return left;
    }

    // Excel reads 2^3^2 as (2^3)^2, Gnumeric as 2^(3^2): a chain without
    // parentheses means no one thing.
    Parsed Power() {
        Parsed left = Unary();
        if (left && Take('^')) {
            Parsed right = Unary();
            if (!right || (Skip(), Peek() == '^')) return std::nullopt;
            left = Binary('^', std::move(*left), std::move(*right));
        }
        return left;
    }

    // Signs bind closer than "^" in both dialects, as here: -2^2 is 4.
    Parsed Unary() {
        Skip();
        if (Peek() == '+') {
            ++at_;
            return ++depth_ > MaxDepth ? std::nullopt : Unary();
        }
        if (Peek() != '-') return Primary();
        ++at_;
        if (++depth_ > MaxDepth) return std::nullopt;
        Parsed operand = Unary();
        return operand ? Negate(std::move(*operand)) : std::nullopt;
    }

    Parsed Primary() {
        Skip();
        const char c = Peek();
        Parsed node;
        if ((c >= '0' && c <= '9') || c == '.')
            node = Numeral();
        else if (c == '"')
            node = Literal();
        else if (c == '(') {
            ++at_;
            node = Compared();
            if (node && !Take(')')) node.reset();
            if (node) node->Parenthesized = true;
        } else if (c == '%' && pattern_ && at_ + 1 < f_.size()) {
            const int number = f_[at_ + 1] - '0';
            at_ += 2;
            const char kind = number >= 1 && number <= 4 ? pattern_->Arguments[number - 1] : 'R';
            node = Leaf(NodeKind::Placeholder, kind == 'T' ? Type::Text : Type::Number);
            node->Row = number;
        } else if (c == '[' && dialect_ == FormulaDialect::OpenDocument)
            node = BracketReference();
        else
            node = Name();
        Skip();
        // A percent sign, a range or another sheet: nothing of ours says it.
        if (Peek() == '%' || Peek() == ':' || Peek() == '!') return std::nullopt;
        return node;
    }

    Parsed Numeral() {
        const std::size_t start = at_;
        while ((Peek() >= '0' && Peek() <= '9') || Peek() == '.') ++at_;
        if (Peek() == 'e' || Peek() == 'E') {
            ++at_;
            if (Peek() == '+' || Peek() == '-') ++at_;
            while (Peek() >= '0' && Peek() <= '9') ++at_;
        }
        Node node = Leaf(NodeKind::Number);
        const char* first = f_.data() + start;
        const char* last = f_.data() + at_;
        const auto [end, error] = std::from_chars(first, last, node.Number);
        if (error != std::errc() || end != last || !std::isfinite(node.Number)) return std::nullopt;
        return node;
    }

    // Ours cannot hold a quote inside a string.
    Parsed Literal() {
        const std::size_t start = ++at_;
        while (at_ < f_.size() && f_[at_] != '"') ++at_;
        if (at_ == f_.size() || (at_ + 1 < f_.size() && f_[at_ + 1] == '"')) return std::nullopt;
        Node node = Leaf(NodeKind::String, Type::Text);
        node.Utf8 = std::string(f_.substr(start, at_ - start));
        ++at_;
        return node;
    }

    Parsed Name() {
        const std::size_t start = at_;
        const auto nameCharacter = [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                   c == '.' || c == '$';
        };
        while (nameCharacter(Peek())) ++at_;
        const std::string_view name = f_.substr(start, at_ - start);
        if (name.empty()) return std::nullopt;
        Skip();
        if (Peek() == '(') return Function(Upper(name));
        return dialect_ == FormulaDialect::Excel ? CellName(name) : std::nullopt;
    }

    // "[.C2]" or "[.$C$2]"; another sheet's or a range is not ours.
    Parsed BracketReference() {
        const std::size_t close = f_.find(']', at_);
        if (close == std::string_view::npos) return std::nullopt;
        const std::string_view inside = f_.substr(at_ + 1, close - at_ - 1);
        at_ = close + 1;
        if (inside.size() < 2 || inside[0] != '.' || inside.find_first_of(":.", 1) != std::string_view::npos)
            return std::nullopt;
        return CellName(inside.substr(1));
    }

    // "C2", "$C$2": a dollar keeps its part where a shared formula moves.
    Parsed CellName(std::string_view name) {
        std::size_t i = 0;
        const bool fixedColumn = i < name.size() && name[i] == '$';
        if (fixedColumn) ++i;
        const std::size_t letters = i;
        while (i < name.size() && ((name[i] >= 'A' && name[i] <= 'Z') || (name[i] >= 'a' && name[i] <= 'z'))) ++i;
        const Int column = ColumnFromLetters(name.substr(letters, i - letters));
        const bool fixedRow = i < name.size() && name[i] == '$';
        if (fixedRow) ++i;
        const std::size_t digits = i;
        while (i < name.size() && name[i] >= '0' && name[i] <= '9') ++i;
        if (column == 0 || i != name.size() || i == digits || i - digits > 7) return std::nullopt;
        const Int row = std::stoll(std::string(name.substr(digits)));
        return Reference(row + (fixedRow ? 0 : rowShift_), column + (fixedColumn ? 0 : columnShift_), kindOf_);
    }

    Parsed Function(const std::string& name) {
        ++at_;  // "("
        std::vector<Node> arguments;
        Skip();
        if (Peek() != ')') {
            for (;;) {
                Parsed argument = Compared();
                if (!argument) return std::nullopt;
                arguments.push_back(std::move(*argument));
                if (Take(Separator())) continue;
                break;
            }
        }
        if (!Take(')')) return std::nullopt;
        if (name == "PI" && arguments.empty()) return Leaf(NodeKind::Pi);
        if (name == "POWER" && arguments.size() == 2)
            return Binary('^', std::move(arguments[0]), std::move(arguments[1]));
        if (const FunctionPair* function = TheirFunction(name)) return Call(*function, std::move(arguments));
        // Without a partner: it may be part of what stands for one of ours.
        Node node = Leaf(NodeKind::Call);
        node.Utf8 = name;
        node.Arguments = std::move(arguments);
        return node;
    }

    std::string_view f_;
    FormulaDialect dialect_;
    const CellKindLookup& kindOf_;
    Int rowShift_, columnShift_;
    const FunctionPair* pattern_;
    std::size_t at_ = 0;
    int depth_ = 0;
};

// ---- Theirs folded back into ours -----------------------------------------

bool Same(const Node& a, const Node& b) {
    if (a.Kind != b.Kind || a.Number != b.Number || a.Utf8 != b.Utf8 || a.Row != b.Row || a.Column != b.Column ||
        a.Operator != b.Operator || a.Function != b.Function || a.Arguments.size() != b.Arguments.size())
        return false;
    for (std::size_t i = 0; i < a.Arguments.size(); ++i)
        if (!Same(a.Arguments[i], b.Arguments[i])) return false;
    return true;
}

bool Matches(const Node& pattern, const Node& node, std::vector<const Node*>& bound) {
    if (pattern.Kind == NodeKind::Placeholder) {
        const Node*& slot = bound[static_cast<std::size_t>(pattern.Row)];
        if (slot) return Same(*slot, node);
        if (node.ValueType != pattern.ValueType) return false;
        slot = &node;
        return true;
    }
    if (pattern.Kind != node.Kind || pattern.Number != node.Number || pattern.Utf8 != node.Utf8 ||
        pattern.Operator != node.Operator || pattern.Function != node.Function ||
        pattern.Arguments.size() != node.Arguments.size())
        return false;
    for (std::size_t i = 0; i < pattern.Arguments.size(); ++i)
        if (!Matches(pattern.Arguments[i], node.Arguments[i], bound)) return false;
    return true;
}

// The expressions that stand for ours, as trees; the longest first, so that
// Round is found before the 10^x inside it.
const std::vector<std::pair<const FunctionPair*, Node>>& Patterns() {
    static const std::vector<std::pair<const FunctionPair*, Node>> patterns = [] {
        std::vector<std::pair<const FunctionPair*, Node>> list;
        const CellKindLookup none;
        for (const FunctionPair& pair : Pairs) {
            if (pair.Theirs) continue;
            Parsed tree = ForeignParser(pair.Expression, FormulaDialect::OpenDocument, none, 0, 0, &pair).Whole();
            if (tree) list.emplace_back(&pair, std::move(*tree));
        }
        std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
            return std::strlen(a.first->Expression) > std::strlen(b.first->Expression);
        });
        return list;
    }();
    return patterns;
}

// What this program wrote out for one of its functions (always in
// parentheses of its own) becomes that function again, so that a round
// trip gives back the formula as it was.
void Fold(Node& node) {
    // Ours "\\" goes out as (TRUNC((a)/(b))).
    if (node.Parenthesized && node.Kind == NodeKind::Call && node.Function && node.Function->Theirs == std::string("TRUNC")) {
        Node& inner = node.Arguments[0];
        if (inner.Kind == NodeKind::Binary && inner.Operator == '/' && inner.Arguments[0].Parenthesized &&
            inner.Arguments[1].Parenthesized && inner.Parenthesized == false) {
            Node quotient = std::move(inner);
            quotient.Operator = '\\';
            node = std::move(quotient);
        }
    }
    if (node.Parenthesized) {
        for (const auto& [pair, pattern] : Patterns()) {
            std::vector<const Node*> bound(5, nullptr);
            if (!Matches(pattern, node, bound)) continue;
            std::vector<Node> arguments;
            for (std::size_t i = 1; i <= std::strlen(pair->Arguments); ++i) arguments.push_back(*bound[i]);
            if (Parsed call = Call(*pair, std::move(arguments))) {
                node = std::move(*call);
                break;
            }
        }
    }
    for (Node& argument : node.Arguments) Fold(argument);
}

// Theirs without a partner here, and comparisons, that no expression of
// ours took up.
bool OursCanSay(const Node& node) {
    if ((node.Kind == NodeKind::Call && !node.Function) || node.Kind == NodeKind::Placeholder ||
        (node.Kind == NodeKind::Binary && (node.Operator == '<' || node.Operator == '>')))
        return false;
    for (const Node& argument : node.Arguments)
        if (!OursCanSay(argument)) return false;
    return true;
}

// ---- Writing --------------------------------------------------------------

int Precedence(const Node& node) {
    if (node.Kind == NodeKind::Negate) return 4;
    if (node.Kind != NodeKind::Binary) return 5;
    switch (node.Operator) {
        case '&': return 0;
        case '+':
        case '-': return 1;
        case '^': return 3;
        default: return 2;
    }
}

// The shortest digits that read back as the same number, with a point.
std::string NumberDigits(double value, bool upperExponent) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string digits(buffer, result.ptr);
    if (upperExponent)
        for (char& c : digits)
            if (c == 'e') c = 'E';
    return digits;
}

class Writer {
public:
    // foreign: the dialect's language; otherwise ours.
    Writer(bool foreign, FormulaDialect dialect) : foreign_(foreign), dialect_(dialect) {}

    std::string Write(const Node& node) {
        switch (node.Kind) {
            case NodeKind::Number: return NumberDigits(node.Number, foreign_);
            case NodeKind::String: return "\"" + node.Utf8 + "\"";
            case NodeKind::Pi: return foreign_ ? "PI()" : Utf8(char32_t{PiCharacter});
            case NodeKind::Reference: return ReferenceText(node);
            case NodeKind::Negate: return "-" + Operand(node.Arguments[0], Precedence(node), false);
            case NodeKind::Binary: return BinaryText(node);
            case NodeKind::Call: return CallText(node);
            case NodeKind::Placeholder: break;  // only in patterns, never written
        }
        return {};
    }

private:
    std::string ReferenceText(const Node& node) const {
        if (!foreign_) return "Z" + std::to_string(node.Row) + "S" + std::to_string(node.Column);
        const std::string name = ColumnLetters(node.Column) + std::to_string(node.Row);
        return dialect_ == FormulaDialect::Excel ? name : "[." + name + "]";
    }

    // In parentheses where the other side would otherwise group it anew.
    std::string Operand(const Node& node, int parent, bool right) {
        const int own = Precedence(node);
        const bool bracket = own < parent || (right && own == parent) || (parent == 3 && own >= 3 && own <= 4) ||
                             (parent == 4 && own <= 4);
        const std::string text = Write(node);
        return bracket ? "(" + text + ")" : text;
    }

    std::string BinaryText(const Node& node) {
        const int own = Precedence(node);
        const std::string left = Operand(node.Arguments[0], own, false);
        const std::string right = Operand(node.Arguments[1], own, true);
        if (node.Operator == '\\') return foreign_ ? "(TRUNC((" + left + ")/(" + right + ")))" : left + "\\" + right;
        const char op = node.Operator == '&' && !foreign_ ? '+' : node.Operator;
        return left + op + right;
    }

    std::string CallText(const Node& node) {
        const FunctionPair& f = *node.Function;
        std::vector<std::string> arguments;
        for (const Node& argument : node.Arguments) arguments.push_back(Write(argument));
        const char separator = !foreign_ || dialect_ == FormulaDialect::Excel ? ',' : ';';
        if (!foreign_ || f.Theirs) {
            std::string text = foreign_ ? f.Theirs : f.Ours;
            if (arguments.empty()) return text;
            text += "(";
            for (std::size_t i = 0; i < arguments.size(); ++i) text += (i ? std::string(1, separator) : "") + arguments[i];
            return text + ")";
        }
        // Ours written out: the separators first, then the arguments, which
        // may hold a ";" of their own inside a string.
        std::string pattern = f.Expression;
        for (char& c : pattern)
            if (c == ';') c = separator;
        std::string text;
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            if (pattern[i] == '%' && i + 1 < pattern.size()) {
                text += arguments[static_cast<std::size_t>(pattern[++i] - '1')];
            } else {
                text += pattern[i];
            }
        }
        return "(" + text + ")";
    }

    bool foreign_;
    FormulaDialect dialect_;
};

}  // namespace

const std::vector<FunctionPair>& FunctionPairs() { return Pairs; }

std::string ColumnLetters(Int column) {
    std::string letters;
    for (; column > 0; column = (column - 1) / 26) letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
    return letters;
}

Int ColumnFromLetters(std::string_view letters) {
    if (letters.empty() || letters.size() > 3) return 0;
    Int column = 0;
    for (const char c : letters) {
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
        if (upper < 'A' || upper > 'Z') return 0;
        column = column * 26 + (upper - 'A' + 1);
    }
    return column;
}

namespace {

// A quick look before the parse: an operator or a name that nothing of
// theirs says rules the formula out at once (a whole sheet of such formulas
// is written in the time of its values).
bool MaySayOurs(TextView formula) {
    for (std::size_t i = 1; i < formula.size();) {
        const UInt8 c = formula[i];
        if (c == QuoteCharacter) {
            while (++i < formula.size() && formula[i] != QuoteCharacter) {
            }
            ++i;
            continue;
        }
        if (c == '<' || c == '>' || c == '=' || c == '!' || c == '#' || c == '&' || c == '|' || c == '~' || c == '%')
            return false;
        if (IsDigit(c) || c == '.') {  // a numeral, its exponent too
            while (i < formula.size() && (IsDigit(formula[i]) || formula[i] == '.')) ++i;
            if (i < formula.size() && (formula[i] == 'e' || formula[i] == 'E')) {
                ++i;
                if (i < formula.size() && (formula[i] == '+' || formula[i] == '-')) ++i;
            }
            continue;
        }
        if (!parser_IsNameStart(c)) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < formula.size() && parser_IsNameCharacter(formula[i])) ++i;
        if (i < formula.size() && formula[i] == '$') ++i;
        const TextView name = formula.subspan(start, i - start);
        const std::string_view letters(reinterpret_cast<const char*>(name.data()), name.size());
        if (!OurFunction(letters) && CellIndexFromAddress(name) < 0) return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> FormulaToForeign(TextView formula, FormulaDialect dialect, const CellKindLookup& kindOf) {
    if (formula.empty() || formula[0] != '=' || !MaySayOurs(formula)) return std::nullopt;
    const Parsed node = OurParser(formula.subspan(1), kindOf).Whole();
    if (!node) return std::nullopt;
    const std::string text = Writer(true, dialect).Write(*node);
    return (dialect == FormulaDialect::Excel ? "=" : "of:=") + text;
}

std::optional<Text> FormulaFromForeign(std::string_view formula, FormulaDialect dialect, const CellKindLookup& kindOf,
                                       Int rowShift, Int columnShift) {
    if (formula.starts_with("of:=")) {
        formula.remove_prefix(4);
    } else if (formula.starts_with("msoxl:=")) {
        formula.remove_prefix(7);
        dialect = FormulaDialect::Excel;
    } else if (formula.starts_with("=")) {
        formula.remove_prefix(1);
    } else if (dialect == FormulaDialect::OpenDocument) {
        return std::nullopt;
    }
    Parsed node = ForeignParser(formula, dialect, kindOf, rowShift, columnShift).Whole();
    if (!node) return std::nullopt;
    Fold(*node);
    if (!OursCanSay(*node)) return std::nullopt;
    return CalculationCodes("=" + Writer(false, dialect).Write(*node));
}
