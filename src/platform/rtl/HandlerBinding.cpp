#include "HandlerBinding.h"

#include "Exceptions.h"

#include <QMetaMethod>

#include <algorithm>

namespace
{

Exception HandlerNotFound(const QObject *owner, const QString &name, const QObject *namedBy)
{
    return Exception(
        QStringLiteral("Handler '%1' named by %2 not found in %3")
            .arg(name, HandlerBinding::Describe(namedBy), HandlerBinding::Describe(owner)));
}

} // namespace

namespace HandlerBinding
{

QString Describe(const QObject *object)
{
    const QString name = object->objectName();
    return name.isEmpty() ? QString::fromLatin1(object->metaObject()->className()) : name;
}

QString DynamicText(const QObject *object, const char *property)
{
    const QList<QByteArray> names = object->dynamicPropertyNames();
    const bool has = std::any_of(names.begin(), names.end(),
                                 [property](const QByteArray &name) { return name == property; });
    return has ? object->property(property).toString() : QString();
}

int FindMethod(const QObject *owner, const char *name)
{
    return FindMethod(owner, name, -1);
}

int FindMethod(const QObject *owner, const char *name, int parameterCount)
{
    if (!owner || !name || !*name)
        return -1;
    const QMetaObject *meta = owner->metaObject();
    // Most derived first: a subclass's handler hides a base class's of the same name.
    for (int i = meta->methodCount() - 1; i >= 0; --i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Signal)
            continue;
        if (method.name() != name)
            continue;
        if (parameterCount < 0 || method.parameterCount() == parameterCount)
            return i;
    }
    return -1;
}

int RequireMethod(const QObject *owner, const QString &name, int parameterCount,
                  const QObject *namedBy)
{
    const int index = FindMethod(owner, name.toUtf8().constData(), parameterCount);
    if (index < 0)
        throw HandlerNotFound(owner, name, namedBy);
    return index;
}

int RequireHandler(const QObject *owner, const QString &name, const char *parameters,
                   const QObject *namedBy)
{
    const QByteArray signature = QMetaObject::normalizedSignature(
        QStringLiteral("%1(%2)").arg(name, QLatin1String(parameters)).toUtf8().constData());
    const QMetaObject *meta = owner->metaObject();
    const int index = meta->indexOfMethod(signature.constData());
    if (index >= 0 && meta->method(index).methodType() != QMetaMethod::Signal)
        return index;
    const int other = FindMethod(owner, name.toUtf8().constData());
    if (other < 0)
        throw HandlerNotFound(owner, name, namedBy);
    throw Exception(QStringLiteral("Handler '%1' named by %2 has the wrong parameters: %3 declares "
                                   "%4, the event calls %5")
                        .arg(name, HandlerBinding::Describe(namedBy),
                             HandlerBinding::Describe(owner),
                             QString::fromLatin1(meta->method(other).methodSignature()),
                             QString::fromLatin1(signature)));
}

void Invoke(QObject *owner, int methodIndex, void **argv)
{
    // Raw arguments through the meta-call, so references reach the handler and its exceptions
    // reach the caller.
    QMetaObject::metacall(owner, QMetaObject::InvokeMetaMethod, methodIndex, argv);
}

} // namespace HandlerBinding
