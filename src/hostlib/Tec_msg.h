#pragma once

#include <QObject>
#include <QStringList>

// A message table: lines "KEY|text". Msg(key) gives the text; a key not in the table gives itself.
class TMessages : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList Messages READ Messages WRITE SetMessages)

public:
    explicit TMessages(QObject *parent = nullptr);

    QStringList &Messages() { return m_messages; }
    const QStringList &Messages() const { return m_messages; }
    void SetMessages(const QStringList &lines) { m_messages = lines; }
    // Replaces the table with the lines of a text file or Qt resource (UTF-8), one entry a line.
    // A file that cannot be read raises Exception naming it; the table is then left unchanged.
    void LoadFromFile(const QString &fileName);

    QString Msg(const QString &key) const;

private:
    QStringList m_messages;
};
