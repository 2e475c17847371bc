// The keypad editor of the tax-entry screen: typed characters reach the pending tax line through
// postaTexto5520; the other handlers move between fields and lines.
#include "Blendedshape.h"
#include "Cli_Kpf05520.h"
#include "SysUtils.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"

namespace
{

const QString kVirgula = QStringLiteral(",");

// The entry text changes first; the field is written only when the text converts, so a refused
// text keeps its change and the field its previous value.
void EscreveNumero(TField *campo, const QString &texto)
{
    const double valor = StrToFloat(texto);
    campo->SetAsFloat(valor);
}

void AcrescentaNumero(QString &texto, TField *campo, const QString &acrescimo)
{
    if (acrescimo == kVirgula && texto.contains(kVirgula))
        return;
    texto += acrescimo;
    EscreveNumero(campo, texto);
}

// A one-character text becomes "0" rather than empty, so the field never loses its number.
void CorrigeNumero(QString &texto, TField *campo)
{
    if (texto.size() == 1)
        texto = QStringLiteral("0");
    else
        texto.chop(1);
    EscreveNumero(campo, texto);
}

// Enter and Escape run the buttons' own clicks, as a touch would.
void ClicaBotao(TfrmImpost *tela, const QString &nome, void (TfrmImpost::*handler)(QObject *))
{
    if (auto *botao = tela->findChild<TBlendedBitBtn *>(nome))
        botao->Click();
    else
        (tela->*handler)(tela);
}

} // namespace

void TfrmImpost::postaTexto5520(int /*campo*/, const QString &texto, bool boCorrige)
{
    if (cdsImpRedZ->State() != dsInsert) {
        if (!cdsImpRedZ->Active())
            cdsImpRedZ->CreateDataSet();
        cdsImpRedZ->First();
        cdsImpRedZ->Insert();
        LimpaTextos5520();
        nrCampo = 1;
        mudafoco5520();
    }

    const CampoImpRedZ &entrada = Entrada5520(nrCampo);
    TField *campo = cdsImpRedZ->FieldByName(QString::fromLatin1(entrada.nome));
    if (!boCorrige) {
        mudafoco5520();
        if (entrada.texto)
            AcrescentaNumero(Texto5520(entrada), campo, texto);
        else if (texto != kVirgula)
            campo->SetAsString(campo->AsString() + texto);
        return;
    }

    if (entrada.texto) {
        CorrigeNumero(Texto5520(entrada), campo);
    } else {
        QString restante = campo->AsString();
        restante.chop(1); // an empty text is written again as empty: still an assignment
        campo->SetAsString(restante);
    }
}

// A field checked on leaving its column is checked by the grid's selected column, which a touch
// on the grid may have moved away from nrCampo.
void TfrmImpost::VerificaAoSair5520()
{
    const auto *grade = findChild<TDBGrid *>(QStringLiteral("dbgImpRedZ"));
    const TField *selecionado = grade ? grade->SelectedField() : nullptr;
    const CampoImpRedZ *c = selecionado ? Descricao5520(selecionado->FieldName()) : nullptr;
    if (c && c->verificaAoSair)
        (this->*c->verifica)(false);
}

void TfrmImpost::sbt1Click(QObject *Sender)
{
    const auto *botao = qobject_cast<TBlendedBitBtn *>(Sender);
    if (!botao)
        return;
    postaTexto5520(nrCampo, botao->GetText(), false);
}

void TfrmImpost::sbtCorrigirClick(QObject * /*Sender*/)
{
    postaTexto5520(nrCampo, QString(), true);
}

void TfrmImpost::sbtEnterClick(QObject * /*Sender*/)
{
    VerificaAoSair5520();
    nrCampo = nrCampo >= TotalEntradas5520() ? 1 : nrCampo + 1;
    mudafoco5520();
}

void TfrmImpost::sbtVoltarClick(QObject * /*Sender*/)
{
    VerificaAoSair5520();
    nrCampo = nrCampo == 1 ? TotalEntradas5520() : nrCampo - 1;
    mudafoco5520();
}

void TfrmImpost::blsMaisClick(QObject * /*Sender*/)
{
    cdsImpRedZ->First();
    cdsImpRedZ->Insert();
}

void TfrmImpost::blsMenosClick(QObject * /*Sender*/)
{
    cdsImpRedZ->Delete();
    cdsImpRedZ->First();
}

void TfrmImpost::sbtAntClick(QObject * /*Sender*/)
{
    cdsImpRedZ->Prior();
}

void TfrmImpost::sbtProxClick(QObject * /*Sender*/)
{
    cdsImpRedZ->Next();
}

void TfrmImpost::FormKeyPress(QObject * /*Sender*/, QChar &Key)
{
    const char16_t codigo = Key.unicode();
    if (codigo == 13) {
        ClicaBotao(this, QStringLiteral("sbtEnter"), &TfrmImpost::sbtEnterClick);
        return;
    }
    if (codigo == 27)
        ClicaBotao(this, QStringLiteral("sbtVoltar"), &TfrmImpost::sbtVoltarClick);
    else if (codigo == 8)
        postaTexto5520(nrCampo, QString(), true);
    else if (codigo == u',' || (codigo >= u'0' && codigo <= u'9'))
        postaTexto5520(nrCampo, QString(Key), false);
}

void TfrmImpost::FormKeyDown(QObject * /*Sender*/, Word &Key, TShiftState Shift)
{
    if (Key == VK_F4 && Shift == TShiftState(ssAlt))
        Key = 0;
}

void TfrmImpost::dbgImpRedZKeyDown(QObject * /*Sender*/, Word &Key, TShiftState Shift)
{
    if (Key == VK_DELETE && Shift == TShiftState(ssCtrl))
        Key = 0;
}
