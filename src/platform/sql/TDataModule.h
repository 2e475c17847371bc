#pragma once

#include "Exceptions.h"

#include <QObject>

// A non-visual container of components; destroying it destroys them.
//
// A data module builds its components from a definition resource (XML): one <Component> per
// component, in creation order, with its properties, its event handlers (methods of the data module
// named in the definition, bound by name), and for queries their parameters, SQL lines and
// persistent fields. See resources/Srv_Kpf05520.dmd for the form.
class TDataModule : public QObject
{
    Q_OBJECT

public:
    explicit TDataModule(QObject *parent = nullptr) : QObject(parent) {}

    // Creates the definition's components as children, in its order. Raises Exception naming the
    // resource, line and column of anything it does not understand.
    void LoadDefinition(const QString &resourcePath);

    // The component of that name and class; Exception when there is none.
    template <class T> T *Component(const QString &name) const
    {
        T *component = findChild<T *>(name, Qt::FindDirectChildrenOnly);
        if (!component)
            throw Exception(
                QStringLiteral("%1: componente '%2' (%3) não encontrado")
                    .arg(objectName(), name, QString::fromLatin1(T::staticMetaObject.className())));
        return component;
    }
};
