#pragma once

#include <QObject>
#include <QStringList>

// A message table: lines "KEY|text". Msg(key) gives the text; a key not in the table gives itself.
class TMessages : public QObject
{
    Q_OBJECT

public:
    explicit TMessages(QObject *parent = nullptr);

    QStringList &Messages() { return m_messages; }
    const QStringList &Messages() const { return m_messages; }
    void SetMessages(const QStringList &lines) { m_messages = lines; }
    // Loads the lines of a text resource or file (UTF-8), one entry a line.
    void LoadFromFile(const QString &fileName);

    QString Msg(const QString &key) const;

private:
    QStringList m_messages;
};
