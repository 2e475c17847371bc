// The tax line, described once: its persistent fields, and for the fields the operator types the
// grid column, the entry text, the check and the message of a missing value. The data set, the
// grid, the keypad editor, the checks and the first line all go by this table.
#include "Cli_Kpf05520.h"

// The titles go through the translator when the screen is created (Trad); the marks let lupdate
// find them.
// clang-format off
const TfrmImpost::CampoImpRedZ TfrmImpost::kCamposImpRedZ[] = {
    {.nome = "CDFILIAL", .tipo = TFieldType::ftString, .tamanho = 4},
    {.nome = "CDCAIXA", .tipo = TFieldType::ftString, .tamanho = 3},
    {.nome = "NRECFREDZ", .tipo = TFieldType::ftString, .tamanho = 10},
    {.nome = "DTREDUCAOZ", .tipo = TFieldType::ftDate},
    {.nome = "CDIMPOSTO", .tipo = TFieldType::ftString, .tamanho = 2,
     .rotulo = QT_TRANSLATE_NOOP("Kpf05520", "Codigo Imposto"),
     .origem = "CDIMPOSTO", .padrao = "00",
     .largura = 93, .verifica = &TfrmImpost::Vd_CdImposto, .verificaAoSair = true,
     .chaveAusente = "IMP_N_INF"},
    {.nome = "VRALIQIMPRZ", .tipo = TFieldType::ftFloat,
     .rotulo = QT_TRANSLATE_NOOP("Kpf05520", "Aliquota"),
     .origem = "VRALIQIMPFIS", .padrao = "0",
     .largura = 88, .texto = "txAliq", .verifica = &TfrmImpost::Vd_Aliq,
     .chaveAusente = "ALIQ_N_INF"},
    {.nome = "VRBCALCIMPRZ", .tipo = TFieldType::ftFloat,
     .rotulo = QT_TRANSLATE_NOOP("Kpf05520", "Valor Acumulado"),
     .origem = "VRVENDIDO", .padrao = "0",
     .largura = 221, .texto = "txValor", .verifica = &TfrmImpost::vd_Valor,
     .chaveAusente = "VALOR_N_INF"},
    {.nome = "VRIMPOSTORZ", .tipo = TFieldType::ftFloat,
     .rotulo = QT_TRANSLATE_NOOP("Kpf05520", "Valor"), .visivel = false,
     .origem = "VRIMPOSTO", .padrao = "0"},
};
// clang-format on

std::span<const TfrmImpost::CampoImpRedZ> TfrmImpost::CamposImpRedZ()
{
    return kCamposImpRedZ;
}

const TfrmImpost::CampoImpRedZ *TfrmImpost::Descricao5520(const QString &nome)
{
    for (const CampoImpRedZ &c : kCamposImpRedZ) {
        if (nome == QLatin1String(c.nome))
            return &c;
    }
    return nullptr;
}

int TfrmImpost::TamanhoCampo(const QString &nome)
{
    const CampoImpRedZ *c = Descricao5520(nome);
    return c ? c->tamanho : 0;
}

QStringList TfrmImpost::ColunasDeOrigem()
{
    QStringList colunas;
    for (const CampoImpRedZ &c : kCamposImpRedZ) {
        if (c.origem)
            colunas << QString::fromLatin1(c.origem);
    }
    return colunas;
}
