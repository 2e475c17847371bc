#pragma once

#include "DateTime.h"
#include "Keys.h"
#include "TField.h"
#include "TForm.h"
#include "Variant.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <span>
#include <vector>

// The screen and its entry are exported beside the C face for the in-process tests only; hosts
// use include/kpf05520.h.
#include "kpf05520_export.h"

class TClientDataSet;
class TDataSet;
class TMessages;
namespace Ui
{
class TfrmImpost;
}

// The tax-entry screen for one Z reduction: the grid of tax lines, the keypad editor, the checks
// and the two ways out. Its controls and data sets are children named as the screen definition
// names them (dbgImpRedZ, cdsImpRedZ, sbt1, blsConfirm, ...).
class TfrmImpost : public TForm
{
    Q_OBJECT
    Q_PROPERTY(int nrCampo READ NrCampo)
    // The entry texts as [name, text] pairs, in the table's order: what a screen dump shows.
    Q_PROPERTY(QVariantList textosEntrada READ TextosEntrada)
    Q_PROPERTY(QString idEsquema READ IdEsquema)
    Q_PROPERTY(QString idTipoImpFis READ IdTipoImpFis)

public:
    explicit TfrmImpost(QWidget *parent = nullptr);
    ~TfrmImpost() override;

    int NrCampo() const { return nrCampo; }
    // The entry texts, views of the table's: the rate's and the base value's.
    QString TxAliq() const { return TextoEntrada5520("txAliq"); }
    QString TxValor() const { return TextoEntrada5520("txValor"); }
    QString TextoEntrada5520(const char *nome) const;
    QVariantList TextosEntrada() const;
    QString IdEsquema() const { return idEsquema; }
    QString IdTipoImpFis() const { return idTipoImpFis; }
    const Variant &VrRetorno() const { return vrRetorno; }

    // The size of a persistent text field of a tax line (CDFILIAL, CDCAIXA, ...), 0 for others.
    static int TamanhoCampo(const QString &nome);

    // One persistent field of a tax line, and for a field the operator types how the keypad fills
    // it (into the field, or into an entry text of the screen's), how the grid shows it and how a
    // posting checks it. The typed fields are the ones with a grid width; nrCampo numbers them
    // from 1 in the table's order. The data module's query and fields match this table.
    struct CampoImpRedZ {
        const char *nome = nullptr;
        TFieldType tipo = TFieldType::ftString;
        int tamanho = 0;
        const char *rotulo = ""; // display label, and the grid title of a typed field
        bool visivel = true;
        const char *origem = nullptr; // column of the host's data that the first line takes
        const char *padrao = nullptr; // the first line's value when the host's data set is empty
        int largura = 0;              // grid width; 0: neither shown nor typed
        const char *texto =
            nullptr; // its entry text's name (txAliq); nullptr: typed into the field
        void (TfrmImpost::*verifica)(bool boObrigatorio) = nullptr; // run by every posting
        bool verificaAoSair = false;        // also run, leniently, when stepping off its column
        const char *chaveAusente = nullptr; // message key of a missing value
    };

    static std::span<const CampoImpRedZ> CamposImpRedZ();

    // The columns of the host's data set that the first line reads.
    static QStringList ColunasDeOrigem();

    void InicializaForm(const QString &branch, const QString &till, const QString &zCounter,
                        TDateTime zDate, TDateTime referenceDate, TDataSet *sourceData);
    void mudafoco5520();
    void postaTexto5520(int campo, const QString &texto, bool boCorrige);
    void Vd_CdImposto(bool boObrigatorio);
    void Vd_Aliq(bool boObrigatorio);
    void vd_Valor(bool boObrigatorio);

    TClientDataSet *cdsImpRedZ = nullptr;
    TClientDataSet *cdsPesqImp = nullptr;
    TClientDataSet *cdsParametrosKvr = nullptr;
    TClientDataSet *cdsKvr = nullptr;
    TMessages *msgPadrao = nullptr;

public slots:
    void FormCreate(QObject *Sender);
    void FormDestroy(QObject *Sender);
    void FormActivate(QObject *Sender);
    void FormKeyPress(QObject *Sender, QChar &Key);
    void FormKeyDown(QObject *Sender, Word &Key, TShiftState Shift);
    void dbgImpRedZKeyDown(QObject *Sender, Word &Key, TShiftState Shift);
    void sbt1Click(QObject *Sender);
    void sbtCorrigirClick(QObject *Sender);
    void sbtEnterClick(QObject *Sender);
    void sbtVoltarClick(QObject *Sender);
    void blsMaisClick(QObject *Sender);
    void blsMenosClick(QObject *Sender);
    void sbtAntClick(QObject *Sender);
    void sbtProxClick(QObject *Sender);
    void blsConfirmClick(QObject *Sender);
    void blsCancelClick(QObject *Sender);
    void cdsImpRedZBeforeInsert(TDataSet *DataSet);
    void cdsImpRedZBeforePost(TDataSet *DataSet);

private:
    // The tax line's table (Cli_Kpf05520_Campos.cpp).
    static const CampoImpRedZ kCamposImpRedZ[];
    static const CampoImpRedZ *Descricao5520(const QString &nome); // nullptr: no such field

    // The screen and its lifecycle (Cli_Kpf05520.cpp).
    void CriaConjuntos5520();
    void MontaColunas5520();
    void DesenhaGlifos5520();
    // The settings file's field, or nothing when the file is missing; errors name the file.
    bool LeConfiguracao5520(TClientDataSet *conjunto, const QString &arquivo, const QString &campo,
                            QString &valor);
    void AjustaRodape5520();

    // The editor (Cli_Kpf05520_Editing.cpp). The typed fields: how many, and the one numbered nr
    // (the last one for any number out of range, as the focus rule has it).
    static int TotalEntradas5520();
    static const CampoImpRedZ &Entrada5520(int nr);
    static int NrCampo5520(const QString &nome); // 0 for a field the operator never types
    void LimpaTextos5520();
    QString &Texto5520(const CampoImpRedZ &campo); // its entry text
    void VerificaAoSair5520();

    // The checks and confirmation (Cli_Kpf05520_Checks.cpp). The checks' failure report:
    // message, focus on the field, silent abort.
    [[noreturn]] void falhaCampo5520(const QString &chave, const TField *campo);
    // The checked field when it holds a value; nullptr when it does not and may stay so.
    TField *CampoPresente5520(const QString &nome, bool boObrigatorio);
    void EscreveChave5520();

    // The first line (Cli_Kpf05520_PrimeiraLinha.cpp).
    static bool TipoComPrimeiraLinha5520(int tipo); // a fiscal printer's Z comes with one
    void CriaPrimeiraLinha5520(TDataSet *sourceData);

    std::unique_ptr<Ui::TfrmImpost> ui;

    int nrCampo = 0;
    QString idEsquema;
    QString cdFilial;
    QString cdCaixa;
    QString nrEcfRedZ;
    std::vector<QString> textos5520; // the entry texts, one per row of the table
    QString idTipoImpFis;
    TDateTime dtReducaoZ = 0;
    Variant vrRetorno;
};

namespace Cli_Kpf05520
{

extern TfrmImpost *frmImpost;
extern bool boCriado;

// Refuses a call the screen cannot serve: no QApplication, another thread, or a call made while
// another runs. An Exception says which.
void ConfereChamada();

// Builds the screen for one Z reduction, shows it modally and returns what the operator
// confirmed (a packet), or an unassigned Variant. Errors of the screen's initialization reach the
// caller as exceptions; the screen and the data module are freed in every case.
Variant CriaImpostoRedZ(const QString &branch, const QString &till, const QString &zCounter,
                        TDateTime zDate, TDateTime referenceDate, TDataSet *sourceData);

} // namespace Cli_Kpf05520
