#include "Tec_msg.h"

#include "Exceptions.h"
#include "Trad_utl.h"

#include <QFile>

TMessages::TMessages(QObject *parent) : QObject(parent) {}

void TMessages::LoadFromFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(
            Trad_utl::TradTexto(
                QT_TRANSLATE_NOOP("Kpf05520",
                                  "Não foi possível ler a tabela de mensagens \"%1\": %2"))
                .arg(fileName, file.errorString()));
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    m_messages = lines;
}

QString TMessages::Msg(const QString &key) const
{
    for (const QString &line : m_messages) {
        const qsizetype bar = line.indexOf(QLatin1Char('|'));
        if (bar >= 0 && QStringView(line).left(bar) == key)
            return line.mid(bar + 1);
    }
    return key;
}
