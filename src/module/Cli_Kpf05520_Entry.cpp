// The module's entry: builds the screen for one Z reduction, shows it modally, returns what was
// confirmed, and frees the screen and the data module in every case. Its C face is in
// Pkg_Kpf05520.cpp.
#include "Cli_Kpf05520.h"

#include "Exceptions.h"
#include "HostWindow.h"
#include "PackageBuild.h"
#include "Srv_Kpf05520.h"
#include "TClientDataSet.h"
#include "TScreen.h"
#include "Trad_utl.h"
#include "kpf05520.h"

#include <QApplication>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

TfrmImpost *Cli_Kpf05520::frmImpost = nullptr;
bool Cli_Kpf05520::boCriado = false;

namespace
{

// The screen needs the host's QApplication and its user-interface thread; without them Qt would
// end the process instead of failing the call.
void ConfereAmbiente()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        throw Exception(Trad_utl::TradTexto(
            QT_TRANSLATE_NOOP("Kpf05520", "CriaImpostoRedZ: o host não criou a QApplication")));
    if (QThread::currentThread() != QCoreApplication::instance()->thread())
        throw Exception(Trad_utl::TradTexto(QT_TRANSLATE_NOOP(
            "Kpf05520", "CriaImpostoRedZ: chamada fora da thread da interface com o usuário")));
}

// True from the start of a call until it returns. The screen and the data module are
// module-wide, so a call made while another runs (from a message observer, say) would free the
// first call's screen under it.
bool &EmCurso()
{
    static bool emCurso = false;
    return emCurso;
}

class ChamadaEmCurso
{
public:
    ChamadaEmCurso() { EmCurso() = true; }
    ~ChamadaEmCurso() { EmCurso() = false; }
    ChamadaEmCurso(const ChamadaEmCurso &) = delete;
    ChamadaEmCurso &operator=(const ChamadaEmCurso &) = delete;
};

// A key longer than its field would be cut when the line is written, and the line would belong
// to another Z reduction than the one searched for. nome: what the key is, in the texts' language.
void ConfereChave(const QString &valor, const char *nome, const char *campo)
{
    const int tamanho = TfrmImpost::TamanhoCampo(QString::fromLatin1(campo));
    if (valor.size() > tamanho)
        throw Exception(
            Trad_utl::TradTexto(
                QT_TRANSLATE_NOOP("Kpf05520", "CriaImpostoRedZ: %1 (%2) '%3' tem %4 caracteres; o "
                                              "campo tem %5"))
                .arg(Trad_utl::TradTexto(nome), QLatin1String(campo), valor)
                .arg(valor.size())
                .arg(tamanho));
}

// The platform's dates run from 0001-01-01 (-693593) to 9999-12-31 (2958465 and its time of
// day); before 1899-12-30 the time of day is subtracted.
void ConfereData(TDateTime valor, const char *nome, const char *argumento)
{
    constexpr double kPrimeiroDia = -693593;
    constexpr double kDepoisDoUltimo = 2958466;
    if (!(valor > kPrimeiroDia - 1 && valor < kDepoisDoUltimo))
        throw Exception(
            Trad_utl::TradTexto(
                QT_TRANSLATE_NOOP("Kpf05520",
                                  "CriaImpostoRedZ: %1 (%2) %3 não é uma data entre os anos "
                                  "1 e 9999"))
                .arg(Trad_utl::TradTexto(nome), QLatin1String(argumento),
                     QString::number(valor, 'g', 17)));
}

// The data module first, then the screen, whose destroy handler clears boCriado.
void LiberaTelaEModulo()
{
    delete std::exchange(Srv_Kpf05520::rdmImpost, nullptr);
    delete std::exchange(Cli_Kpf05520::frmImpost, nullptr);
}

} // namespace

void Cli_Kpf05520::ConfereChamada()
{
    PackageBuild::Confere(KPF_BUILD_ID);
    ConfereAmbiente();
    if (EmCurso())
        throw Exception(Trad_utl::TradTexto(
            QT_TRANSLATE_NOOP("Kpf05520", "CriaImpostoRedZ: chamada enquanto a chamada anterior "
                                          "ainda não voltou; a entrada não é reentrante e esta "
                                          "chamada foi recusada")));
}

Variant Cli_Kpf05520::CriaImpostoRedZ(const QString &branch, const QString &till,
                                      const QString &zCounter, TDateTime zDate,
                                      TDateTime referenceDate, TDataSet *sourceData)
{
    ConfereChamada();
    ConfereChave(branch, QT_TRANSLATE_NOOP("Kpf05520", "a filial"), "CDFILIAL");
    ConfereChave(till, QT_TRANSLATE_NOOP("Kpf05520", "o caixa"), "CDCAIXA");
    ConfereChave(zCounter, QT_TRANSLATE_NOOP("Kpf05520", "o contador da redução Z"), "NRECFREDZ");
    ConfereData(zDate, QT_TRANSLATE_NOOP("Kpf05520", "a data da redução Z"), "zDate");
    ConfereData(referenceDate, QT_TRANSLATE_NOOP("Kpf05520", "a data de referência"),
                "referenceDate");
    const ChamadaEmCurso chamada;
    Variant resultado;
    try {
        Screen().SetCursor(crHourGlass);
        if (!boCriado) {
            frmImpost = new TfrmImpost(nullptr);
            frmImpost->InicializaForm(branch, till, zCounter, zDate, referenceDate, sourceData);
            boCriado = true;
        }
        frmImpost->SetWindowState(TForm::wsNormal);
        Screen().SetCursor(crDefault);
        HostWindow::Instance().Attach(frmImpost);
        frmImpost->ShowModal();
        HostWindow::Instance().GiveBack();
        resultado = frmImpost->VrRetorno();
    } catch (...) {
        // A failed creation or initialization must not leave the host with a busy cursor.
        Screen().SetCursor(crDefault);
        LiberaTelaEModulo();
        throw;
    }
    LiberaTelaEModulo();
    return resultado;
}
