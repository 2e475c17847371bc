#pragma once

#include "DateTime.h"
#include "TDataModule.h"
#include "Variant.h"

#include <QString>

class TADOConnection;
class TADOQuery;
class TDataSetProvider;

// The data module: one connection, two read-only queries and their providers, created from the
// data-module definition in the resources.
class TrdmImpost : public TDataModule
{
    Q_OBJECT

public:
    explicit TrdmImpost(QObject *parent = nullptr);
    ~TrdmImpost() override;

    TADOConnection *adcImpost = nullptr;
    TADOQuery *adqImpRedZ = nullptr;
    TDataSetProvider *dspImpRedZ = nullptr;
    TADOQuery *adqPesqImp = nullptr;
    TDataSetProvider *dspPesqImp = nullptr;

public slots:
    void adcImpostBeforeConnect(QObject *Sender);
    void adcImpostAfterConnect(QObject *Sender);
    void MtsDataModuleActivate(QObject *Sender);
    void MtsDataModuleDeactivate(QObject *Sender);
};

namespace Srv_Kpf05520
{

extern TrdmImpost *rdmImpost;

// The stored lines of a Z reduction (branch, till, date) as a packet, or the error text.
Variant GetImpRedZ(const QString &branch, const QString &till, TDateTime date);
// The rows of IMPOSTO with that code as a packet, or the error text.
Variant GetPesqImp(const QString &code);

} // namespace Srv_Kpf05520
