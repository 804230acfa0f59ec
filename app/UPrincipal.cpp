#include "app/UPrincipal.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "cx/foundation/cxClasses.h"
#include "platform/rtl/Scoped.h"
#include "platform/rtl/SysUtils.h"

namespace {

// Start values of the searches: a node splits only on a cut below kNodeStart; an attribute's
// search keeps a candidate only below kAttributeStart; an evaluation that cannot be made
// keeps kNoCriterion, which neither start value accepts.
constexpr double kNodeStart = 9999999.0;
constexpr double kAttributeStart = 99999999.0;
constexpr double kNoCriterion = 99999999999.0;

tRegContexto rootContext() {
  tRegContexto c;
  c.Estratos = 2;
  return c;
}

bool isTextLike(const Variant& v) {
  TVarType t = VarType(v) & varTypeMask;
  return t == varString || t == varByte || t == varOleStr;
}

bool isNumeric(const Variant& v) {
  switch (VarType(v) & varTypeMask) {
    case varDouble: case varCurrency: case varInteger: case varSmallint: case varShortInt:
    case varWord: case varLongWord: case varInt64: case varSingle:
      return true;
    default:
      return false;
  }
}

// A data value as the inside of an SQL string literal: its quotes doubled, so a value such as
// O'Brien is compared like any other instead of breaking the query.
std::string sqlLiteral(const std::string& s) { return StringReplace(s, "'", "''", {rfReplaceAll}); }

// Words the engine reads as part of the statement rather than as a name: SQL keywords, and the
// words it gives a meaning of its own (True, False, Mod).
bool isReservedWord(const std::string& Name) {
  static const char* const kWords[] = {
      "ABORT", "ACTION", "ADD", "AFTER", "ALL", "ALTER", "ALWAYS", "ANALYZE", "AND", "ANY", "AS", "ASC", "ATTACH",
      "AUTOINCREMENT", "BEFORE", "BEGIN", "BETWEEN", "BY", "CASCADE", "CASE", "CAST", "CHECK", "COLLATE", "COLUMN",
      "COMMIT", "CONFLICT", "CONSTRAINT", "CREATE", "CROSS", "CURRENT", "CURRENT_DATE", "CURRENT_TIME",
      "CURRENT_TIMESTAMP", "DATABASE", "DEFAULT", "DEFERRABLE", "DEFERRED", "DELETE", "DESC", "DETACH", "DISTINCT",
      "DO", "DROP", "EACH", "ELSE", "END", "ESCAPE", "EXCEPT", "EXCLUDE", "EXCLUSIVE", "EXISTS", "EXPLAIN", "FAIL",
      "FALSE", "FILTER", "FIRST", "FOLLOWING", "FOR", "FOREIGN", "FROM", "FULL", "GENERATED", "GLOB", "GROUP",
      "GROUPS", "HAVING", "IF", "IGNORE", "IMMEDIATE", "IN", "INDEX", "INDEXED", "INITIALLY", "INNER", "INSERT",
      "INSTEAD", "INTERSECT", "INTO", "IS", "ISNULL", "JOIN", "KEY", "LAST", "LEFT", "LIKE", "LIMIT", "MATCH",
      "MATERIALIZED", "MOD", "NATURAL", "NO", "NOT", "NOTHING", "NOTNULL", "NULL", "NULLS", "OF", "OFFSET", "ON",
      "OR", "ORDER", "OTHERS", "OUTER", "OVER", "PARTITION", "PERCENT", "PIVOT", "PLAN", "PRAGMA", "PRECEDING",
      "PRIMARY", "QUERY", "RAISE", "RANGE", "RECURSIVE", "REFERENCES", "REGEXP", "REINDEX", "RELEASE", "RENAME",
      "REPLACE", "RESTRICT", "RETURNING", "RIGHT", "ROLLBACK", "ROW", "ROWS", "SAVEPOINT", "SELECT", "SET", "SOME",
      "TABLE", "TEMP", "TEMPORARY", "THEN", "TIES", "TO", "TOP", "TRANSACTION", "TRANSFORM", "TRIGGER", "TRUE",
      "UNBOUNDED", "UNION", "UNIQUE", "UPDATE", "USING", "VACUUM", "VALUES", "VIEW", "VIRTUAL", "WHEN", "WHERE",
      "WINDOW", "WITH", "WITHOUT"};
  // Sorted once: a run names its table and fields in every one of its thousands of queries.
  static const std::vector<std::string> sorted = [] {
    std::vector<std::string> words(std::begin(kWords), std::end(kWords));
    std::sort(words.begin(), words.end());
    return words;
  }();
  return std::binary_search(sorted.begin(), sorted.end(), UpperCase(Name));
}

// A table or field name as SQL names it: a plain identifier (a letter or '_' first, then
// letters, digits and '_'; not a reserved word) as it is, so the usual queries read as
// always; any other name in brackets, or, when it holds a ']' (which brackets cannot
// enclose), in back quotes with each back quote doubled.
std::string sqlName(const std::string& Name) {
  auto wordStart = [](unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; };
  auto wordChar = [](unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0x80; };
  bool plainName = !Name.empty() && wordStart(static_cast<unsigned char>(Name[0]));
  for (char c : Name) plainName = plainName && wordChar(static_cast<unsigned char>(c));
  if (plainName && !isReservedWord(Name)) return Name;
  if (Name.find(']') == std::string::npos) return "[" + Name + "]";
  return "`" + StringReplace(Name, "`", "``", {rfReplaceAll}) + "`";
}

// The table name typed by the user, without blanks around it: a name already enclosed in
// brackets or back quotes is kept as typed; any other goes through sqlName.
std::string sqlTableName(const std::string& Typed) {
  const std::string t = Trim(Typed);
  if (t.size() >= 2 && t.front() == '[' && t.back() == ']' && t.find(']') == t.size() - 1) return t;
  if (t.size() >= 2 && t.front() == '`' && t.back() == '`') {
    bool closedEarly = false;
    for (size_t i = 1; i + 1 < t.size(); ++i) {
      if (t[i] != '`') continue;
      if (t[i + 1] == '`' && i + 2 < t.size()) ++i;
      else closedEarly = true;
    }
    if (!closedEarly) return t;
  }
  return sqlName(t);
}

bool isDate(const Variant& v) { return (VarType(v) & varTypeMask) == varDate; }

// A date-time as a date literal the engine reads: #yyyy-mm-dd#, with the time of day
// (hh:nn:ss, and .zzz when it has milliseconds) when it is not midnight. The time is rounded
// to the millisecond as the engine does when it turns a literal into a date.
std::string sqlDate(TDateTime Value) {
  double dayPart = std::trunc(Value);
  long long ms = std::llround(std::fabs(Value - dayPart) * 86400000.0);
  if (ms >= 86400000) {
    ms -= 86400000;
    dayPart += Value >= 0 ? 1 : -1;
  }
  Word y = 0, m = 0, d = 0;
  DecodeDate(dayPart, y, m, d);
  char text[48];
  int n = std::snprintf(text, sizeof text, "#%04d-%02d-%02d", int{y}, int{m}, int{d});
  if (ms != 0) {
    n += std::snprintf(text + n, sizeof text - n, " %02d:%02d:%02d", static_cast<int>(ms / 3600000),
                       static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60));
    if (ms % 1000 != 0) n += std::snprintf(text + n, sizeof text - n, ".%03d", static_cast<int>(ms % 1000));
  }
  return std::string(text, static_cast<size_t>(n)) + "#";
}

// A non-text value as it stands in a condition: dates as date literals, the rest in the plain
// variant-to-text conversion ('.' as the decimal separator).
std::string sqlPlainValue(const Variant& v) { return isDate(v) ? sqlDate(v.AsDateTime()) : VarToStr(v); }

// Whether an extra condition holds an SQL comment ("--" or "/*") outside its quoted texts and
// names: a comment would silently swallow the conditions the run appends after it.
bool hasSqlComment(const std::string& Sql) {
  for (size_t i = 0; i < Sql.size(); ++i) {
    const char c = Sql[i];
    if (c == '\'' || c == '"' || c == '[' || c == '`') {
      const char close = c == '[' ? ']' : c;
      size_t end = Sql.find(close, i + 1);
      if (end == std::string::npos) return false;  // an unclosed text: the engine reports it
      i = end;  // a doubled quote reads as two texts side by side, which is the same here
      continue;
    }
    if ((c == '-' && i + 1 < Sql.size() && Sql[i + 1] == '-') || (c == '/' && i + 1 < Sql.size() && Sql[i + 1] == '*'))
      return true;
  }
  return false;
}

std::string plain(double d) { return FloatToStr(d); }

Integer asInteger(const Variant& v) {
  if (VarIsEmpty(v) || VarIsNull(v)) return 0;
  return static_cast<Integer>(std::lround(static_cast<double>(v)));
}

// The child texts of a cut (a text value, a numeric or date value, or a band).
std::string childText(const tRegVar& r, bool First) {
  std::string a = sqlName(VarToStr(r.Campo));
  if (isTextLike(r.Valor)) {
    std::string v = sqlLiteral(VarToStr(r.Valor));
    return First ? "(" + a + " = '" + v + "')" : "(" + a + " <> '" + v + "')";
  }
  std::string lo = sqlPlainValue(r.Valor), hi = sqlPlainValue(r.Limite);
  if (lo == hi) return First ? "(" + a + " <= " + lo + ")" : "(" + a + " > " + lo + ")";
  return First ? "(" + a + " >= " + lo + ") and (" + a + " < " + hi + ")"
               : "(NOT ((" + a + " >= " + lo + " and " + a + " < " + hi + ")))";
}

// A spin editor's value as a 32-bit integer, rounded as the run reads it; false when it is
// no number that fits 32 bits.
bool spinInteger(TcxSpinEdit* Edit, Integer& Result) {
  const Variant v = Edit->Value();
  if (VarIsEmpty(v) || VarIsNull(v)) return false;
  const double d = static_cast<double>(v);
  if (!std::isfinite(d) || d <= -2147483648.5 || d >= 2147483647.5) return false;
  Result = static_cast<Integer>(std::lround(d));
  return true;
}

// Marks a run in progress for as long as it lives.
class RunGuard {
public:
  explicit RunGuard(bool& Flag) : flag_(Flag) { flag_ = true; }
  ~RunGuard() { flag_ = false; }

private:
  bool& flag_;
};

}  // namespace

TFrmPrincipal::TFrmPrincipal(TComponent* AOwner) : TForm(AOwner) {}
TFrmPrincipal::~TFrmPrincipal() = default;

std::unique_ptr<TADOQuery> TFrmPrincipal::openQuery(const std::string& Sql) {
  // Owned by the pointer alone: a run opens tens of thousands of these, and a component the
  // form owned would be announced to each of the form's components as it comes and goes.
  std::unique_ptr<TADOQuery> q(new TADOQuery(nullptr));
  q->SetConnection(Con);
  q->SQL()->Clear();
  q->SQL()->Add(Sql);
  q->Open();
  return q;
}

void TFrmPrincipal::log(const std::string& Line) { mm1->Lines()->Add(Line); }

// ---------------------------------------------------------------------------------------
// The run.

void TFrmPrincipal::BtnGerarEstratoClick(TObject* Sender) {
  if (running_) return;
  std::string refusal = runRefusal();
  if (!refusal.empty()) {
    Application->MessageBox(refusal);
    return;
  }
  RunGuard guard(running_);
  mm1->Lines()->Clear();
  tvArvore->Items()->Clear();
  Aguarde->ShowModeless();
  ScopeExit closeProgress([this] { Aguarde->CloseModeless(); });
  // A run writes tens of thousands of log lines: they reach the memo's window in pieces
  // (whenever something asks the memo, and at the end) instead of one at a time.
  UpdateLock logUpdate(mm1->Lines());
  Aguarde->SetPosition(0);
  ContaRegistros();
  for (Integer i = 0; i < CamposDependentes->Items()->Count(); ++i)
    if (CamposDependentes->Checked(i)) CampoMeta = CamposDependentes->Items()->Strings(i);
  TTreeNode* root = tvArvore->Items()->Add(nullptr, "Início");
  Aguarde->SetPosition(1);
  Integer mandatory = 0;
  for (Integer i = 0; i < CamposObrigatorios->Items()->Count(); ++i) {
    if (!CamposObrigatorios->Checked(i)) continue;
    ++mandatory;
    DivideObrigatorio(root, CamposObrigatorios->Items()->Strings(i), "", rootContext());
  }
  if (mandatory == 0) {
    Aguarde->SetPosition(1);
    CresceNo(clausula->Text(), root, rootContext());
    log("FIM");
    Aguarde->SetText("Montando Resumo ");
    MontaResumo(CampoMeta);
  }
}

std::string TFrmPrincipal::runRefusal() {
  // What to choose first: without a target or an allocation type no query of the run can be
  // built.
  bool target = false;
  for (Integer i = 0; i < CamposDependentes->Items()->Count(); ++i) target = target || CamposDependentes->Checked(i);
  const bool type = GrTipo->ItemIndex() >= 0 && GrTipo->ItemIndex() <= 3;
  if (!target && !type) return "Escolha o atributo meta e o tipo de amostragem.";
  if (!target) return "Escolha o atributo meta.";
  if (!type) return "Escolha o tipo de amostragem.";
  // The numbers the run reads as 32-bit counts. The number of categories matters only when
  // continuous values are cut into categories.
  Integer n = 0;
  if (ckCategoria->Checked() && (!spinInteger(cxCatValoresContinuos, n) || n < 1))
    return "A Quantidade de Categorias deve ser um número inteiro de 1 a 2147483647.";
  if (!spinInteger(cxNiveis, n) || n < 0)
    return "A Quantidade de Caracteristicas deve ser um número inteiro de 0 a 2147483647.";
  if (!spinInteger(cxQtdeMinCasos, n))
    return "A Quantidade Mínima de Casos deve ser um número inteiro de -2147483648 a 2147483647.";
  // The extra condition is used only when no mandatory field is checked.
  bool mandatory = false;
  for (Integer i = 0; i < CamposObrigatorios->Items()->Count(); ++i)
    mandatory = mandatory || CamposObrigatorios->Checked(i);
  if (!mandatory && hasSqlComment(clausula->Text()))
    return "A condição adicional não pode conter comentários SQL (-- ou /*).";
  return std::string();
}

void TFrmPrincipal::ContaRegistros() {
  auto q = openQuery("select count(*) as quantidade from " + sqlTableName(NomeTabela) + " where (1=1) ");
  if (!q->Eof()) TotalRegistros = q->FieldByName("quantidade")->AsInteger();
}

void TFrmPrincipal::DivideObrigatorio(TTreeNode* No, const std::string& Campo, const std::string& Clausula,
                                      tRegContexto Contexto) {
  try {
    const std::string a = sqlName(Campo);
    auto q = openQuery("select distinct(" + a + ") from " + sqlTableName(NomeTabela) + " where (1=1) " + Clausula +
                       " ORDER BY " + a);
    while (!q->Eof()) {
      TField* f = q->FieldByName(Campo);
      std::string value = f->AsString();
      // A null value selects its rows with IS NULL (an empty comparison would be invalid SQL).
      const bool null = f->IsNull();
      TTreeNode* child = tvArvore->Items()->AddChild(
          No, (null ? Campo + " IS NULL" : Campo + "=" + value) + " [Obrigatório]");
      const Variant v = f->AsVariant();
      std::string c = null             ? " and " + a + " IS NULL"
                      : isTextLike(v) ? " and " + a + "='" + sqlLiteral(value) + "'"
                                      : " and " + a + "=" + (isDate(v) ? sqlDate(v.AsDateTime()) : value);
      CresceNo(c, child, Contexto);
      q->Next();
    }
  } catch (Exception& e) {
    Application->MessageBox("Não foi possível abrir a tabela " + e.Message());
  }
}

void TFrmPrincipal::CresceNo(const std::string& Clausula, TTreeNode* No, tRegContexto Contexto) {
  tRegVar best;
  best.Criterio = kNodeStart;
  const Integer level = No->Level();
  for (Integer i = 0; i < CamposIndependentes->Items()->Count(); ++i) {
    if (!CamposIndependentes->Checked(i)) continue;
    std::string attribute = CamposIndependentes->Items()->Strings(i);
    Aguarde->SetPosition(Aguarde->Position() + 5);
    Aguarde->SetText("Calculando campo: " + attribute);
    tRegVar r = BuscaMelhorCorte(attribute, Clausula, Contexto);
    Integer minimum = asInteger(cxQtdeMinCasos->Value());
    if (minimum != 0 && (r.Qtde2 < minimum - level || r.Qtde1 < minimum - level)) continue;
    if (r.Criterio < best.Criterio) best = r;
  }
  // The level limit is applied only now, so the candidates of a node past it are still
  // evaluated and logged.
  if (level > asInteger(cxNiveis->Value())) return;
  if (VarIsEmpty(best.Campo)) return;

  tRegContexto first{best.Qtde2, best.Qtde1, best.Peso2, best.Peso1, best.Criterio, best.Estratos};
  tRegContexto second{best.Qtde1, best.Qtde2, best.Peso1, best.Peso2, best.Criterio, best.Estratos};
  std::string t1 = childText(best, true);
  TTreeNode* child1 = tvArvore->Items()->AddChild(No, t1);
  if (best.Variancia1 != 0.0) CresceNo(Clausula + " AND (" + t1 + ") ", child1, first);
  std::string t2 = childText(best, false);
  TTreeNode* child2 = tvArvore->Items()->AddChild(No, t2);
  if (best.Variancia2 != 0.0) CresceNo(Clausula + " AND " + t2, child2, second);
}

void TFrmPrincipal::PrimeiroValor(const std::string& Campo, const std::string& Clausula, Variant& v) {
  v = Variant();
  const std::string a = sqlName(Campo);
  auto q = openQuery("select distinct(" + a + ") from " + sqlTableName(NomeTabela) + " where (1=1) " + Clausula +
                     " ORDER BY " + a);
  if (!q->Eof()) v = q->FieldByName(Campo)->AsVariant();
}

tRegVar TFrmPrincipal::BuscaMelhorCorte(const std::string& Campo, const std::string& Clausula,
                                        tRegContexto Contexto) {
  tRegVar best;
  best.Criterio = kAttributeStart;
  try {
    Variant probe;
    PrimeiroValor(Campo, Clausula, probe);
    const Integer tipo = GrTipo->ItemIndex();
    if (isNumeric(probe) && ckCategoria->Checked()) {
      double max = ConsultaMaximo(Campo);
      double min = ConsultaMinimo(Campo);
      Integer k = asInteger(cxCatValoresContinuos->Value());
      double step = (max - min) / k;
      std::string m = FloatToStrF(min, ffGeneral, 14, 14);
      auto q = openQuery("select distinct(round((" + sqlName(Campo) + "-" + m + ")/" + plain(step) +
                         ")) as valor from " + sqlTableName(NomeTabela) + " where (1=1) " + Clausula);
      while (!q->Eof()) {
        Variant valor = q->FieldByName("valor")->AsVariant();
        log("Valor " + VarToStr(valor));
        // The last band is never evaluated: its part 2 would be all the lower bands.
        if (q->RecNo() >= 1 && q->RecNo() != q->RecordCount()) {
          tRegVar r = AvaliaCorteFaixa(Campo, valor, Clausula, tipo, Contexto);
          if (r.Criterio < best.Criterio) best = r;
        }
        q->Next();
      }
    } else {
      auto q = openQuery("select " + sqlName(Campo) + " as valor, count(*) as qtde from " + sqlTableName(NomeTabela) +
                         " where (1=1) " + Clausula + " group by " + sqlName(Campo));
      while (!q->Eof()) {
        if (q->FieldByName("qtde")->AsInteger() > 0) {
          TField* f = q->FieldByName("Valor");
          Variant v = f->AsVariant();
          if (f->IsNull()) {
            TFieldType t = f->DataType();
            if (t == ftString || t == ftFixedChar || t == ftWideString)
              v = Variant(std::string());
            else
              v = Variant(static_cast<unsigned char>(0));
          }
          if (q->RecNo() >= 1) {
            tRegVar r = AvaliaCorteValor(Campo, v, Clausula, tipo, Contexto);
            if (r.Criterio < best.Criterio) best = r;
          }
        }
        q->Next();
      }
    }
  } catch (Exception& e) {
    Application->MessageBox("Não foi possível abrir a tabela " + e.Message());
    tRegVar none;
    none.Criterio = kAttributeStart;
    return none;
  }
  return best;
}

// ---------------------------------------------------------------------------------------
// Cut evaluation.

namespace {

std::string varianceExpression(Integer tipo, const std::string& Meta) {
  return tipo >= 0 && tipo <= 3 ? " varp(" + sqlName(Meta) + ") " : std::string();
}

// The criterion of allocation types 0-2 (the one that every candidate computes); fills the
// weighted terms. A node without target values (N = 0) cannot be evaluated.
long double criterion012(Integer tipo, Integer q1, double s1, Integer q2, double s2, const tRegContexto& ctx,
                         long double& w1, long double& w2) {
  long double n = static_cast<long double>(q1) + q2 + ctx.QtdeIrmao;
  long double t = ctx.PesoIrmao;
  if (n == 0) throw EZeroDivide("Floating point division by zero");
  switch (tipo) {
    case 0:
      w1 = static_cast<long double>(q1) * q1 * s1;
      w2 = static_cast<long double>(q2) * q2 * s2;
      return (ctx.Estratos / (n * n)) * (w1 + w2 + t);
    case 1:
      w1 = static_cast<long double>(q1) * s1;
      w2 = static_cast<long double>(q2) * s2;
      return (w1 + w2 + t) * (1 / n);
    default: {
      w1 = q1 * std::sqrt(static_cast<long double>(s1));
      w2 = q2 * std::sqrt(static_cast<long double>(s2));
      long double c = (w1 + w2 + t) * (1 / n);
      return c * c;
    }
  }
}

const char* criterionLine(Integer tipo) {
  switch (tipo) {
    case 0: return "Uniforme ";
    case 1: return "Proporcional ";
    default: return "Ótima ";
  }
}
const char* criterionSuffix(Integer tipo) { return tipo == 0 ? " /n" : "/n"; }

long double grd(Integer q1, Integer q2, Integer total) {
  if (q1 == 0 || q1 + q2 == 0 || total == 0) throw EInvalidOp("Invalid floating point operation");
  return std::log2(static_cast<long double>(q1) / (q1 + q2)) * std::log2(static_cast<long double>(q1) / total);
}

}  // namespace

double TFrmPrincipal::ConsultaMinimo(const std::string& Campo) {
  auto q = openQuery("Select MIN(" + sqlName(Campo) + ") as Minimo from " + sqlTableName(NomeTabela) + " where (1=1) ");
  return q->Eof() ? 0.0 : q->FieldByName("Minimo")->AsFloat();
}

double TFrmPrincipal::ConsultaMaximo(const std::string& Campo) {
  auto q = openQuery("Select MAX(" + sqlName(Campo) + ") as Maximo  from " + sqlTableName(NomeTabela) +
                     " where (1=1) ");
  return q->Eof() ? 0.0 : q->FieldByName("Maximo")->AsFloat();
}

tRegVar TFrmPrincipal::AvaliaCorteFaixa(const std::string& Campo, const Variant& v, const std::string& Clausula,
                                        Integer tipo, tRegContexto Contexto) {
  Integer k = asInteger(cxCatValoresContinuos->Value());
  double min = ConsultaMinimo(Campo);
  double max = ConsultaMaximo(Campo);
  log(Campo);
  double vd = VarIsEmpty(v) || VarIsNull(v) ? 0.0 : static_cast<double>(v);
  double lo = min + (vd * (max - min)) / k;
  double hi = min + ((vd + 1) * (max - min)) / k;
  std::string loText = plain(lo), hiText = plain(hi);
  const std::string ve = varianceExpression(tipo, CampoMeta);
  double s1 = 0, s2 = 0;
  Integer q1 = 0, q2 = 0;
  const std::string a = sqlName(Campo), meta = sqlName(CampoMeta), table = sqlTableName(NomeTabela);
  std::string sql1 = "Select " + ve + " as variancia, count(" + meta + ") as quantidade from " + table +
                     " where (1=1) " + Clausula + " and " + a + " >= " + loText + " and " + a + " < " + hiText;
  try {
    auto q = openQuery(sql1);
    if (!q->Eof()) {
      s1 = q->FieldByName("variancia")->AsFloat();
      q1 = q->FieldByName("quantidade")->AsInteger();
    }
  } catch (Exception& e) {
    Application->MessageBox("Não foi possível executar o script [" + sql1 + "]  " + e.Message());
    s1 = 0;
    q1 = 0;
  }
  std::string sql2 = "Select " + ve + " as variancia, count(" + meta + ") as quantidade from " + table +
                     " where (1=1) " + Clausula + " AND NOT (" + a + " >= " + loText + " AND " + a + " < " + hiText +
                     ")";
  log(sql2);
  {
    auto q = openQuery(sql2);
    if (!q->Eof()) {
      s2 = q->FieldByName("variancia")->AsFloat();
      q2 = q->FieldByName("quantidade")->AsInteger();
      if (q2 != 0 && q1 != 0) {
        log("   [" + Clausula + "] " + Campo + " <= " + plain((vd * (max - min)) / k) + " Qtde = " + IntToStr(q1) +
            " Variância = " + plain(s1));
        log("   [" + Clausula + "] " + Campo + " > " + plain(((vd + 1) * (max - min)) / k) + "  Qtde = " +
            IntToStr(q2) + " Variância = " + plain(s2));
      }
    }
  }
  long double c = kNoCriterion, w1 = 0, w2 = 0;
  if (tipo >= 0 && tipo <= 2) {
    c = criterion012(tipo, q1, s1, q2, s2, Contexto, w1, w2);
    if (q1 != 0 && q2 != 0) log(criterionLine(tipo) + plain(static_cast<double>(c)) + criterionSuffix(tipo));
  } else if (tipo == 3 && q1 != 0 && q2 != 0) {
    c = grd(q1, q2, TotalRegistros);
    w1 = c;
    w2 = 0.0;
    log("GRD " + plain(static_cast<double>(c)));
  }
  tRegVar r;
  r.Campo = Variant(Campo);
  if (q1 != 0 && q2 != 0) {
    r.Valor = Variant(lo);
    r.Limite = Variant(hi);
    r.Criterio = static_cast<double>(c);
    r.Variancia1 = s1;
    r.Variancia2 = s2;
    r.Qtde1 = q1;
    r.Qtde2 = q2;
    r.Peso1 = static_cast<double>(w1);
    r.Peso2 = static_cast<double>(w2);
    r.Estratos = Contexto.Estratos + 1;
  } else {
    r.Valor = v;
    r.Criterio = r.Variancia1 = r.Variancia2 = r.Peso1 = kNoCriterion;
    r.Estratos = Contexto.Estratos;
    r.Qtde1 = Contexto.QtdeProprio;
    r.Qtde2 = Contexto.QtdeIrmao;
  }
  Application->ProcessMessages();
  return r;
}

tRegVar TFrmPrincipal::AvaliaCorteValor(const std::string& Campo, const Variant& v, const std::string& Clausula,
                                        Integer tipo, tRegContexto Contexto) {
  DecimalSeparator = '.';
  log(Campo);
  const bool text = isTextLike(v);
  // One text of the value for both parts (15 significant digits for a double), so the two
  // parts and the node texts select complementary rows.
  const std::string vText = VarToStr(v);
  const std::string vSql = text ? "'" + sqlLiteral(vText) + "'" : sqlPlainValue(v);
  const std::string ve = varianceExpression(tipo, CampoMeta);
  const std::string a = sqlName(Campo), meta = sqlName(CampoMeta);
  const std::string from = " from " + sqlTableName(NomeTabela) + " where (1=1) " + Clausula;
  std::string sql1 = "Select " + ve + " as variancia, count(" + meta + ") as quantidade" + from + " and " + a +
                     (text ? " = " : " <= ") + vSql;
  std::string sql2 = "Select " + ve + " as variancia , count(" + meta + ") as quantidade" + from + " and " + a +
                     (text ? " <> " : " > ") + vSql;
  double s1 = 0, s2 = 0;
  Integer q1 = 0, q2 = 0;
  try {
    auto q = openQuery(sql1);
    if (!q->Eof()) {
      s1 = q->FieldByName("variancia")->AsFloat();
      q1 = q->FieldByName("quantidade")->AsInteger();
    }
  } catch (Exception& e) {
    Application->MessageBox("Não foi possível executar o script [" + sql1 + "]  " + e.Message());
    s1 = 0;
    q1 = 0;
  }
  {
    auto q = openQuery(sql2);
    if (!q->Eof()) {
      s2 = q->FieldByName("variancia")->AsFloat();
      q2 = q->FieldByName("quantidade")->AsInteger();
      if (q2 != 0 && q1 != 0) {
        if (text) {
          log("   [" + Clausula + "] " + Campo + "  = " + vText + " Qtde = " + IntToStr(q1) + " Variância = " + plain(s1));
          log("   [" + Clausula + "] " + Campo + " <> " + vText + " Qtde = " + IntToStr(q2) + " Variância = " + plain(s2));
        } else {
          log("   [" + Clausula + "] " + Campo + " <= " + vText + " Qtde = " + IntToStr(q1) + " Variância = " + plain(s1));
          log("   [" + Clausula + "] " + Campo + " > " + vText + "  Qtde = " + IntToStr(q2) + " Variância = " + plain(s2));
        }
      }
    }
  }
  long double c = kNoCriterion, w1 = 0, w2 = 0;
  if (tipo >= 0 && tipo <= 2) {
    c = criterion012(tipo, q1, s1, q2, s2, Contexto, w1, w2);
    if (q1 != 0 && q2 != 0) log(criterionLine(tipo) + plain(static_cast<double>(c)) + criterionSuffix(tipo));
  } else if (tipo == 3) {
    try {
      c = grd(q1, q2, TotalRegistros);
      w1 = c;
      w2 = 0.0;
      log("GRD " + plain(static_cast<double>(c)));
    } catch (Exception&) {
      log("Menor " + IntToStr(q1) + " Maior " + IntToStr(q2) + "  " + sql2);
      c = kNoCriterion;
    }
  }
  tRegVar r;
  r.Campo = Variant(Campo);
  r.Valor = v;
  r.Limite = v;
  if (q1 != 0 && q2 != 0) {
    r.Criterio = static_cast<double>(c);
    r.Variancia1 = s1;
    r.Variancia2 = s2;
    r.Qtde1 = q1;
    r.Qtde2 = q2;
    r.Peso1 = static_cast<double>(w1);
    r.Peso2 = static_cast<double>(w2);
    r.Estratos = Contexto.Estratos + 1;
  } else {
    r.Criterio = r.Variancia1 = r.Variancia2 = r.Peso1 = r.Peso2 = kNoCriterion;
    r.Estratos = Contexto.Estratos;
    r.Qtde1 = Contexto.QtdeProprio;
    r.Qtde2 = Contexto.QtdeIrmao;
  }
  Application->ProcessMessages();
  return r;
}

// ---------------------------------------------------------------------------------------
// The report.

void TFrmPrincipal::MontaResumo(const std::string& Campo) {
  // One update for the whole report: each stratum adds lines to both controls.
  UpdateLock strataUpdate(Mestrato->Lines());
  UpdateLock reportUpdate(Redit1->Lines());
  Mestrato->Lines()->Clear();
  Redit1->Lines()->Clear();
  // The report's lines reach the rich edit in one piece, as the lines added one by one would:
  // it lays out and invalidates on every insertion, even with its redraw turned off. What was
  // gathered is shown also when a query fails part way.
  std::string report;
  ScopeExit showReport([&] {
    if (report.empty()) return;
    Redit1->SetSelStart(0);
    Redit1->SetSelText(report);
  });
  const std::string c = sqlName(Campo);
  auto q = openQuery(" select  varp(" + c + ") as vari, avg(" + c + ") as media, count(*) as qtde from " +
                     sqlTableName(NomeTabela) + " where (1=1) ");
  if (!q->Eof()) {
    report += "RESUMO\r\n";
    report += "Atributo meta : " + Format(" média %8.4f, Casos  %d, variância %8.4f ",
                                          q->FieldByName("media")->AsFloat(), q->FieldByName("qtde")->AsInteger(),
                                          q->FieldByName("vari")->AsFloat()) +
              "\r\n";
  }
  q.reset();
  RelataEstratos(Campo, report);
}

void TFrmPrincipal::RelataEstratos(const std::string& Campo, std::string& Report) {
  std::string S;
  Integer n = 0;
  // Walks the tree from the node after the top item: each leaf (its missing first child)
  // closes one stratum whose condition is the texts on its path joined by " and ".
  std::function<void(std::string&, TTreeNode*)> PercorreArvore = [&](std::string& S, TTreeNode* Node) {
    if (!Node) {
      ++n;
      RelataEstrato(Campo, S, n, Report);
      return;
    }
    std::string onEntry = S;
    if (Trim(S).empty())
      S = " and " + S + Node->Text();
    else
      S = S + " and " + Node->Text();
    PercorreArvore(S, Node->GetFirstChild());
    if (TTreeNode* next = Node->GetNextSibling()) PercorreArvore(onEntry, next);
  };
  TTreeNode* top = tvArvore->TopItem();
  if (!top) top = tvArvore->Items()->GetFirstNode();
  PercorreArvore(S, top ? top->GetNext() : nullptr);
}

void TFrmPrincipal::RelataEstrato(const std::string& Campo, const std::string& S, Integer n,
                                  std::string& Report) {
  const std::string c = sqlName(Campo), table = sqlTableName(NomeTabela);
  Mestrato->Lines()->Add("Select * from " + table + " where (1=1) " + S);
  auto q = openQuery("Select varp(" + c + ") as Variancia, count(" + c + ") as Contador, avg(" + c +
                     ") as media from " + table + " where (1=1) " + S);
  if (!q->Eof() && q->FieldByName("Contador")->AsInteger() > 0) {
    Report += "\r\nEstrato: " + IntToStr(n) + "\r\n   " + S + "\r\n   " +
              Format("Variância %8.4f, Média  %8.4f, Quantidade %d ", q->FieldByName("Variancia")->AsFloat(),
                     q->FieldByName("media")->AsFloat(), q->FieldByName("Contador")->AsInteger()) +
              "\r\n";
  }
}

// ---------------------------------------------------------------------------------------
// The window's handlers.

void TFrmPrincipal::FormCreate(TObject* Sender) {
  cxSetResourceString(&scxGridGroupByBoxCaption, "Arraste o cabeçalho de coluna para agrupar por esta coluna");
  DecimalSeparator = '.';
}

void TFrmPrincipal::FormShow(TObject* Sender) { Paginas->SetActivePage(Dados); }

void TFrmPrincipal::BtnAbrirBancoClick(TObject* Sender) {
  if (running_) return;
  if (FileExists(EdArquivo->FileName()))
    EdArquivoExit(Sender);
  else
    Application->MessageBox("O arquivo \"" + EdArquivo->FileName() + "\" não foi encontrado.");
  BtnGerarEstrato->SetEnabled(Tabela->Active());
}

void TFrmPrincipal::EdArquivoExit(TObject* Sender) {
  if (running_) return;
  Aguarde->ShowModeless();
  ScopeExit closeProgress([this] { Aguarde->CloseModeless(); });
  Aguarde->SetPosition(1);
  Aguarde->SetText("Abrindo base de dados");
  Tabela->Close();
  Con->Close();
  NomeTabela = edTabela->Text();
  // The file name is quoted as connection strings quote values, so a name holding ';' or
  // quotes names its own file.
  Con->SetConnectionString(
      "Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=" + ConnectionStringQuote(EdArquivo->FileName()) +
      ";Mode=Share Deny None;"
      "Extended Properties=\"\";Jet OLEDB:System database=\"\";Jet OLEDB:Registry Path=\"\";"
      "Jet OLEDB:Database Password=\"\";Jet OLEDB:Engine Type=5;Jet OLEDB:Database Locking Mode=1;"
      "Jet OLEDB:Global Partial Bulk Ops=2;Jet OLEDB:Global Bulk Transactions=1;"
      "Jet OLEDB:New Database Password=\"\";Jet OLEDB:Create System Database=False;"
      "Jet OLEDB:Encrypt Database=False;Jet OLEDB:Don't Copy Locale on Compact=False;"
      "Jet OLEDB:Compact Without Replica Repair=False;Jet OLEDB:SFP=False");
  GradeDBTableView1->ClearItems();
  try {
    Aguarde->SetPosition(30);
    Aguarde->ShowModeless();
    Con->Open();
    Tabela->SQL()->Clear();
    Tabela->SQL()->Add("Select * from " + sqlTableName(NomeTabela));
    Aguarde->SetPosition(70);
    Tabela->Open();
    CamposDependentes->Items()->Clear();
    CamposObrigatorios->Items()->Clear();
    CamposIndependentes->Items()->Clear();
    Tabela->GetFieldNames(CamposDependentes->Items());
    Tabela->GetFieldNames(CamposObrigatorios->Items());
    Tabela->GetFieldNames(CamposIndependentes->Items());
    GradeDBTableView1->GetDataController()->CreateItemsForAllFields();
    Aguarde->SetPosition(100);
  } catch (Exception& e) {
    Aguarde->CloseModeless();
    Application->MessageBox("Não foi possível abrir a tabela " + e.Message());
  }
}

void TFrmPrincipal::EdArquivoChange(TObject* Sender) {
  // While a run is in progress its tree must stay: the run holds its nodes.
  if (running_) return;
  if (FileExists(EdArquivo->FileName())) return;
  Tabela->Close();
  mm1->Lines()->Clear();
  Mestrato->Lines()->Clear();
  tvArvore->Items()->Clear();
}

void TFrmPrincipal::btnGeraestratoClick(TObject* Sender) {
  if (BtnGerarEstrato->Enabled()) BtnGerarEstratoClick(Sender);
}

void TFrmPrincipal::CamposDependentesClick(TObject* Sender) {
  Integer index = CamposDependentes->ItemIndex();
  if (index < 0) return;
  bool state = CamposDependentes->Checked(index);
  for (Integer i = 0; i < CamposDependentes->Items()->Count(); ++i) CamposDependentes->SetChecked(i, false);
  CamposDependentes->SetChecked(index, state);
}

void TFrmPrincipal::ckCategoriaClick(TObject* Sender) { cxCatValoresContinuos->SetEnabled(ckCategoria->Checked()); }

void TFrmPrincipal::cxTipoParadaClick(TObject* Sender) {
  bool levels = CxTipoParada->ItemIndex() == 0;
  cxNiveis->SetVisible(levels);
  Label4->SetVisible(levels);
  cxGanho->SetVisible(!levels);
  Label7->SetVisible(!levels);
}

void TFrmPrincipal::saveTree() {
  if (JSalvar->Execute()) saveFile(JSalvar->FileName(), [this](const std::string& f) { tvArvore->SaveToFile(f); });
}

void TFrmPrincipal::saveFile(const std::string& FileName, const std::function<void(const std::string&)>& Save) {
  // The file is written whole or not at all; a failed save leaves the old file as it was.
  try {
    Save(FileName);
  } catch (Exception& e) {
    Application->MessageBox("Não foi possível salvar o arquivo \"" + FileName + "\". " + e.Message());
  }
}

void TFrmPrincipal::ExportarExcel1Click(TObject* Sender) {
  if (running_) return;
  JSalvar->SetTitle("Salvar a árvore");
  JSalvar->SetDefaultExt(".txt");
  saveTree();
}

void TFrmPrincipal::MenuItem1Click(TObject* Sender) {
  if (running_) return;
  JSalvar->SetTitle("Salvar o Relatório");
  JSalvar->SetDefaultExt(".rtf");
  if (JSalvar->Execute())
    saveFile(JSalvar->FileName(), [this](const std::string& f) { Redit1->Lines()->SaveToFile(f); });
}

void TFrmPrincipal::BtnSalvaClick(TObject* Sender) {
  if (running_) return;
  saveTree();
}

void TFrmPrincipal::SalvarCFGClick(TObject* Sender) {
  TJvStoredValues* values = IniSave->StoredValues();
  // The stored values are integers and are read back as integers: an editor's value is kept
  // as the integer the run reads from it; one that is no number fitting 32 bits leaves the
  // stored value as it was (a float would be written in a form an integer cannot be read from).
  auto copy = [values](const char* Name, TcxSpinEdit* Edit) {
    Integer n = 0;
    if (auto* v = values->FindByName(Name))
      if (spinInteger(Edit, n)) v->SetValue(Variant(n));
  };
  copy("QtdeCategorias", cxCatValoresContinuos);
  copy("QtdeNiveis", cxNiveis);
  copy("CxGanho", cxGanho);
  values->WriteAll();
}

void TFrmPrincipal::IniSaveSavePlacement(TObject* Sender) { SalvarCFGClick(Sender); }

void TFrmPrincipal::IniSaveRestorePlacement(TObject* Sender) {
  TJvStoredValues* values = IniSave->StoredValues();
  values->ReadAll();
  if (auto* v = values->FindByName("QtdeCategorias")) cxCatValoresContinuos->SetValue(v->Value());
  if (auto* v = values->FindByName("QtdeNiveis")) cxNiveis->SetValue(v->Value());
  if (auto* v = values->FindByName("CxGanho")) cxGanho->SetValue(v->Value());
  values->WriteAll();
}

void TFrmPrincipal::AguardeCancel(TObject* Sender) {}

// ---------------------------------------------------------------------------------------

RTL_BEGIN_CLASS(TFrmPrincipal)
  using T = TFrmPrincipal;
#define FIELD(Name) b.Field(#Name, &T::Name)
  FIELD(dxSideBar1); FIELD(dxStatusBar1); FIELD(dxBarManager1); FIELD(btnGeraestrato); FIELD(SalvarCFG);
  FIELD(btnAbrir); FIELD(btnSalvarProjetos); FIELD(BtnSalva); FIELD(dxBarSubItem1); FIELD(Painel);
  FIELD(PSuperior); FIELD(PDados); FIELD(Label1); FIELD(Label2); FIELD(Label3); FIELD(Label5); FIELD(Label6);
  FIELD(EdArquivo); FIELD(BtnAbrirBanco); FIELD(BtnGerarEstrato); FIELD(CamposObrigatorios);
  FIELD(CamposDependentes); FIELD(CamposIndependentes); FIELD(edTabela); FIELD(clausula); FIELD(JvgPageControl1);
  FIELD(TabConfiguracao); FIELD(JvgPageControl2); FIELD(TabValoresContinuos); FIELD(TabTipoAmostragem);
  FIELD(TabCriterioParada); FIELD(ckCategoria); FIELD(Label8); FIELD(cxCatValoresContinuos); FIELD(GrTipo);
  FIELD(Label9); FIELD(cxQtdeMinCasos); FIELD(CxTipoParada); FIELD(Label4); FIELD(cxNiveis); FIELD(Label7);
  FIELD(cxGanho); FIELD(Paginas); FIELD(Dados); FIELD(Grade); FIELD(GradeDBTableView1); FIELD(GradeLevel1);
  FIELD(Detalhes); FIELD(mm1); FIELD(Estrato); FIELD(Mestrato); FIELD(TabSheet1); FIELD(tvArvore);
  FIELD(TabSheet2); FIELD(Redit1); FIELD(Con); FIELD(Tabela); FIELD(DsTabela); FIELD(Query); FIELD(JSalvar);
  FIELD(LIGrandes); FIELD(LIPequenas); FIELD(MenuArvore); FIELD(ExportarExcel1); FIELD(MenuRel);
  FIELD(MenuItem1); FIELD(Aguarde); FIELD(JvAppIniFileStorage1); FIELD(IniSave);
#undef FIELD
#define METHOD(Name) b.Method(#Name, &T::Name)
  METHOD(FormCreate); METHOD(FormShow); METHOD(BtnAbrirBancoClick); METHOD(EdArquivoExit);
  METHOD(EdArquivoChange); METHOD(BtnGerarEstratoClick); METHOD(btnGeraestratoClick);
  METHOD(CamposDependentesClick); METHOD(ckCategoriaClick); METHOD(cxTipoParadaClick);
  METHOD(ExportarExcel1Click); METHOD(MenuItem1Click); METHOD(BtnSalvaClick); METHOD(SalvarCFGClick);
  METHOD(IniSaveSavePlacement); METHOD(IniSaveRestorePlacement); METHOD(AguardeCancel);
#undef METHOD
RTL_END_CLASS

namespace UPrincipalUnit {

namespace {
// The classes the window's stored description names, so reading it finds them by name.
std::vector<TClass> formClasses() {
  return {TFrmPrincipal::StaticClass(),     TcxButton::StaticClass(),          TcxRadioGroup::StaticClass(),
          TcxSpinEdit::StaticClass(),       TcxMemo::StaticClass(),            TcxCheckBox::StaticClass(),
          TcxGrid::StaticClass(),           TcxGridLevel::StaticClass(),       TcxGridDBTableView::StaticClass(),
          TdxBarManager::StaticClass(),     TdxBarButton::StaticClass(),       TdxBarSubItem::StaticClass(),
          TdxSideBar::StaticClass(),        TdxStatusBar::StaticClass(),       TJvFilenameEdit::StaticClass(),
          TJvSaveDialog::StaticClass(),     TJvProgressDialog::StaticClass(),  TJvgPageControl::StaticClass(),
          TJvRadioGroup::StaticClass(),     TJvAppIniFileStorage::StaticClass(), TJvFormStorage::StaticClass(),
          TPanel::StaticClass(),            TLabel::StaticClass(),             TEdit::StaticClass(),
          TMemo::StaticClass(),             TCheckListBox::StaticClass(),      TPageControl::StaticClass(),
          TTabSheet::StaticClass(),         TTreeView::StaticClass(),          TRichEdit::StaticClass(),
          TADOConnection::StaticClass(),    TADOQuery::StaticClass(),          TDataSource::StaticClass(),
          TImageList::StaticClass(),        TPopupMenu::StaticClass(),         TMenuItem::StaticClass()};
}
}  // namespace

void Initialize() {
  RegisterClasses(formClasses());
}
void Finalize() {}

}  // namespace UPrincipalUnit
