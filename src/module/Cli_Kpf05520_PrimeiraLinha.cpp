// The first tax line, for the fiscal printers whose Z reduction comes with one: made from the
// host's data set, or from the table's defaults when that set is empty, and posted through the
// checks like a typed line.
#include "Cli_Kpf05520.h"

#include "ComOrigem.h"
#include "SysUtils.h"
#include "TClientDataSet.h"
#include "Trad_utl.h"

#include <algorithm>
#include <array>

namespace
{

// Fiscal-printer types whose first tax line comes from the host's data.
constexpr std::array kTiposComPrimeiraLinha{14, 18, 19, 22, 24, 27, 28, 29, 31, 32};

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

bool TfrmImpost::TipoComPrimeiraLinha5520(int tipo)
{
    return std::find(kTiposComPrimeiraLinha.begin(), kTiposComPrimeiraLinha.end(), tipo) !=
           kTiposComPrimeiraLinha.end();
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
