object FrmPrincipal: TFrmPrincipal
  Left = 175
  Top = 142
  Width = 1044
  Height = 593
  Caption = 'Gerador de estratos'
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  PixelsPerInch = 96
  ShowHint = True
  OnCreate = FormCreate
  OnShow = FormShow
  object dxSideBar1: TdxSideBar
    Left = 0
    Top = 28
    Width = 105
    Height = 511
    Align = alLeft
    GroupCaption = 'Projetos'
    Items.Strings = (
      'Abrir'
      'Salvar')
    ItemHints.Strings = (
      'Abrir projetos'
      'Salvar Projetos')
    LargeImages = LIGrandes
  end
  object dxStatusBar1: TdxStatusBar
    Left = 0
    Top = 539
    Width = 1036
    Height = 20
    Align = alBottom
  end
  object Painel: TPanel
    Left = 105
    Top = 28
    Width = 931
    Height = 511
    Align = alClient
    BevelOuter = bvNone
    TabOrder = 0
    object PSuperior: TPanel
      Left = 0
      Top = 0
      Width = 931
      Height = 245
      Align = alTop
      BevelOuter = bvNone
      TabOrder = 0
      object Label1: TLabel
        Left = 8
        Top = 6
        Width = 80
        Height = 13
        Caption = 'Base de Dados:'
      end
      object EdArquivo: TJvFilenameEdit
        Left = 8
        Top = 22
        Width = 250
        Height = 21
        Hint = 'Coloque aqui o arquivo que cont'#233'm a pr'#233'-pesquisa.'
        Filter = 'Acess Files|*.MDB;*.mdb|Todos Arquivos|*.*'
        TabOrder = 0
        Text = 'C:\pesquisa.mdb'
        OnChange = EdArquivoChange
      end
      object BtnAbrirBanco: TcxButton
        Left = 264
        Top = 20
        Width = 80
        Height = 25
        Hint = 'Clique aqui para iniciar a gera'#231#227'o de estrato.'
        Caption = 'Abrir'
        TabOrder = 1
        OnClick = BtnAbrirBancoClick
      end
      object Label6: TLabel
        Left = 8
        Top = 50
        Width = 36
        Height = 13
        Caption = 'Tabela:'
      end
      object edTabela: TEdit
        Left = 8
        Top = 66
        Width = 160
        Height = 21
        CharCase = ecLowerCase
        TabOrder = 2
        Text = 'tabela'
      end
      object BtnGerarEstrato: TcxButton
        Left = 244
        Top = 64
        Width = 100
        Height = 25
        Hint = 'Clique aqui para iniciar a gera'#231#227'o de estrato.'
        Caption = 'Gerar Estrato'
        Enabled = False
        TabOrder = 3
        OnClick = BtnGerarEstratoClick
      end
      object clausula: TcxMemo
        Left = 8
        Top = 96
        Width = 336
        Height = 142
        Properties.ScrollBars = ssBoth
        TabOrder = 4
      end
      object Label2: TLabel
        Left = 352
        Top = 6
        Width = 110
        Height = 13
        Caption = 'Estratos Obrigat'#243'rios:'
      end
      object CamposObrigatorios: TCheckListBox
        Left = 352
        Top = 22
        Width = 118
        Height = 216
        Hint = 'Selecione os Campos que ir'#227'o compor o estrato obrigat'#243'riamente'
        ItemHeight = 13
        TabOrder = 5
      end
      object Label3: TLabel
        Left = 476
        Top = 6
        Width = 70
        Height = 13
        Caption = 'Atributo Meta:'
      end
      object CamposDependentes: TCheckListBox
        Left = 476
        Top = 22
        Width = 118
        Height = 216
        Hint = 'Selecione a vari'#225'vel de interesse na pesquisa.'
        ItemHeight = 13
        TabOrder = 6
        OnClick = CamposDependentesClick
      end
      object Label5: TLabel
        Left = 600
        Top = 6
        Width = 50
        Height = 13
        Caption = 'Atributos:'
      end
      object CamposIndependentes: TCheckListBox
        Left = 600
        Top = 22
        Width = 118
        Height = 216
        Hint = 'Selecione as vari'#225'veis que participaram da pesquisa dos estratos'
        ItemHeight = 13
        TabOrder = 7
      end
      object JvgPageControl1: TJvgPageControl
        Left = 724
        Top = 4
        Width = 203
        Height = 236
        TabWidth = 90
        ActivePage = TabConfiguracao
        Anchors = [akTop, akRight, akBottom]
        Style = tsFlatButtons
        TabOrder = 8
        object TabConfiguracao: TTabSheet
          Caption = 'Configura'#231#227'o'
          object JvgPageControl2: TJvgPageControl
            Left = 0
            Top = 0
            Width = 195
            Height = 208
            ActivePage = TabValoresContinuos
            Align = alClient
            MultiLine = True
            Style = tsButtons
            TabOrder = 0
            object TabValoresContinuos: TTabSheet
              Caption = 'Valores Cont'#237'nuos'
              object ckCategoria: TcxCheckBox
                Left = 6
                Top = 6
                Properties.Caption = 'Separar em categorias'
                TabOrder = 0
                Width = 170
                OnClick = ckCategoriaClick
              end
              object Label8: TLabel
                Left = 6
                Top = 32
                Width = 130
                Height = 13
                Caption = 'Quantidade de Categorias:'
              end
              object cxCatValoresContinuos: TcxSpinEdit
                Left = 6
                Top = 48
                Width = 80
                Height = 21
                TabOrder = 1
                Value = 200
              end
            end
            object TabTipoAmostragem: TTabSheet
              Caption = 'Tipo Amostragem'
              ImageIndex = 1
              object GrTipo: TcxRadioGroup
                Left = 4
                Top = 2
                Width = 100
                Height = 78
                Hint = 'Selecione o tipo de estrato que ser'#225' constru'#237'do'
                Caption = 'Tipo'
                Properties.Items = <
                  item
                    Caption = 'Uniforme'
                  end
                  item
                    Caption = 'Proporcional'
                  end
                  item
                    Caption = #211'tima'
                  end
                  item
                    Caption = 'GRD'
                  end>
                TabOrder = 0
              end
              object Label9: TLabel
                Left = 6
                Top = 84
                Width = 142
                Height = 13
                Caption = 'Quantidade M'#237'nima de Casos:'
              end
              object cxQtdeMinCasos: TcxSpinEdit
                Left = 6
                Top = 100
                Width = 70
                Height = 21
                TabOrder = 1
                Value = 0
              end
            end
            object TabCriterioParada: TTabSheet
              Caption = 'Crit'#233'rio de Parada'
              ImageIndex = 2
              object CxTipoParada: TJvRadioGroup
                Left = 4
                Top = 2
                Width = 180
                Height = 52
                ItemIndex = 0
                Items.Strings = (
                  'Quantidade de Caracteristicas'
                  'Ganho m'#237'nimo')
                TabOrder = 0
                OnClick = cxTipoParadaClick
              end
              object Label4: TLabel
                Left = 6
                Top = 62
                Width = 150
                Height = 13
                Caption = 'Quantidade de Caracteristicas:'
              end
              object cxNiveis: TcxSpinEdit
                Left = 6
                Top = 78
                Width = 70
                Height = 21
                TabOrder = 1
                Value = 6
              end
              object Label7: TLabel
                Left = 6
                Top = 62
                Width = 76
                Height = 13
                Caption = 'Ganho M'#237'nimo:'
                Visible = False
              end
              object cxGanho: TcxSpinEdit
                Left = 6
                Top = 78
                Width = 70
                Height = 21
                TabOrder = 2
                Visible = False
                Value = 0
              end
            end
          end
        end
      end
    end
    object PDados: TPanel
      Left = 0
      Top = 245
      Width = 931
      Height = 266
      Align = alClient
      BevelOuter = bvNone
      TabOrder = 1
      object Paginas: TPageControl
        Left = 0
        Top = 0
        Width = 931
        Height = 266
        ActivePage = Dados
        Align = alClient
        TabOrder = 0
        object Dados: TTabSheet
          Caption = 'Dados'
          object Grade: TcxGrid
            Left = 0
            Top = 0
            Width = 923
            Height = 238
            Align = alClient
            TabOrder = 0
            object GradeDBTableView1: TcxGridDBTableView
              DataController.DataSource = DsTabela
              DataController.KeyFieldNames = 'ID_'
              DataController.DetailKeyFieldNames = 'ID_'
              DataController.Options = [dcoAnsiSort, dcoAssignGroupingValues, dcoAssignMasterDetailKeys, dcoSaveExpanding]
              DataController.Summary.DefaultGroupSummaryItems = <
                item
                  FieldName = 'FILLER6'
                end>
              DataController.Summary.FooterSummaryItems = <
                item
                  FieldName = 'FILLER1'
                end>
              DataController.Summary.SummaryGroups = <>
              OptionsData.DeletingConfirmation = False
              OptionsView.CellEndEllipsis = True
              OptionsView.HeaderEndEllipsis = True
              OptionsView.Indicator = True
            end
            object GradeLevel1: TcxGridLevel
              GridView = GradeDBTableView1
            end
          end
        end
        object Detalhes: TTabSheet
          Caption = 'M'#233'moria de C'#225'lculo'
          ImageIndex = 1
          object mm1: TMemo
            Left = 0
            Top = 0
            Width = 923
            Height = 238
            Align = alClient
            ScrollBars = ssBoth
            TabOrder = 0
          end
        end
        object Estrato: TTabSheet
          Caption = 'Estrato'
          ImageIndex = 2
          object Mestrato: TcxMemo
            Left = 0
            Top = 0
            Width = 923
            Height = 238
            Align = alClient
            Properties.ScrollBars = ssBoth
            TabOrder = 0
          end
        end
        object TabSheet1: TTabSheet
          Caption = #193'rvore'
          ImageIndex = 3
          object tvArvore: TTreeView
            Left = 0
            Top = 0
            Width = 923
            Height = 238
            Align = alClient
            Indent = 19
            PopupMenu = MenuArvore
            TabOrder = 0
          end
        end
        object TabSheet2: TTabSheet
          Caption = 'Relat'#243'rio'
          ImageIndex = 4
          object Redit1: TRichEdit
            Left = 0
            Top = 0
            Width = 923
            Height = 238
            Align = alClient
            PopupMenu = MenuRel
            ScrollBars = ssBoth
            TabOrder = 0
          end
        end
      end
    end
  end
  object dxBarManager1: TdxBarManager
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'Tahoma'
    Font.Style = []
    Bars = <
      item
        Caption = 'Principal'
        DockedDockingStyle = dsTop
        DockedLeft = 0
        DockedTop = 0
        DockingStyle = dsTop
        FloatLeft = 276
        FloatTop = 229
        FloatClientWidth = 23
        FloatClientHeight = 22
        ItemLinks = <
          item
            Item = btnGeraestrato
            Visible = True
          end
          item
            Item = SalvarCFG
            Visible = True
          end>
        Name = 'Principal'
        OneOnRow = True
        Row = 0
        UseOwnFont = False
        Visible = True
        WholeRow = True
      end>
    Categories.Strings = (
      'Default')
    Categories.ItemsVisibles = (
      2)
    Categories.Visibles = (
      True)
    UseSystemFont = True
    DockControlHeights = (
      0
      0
      26
      0)
  end
  object btnGeraestrato: TdxBarButton
    Caption = 'Gerar estrato'
    Category = 0
    Hint = 'Gerar estrato'
    Visible = ivAlways
    Glyph.Data = {
      36030000424D3603000000000000360000002800000010000000100000000100
      1800000000000003000000000000000000000000000000000000FF00FFFF00FF
      FF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00
      FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF
      00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FF
      FF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00
      FFFF00FFFF00FFFF00FFFF00FF00000000000000000000000000000000000000
      0000000000000000000000FF00FFFF00FFFF00FFFF00FFFF00FFFF00FF000000
      0080E00080E00080E00080E00080E00080E00080E00080E0000000FF00FFFF00
      FFFF00FFFF00FFFF00FFFF00FF0000000080E00080E00080E00080E00080E000
      80E00080E00080E0000000FF00FFFF00FFFF00FFFF00FFFF00FFFF00FF000000
      000000000000000000000000000000000000000000000000000000FF00FFFF00
      FFFF00FFFF00FFFF00FFFF00FF00000000000000000000000000000000000000
      0000000000000000000000000000000000FF00FFFF00FFFF00FFFF00FF000000
      00A00000A00000A00000A00000A00000A00000A00000A00000A00000A0000000
      00FF00FFFF00FFFF00FFFF00FF00000000A00000A00000A00000A00000A00000
      A00000A00000A00000A00000A000000000FF00FFFF00FFFF00FFFF00FF000000
      0000000000000000000000000000000000000000000000000000000000000000
      00FF00FFFF00FFFF00FFFF00FF00000000000000000000000000000000000000
      0000000000000000000000000000000000000000000000FF00FFFF00FF000000
      C08000C08000C08000C08000C08000C08000C08000C08000C08000C08000C080
      00C08000000000FF00FFFF00FF000000C08000C08000C08000C08000C08000C0
      8000C08000C08000C08000C08000C08000C08000000000FF00FFFF00FF000000
      0000000000000000000000000000000000000000000000000000000000000000
      00000000000000FF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF
      00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FF}
    PaintStyle = psCaptionGlyph
    OnClick = btnGeraestratoClick
  end
  object SalvarCFG: TdxBarButton
    Caption = 'Salvar Configura'#231#227'o'
    Category = 0
    Hint = 'Salvar Configura'#231#227'o'
    Visible = ivAlways
    Glyph.Data = {
      36030000424D3603000000000000360000002800000010000000100000000100
      1800000000000003000000000000000000000000000000000000FF00FFFF00FF
      FF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00
      FFFF00FFFF00FFFF00FFFF00FF800000800000800000C0C0C0C0C0C0C0C0C0C0
      C0C0C0C0C0C0C0C0C0C0C0C0C0C0800000800000800000FF00FFFF00FF800000
      800000800000C0C0C0C0C0C0C0C0C0C0C0C0C0C0C0800000800000C0C0C08000
      00800000800000FF00FFFF00FF800000800000800000C0C0C0C0C0C0C0C0C0C0
      C0C0C0C0C0800000800000C0C0C0800000800000800000FF00FFFF00FF800000
      800000800000C0C0C0C0C0C0C0C0C0C0C0C0C0C0C0800000800000C0C0C08000
      00800000800000FF00FFFF00FF800000800000800000C0C0C0C0C0C0C0C0C0C0
      C0C0C0C0C0C0C0C0C0C0C0C0C0C0800000800000800000FF00FFFF00FF800000
      8000008000008000008000008000008000008000008000008000008000008000
      00800000800000FF00FFFF00FF80000080000080000080000080000080000080
      0000800000800000800000800000800000800000800000FF00FFFF00FF800000
      800000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF
      FF800000800000FF00FFFF00FF800000800000FFFFFFFFFFFFFFFFFFFFFFFFFF
      FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF800000800000FF00FFFF00FF800000
      800000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF
      FF800000800000FF00FFFF00FF800000800000FFFFFFFFFFFFFFFFFFFFFFFFFF
      FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF800000800000FF00FFFF00FF800000
      800000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF
      FF800000800000FF00FFFF00FF800000800000FFFFFFFFFFFFFFFFFFFFFFFFFF
      FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF800000800000FF00FFFF00FF800000
      8000008000008000008000008000008000008000008000008000008000008000
      00800000FF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF
      00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FFFF00FF}
    PaintStyle = psCaptionGlyph
    OnClick = SalvarCFGClick
  end
  object btnAbrir: TdxBarButton
    Caption = 'Abrir Projeto'
    Category = 0
    Hint = 'Abrir Projeto'
    Visible = ivAlways
  end
  object btnSalvarProjetos: TdxBarButton
    Caption = 'Salvar Projetos'
    Category = 0
    Hint = 'Salvar Projetos'
    Visible = ivAlways
  end
  object BtnSalva: TdxBarButton
    Caption = 'Salvar'
    Category = 0
    Hint = 'Salvar'
    Visible = ivAlways
    OnClick = BtnSalvaClick
  end
  object dxBarSubItem1: TdxBarSubItem
    Caption = 'Arquivos'
    Category = 0
    Hint = 'Arquivos'
    Visible = ivAlways
    ItemLinks = <
      item
        Item = btnAbrir
        Visible = True
      end
      item
        Item = btnSalvarProjetos
        Visible = True
      end
      item
        BeginGroup = True
        Item = BtnSalva
        Visible = True
      end>
  end
  object Con: TADOConnection
    ConnectionString = 'Provider=Microsoft.Jet.OLEDB.4.0;Data Source=pesquisa.mdb'
    LoginPrompt = False
    Mode = cmShareDenyNone
  end
  object Tabela: TADOQuery
    Connection = Con
    CursorType = ctStatic
  end
  object DsTabela: TDataSource
    DataSet = Tabela
  end
  object Query: TADOQuery
    Connection = Con
  end
  object JSalvar: TJvSaveDialog
  end
  object LIGrandes: TImageList
    Height = 32
    Width = 32
  end
  object LIPequenas: TImageList
  end
  object MenuArvore: TPopupMenu
    object ExportarExcel1: TMenuItem
      Caption = 'Salvar'
      OnClick = ExportarExcel1Click
    end
  end
  object MenuRel: TPopupMenu
    Images = LIGrandes
    object MenuItem1: TMenuItem
      Caption = 'Salvar'
      OnClick = MenuItem1Click
    end
  end
  object Aguarde: TJvProgressDialog
    Caption = 'Processando...'
    ScreenPosition = poMainFormCenter
  end
  object JvAppIniFileStorage1: TJvAppIniFileStorage
    StorageOptions.BooleanStringTrueValues = 'TRUE, YES, Y'
    StorageOptions.BooleanStringFalseValues = 'FALSE, NO, N'
    AutoFlush = True
    AutoReload = True
    FileName = 'Prj_Movandi.ini'
  end
  object IniSave: TJvFormStorage
    AppStorage = JvAppIniFileStorage1
    AppStoragePath = 'Principal\'
    VersionCheck = fpvcNocheck
    OnSavePlacement = IniSaveSavePlacement
    OnRestorePlacement = IniSaveRestorePlacement
    StoredProps.Strings = (
      'ckCategoria.Checked'
      'GrTipo.ItemIndex'
      'Label4.Visible'
      'Label7.Visible'
      'cxGanho.Visible'
      'cxNiveis.Visible'
      'CxTipoParada.ItemIndex'
      'EdArquivo.FileName'
      'edTabela.Text'
      'cxQtdeMinCasos.Value')
    StoredValues = <
      item
        Name = 'QtdeCategorias'
        Value = 20
      end
      item
        Name = 'QtdeNiveis'
        Value = 6
      end
      item
        Name = 'cxGanho'
        Value = 0
      end>
  end
end
