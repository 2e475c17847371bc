// The tax-entry screen and its lifecycle: its construction (the screen definition, data sets, grid
// columns, message table), the initialization that the entry runs before showing it (key, data
// module, settings files, footer), the activation that loads the stored lines, and its end. The
// other parts: the tax line's table (_Campos), the editor (_Editing), the checks and confirmation
// (_Checks), the first line (_PrimeiraLinha) and the entry (_Entry).
#include "Cli_Kpf05520.h"

#include "Blendedshape.h"
#include "ComOrigem.h"
#include "Consiste.h"
#include "Glifos.h"
#include "HandlerBinding.h"
#include "Mensagemkvr.h"
#include "Srv_Kpf05520.h"
#include "SysUtils.h"
#include "TADOConnection.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "Tec_msg.h"
#include "Trad_utl.h"
#include "ui_Cli_Kpf05520.h"

#include <QFile>
#include <algorithm>
#include <sys/stat.h>
#include <vector>

namespace
{

// The screen's fonts are the Windows ones; Liberation Sans has the metrics of Arial and stands in
// for MS Sans Serif too (fontconfig maps Arial itself, and Tahoma falls back to DejaVu Sans).
// Adding the same substitution again changes nothing.
void SubstituiFontesWindows()
{
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
}

// The default font of the screen. The Designer format keeps font sizes in points only, and the
// screen is laid out in pixels.
QFont FontePadrao()
{
    QFont fonte(QStringLiteral("MS Sans Serif"));
    fonte.setPixelSize(11);
    return fonte;
}

const QString kParametros = QStringLiteral("PARAMETROSKVR.CDS");
const QString kKaviron = QStringLiteral("KAVIRON.CDS");

QString DiretorioDoPrograma()
{
    return ExtractFileDir(ParamStr(0));
}

// What lies at a settings file's path when it is not a regular file ("um diretório", ...);
// empty when nothing does.
QString NaturezaDoCaminho(const QString &caminho)
{
    struct stat info {
    };
    if (::stat(QFile::encodeName(caminho).constData(), &info) != 0)
        return QString();
    if (S_ISDIR(info.st_mode))
        return Trad_utl::TradTexto(QT_TRANSLATE_NOOP("Kpf05520", "um diretório"));
    if (S_ISFIFO(info.st_mode))
        return Trad_utl::TradTexto(QT_TRANSLATE_NOOP("Kpf05520", "um FIFO (pipe nomeado)"));
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return Trad_utl::TradTexto(QT_TRANSLATE_NOOP("Kpf05520", "um dispositivo"));
    if (S_ISSOCK(info.st_mode))
        return Trad_utl::TradTexto(QT_TRANSLATE_NOOP("Kpf05520", "um socket"));
    return S_ISREG(info.st_mode) ? QString()
                                 : Trad_utl::TradTexto(QT_TRANSLATE_NOOP(
                                       "Kpf05520", "algo que não é um arquivo comum"));
}

TClientDataSet *NovoConjunto(QObject *dono, const char *nome)
{
    auto *conjunto = new TClientDataSet(dono);
    conjunto->setObjectName(QString::fromLatin1(nome));
    return conjunto;
}

} // namespace

TfrmImpost::TfrmImpost(QWidget *parent) : TForm(parent), ui(std::make_unique<Ui::TfrmImpost>())
{
    SubstituiFontesWindows();
    setFont(FontePadrao());
    ui->setupUi(this);
    LimpaTextos5520();
    CriaConjuntos5520();
    ui->dbgImpRedZ->SetDataSet(cdsImpRedZ);
    MontaColunas5520();
    msgPadrao = new TMessages(this);
    msgPadrao->setObjectName(QStringLiteral("msgPadrao"));
    msgPadrao->LoadFromFile(QStringLiteral(":/kpf05520/msgPadrao.txt"));
    DesenhaGlifos5520();
    FormCreated();
}

TfrmImpost::~TfrmImpost()
{
    FormDestroying();
}

void TfrmImpost::CriaConjuntos5520()
{
    cdsImpRedZ = NovoConjunto(this, "cdsImpRedZ");
    for (const CampoImpRedZ &c : CamposImpRedZ()) {
        TField *campo = cdsImpRedZ->AddField(QString::fromLatin1(c.nome), c.tipo, c.tamanho);
        campo->SetDisplayLabel(QString::fromLatin1(c.rotulo));
        campo->SetVisible(c.visivel);
    }
    cdsImpRedZ->setProperty("BeforeInsert", QStringLiteral("cdsImpRedZBeforeInsert"));
    cdsImpRedZ->setProperty("BeforePost", QStringLiteral("cdsImpRedZBeforePost"));
    cdsPesqImp = NovoConjunto(this, "cdsPesqImp");
    cdsParametrosKvr = NovoConjunto(this, "cdsParametrosKvr");
    cdsKvr = NovoConjunto(this, "cdsKvr");
}

void TfrmImpost::MontaColunas5520()
{
    std::vector<TDBGrid::Column> colunas;
    for (const CampoImpRedZ &c : CamposImpRedZ()) {
        if (c.largura > 0)
            colunas.push_back(
                {QString::fromLatin1(c.nome), QString::fromLatin1(c.rotulo), c.largura});
    }
    ui->dbgImpRedZ->SetColumns(std::move(colunas));
}

// The screen definition names each image-only button's picture; it takes the button's text
// colours, so it follows the normal and the disabled look.
void TfrmImpost::DesenhaGlifos5520()
{
    const QList<TBlendedBitBtn *> botoes = findChildren<TBlendedBitBtn *>();
    for (TBlendedBitBtn *botao : botoes) {
        Glifos::Glifo glifo;
        if (!Glifos::PorNome(HandlerBinding::DynamicText(botao, "Glifo"), glifo))
            continue;
        botao->SetGlyph(Glifos::Icone(glifo, botao->FontColor()));
        botao->SetGlyphDisabled(Glifos::Icone(glifo, botao->DisabledFontColor()));
    }
}

void TfrmImpost::FormCreate(QObject * /*Sender*/)
{
    Trad_utl::Trad(this);
    ui->dbgImpRedZ->SetDefaultColors(true);
}

void TfrmImpost::FormDestroy(QObject * /*Sender*/)
{
    Cli_Kpf05520::boCriado = false;
}

void TfrmImpost::InicializaForm(const QString &branch, const QString &till, const QString &zCounter,
                                TDateTime zDate, TDateTime referenceDate, TDataSet *sourceData)
{
    cdFilial = branch;
    cdCaixa = till;
    nrEcfRedZ = zCounter;
    dtReducaoZ = zDate;

    if (!Srv_Kpf05520::rdmImpost)
        Srv_Kpf05520::rdmImpost = new TrdmImpost(nullptr);
    Srv_Kpf05520::rdmImpost->adcImpost->SetConnected(true);

    LeConfiguracao5520(cdsParametrosKvr, kParametros, QStringLiteral("IDESQUEMA"), idEsquema);
    const bool temKaviron =
        LeConfiguracao5520(cdsKvr, kKaviron, QStringLiteral("IDTIPOIMPFIS"), idTipoImpFis);
    if (temKaviron && Consiste::EmptyString(idTipoImpFis))
        idTipoImpFis = QStringLiteral("00");

    ui->lblCodTela->setText(
        Mensagemkvr::MontaRodapeGeral(false, QStringLiteral("KPF05520"), QStringLiteral("N")));
    AjustaRodape5520();

    // Without KAVIRON.CDS the empty type would fail the conversion below; say which file is
    // missing, or what stands in its place.
    if (!temKaviron) {
        const QString natureza =
            NaturezaDoCaminho(DiretorioDoPrograma() + QLatin1Char('/') + kKaviron);
        if (!natureza.isEmpty())
            throw EConvertError(
                Trad_utl::TradTexto(
                    QT_TRANSLATE_NOOP("Kpf05520", "%1 em '%2' é %3, não um arquivo: sem ele o tipo "
                                                  "de impressora fiscal (IDTIPOIMPFIS) não é "
                                                  "conhecido"))
                    .arg(kKaviron, DiretorioDoPrograma(), natureza));
        throw EConvertError(
            Trad_utl::TradTexto(
                QT_TRANSLATE_NOOP("Kpf05520",
                                  "Arquivo %1 não encontrado em '%2': sem ele o tipo de "
                                  "impressora fiscal (IDTIPOIMPFIS) não é conhecido"))
                .arg(kKaviron, DiretorioDoPrograma()));
    }
    int tipo = 0;
    ComOrigem(QStringLiteral("IDTIPOIMPFIS em %1").arg(kKaviron),
              [&] { tipo = StrToInt(idTipoImpFis); });
    if (!TipoComPrimeiraLinha5520(tipo) || referenceDate != dtReducaoZ)
        return;
    CriaPrimeiraLinha5520(sourceData);
}

// The footer sizes itself to its text and keeps its right edge, as a right-aligned auto-sized
// label does: the design text "Kpf05520" fits its 49 pixels, the upper-case code does not.
void TfrmImpost::AjustaRodape5520()
{
    QLabel *rodape = ui->lblCodTela;
    const int direita = rodape->geometry().right();
    rodape->resize(std::max(rodape->width(), rodape->sizeHint().width()), rodape->height());
    rodape->move(direita - rodape->width() + 1, rodape->y());
}

// A settings file lies beside the host program; a missing one is no error here. Its field is read
// from the first record.
bool TfrmImpost::LeConfiguracao5520(TClientDataSet *conjunto, const QString &arquivo,
                                    const QString &campo, QString &valor)
{
    const QString caminho =
        ExtractShortPathName(DiretorioDoPrograma() + QLatin1Char('/') + arquivo);
    if (!FileExists(caminho))
        return false;
    conjunto->LoadFromFile(caminho);
    conjunto->SetActive(true);
    ComOrigem(QStringLiteral("em %1").arg(arquivo),
              [&] { valor = conjunto->FieldByName(campo)->AsString(); });
    return true;
}

void TfrmImpost::FormActivate(QObject * /*Sender*/)
{
    nrCampo = 1;
    if (!cdsImpRedZ->Active()) {
        const QString contexto =
            cdFilial + QLatin1Char('-') + cdCaixa + QLatin1Char('-') + DateTimeToStr(dtReducaoZ);
        const Variant linhas = Mensagemkvr::MensagemMetodo(
            Srv_Kpf05520::GetImpRedZ(cdFilial, cdCaixa, dtReducaoZ), true, 0,
            QStringLiteral("getImpRedZ"), QStringLiteral("Cli_Kpf05520"), contexto, idEsquema);
        cdsImpRedZ->SetData(linhas);
    }
    cdsImpRedZ->Open();
    mudafoco5520();
    LimpaTextos5520();
}
