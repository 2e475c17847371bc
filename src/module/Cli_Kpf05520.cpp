// The tax-entry screen's construction: the screen definition, its data sets, grid columns and
// message table, and the focus rule. The tax line's fields, start-up, editing, checks and the entry
// live in the other Cli_Kpf05520_*.cpp.
#include "Cli_Kpf05520.h"

#include "Blendedshape.h"
#include "Glifos.h"
#include "HandlerBinding.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "Tec_msg.h"
#include "Trad_utl.h"
#include "ui_Cli_Kpf05520.h"

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

void TfrmImpost::mudafoco5520()
{
    cdsImpRedZ->FieldByName(QString::fromLatin1(Entrada5520(nrCampo).nome))->FocusControl();
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
