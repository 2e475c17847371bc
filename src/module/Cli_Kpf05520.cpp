// The tax-entry screen's construction: the screen definition, its data sets and message table,
// and the focus rule. Start-up, editing, checks and the entry live in the other Cli_Kpf05520_*.cpp.
#include "Cli_Kpf05520.h"

#include "Blendedshape.h"
#include "Glifos.h"
#include "HandlerBinding.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "Tec_msg.h"
#include "Trad_utl.h"
#include "ui_Cli_Kpf05520.h"

namespace
{

// The persistent fields of a tax line, in their order.
struct CampoPersistente {
    const char *nome;
    TFieldType tipo;
    int tamanho;
    const char *rotulo;
    bool visivel;
};

constexpr CampoPersistente kCamposImpRedZ[] = {
    {"CDFILIAL", TFieldType::ftString, 4, "", true},
    {"CDCAIXA", TFieldType::ftString, 3, "", true},
    {"NRECFREDZ", TFieldType::ftString, 10, "", true},
    {"DTREDUCAOZ", TFieldType::ftDate, 0, "", true},
    {"CDIMPOSTO", TFieldType::ftString, 2, QT_TRANSLATE_NOOP("Kpf05520", "Codigo Imposto"), true},
    {"VRALIQIMPRZ", TFieldType::ftFloat, 0, QT_TRANSLATE_NOOP("Kpf05520", "Aliquota"), true},
    {"VRBCALCIMPRZ", TFieldType::ftFloat, 0, QT_TRANSLATE_NOOP("Kpf05520", "Valor Acumulado"),
     true},
    {"VRIMPOSTORZ", TFieldType::ftFloat, 0, QT_TRANSLATE_NOOP("Kpf05520", "Valor"), false},
};

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

TClientDataSet *NovoConjunto(QObject *dono, const char *nome)
{
    auto *conjunto = new TClientDataSet(dono);
    conjunto->setObjectName(QString::fromLatin1(nome));
    return conjunto;
}

} // namespace

int TfrmImpost::TamanhoCampo(const QString &nome)
{
    for (const CampoPersistente &c : kCamposImpRedZ) {
        if (nome == QLatin1String(c.nome))
            return c.tamanho;
    }
    return 0;
}

TfrmImpost::TfrmImpost(QWidget *parent) : TForm(parent), ui(std::make_unique<Ui::TfrmImpost>())
{
    SubstituiFontesWindows();
    setFont(FontePadrao());
    ui->setupUi(this);
    CriaConjuntos5520();
    ui->dbgImpRedZ->SetDataSet(cdsImpRedZ);
    ui->dbgImpRedZ->SetColumns(
        {{QStringLiteral("CDIMPOSTO"), QStringLiteral("Codigo Imposto"), 93},
         {QStringLiteral("VRALIQIMPRZ"), QStringLiteral("Aliquota"), 88},
         {QStringLiteral("VRBCALCIMPRZ"), QStringLiteral("Valor Acumulado"), 221}});
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
    for (const CampoPersistente &c : kCamposImpRedZ) {
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

void TfrmImpost::mudafoco5520()
{
    const char *nome = nrCampo == 1 ? "CDIMPOSTO" : nrCampo == 2 ? "VRALIQIMPRZ" : "VRBCALCIMPRZ";
    cdsImpRedZ->FieldByName(QString::fromLatin1(nome))->FocusControl();
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
