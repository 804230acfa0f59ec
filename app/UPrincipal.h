#pragma once
// UPrincipal: the strata generator's main window and its strata engine.
//
// The window names an Access database and a table, opens them, lists the table's fields and
// rows, holds the options of a run and binds the commands. A run ("Gerar Estrato") grows a
// binary tree of strata in tvArvore: every node is the subset of the table selected by the
// SQL conditions on its path, split by the cut (a value or a band of one attribute) whose
// allocation criterion, computed from aggregate queries of the target attribute, is the
// smallest. The reasoning goes to the log mm1; at the end the report lists every leaf as a
// stratum (its SQL in Mestrato, its variance, mean and size in Redit1).
#include <functional>
#include <string>

#include "cx/editors/cxCheckBox.h"
#include "cx/editors/cxMemo.h"
#include "cx/editors/cxSpinEdit.h"
#include "cx/editors/extra/cxButtons.h"
#include "cx/editors/extra/cxRadioGroup.h"
#include "cx/grid/cxGrid.h"
#include "cx/grid/cxGridDBTableView.h"
#include "dx/bars/dxBar.h"
#include "dx/bars/dxStatusBar.h"
#include "dx/bars/dxsbar.h"
#include "lib/JvAppIniStorage.h"
#include "lib/JvDialogs.h"
#include "lib/JvFormPlacement.h"
#include "lib/JvProgressDialog.h"
#include "lib/JvRadioGroup.h"
#include "lib/JvToolEdit.h"
#include "lib/JvgPage.h"
#include "platform/data/ADODB.h"
#include "platform/gui/CheckLst.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/Variants.h"

// The result of one candidate cut. A fresh record is all zero with the variants empty.
struct tRegVar {
  Variant Campo;   // the attribute's name once a cut was evaluated
  Variant Limite;  // upper bound of a band cut; the value itself for a value cut
  Variant Valor;   // lower bound of a band cut; the value itself for a value cut
  double Criterio = 0.0;  // allocation criterion; smaller is better
  double Variancia1 = 0.0;
  double Variancia2 = 0.0;
  Integer Qtde2 = 0;
  Integer Qtde1 = 0;
  double Peso2 = 0.0;
  double Peso1 = 0.0;
  Integer Estratos = 0;
};

// What a node inherits from the cut that made it (handed down by value).
struct tRegContexto {
  Integer QtdeIrmao = 0;
  Integer QtdeProprio = 0;
  double PesoIrmao = 0.0;
  double PesoProprio = 0.0;
  double CriterioPai = 0.0;
  Integer Estratos = 0;
};

class TFrmPrincipal : public TForm {
  RTL_DECLARE_CLASS(TFrmPrincipal, TForm)
public:
  explicit TFrmPrincipal(TComponent* AOwner);
  ~TFrmPrincipal() override;

  // Published components of the stored description.
  TdxSideBar* dxSideBar1 = nullptr;
  TdxStatusBar* dxStatusBar1 = nullptr;
  TdxBarManager* dxBarManager1 = nullptr;
  TdxBarButton* btnGeraestrato = nullptr;
  TdxBarButton* SalvarCFG = nullptr;
  TdxBarButton* btnAbrir = nullptr;
  TdxBarButton* btnSalvarProjetos = nullptr;
  TdxBarButton* BtnSalva = nullptr;
  TdxBarSubItem* dxBarSubItem1 = nullptr;
  TPanel* Painel = nullptr;
  TPanel* PSuperior = nullptr;
  TPanel* PDados = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TLabel* Label5 = nullptr;
  TLabel* Label6 = nullptr;
  TJvFilenameEdit* EdArquivo = nullptr;
  TcxButton* BtnAbrirBanco = nullptr;
  TcxButton* BtnGerarEstrato = nullptr;
  TCheckListBox* CamposObrigatorios = nullptr;
  TCheckListBox* CamposDependentes = nullptr;
  TCheckListBox* CamposIndependentes = nullptr;
  TEdit* edTabela = nullptr;
  TcxMemo* clausula = nullptr;
  TJvgPageControl* JvgPageControl1 = nullptr;
  TTabSheet* TabConfiguracao = nullptr;
  TJvgPageControl* JvgPageControl2 = nullptr;
  TTabSheet* TabValoresContinuos = nullptr;
  TTabSheet* TabTipoAmostragem = nullptr;
  TTabSheet* TabCriterioParada = nullptr;
  TcxCheckBox* ckCategoria = nullptr;
  TLabel* Label8 = nullptr;
  TcxSpinEdit* cxCatValoresContinuos = nullptr;
  TcxRadioGroup* GrTipo = nullptr;
  TLabel* Label9 = nullptr;
  TcxSpinEdit* cxQtdeMinCasos = nullptr;
  TJvRadioGroup* CxTipoParada = nullptr;
  TLabel* Label4 = nullptr;
  TcxSpinEdit* cxNiveis = nullptr;
  TLabel* Label7 = nullptr;
  TcxSpinEdit* cxGanho = nullptr;
  TPageControl* Paginas = nullptr;
  TTabSheet* Dados = nullptr;
  TcxGrid* Grade = nullptr;
  TcxGridDBTableView* GradeDBTableView1 = nullptr;
  TcxGridLevel* GradeLevel1 = nullptr;
  TTabSheet* Detalhes = nullptr;
  TMemo* mm1 = nullptr;
  TTabSheet* Estrato = nullptr;
  TcxMemo* Mestrato = nullptr;
  TTabSheet* TabSheet1 = nullptr;
  TTreeView* tvArvore = nullptr;
  TTabSheet* TabSheet2 = nullptr;
  TRichEdit* Redit1 = nullptr;
  TADOConnection* Con = nullptr;
  TADOQuery* Tabela = nullptr;
  TDataSource* DsTabela = nullptr;
  TADOQuery* Query = nullptr;
  TJvSaveDialog* JSalvar = nullptr;
  TImageList* LIGrandes = nullptr;
  TImageList* LIPequenas = nullptr;
  TPopupMenu* MenuArvore = nullptr;
  TMenuItem* ExportarExcel1 = nullptr;
  TPopupMenu* MenuRel = nullptr;
  TMenuItem* MenuItem1 = nullptr;
  TJvProgressDialog* Aguarde = nullptr;
  TJvAppIniFileStorage* JvAppIniFileStorage1 = nullptr;
  TJvFormStorage* IniSave = nullptr;

  // Published handlers.
  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void BtnAbrirBancoClick(TObject* Sender);
  void EdArquivoExit(TObject* Sender);
  void EdArquivoChange(TObject* Sender);
  void BtnGerarEstratoClick(TObject* Sender);
  void btnGeraestratoClick(TObject* Sender);
  void CamposDependentesClick(TObject* Sender);
  void ckCategoriaClick(TObject* Sender);
  void cxTipoParadaClick(TObject* Sender);
  void ExportarExcel1Click(TObject* Sender);
  void MenuItem1Click(TObject* Sender);
  void BtnSalvaClick(TObject* Sender);
  void SalvarCFGClick(TObject* Sender);
  void IniSaveSavePlacement(TObject* Sender);
  void IniSaveRestorePlacement(TObject* Sender);
  void AguardeCancel(TObject* Sender);

  // The strata engine.
  void ContaRegistros();
  void DivideObrigatorio(TTreeNode* No, const std::string& Campo, const std::string& Clausula, tRegContexto Contexto);
  void CresceNo(const std::string& Clausula, TTreeNode* No, tRegContexto Contexto);
  tRegVar BuscaMelhorCorte(const std::string& Campo, const std::string& Clausula, tRegContexto Contexto);
  tRegVar AvaliaCorteFaixa(const std::string& Campo, const Variant& v, const std::string& Clausula, Integer tipo,
                           tRegContexto Contexto);
  tRegVar AvaliaCorteValor(const std::string& Campo, const Variant& v, const std::string& Clausula, Integer tipo,
                           tRegContexto Contexto);
  double ConsultaMinimo(const std::string& Campo);
  double ConsultaMaximo(const std::string& Campo);
  void MontaResumo(const std::string& Campo);
  // Both add the report's lines, each ended by CR LF, to Report.
  void RelataEstratos(const std::string& Campo, std::string& Report);
  void RelataEstrato(const std::string& Campo, const std::string& S, Integer n, std::string& Report);

  // Private state read by tests.
  const std::string& NomeTabelaAtual() const { return NomeTabela; }
  Integer TotalRegistrosAtual() const { return TotalRegistros; }
  const std::string& CampoMetaAtual() const { return CampoMeta; }
  // Whether a run is in progress (commands that would re-enter it are refused meanwhile).
  bool Running() const { return running_; }

private:
  // The probe value of BuscaMelhorCorte: the first distinct value of Campo under the node.
  void PrimeiroValor(const std::string& Campo, const std::string& Clausula, Variant& v);
  // One query on Con with the one SQL text, opened; freed by the caller's unique_ptr.
  std::unique_ptr<TADOQuery> openQuery(const std::string& Sql);
  void log(const std::string& Line);
  void saveTree();
  // Runs Save on FileName; a failure is told in a message naming the file.
  void saveFile(const std::string& FileName, const std::function<void(const std::string&)>& Save);
  // Why the run cannot start with the window's present options ("" when it can): a choice
  // missing, a number out of range, an extra condition holding an SQL comment.
  std::string runRefusal();
  std::string NomeTabela;
  Integer TotalRegistros = 0;
  std::string CampoMeta;
  bool running_ = false;
};

namespace UPrincipalUnit {
void Initialize();
void Finalize();
}  // namespace UPrincipalUnit
