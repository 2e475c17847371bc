#pragma once

#include <QObject>

// A non-visual container of components; destroying it destroys them.
class TDataModule : public QObject
{
    Q_OBJECT

public:
    explicit TDataModule(QObject *parent = nullptr) : QObject(parent) {}
};
