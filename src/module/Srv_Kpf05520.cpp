#include "Srv_Kpf05520.h"

#include "Geralkvr.h"
#include "Kvr_molvane.h"
#include "TADOConnection.h"
#include "TADOQuery.h"
#include "TDataSetProvider.h"
#include "Trad_utl.h"

namespace
{

const QString DefinitionResource = QStringLiteral(":/kpf05520/Srv_Kpf05520.dmd");

// Runs one read of the data module and turns every failure into the host library's error text,
// so that the caller always gets a variant and nothing is raised.
template <class Read> Variant Guarded(Read read)
{
    using Srv_Kpf05520::rdmImpost;
    TADOConnection *connection = rdmImpost ? rdmImpost->adcImpost : nullptr;
    try {
        if (!rdmImpost)
            throw EDatabaseError(Trad_utl::TradTexto(
                QT_TRANSLATE_NOOP("Kpf05520", "o módulo de dados rdmImpost não foi criado")));
        return read(*rdmImpost);
    } catch (const std::exception &error) {
        return Variant::fromText(Kvr_molvane::ADOExceptionMessage(error, connection, QString()));
    } catch (...) {
        return Variant::fromText(Kvr_molvane::ADOExceptionMessage(
            Exception(Trad_utl::TradTexto(QT_TRANSLATE_NOOP("Kpf05520", "erro desconhecido"))),
            connection, QString()));
    }
}

} // namespace

TrdmImpost::TrdmImpost(QObject *parent) : TDataModule(parent)
{
    LoadDefinition(DefinitionResource);
    adcImpost = Component<TADOConnection>(QStringLiteral("adcImpost"));
    adqImpRedZ = Component<TADOQuery>(QStringLiteral("adqImpRedZ"));
    dspImpRedZ = Component<TDataSetProvider>(QStringLiteral("dspImpRedZ"));
    adqPesqImp = Component<TADOQuery>(QStringLiteral("adqPesqImp"));
    dspPesqImp = Component<TDataSetProvider>(QStringLiteral("dspPesqImp"));
}

TrdmImpost::~TrdmImpost() = default;

void TrdmImpost::adcImpostBeforeConnect(QObject *Sender)
{
    Q_UNUSED(Sender);
    adcImpost->SetConnectionString(Geralkvr::_GetStringConexKvr(QString()));
}

void TrdmImpost::adcImpostAfterConnect(QObject *Sender)
{
    Q_UNUSED(Sender);
    Kvr_molvane::SetADODBSession(adcImpost);
}

void TrdmImpost::MtsDataModuleActivate(QObject *Sender)
{
    Q_UNUSED(Sender);
    Kvr_molvane::TryConnect(adcImpost);
}

void TrdmImpost::MtsDataModuleDeactivate(QObject *Sender)
{
    Q_UNUSED(Sender);
    adcImpost->SetConnected(false);
}

namespace Srv_Kpf05520
{

TrdmImpost *rdmImpost = nullptr;

Variant GetImpRedZ(const QString &branch, const QString &till, TDateTime date)
{
    return Guarded([&](TrdmImpost &module) {
        TADOQuery *query = module.adqImpRedZ;
        TParameters &parameters = query->Parameters();
        query->Close();
        parameters.ParamByName(QStringLiteral("P_CDFILIAL")).SetAsString(branch);
        parameters.ParamByName(QStringLiteral("P_CDCAIXA")).SetAsString(till);
        parameters.ParamByName(QStringLiteral("P_DTREDUCAOZ")).SetAsDate(date);
        query->Open();
        return module.dspImpRedZ->Data();
    });
}

Variant GetPesqImp(const QString &code)
{
    return Guarded([&](TrdmImpost &module) {
        TADOQuery *query = module.adqPesqImp;
        query->Close();
        query->Parameters().ParamByName(QStringLiteral("P_CDIMPOSTO")).SetAsString(code);
        query->Open();
        return module.dspPesqImp->Data();
    });
}

} // namespace Srv_Kpf05520
