#include "app/UPrincipal.h"

#include <cmath>

#include "cx/foundation/cxClasses.h"
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

std::string plain(double d) { return FloatToStr(d); }

Integer asInteger(const Variant& v) {
  if (VarIsEmpty(v) || VarIsNull(v)) return 0;
  return static_cast<Integer>(std::lround(static_cast<double>(v)));
}

// The child texts of a cut (a text value, a numeric value or a band).
std::string childText(const tRegVar& r, bool First) {
  std::string a = VarToStr(r.Campo);
  if (isTextLike(r.Valor)) {
    std::string v = sqlLiteral(VarToStr(r.Valor));
    return First ? "(" + a + " = '" + v + "')" : "(" + a + " <> '" + v + "')";
  }
  std::string lo = VarToStr(r.Valor), hi = VarToStr(r.Limite);
  if (lo == hi) return First ? "(" + a + " <= " + lo + ")" : "(" + a + " > " + lo + ")";
  return First ? "(" + a + " >= " + lo + ") and (" + a + " < " + hi + ")"
               : "(NOT ((" + a + " >= " + lo + " and " + a + " < " + hi + ")))";
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
  RunGuard guard(running_);
  mm1->Lines()->Clear();
  tvArvore->Items()->Clear();
  Aguarde->ShowModeless();
  // A run writes tens of thousands of log lines: they reach the memo's window in pieces
  // (whenever something asks the memo, and at the end) instead of one at a time.
  mm1->Lines()->BeginUpdate();
  try {
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
  } catch (...) {
    mm1->Lines()->EndUpdate();
    Aguarde->CloseModeless();
    throw;
  }
  mm1->Lines()->EndUpdate();
  Aguarde->CloseModeless();
}

void TFrmPrincipal::ContaRegistros() {
  auto q = openQuery("select count(*) as quantidade from " + NomeTabela + " where (1=1) ");
  if (!q->Eof()) TotalRegistros = q->FieldByName("quantidade")->AsInteger();
}

void TFrmPrincipal::DivideObrigatorio(TTreeNode* No, const std::string& Campo, const std::string& Clausula,
                                      tRegContexto Contexto) {
  try {
    auto q = openQuery("select distinct(" + Campo + ") from " + NomeTabela + " where (1=1) " + Clausula +
                       " ORDER BY " + Campo);
    while (!q->Eof()) {
      TField* f = q->FieldByName(Campo);
      std::string value = f->AsString();
      TTreeNode* child = tvArvore->Items()->AddChild(No, Campo + "=" + value + " [Obrigatório]");
      std::string c = isTextLike(f->AsVariant()) ? " and " + Campo + "='" + sqlLiteral(value) + "'"
                                                 : " and " + Campo + "=" + value;
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
  auto q = openQuery("select distinct(" + Campo + ") from " + NomeTabela + " where (1=1) " + Clausula +
                     " ORDER BY " + Campo);
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
      auto q = openQuery("select distinct(round((" + Campo + "-" + m + ")/" + plain(step) + ")) as valor from " +
                         NomeTabela + " where (1=1) " + Clausula);
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
      auto q = openQuery("select " + Campo + " as valor, count(*) as qtde from " + NomeTabela + " where (1=1) " +
                         Clausula + " group by " + Campo);
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
  return tipo >= 0 && tipo <= 3 ? " varp(" + Meta + ") " : std::string();
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
  auto q = openQuery("Select MIN(" + Campo + ") as Minimo from " + NomeTabela + " where (1=1) ");
  return q->Eof() ? 0.0 : q->FieldByName("Minimo")->AsFloat();
}

double TFrmPrincipal::ConsultaMaximo(const std::string& Campo) {
  auto q = openQuery("Select MAX(" + Campo + ") as Maximo  from " + NomeTabela + " where (1=1) ");
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
  std::string sql1 = "Select " + ve + " as variancia, count(" + CampoMeta + ") as quantidade from " + NomeTabela +
                     " where (1=1) " + Clausula + " and " + Campo + " >= " + loText + " and " + Campo + " < " + hiText;
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
  std::string sql2 = "Select " + ve + " as variancia, count(" + CampoMeta + ") as quantidade from " + NomeTabela +
                     " where (1=1) " + Clausula + " AND NOT (" + Campo + " >= " + loText + " AND " + Campo + " < " +
                     hiText + ")";
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
  const std::string ve = varianceExpression(tipo, CampoMeta);
  const std::string from = " from " + NomeTabela + " where (1=1) " + Clausula;
  std::string sql1 = "Select " + ve + " as variancia, count(" + CampoMeta + ") as quantidade" + from + " and " +
                     Campo + (text ? " = '" + sqlLiteral(vText) + "'" : " <= " + vText);
  std::string sql2 = "Select " + ve + " as variancia , count(" + CampoMeta + ") as quantidade" + from + " and " +
                     Campo + (text ? " <> '" + sqlLiteral(vText) + "'" : " > " + vText);
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
  Mestrato->Lines()->Clear();
  Redit1->Lines()->Clear();
  auto q = openQuery(" select  varp(" + Campo + ") as vari, avg(" + Campo + ") as media, count(*) as qtde from " +
                     NomeTabela + " where (1=1) ");
  if (!q->Eof()) {
    Redit1->Lines()->Add("RESUMO");
    Redit1->Lines()->Add("Atributo meta : " + Format(" média %8.4f, Casos  %d, variância %8.4f ",
                                                     q->FieldByName("media")->AsFloat(),
                                                     q->FieldByName("qtde")->AsInteger(),
                                                     q->FieldByName("vari")->AsFloat()));
  }
  q.reset();
  RelataEstratos(Campo);
}

void TFrmPrincipal::RelataEstratos(const std::string& Campo) {
  std::string S;
  Integer n = 0;
  // Walks the tree from the node after the top item: each leaf (its missing first child)
  // closes one stratum whose condition is the texts on its path joined by " and ".
  std::function<void(std::string&, TTreeNode*)> PercorreArvore = [&](std::string& S, TTreeNode* Node) {
    if (!Node) {
      ++n;
      RelataEstrato(Campo, S, n);
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

void TFrmPrincipal::RelataEstrato(const std::string& Campo, const std::string& S, Integer n) {
  Mestrato->Lines()->Add("Select * from " + NomeTabela + " where (1=1) " + S);
  auto q = openQuery("Select varp(" + Campo + ") as Variancia, count(" + Campo + ") as Contador, avg(" + Campo +
                     ") as media from " + NomeTabela + " where (1=1) " + S);
  if (!q->Eof() && q->FieldByName("Contador")->AsInteger() > 0) {
    Redit1->Lines()->Add("");
    Redit1->Lines()->Add("Estrato: " + IntToStr(n));
    Redit1->Lines()->Add("   " + S);
    Redit1->Lines()->Add("   " + Format("Variância %8.4f, Média  %8.4f, Quantidade %d ",
                                        q->FieldByName("Variancia")->AsFloat(), q->FieldByName("media")->AsFloat(),
                                        q->FieldByName("Contador")->AsInteger()));
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
  if (FileExists(EdArquivo->FileName())) EdArquivoExit(Sender);
  BtnGerarEstrato->SetEnabled(Tabela->Active());
}

void TFrmPrincipal::EdArquivoExit(TObject* Sender) {
  if (running_) return;
  Aguarde->ShowModeless();
  Aguarde->SetPosition(1);
  Aguarde->SetText("Abrindo base de dados");
  Tabela->Close();
  Con->Close();
  NomeTabela = edTabela->Text();
  Con->SetConnectionString(
      "Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=" + EdArquivo->FileName() +
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
    Tabela->SQL()->Add("Select * from " + NomeTabela);
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
    Aguarde->CloseModeless();
  } catch (Exception& e) {
    // The progress dialog stays open: the next use of it replaces it.
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
  if (JSalvar->Execute()) tvArvore->SaveToFile(JSalvar->FileName());
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
  if (JSalvar->Execute()) Redit1->Lines()->SaveToFile(JSalvar->FileName());
}

void TFrmPrincipal::BtnSalvaClick(TObject* Sender) {
  if (running_) return;
  saveTree();
}

void TFrmPrincipal::SalvarCFGClick(TObject* Sender) {
  TJvStoredValues* values = IniSave->StoredValues();
  if (auto* v = values->FindByName("QtdeCategorias")) v->SetValue(cxCatValoresContinuos->Value());
  if (auto* v = values->FindByName("QtdeNiveis")) v->SetValue(cxNiveis->Value());
  if (auto* v = values->FindByName("CxGanho")) v->SetValue(cxGanho->Value());
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
