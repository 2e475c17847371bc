// The module's entry: builds the screen for one Z reduction, shows it modally, returns what was
// confirmed, and frees the screen and the data module in every case. Also the plain C export.
#include "Cli_Kpf05520.h"

#include "Exceptions.h"
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

void ConfereChamada()
{
    ConfereAmbiente();
    if (EmCurso())
        throw Exception(Trad_utl::TradTexto(
            QT_TRANSLATE_NOOP("Kpf05520", "CriaImpostoRedZ: chamada enquanto a chamada anterior "
                                          "ainda não voltou; a entrada não é reentrante e esta "
                                          "chamada foi recusada")));
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
        frmImpost->ShowModal();
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

namespace
{

// A NUL-terminated copy that the host releases with KpfFree; nullptr when memory is short.
char *CopiaTexto(const QByteArray &texto) noexcept
{
    auto *copia = static_cast<char *>(std::malloc(size_t(texto.size()) + 1));
    if (!copia)
        return nullptr;
    std::memcpy(copia, texto.constData(), size_t(texto.size()));
    copia[texto.size()] = '\0';
    return copia;
}

QString Texto(const char *texto, const char *nome)
{
    if (!texto)
        throw Exception(Trad_utl::TradTexto(
                            QT_TRANSLATE_NOOP("Kpf05520", "CriaImpostoRedz: o argumento %1 é nulo"))
                            .arg(QString::fromLatin1(nome)));
    return QString::fromUtf8(texto);
}

// The host's data set: the packet with its current record, or an empty one with the fields the
// screen reads.
void PreparaOrigem(TClientDataSet &origem, const char *pacote, int registro)
{
    if (!pacote) {
        for (const QString &nome : TfrmImpost::ColunasDeOrigem())
            origem.AddField(nome, TFieldType::ftString, 20);
        origem.CreateDataSet();
    } else {
        origem.SetData(Variant::fromPacket(QByteArray(pacote)));
    }
    const int total = origem.RecordCount();
    if (registro < 0 || (registro > 0 && registro >= total))
        throw Exception(
            Trad_utl::TradTexto(
                QT_TRANSLATE_NOOP("Kpf05520",
                                  "CriaImpostoRedz: registro corrente %1 fora do conjunto "
                                  "de origem, que tem %2 registro(s)"))
                .arg(registro)
                .arg(total));
    if (total > 0)
        origem.MoveToRow(registro);
}

int Falha(char **errorText, const QString &mensagem)
{
    *errorText = CopiaTexto(mensagem.toUtf8());
    return KPF_FAILED;
}

} // namespace

extern "C" KPF_EXPORT int CriaImpostoRedz(const char *branch, const char *till,
                                          const char *zCounter, double zDate, double referenceDate,
                                          const char *sourcePacket, int sourceRecord,
                                          char **resultPacket, char **errorText)
{
    if (resultPacket)
        *resultPacket = nullptr;
    if (!errorText)
        return KPF_FAILED;
    *errorText = nullptr;
    if (!resultPacket)
        return Falha(errorText,
                     Trad_utl::TradTexto(
                         QT_TRANSLATE_NOOP("Kpf05520", "CriaImpostoRedz: o argumento %1 é nulo"))
                         .arg(QLatin1String("resultPacket")));
    try {
        ConfereChamada();
        TClientDataSet origem;
        PreparaOrigem(origem, sourcePacket, sourceRecord);
        const Variant resultado = Cli_Kpf05520::CriaImpostoRedZ(
            Texto(branch, "branch"), Texto(till, "till"), Texto(zCounter, "zCounter"), zDate,
            referenceDate, &origem);
        if (!resultado.isPacket())
            return KPF_NOT_CONFIRMED;
        if (!(*resultPacket = CopiaTexto(resultado.packet())))
            return Falha(errorText, Trad_utl::TradTexto(QT_TRANSLATE_NOOP(
                                        "Kpf05520", "Memória insuficiente para o resultado")));
        return KPF_CONFIRMED;
    } catch (const EAbort &) {
        // A check refused the first line and has already told the operator why.
        return Falha(errorText, Trad_utl::TradTexto(QT_TRANSLATE_NOOP(
                                    "Kpf05520", "Operação cancelada: a primeira linha de imposto "
                                                "não foi aceita")));
    } catch (const Exception &e) {
        return Falha(errorText, e.Message());
    } catch (const std::exception &e) {
        return Falha(errorText, QString::fromUtf8(e.what()));
    } catch (...) {
        return Falha(errorText,
                     Trad_utl::TradTexto(QT_TRANSLATE_NOOP("Kpf05520", "Erro desconhecido")));
    }
}

extern "C" KPF_EXPORT void KpfFree(char *text)
{
    std::free(text);
}

namespace
{
// Qt ends the whole process when its platform finds no display; the host is told instead.
bool TemDisplay()
{
    const QByteArray plataforma = qgetenv("QT_QPA_PLATFORM");
    if (plataforma.startsWith("xcb"))
        return !qEnvironmentVariableIsEmpty("DISPLAY");
    if (plataforma.startsWith("wayland"))
        return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    return !plataforma.isEmpty() || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}
} // namespace

// For hosts that cannot make a QApplication themselves. Qt keeps a reference to argc and the
// argv pointers for the application's life, so both are copied into storage that never ends.
extern "C" KPF_EXPORT int KpfEnsureApplication(int *argc, char **argv)
{
    if (QCoreApplication::instance())
        return qobject_cast<QApplication *>(QCoreApplication::instance()) ? 0 : -1;
    if (!TemDisplay()) {
        std::fputs("KpfEnsureApplication: no display for the screen: set DISPLAY (X11) or "
                   "WAYLAND_DISPLAY (Wayland), or QT_QPA_PLATFORM (offscreen for tests)\n",
                   stderr);
        return -2;
    }
    static int argumentCount = 0;
    static std::vector<QByteArray> texts;
    static std::vector<char *> pointers;
    const int given = argc && argv ? std::max(*argc, 0) : 0;
    for (int i = 0; i < given && argv[i]; ++i)
        texts.emplace_back(argv[i]);
    if (texts.empty())
        texts.emplace_back("kpfhost");
    for (QByteArray &text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    argumentCount = int(texts.size());
    // Never deleted: the module may be unloaded only at exit, and Qt must outlive every widget.
    new QApplication(argumentCount, pointers.data());
    return 1;
}
