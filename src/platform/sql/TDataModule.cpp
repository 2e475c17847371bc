#include "TDataModule.h"

#include "HandlerBinding.h"
#include "RecordedXml.h"
#include "TADOConnection.h"
#include "TADOQuery.h"
#include "TDataSetProvider.h"

#include <QFile>
#include <QPointer>

namespace
{

// Reads one data-module definition into the module's children. The definition's XML is parsed
// once per process (RecordedXml); every module is built from the recorded elements.
class DefinitionReader
{
public:
    DefinitionReader(TDataModule *module, QString path, std::shared_ptr<const RecordedXml> xml)
        : m_module(module), m_path(std::move(path)), m_xml(std::move(xml))
    {
    }

    void Read()
    {
        if (!m_xml.readNextStartElement() || m_xml.name() != u"DataModule")
            Fail(QStringLiteral("falta o elemento DataModule"));
        const QString className = Attribute("class");
        if (className != QLatin1String(m_module->metaObject()->className()))
            Fail(QStringLiteral("a definição é de %1, não de %2")
                     .arg(className, QLatin1String(m_module->metaObject()->className())));
        if (m_module->objectName().isEmpty())
            m_module->setObjectName(Attribute("name"));
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != u"Component")
                Fail(QStringLiteral("elemento %1 inesperado").arg(m_xml.name()));
            ReadComponent();
        }
        if (m_xml.hasError())
            Fail(m_xml.errorString());
    }

private:
    [[noreturn]] void Fail(const QString &text) const
    {
        throw Exception(QStringLiteral("Definição %1, linha %2, coluna %3: %4")
                            .arg(m_path)
                            .arg(m_xml.lineNumber())
                            .arg(m_xml.columnNumber())
                            .arg(text));
    }

    QString Attribute(const char *name, bool required = true) const
    {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        if (required && !attributes.hasAttribute(QLatin1String(name)))
            Fail(QStringLiteral("falta o atributo %1").arg(QLatin1String(name)));
        return attributes.value(QLatin1String(name)).toString();
    }

    bool Bool(const QString &text) const
    {
        if (text.compare(u"True", Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(u"False", Qt::CaseInsensitive) != 0)
            Fail(QStringLiteral("'%1' não é True nem False").arg(text));
        return false;
    }

    template <class T> T *Reference(const QString &name) const
    {
        T *component = m_module->findChild<T *>(name, Qt::FindDirectChildrenOnly);
        if (!component)
            Fail(QStringLiteral("o componente %1 não foi definido antes").arg(name));
        return component;
    }

    void ReadComponent()
    {
        const QString className = Attribute("class");
        const QString name = Attribute("name");
        if (m_module->findChild<QObject *>(name, Qt::FindDirectChildrenOnly))
            Fail(QStringLiteral("o componente %1 já existe").arg(name));
        QObject *component = nullptr;
        if (className == u"TADOConnection")
            component = new TADOConnection(m_module);
        else if (className == u"TADOQuery")
            component = new TADOQuery(m_module);
        else if (className == u"TDataSetProvider")
            component = new TDataSetProvider(m_module);
        else
            Fail(QStringLiteral("classe %1 desconhecida").arg(className));
        component->setObjectName(name);
        while (m_xml.readNextStartElement())
            ReadMember(component);
    }

    void ReadMember(QObject *component)
    {
        const auto query = qobject_cast<TADOQuery *>(component);
        if (m_xml.name() == u"Property") {
            SetProperty(component, Attribute("name"), Attribute("value"));
            m_xml.skipCurrentElement();
        } else if (m_xml.name() == u"Event") {
            BindEvent(component, Attribute("name"), Attribute("handler"));
            m_xml.skipCurrentElement();
        } else if (query && m_xml.name() == u"Parameters") {
            ReadList(u"Parameter", [&] { ReadParameter(query); });
        } else if (query && m_xml.name() == u"SQL") {
            ReadList(u"Line", [&] { query->SQL() << m_xml.readElementText(); });
        } else if (query && m_xml.name() == u"Fields") {
            ReadList(u"Field", [&] { ReadField(query); });
        } else {
            Fail(QStringLiteral("elemento %1 inesperado em %2")
                     .arg(m_xml.name(), component->objectName()));
        }
    }

    template <class F> void ReadList(QStringView itemName, F readItem)
    {
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != itemName)
                Fail(QStringLiteral("elemento %1 inesperado; esperado %2")
                         .arg(m_xml.name(), itemName));
            readItem();
        }
    }

    void SetProperty(QObject *component, const QString &name, const QString &value)
    {
        if (auto connection = qobject_cast<TADOConnection *>(component)) {
            if (name == u"LoginPrompt")
                return connection->SetLoginPrompt(Bool(value));
            if (name == u"Provider")
                return connection->SetProvider(value);
            if (name == u"ConnectionString")
                return connection->SetConnectionString(value);
        } else if (auto query = qobject_cast<TADOQuery *>(component)) {
            if (name == u"Connection")
                return query->SetConnection(Reference<TADOConnection>(value));
            if (name == u"EnableBCD")
                return query->SetEnableBCD(Bool(value));
        } else if (auto provider = qobject_cast<TDataSetProvider *>(component)) {
            if (name == u"DataSet")
                return provider->SetDataSet(Reference<TDataSet>(value));
            if (name == u"Constraints")
                return provider->SetConstraints(Bool(value));
        }
        Fail(
            QStringLiteral("propriedade %1 desconhecida em %2").arg(name, component->objectName()));
    }

    void BindEvent(QObject *component, const QString &event, const QString &handler)
    {
        auto connection = qobject_cast<TADOConnection *>(component);
        if (!connection || (event != u"BeforeConnect" && event != u"AfterConnect"))
            Fail(
                QStringLiteral("evento %1 desconhecido em %2").arg(event, component->objectName()));
        const int index = HandlerBinding::FindMethod(m_module, handler.toLatin1().constData());
        if (index < 0)
            Fail(QStringLiteral("o método %1 não existe em %2")
                     .arg(handler, QLatin1String(m_module->metaObject()->className())));
        QPointer<TDataModule> owner = m_module;
        auto call = [owner, index](QObject *sender) {
            if (!owner)
                return;
            void *argv[] = {nullptr, &sender};
            HandlerBinding::Invoke(owner, index, argv);
        };
        (event == u"BeforeConnect" ? connection->BeforeConnect : connection->AfterConnect) = call;
    }

    void ReadParameter(TADOQuery *query)
    {
        static const QHash<QString, TParamDataType> types = {
            {QStringLiteral("ftString"), TParamDataType::ftString},
            {QStringLiteral("ftDate"), TParamDataType::ftDate},
            {QStringLiteral("ftDateTime"), TParamDataType::ftDateTime},
            {QStringLiteral("ftFloat"), TParamDataType::ftFloat},
            {QStringLiteral("ftInteger"), TParamDataType::ftInteger}};
        const QString type = Attribute("dataType");
        if (!types.contains(type))
            Fail(QStringLiteral("tipo de parâmetro %1 desconhecido").arg(type));
        TParameter &param = query->Parameters().Add(Attribute("name"), types[type], Number("size"));
        const QString value = Attribute("value", false);
        if (!value.isEmpty() && value != u"Null")
            param.SetAsString(value);
        m_xml.skipCurrentElement();
    }

    void ReadField(TADOQuery *query)
    {
        const QString type = Attribute("type");
        const std::optional<TFieldType> fieldType = FieldTypes::FromName(type);
        if (!fieldType)
            Fail(QStringLiteral("tipo de campo %1 desconhecido").arg(type));
        const int size = *fieldType == TFieldType::ftString ? Number("size") : 0;
        query->AddField(Attribute("name"), *fieldType, size);
        m_xml.skipCurrentElement();
    }

    int Number(const char *attribute) const
    {
        bool ok = false;
        const int value = Attribute(attribute).toInt(&ok);
        if (!ok || value < 0)
            Fail(QStringLiteral("%1 deve ser um número inteiro").arg(QLatin1String(attribute)));
        return value;
    }

    TDataModule *m_module;
    QString m_path;
    RecordedXml::Cursor m_xml;
};

} // namespace

void TDataModule::LoadDefinition(const QString &resourcePath)
{
    QFile file(resourcePath);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(
            QStringLiteral("Definição do módulo de dados não encontrada: %1").arg(resourcePath));
    DefinitionReader(this, resourcePath, RecordedXml::Shared(resourcePath, file.readAll())).Read();
}
