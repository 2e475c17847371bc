// The checks a tax line must pass before the list stores it, the tax computation, and the two
// ways out of the screen.
#include "Cli_Kpf05520.h"
#include "Consiste.h"
#include "Exceptions.h"
#include "Mensagemkvr.h"
#include "Srv_Kpf05520.h"
#include "TClientDataSet.h"
#include "Tec_msg.h"

namespace
{

// Nothing was loaded (the read failed) and nothing typed: the operator confirms an empty list
// without changes, which is an empty packet of the tax-line fields.
Variant PacoteVazio(const TClientDataSet *lista)
{
    TClientDataSet vazio;
    for (const auto &campo : lista->Fields())
        vazio.AddField(campo->FieldName(), campo->DataType(), campo->Size());
    vazio.CreateDataSet();
    return vazio.Data();
}

} // namespace

void TfrmImpost::falhaCampo5520(const QString &chave, const TField *campo)
{
    Mensagemkvr::Mensagem(msgPadrao->Msg(chave), QString(), QStringLiteral("N"),
                          QStringLiteral("N"), static_cast<TTipoMsg>(3), QString(), idEsquema, 0,
                          nullptr);
    nrCampo = NrCampo5520(campo->FieldName());
    mudafoco5520();
    Abort();
}

TField *TfrmImpost::CampoPresente5520(const QString &nome, bool boObrigatorio)
{
    TField *campo = cdsImpRedZ->FieldByName(nome);
    if (!Consiste::EmptyString(campo->AsString()))
        return campo;
    if (boObrigatorio)
        falhaCampo5520(QString::fromLatin1(Descricao5520(nome)->chaveAusente), campo);
    return nullptr;
}

// Looked up on every call: a code accepted before may have left the table since.
void TfrmImpost::Vd_CdImposto(bool boObrigatorio)
{
    TField *codigo = CampoPresente5520(QStringLiteral("CDIMPOSTO"), boObrigatorio);
    if (!codigo)
        return;
    codigo->SetAsString(Consiste::Ajusta(codigo->AsString(), codigo->Size()));
    const QString cdImposto = codigo->AsString();
    const Variant pacote = Mensagemkvr::MensagemMetodo(
        Srv_Kpf05520::GetPesqImp(cdImposto), true, 0, QStringLiteral("getPesqImp"),
        QStringLiteral("Cli_Kpf05520"), cdImposto, idEsquema);
    cdsPesqImp->SetData(pacote);
    if (cdsPesqImp->IsEmpty())
        falhaCampo5520(QStringLiteral("IMP_N_CAD"), codigo);
}

void TfrmImpost::Vd_Aliq(bool boObrigatorio)
{
    const TField *aliquota = CampoPresente5520(QStringLiteral("VRALIQIMPRZ"), boObrigatorio);
    if (aliquota && aliquota->AsFloat() > 99.9)
        falhaCampo5520(QStringLiteral("ALIQ_VAL"), aliquota);
}

void TfrmImpost::vd_Valor(bool boObrigatorio)
{
    CampoPresente5520(QStringLiteral("VRBCALCIMPRZ"), boObrigatorio);
}

// Whatever the line held in its key is replaced by the Z reduction the screen was called for.
void TfrmImpost::EscreveChave5520()
{
    cdsImpRedZ->FieldByName(QStringLiteral("CDFILIAL"))->SetAsString(cdFilial);
    cdsImpRedZ->FieldByName(QStringLiteral("CDCAIXA"))->SetAsString(cdCaixa);
    cdsImpRedZ->FieldByName(QStringLiteral("NRECFREDZ"))->SetAsString(nrEcfRedZ);
    cdsImpRedZ->FieldByName(QStringLiteral("DTREDUCAOZ"))->SetAsDateTime(DateOf(dtReducaoZ));
}

void TfrmImpost::cdsImpRedZBeforePost(TDataSet * /*DataSet*/)
{
    // In the table's order, so the operator hears of the first faulty field only.
    for (const CampoImpRedZ &c : CamposImpRedZ()) {
        if (c.verifica)
            (this->*c.verifica)(true);
    }

    EscreveChave5520();

    // Product and quotient in extended precision, rounded to a double once, so that the cut to
    // cents sees the decimal value the operator typed (29 % of 1,00 is 0,29, not 0,28).
    const long double aliquota = cdsImpRedZ->FieldByName(QStringLiteral("VRALIQIMPRZ"))->AsFloat();
    const long double base = cdsImpRedZ->FieldByName(QStringLiteral("VRBCALCIMPRZ"))->AsFloat();
    const double quociente = static_cast<double>(aliquota * base / 100.0L);
    cdsImpRedZ->FieldByName(QStringLiteral("VRIMPOSTORZ"))->SetAsFloat(Consiste::Trunc2(quociente));
}

void TfrmImpost::cdsImpRedZBeforeInsert(TDataSet * /*DataSet*/)
{
    if (!Cli_Kpf05520::boCriado)
        return;
    nrCampo = 1;
    mudafoco5520();
    LimpaTextos5520();
}

void TfrmImpost::blsConfirmClick(QObject * /*Sender*/)
{
    if (cdsImpRedZ->State() == dsInsert) {
        try {
            cdsImpRedZ->Post();
        } catch (...) {
            // A failed check has shown its message already; the line stays pending for correction.
            return;
        }
    }
    vrRetorno = cdsImpRedZ->Active() ? cdsImpRedZ->Data() : PacoteVazio(cdsImpRedZ);
    Close();
}

void TfrmImpost::blsCancelClick(QObject * /*Sender*/)
{
    Close();
}
