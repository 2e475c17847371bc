// Start-up of the tax-entry screen: the initialization that the entry runs before showing it (key,
// data module, settings files, footer, first line from the host's data) and the activation that
// loads the stored lines.
#include "Cli_Kpf05520.h"

#include "Consiste.h"
#include "Exceptions.h"
#include "Mensagemkvr.h"
#include "Srv_Kpf05520.h"
#include "SysUtils.h"
#include "TADOConnection.h"
#include "TClientDataSet.h"
#include "Trad_utl.h"
#include "ui_Cli_Kpf05520.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <sys/stat.h>

namespace
{

const QString kParametros = QStringLiteral("PARAMETROSKVR.CDS");
const QString kKaviron = QStringLiteral("KAVIRON.CDS");

// Fiscal-printer types whose first tax line comes from the host's data.
constexpr std::array kTiposComPrimeiraLinha{14, 18, 19, 22, 24, 27, 28, 29, 31, 32};

QString DiretorioDoPrograma()
{
    return ExtractFileDir(ParamStr(0));
}

// Runs a step and lets its error travel on with the place it came from appended, keeping the
// platform's kind of error (the silent abort passes untouched).
template <typename Passo> void ComOrigem(const QString &origem, Passo passo)
{
    const auto comOrigem = [&origem](const Exception &e) {
        return QStringLiteral("%1 (%2)").arg(e.Message(), origem);
    };
    try {
        passo();
    } catch (const EAbort &) {
        throw;
    } catch (const EConvertError &e) {
        throw EConvertError(comOrigem(e));
    } catch (const EDatabaseError &e) {
        throw EDatabaseError(comOrigem(e));
    } catch (const Exception &e) {
        throw Exception(comOrigem(e));
    }
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

QString TextoDaOrigem(TDataSet *origem, const QString &campo)
{
    QString texto;
    ComOrigem(Trad_utl::TradTexto(QT_TRANSLATE_NOOP("Kpf05520", "dados do caixa")),
              [&] { texto = origem->FieldByName(campo)->AsString(); });
    return texto;
}

double ValorDaOrigem(TDataSet *origem, const QString &campo)
{
    double valor = 0;
    ComOrigem(
        Trad_utl::TradTexto(QT_TRANSLATE_NOOP("Kpf05520", "%1 dos dados do caixa")).arg(campo),
        [&] { valor = StrToFloat(origem->FieldByName(campo)->AsString()); });
    return valor;
}

} // namespace

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
    if (std::find(kTiposComPrimeiraLinha.begin(), kTiposComPrimeiraLinha.end(), tipo) ==
            kTiposComPrimeiraLinha.end() ||
        referenceDate != dtReducaoZ)
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

// The line is made while boCriado is still false, so the before-insert hook leaves it alone;
// the posting runs the checks and recomputes the tax value.
void TfrmImpost::CriaPrimeiraLinha5520(TDataSet *sourceData)
{
    // A host that passes no data set at all is treated like one that passes an empty one.
    const bool origemVazia = !sourceData || sourceData->IsEmpty();
    cdsImpRedZ->Close();
    cdsImpRedZ->CreateDataSet();
    cdsImpRedZ->Insert();
    EscreveChave5520();
    // The typed fields and the tax value, from the host's data or their defaults.
    for (const CampoImpRedZ &c : CamposImpRedZ()) {
        if (!c.origem)
            continue;
        TField *destino = cdsImpRedZ->FieldByName(QString::fromLatin1(c.nome));
        const QString coluna = QString::fromLatin1(c.origem);
        const QString padrao = QString::fromLatin1(c.padrao);
        if (c.tipo == TFieldType::ftString)
            destino->SetAsString(origemVazia ? padrao : TextoDaOrigem(sourceData, coluna));
        else
            destino->SetAsFloat(origemVazia ? StrToFloat(padrao)
                                            : ValorDaOrigem(sourceData, coluna));
    }
    cdsImpRedZ->Post();
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
