// The filter-expression language of TDataSet::Filter.
#include "platform/data/DBFilter.h"

#include <cctype>
#include <cstdlib>

namespace dbfilter {

namespace {

// --- Tokens.

enum class Tok { End, Name, String, Number, Op };

struct Token {
  Tok kind = Tok::End;
  std::string text;      // the name (brackets removed), the string (quotes undone), the operator
  bool bracketed = false;  // [name]: never a keyword
};

bool isNameStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool isNameChar(unsigned char c) { return isNameStart(c) || std::isdigit(c) || c == '.' || c == '$'; }

std::vector<Token> tokenize(const std::string& s, TDataSet* ds) {
  std::vector<Token> out;
  size_t i = 0, n = s.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c <= ' ') {
      ++i;
      continue;
    }
    Token t;
    if (c == '\'' || c == '"') {
      // Quoted text; the quote doubled stands for itself.
      char q = static_cast<char>(c);
      ++i;
      bool closed = false;
      while (i < n) {
        if (s[i] == q) {
          if (i + 1 < n && s[i + 1] == q) {
            t.text += q;
            i += 2;
            continue;
          }
          ++i;
          closed = true;
          break;
        }
        t.text += s[i++];
      }
      if (!closed) DatabaseError(SExprStringError, ds);
      t.kind = Tok::String;
    } else if (c == '[') {
      size_t close = s.find(']', i + 1);
      if (close == std::string::npos) DatabaseError(SExprNameError, ds);
      t.kind = Tok::Name;
      t.text = s.substr(i + 1, close - i - 1);
      t.bracketed = true;
      i = close + 1;
    } else if (std::isdigit(c) || (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
      size_t start = i;
      while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
      if (i < n && s[i] == '.') {
        ++i;
        while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
      }
      if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        size_t save = i++;
        if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
        if (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) {
          while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
        } else {
          i = save;
        }
      }
      t.kind = Tok::Number;
      t.text = s.substr(start, i - start);
    } else if (isNameStart(c)) {
      size_t start = i;
      while (i < n && isNameChar(static_cast<unsigned char>(s[i]))) ++i;
      t.kind = Tok::Name;
      t.text = s.substr(start, i - start);
    } else {
      static const char* const twoChar[] = {"<>", "<=", ">=", "!="};
      t.kind = Tok::Op;
      for (const char* op : twoChar)
        if (s.compare(i, 2, op) == 0) t.text = op;
      if (t.text == "!=") t.text = "<>";
      if (t.text.empty()) {
        if (std::string("=<>()+-*/,").find(static_cast<char>(c)) == std::string::npos)
          DatabaseErrorFmt(SExprInvalidChar, {std::string(1, static_cast<char>(c))}, ds);
        t.text = std::string(1, static_cast<char>(c));
        ++i;
      } else {
        i += 2;
      }
    }
    out.push_back(std::move(t));
  }
  out.push_back(Token{});
  return out;
}

enum class Tri { False, True, Unknown };

Tri fromBool(bool b) { return b ? Tri::True : Tri::False; }

bool isTextField(const TField* f) {
  return dynamic_cast<const TStringField*>(f) || dynamic_cast<const TMemoField*>(f);
}

bool isDateField(const TField* f) {
  return dynamic_cast<const TDateTimeField*>(f) || dynamic_cast<const TSQLTimeStampField*>(f);
}

bool isNumberField(const TField* f) { return dynamic_cast<const TNumericField*>(f) != nullptr; }

}  // namespace

// --- Nodes.

struct Expression::Node {
  enum Kind { Const, FieldRef, Compare, Like, Between, In, IsNull, And, Or, Not, Arith, Negate };
  Kind kind;
  Variant value;            // Const
  TField* field = nullptr;  // FieldRef
  std::string op;           // Compare: = <> < <= > >=; Arith: + - * /
  bool negated = false;     // NOT LIKE, NOT BETWEEN, NOT IN, IS NOT NULL
  bool partial = false;     // Compare = / <> of a text field with 'text*'
  std::vector<std::unique_ptr<Node>> kids;

  explicit Node(Kind k) : kind(k) {}
};

using NodePtr = std::unique_ptr<Expression::Node>;

namespace {

NodePtr makeNode(Expression::Node::Kind k) { return std::make_unique<Expression::Node>(k); }

class Parser {
public:
  Parser(const std::string& text, TDataSet* ds) : toks_(tokenize(text, ds)), ds_(ds) {}

  NodePtr parse() {
    NodePtr root = parseOr();
    if (peek().kind != Tok::End) DatabaseError(SExprTermination, ds_);
    return root;
  }

private:
  const Token& peek() const { return toks_[pos_]; }
  void next() {
    if (pos_ + 1 < toks_.size()) ++pos_;
  }
  bool isKeyword(const char* word) const {
    const Token& t = peek();
    return t.kind == Tok::Name && !t.bracketed && SameText(t.text, word);
  }
  bool isOp(const char* op) const { return peek().kind == Tok::Op && peek().text == op; }
  std::string describe() const {
    const Token& t = peek();
    if (t.kind == Tok::End) return SExprNothing;
    return "'" + t.text + "'";
  }
  [[noreturn]] void expected() const { DatabaseErrorFmt(SExprExpected, {describe()}, ds_); }

  NodePtr binary(Expression::Node::Kind k, NodePtr l, NodePtr r) {
    NodePtr n = makeNode(k);
    n->kids.push_back(std::move(l));
    n->kids.push_back(std::move(r));
    return n;
  }

  NodePtr parseOr() {
    NodePtr l = parseAnd();
    while (isKeyword("OR")) {
      next();
      l = binary(Expression::Node::Or, std::move(l), parseAnd());
    }
    return l;
  }

  NodePtr parseAnd() {
    NodePtr l = parseNot();
    while (isKeyword("AND")) {
      next();
      l = binary(Expression::Node::And, std::move(l), parseNot());
    }
    return l;
  }

  NodePtr parseNot() {
    if (isKeyword("NOT")) {
      next();
      NodePtr n = makeNode(Expression::Node::Not);
      n->kids.push_back(parseNot());
      return n;
    }
    return parsePredicate();
  }

  NodePtr parsePredicate() {
    NodePtr l = parseAdditive();
    static const char* const compareOps[] = {"=", "<>", "<", "<=", ">", ">="};
    for (const char* op : compareOps) {
      if (!isOp(op)) continue;
      next();
      if (isKeyword("NULL")) {
        // "X = NULL" and "X <> NULL" test for null; no other comparison with NULL means anything.
        if (std::string(op) != "=" && std::string(op) != "<>") DatabaseError(SExprBadNullTest, ds_);
        next();
        NodePtr n = makeNode(Expression::Node::IsNull);
        n->negated = std::string(op) == "<>";
        n->kids.push_back(std::move(l));
        return n;
      }
      NodePtr n = binary(Expression::Node::Compare, std::move(l), parseAdditive());
      n->op = op;
      coerce(*n);
      return n;
    }
    if (isKeyword("IS")) {
      next();
      NodePtr n = makeNode(Expression::Node::IsNull);
      if (isKeyword("NOT")) {
        n->negated = true;
        next();
      }
      if (!isKeyword("NULL")) expected();
      next();
      n->kids.push_back(std::move(l));
      return n;
    }
    bool negated = false;
    if (isKeyword("NOT")) {
      negated = true;
      next();
    }
    if (isKeyword("LIKE")) {
      next();
      NodePtr n = binary(Expression::Node::Like, std::move(l), parseAdditive());
      n->negated = negated;
      return n;
    }
    if (isKeyword("BETWEEN")) {
      next();
      NodePtr n = makeNode(Expression::Node::Between);
      n->negated = negated;
      n->kids.push_back(std::move(l));
      n->kids.push_back(parseAdditive());
      if (!isKeyword("AND")) expected();
      next();
      n->kids.push_back(parseAdditive());
      coerce(*n);
      return n;
    }
    if (isKeyword("IN")) {
      next();
      if (!isOp("(")) expected();
      next();
      NodePtr n = makeNode(Expression::Node::In);
      n->negated = negated;
      n->kids.push_back(std::move(l));
      n->kids.push_back(parseAdditive());
      while (isOp(",")) {
        next();
        n->kids.push_back(parseAdditive());
      }
      if (!isOp(")")) DatabaseErrorFmt(SExprNoRParen, {describe()}, ds_);
      next();
      coerce(*n);
      return n;
    }
    if (negated) expected();
    return l;
  }

  NodePtr parseAdditive() {
    NodePtr l = parseTerm();
    while (isOp("+") || isOp("-")) {
      std::string op = peek().text;
      next();
      l = binary(Expression::Node::Arith, std::move(l), parseTerm());
      l->op = op;
    }
    return l;
  }

  NodePtr parseTerm() {
    NodePtr l = parseUnary();
    while (isOp("*") || isOp("/")) {
      std::string op = peek().text;
      next();
      l = binary(Expression::Node::Arith, std::move(l), parseUnary());
      l->op = op;
    }
    return l;
  }

  NodePtr parseUnary() {
    if (isOp("-")) {
      next();
      NodePtr n = makeNode(Expression::Node::Negate);
      n->kids.push_back(parseUnary());
      return n;
    }
    if (isOp("+")) {
      next();
      return parseUnary();
    }
    return parsePrimary();
  }

  NodePtr parsePrimary() {
    const Token& t = peek();
    switch (t.kind) {
      case Tok::Number: {
        NodePtr n = makeNode(Expression::Node::Const);
        Int64 i = 0;
        if (t.text.find_first_of(".eE") == std::string::npos && TryStrToInt64(t.text, i))
          n->value = Variant(static_cast<long long>(i));
        else
          n->value = Variant(std::strtod(t.text.c_str(), nullptr));
        next();
        return n;
      }
      case Tok::String: {
        NodePtr n = makeNode(Expression::Node::Const);
        n->value = Variant(t.text);
        next();
        return n;
      }
      case Tok::Name: {
        if (!t.bracketed && (SameText(t.text, "TRUE") || SameText(t.text, "FALSE"))) {
          NodePtr n = makeNode(Expression::Node::Const);
          n->value = Variant(SameText(t.text, "TRUE"));
          next();
          return n;
        }
        if (!t.bracketed && SameText(t.text, "NULL")) DatabaseError(SExprBadNullTest, ds_);
        static const char* const reserved[] = {"AND", "OR", "NOT", "LIKE", "BETWEEN", "IN", "IS"};
        if (!t.bracketed)
          for (const char* word : reserved)
            if (SameText(t.text, word)) expected();
        NodePtr n = makeNode(Expression::Node::FieldRef);
        n->field = resolve(t.text);
        next();
        return n;
      }
      case Tok::Op:
        if (t.text == "(") {
          next();
          NodePtr inner = parseOr();
          if (!isOp(")")) DatabaseErrorFmt(SExprNoRParen, {describe()}, ds_);
          next();
          return inner;
        }
        expected();
      case Tok::End:
      default:
        expected();
    }
  }

  // A name is a field's name; "Table.Field" (as a field's Origin may read) also finds Field.
  TField* resolve(const std::string& name) {
    if (TField* f = ds_->FindField(name)) return f;
    for (TField* f : ds_->Fields()->List())
      if (!f->Origin().empty() && AnsiSameText(f->Origin(), name)) return f;
    size_t dot = name.rfind('.');
    if (dot != std::string::npos)
      if (TField* f = ds_->FindField(name.substr(dot + 1))) return f;
    return ds_->FieldByName(name);  // raises "Field 'X' not found"
  }

  // Constants beside a field take the field's kind once, here: text beside a number or date
  // field becomes a number or a date (a text that is neither is a type mismatch), and text
  // ending in '*' beside a text field marks a partial comparison.
  void coerce(Expression::Node& n) {
    TField* field = nullptr;
    for (auto& kid : n.kids)
      if (kid->kind == Expression::Node::FieldRef) field = kid->field;
    if (!field) return;
    for (auto& kid : n.kids) {
      if (kid->kind != Expression::Node::Const || !VarIsStr(kid->value)) continue;
      try {
        if (isDateField(field)) kid->value = VarFromDateTime(StrToDateTime(kid->value.AsString()));
        else if (isNumberField(field)) kid->value = Variant(static_cast<double>(StrToFloat(kid->value.AsString())));
        else if (dynamic_cast<TBooleanField*>(field)) kid->value = Variant(kid->value.AsBoolean());
      } catch (const Exception&) {
        DatabaseError(SExprTypeMis, ds_);
      }
    }
    if (n.kind == Expression::Node::Compare && (n.op == "=" || n.op == "<>") && isTextField(field)) {
      for (auto& kid : n.kids)
        if (kid->kind == Expression::Node::Const && VarIsStr(kid->value)) {
          const std::string& s = kid->value.RawString();
          if (!s.empty() && s.back() == '*') n.partial = true;
        }
    }
  }

  std::vector<Token> toks_;
  size_t pos_ = 0;
  TDataSet* ds_;
};

// --- Evaluation.

bool isNullish(const Variant& v) { return v.IsNull() || v.IsEmpty(); }

Variant valueOf(const Expression::Node& n, TFilterOptions options);
Tri truthOf(const Expression::Node& n, TFilterOptions options);

int compareValues(const Variant& a, const Variant& b, bool caseInsensitive) {
  if (VarIsStr(a) && VarIsStr(b)) {
    int c = caseInsensitive ? AnsiCompareText(a.RawString(), b.RawString()) : AnsiCompareStr(a.RawString(), b.RawString());
    return c < 0 ? -1 : c > 0 ? 1 : 0;
  }
  if (a == b) return 0;
  return a < b ? -1 : 1;
}

bool relation(int c, const std::string& op) {
  if (op == "=") return c == 0;
  if (op == "<>") return c != 0;
  if (op == "<") return c < 0;
  if (op == "<=") return c <= 0;
  if (op == ">") return c > 0;
  return c >= 0;
}

Tri compareNode(const Expression::Node& n, TFilterOptions options) {
  Variant a = valueOf(*n.kids[0], options), b = valueOf(*n.kids[1], options);
  if (isNullish(a) || isNullish(b)) return Tri::Unknown;
  bool ci = options.Contains(foCaseInsensitive);
  if (n.partial && !options.Contains(foNoPartialCompare) && VarIsStr(a) && VarIsStr(b)) {
    // The side written as 'text*' is the prefix; the other must start with it.
    bool leftIsPattern = n.kids[0]->kind == Expression::Node::Const;
    std::string prefix = (leftIsPattern ? a : b).AsString();
    prefix.pop_back();
    std::string value = (leftIsPattern ? b : a).AsString();
    if (value.size() > prefix.size()) value.resize(prefix.size());
    bool same = ci ? AnsiSameText(value, prefix) : value == prefix;
    return fromBool(n.op == "=" ? same : !same);
  }
  return fromBool(relation(compareValues(a, b, ci), n.op));
}

Tri truthOf(const Expression::Node& n, TFilterOptions options) {
  using K = Expression::Node;
  try {
    switch (n.kind) {
      case K::Compare: return compareNode(n, options);
      case K::Like: {
        Variant a = valueOf(*n.kids[0], options), p = valueOf(*n.kids[1], options);
        if (isNullish(a) || isNullish(p)) return Tri::Unknown;
        bool m = LikeMatches(a.AsString(), p.AsString(), options.Contains(foCaseInsensitive));
        return fromBool(m != n.negated);
      }
      case K::Between: {
        Variant a = valueOf(*n.kids[0], options), lo = valueOf(*n.kids[1], options), hi = valueOf(*n.kids[2], options);
        if (isNullish(a) || isNullish(lo) || isNullish(hi)) return Tri::Unknown;
        bool ci = options.Contains(foCaseInsensitive);
        bool in = compareValues(lo, a, ci) <= 0 && compareValues(a, hi, ci) <= 0;
        return fromBool(in != n.negated);
      }
      case K::In: {
        Variant a = valueOf(*n.kids[0], options);
        if (isNullish(a)) return Tri::Unknown;
        bool sawNull = false;
        for (size_t i = 1; i < n.kids.size(); ++i) {
          Variant item = valueOf(*n.kids[i], options);
          if (isNullish(item)) {
            sawNull = true;
            continue;
          }
          if (compareValues(a, item, options.Contains(foCaseInsensitive)) == 0) return fromBool(!n.negated);
        }
        return sawNull ? Tri::Unknown : fromBool(n.negated);
      }
      case K::IsNull: return fromBool(isNullish(valueOf(*n.kids[0], options)) != n.negated);
      case K::And: {
        Tri l = truthOf(*n.kids[0], options);
        if (l == Tri::False) return Tri::False;
        Tri r = truthOf(*n.kids[1], options);
        if (r == Tri::False) return Tri::False;
        return l == Tri::True && r == Tri::True ? Tri::True : Tri::Unknown;
      }
      case K::Or: {
        Tri l = truthOf(*n.kids[0], options);
        if (l == Tri::True) return Tri::True;
        Tri r = truthOf(*n.kids[1], options);
        if (r == Tri::True) return Tri::True;
        return l == Tri::False && r == Tri::False ? Tri::False : Tri::Unknown;
      }
      case K::Not: {
        Tri t = truthOf(*n.kids[0], options);
        return t == Tri::Unknown ? Tri::Unknown : fromBool(t == Tri::False);
      }
      default: {
        Variant v = valueOf(n, options);
        if (isNullish(v)) return Tri::Unknown;
        return fromBool(v.AsBoolean());
      }
    }
  } catch (const EVariantError&) {
    // A value that cannot take the other side's kind matches nothing.
    return Tri::Unknown;
  } catch (const EConvertError&) {
    return Tri::Unknown;
  } catch (const EMathError&) {
    return Tri::Unknown;
  }
}

Variant valueOf(const Expression::Node& n, TFilterOptions options) {
  using K = Expression::Node;
  switch (n.kind) {
    case K::Const: return n.value;
    case K::FieldRef: return n.field->Value();
    case K::Negate: return -valueOf(*n.kids[0], options);
    case K::Arith: {
      Variant a = valueOf(*n.kids[0], options), b = valueOf(*n.kids[1], options);
      if (n.op == "+") return a + b;
      if (n.op == "-") return a - b;
      if (n.op == "*") return a * b;
      return a / b;
    }
    default: {
      Tri t = truthOf(n, options);
      return t == Tri::Unknown ? Null() : Variant(t == Tri::True);
    }
  }
}

}  // namespace

Expression::~Expression() = default;

std::shared_ptr<Expression> Expression::Compile(const std::string& text, TDataSet* dataSet) {
  auto e = std::make_shared<Expression>();
  Parser parser(text, dataSet);
  e->root_ = parser.parse();
  return e;
}

bool Expression::Accepts(TFilterOptions options) const {
  return !root_ || truthOf(*root_, options) == Tri::True;
}

bool LikeMatches(const std::string& text, const std::string& pattern, bool caseInsensitive) {
  std::string t = caseInsensitive ? AnsiUpperCase(text) : text;
  std::string p = caseInsensitive ? AnsiUpperCase(pattern) : pattern;
  // Greedy matching with backtracking to the last any-text wildcard.
  size_t ti = 0, pi = 0, starP = std::string::npos, starT = 0;
  while (ti < t.size()) {
    if (pi < p.size() && (p[pi] == '%' || p[pi] == '*')) {
      starP = pi++;
      starT = ti;
    } else if (pi < p.size() && (p[pi] == '_' || p[pi] == t[ti])) {
      ++pi;
      ++ti;
    } else if (starP != std::string::npos) {
      pi = starP + 1;
      ti = ++starT;
    } else {
      return false;
    }
  }
  while (pi < p.size() && (p[pi] == '%' || p[pi] == '*')) ++pi;
  return pi == p.size();
}

}  // namespace dbfilter
