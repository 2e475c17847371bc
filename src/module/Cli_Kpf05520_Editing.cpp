// The editor of the tax-entry screen: the keys and the keypad, and the entry texts. Typed
// characters reach the pending tax line through postaTexto5520, into the field or its entry text;
// the other handlers move between fields and lines, and the focus follows nrCampo.
#include "Blendedshape.h"
#include "Cli_Kpf05520.h"
#include "SysUtils.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"

#include <algorithm>

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

void TfrmImpost::mudafoco5520()
{
    cdsImpRedZ->FieldByName(QString::fromLatin1(Entrada5520(nrCampo).nome))->FocusControl();
}

int TfrmImpost::TotalEntradas5520()
{
    return int(std::ranges::count_if(CamposImpRedZ(),
                                     [](const CampoImpRedZ &c) { return c.largura > 0; }));
}

const TfrmImpost::CampoImpRedZ &TfrmImpost::Entrada5520(int nr)
{
    const CampoImpRedZ *ultima = nullptr;
    int numero = 0;
    for (const CampoImpRedZ &c : CamposImpRedZ()) {
        if (c.largura == 0)
            continue;
        ultima = &c;
        if (++numero == nr)
            return c;
    }
    return *ultima;
}

int TfrmImpost::NrCampo5520(const QString &nome)
{
    int numero = 0;
    for (const CampoImpRedZ &c : CamposImpRedZ()) {
        if (c.largura > 0) {
            ++numero;
            if (nome == QLatin1String(c.nome))
                return numero;
        }
    }
    return 0;
}

void TfrmImpost::LimpaTextos5520()
{
    textos5520.assign(CamposImpRedZ().size(), QString());
}

QString &TfrmImpost::Texto5520(const CampoImpRedZ &campo)
{
    return textos5520[size_t(&campo - CamposImpRedZ().data())];
}

QString TfrmImpost::TextoEntrada5520(const char *nome) const
{
    const auto campos = CamposImpRedZ();
    for (size_t i = 0; i < campos.size(); ++i) {
        if (campos[i].texto && qstrcmp(campos[i].texto, nome) == 0)
            return textos5520[i];
    }
    return QString();
}

QVariantList TfrmImpost::TextosEntrada() const
{
    const auto campos = CamposImpRedZ();
    QVariantList textos;
    for (size_t i = 0; i < campos.size(); ++i) {
        if (campos[i].texto)
            textos.append(
                QVariant(QStringList{QString::fromLatin1(campos[i].texto), textos5520[i]}));
    }
    return textos;
}
