<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES" sourcelanguage="pt_BR">
<context>
    <name>Kpf05520</name>
    <message>
        <source>Impostos</source>
        <translation>Impuestos</translation>
    </message>
    <message>
        <source>Moldura</source>
        <translation>Marco</translation>
    </message>
    <message>
        <source>Título</source>
        <translation>Título</translation>
    </message>
    <message>
        <source>Lista de impostos</source>
        <translation>Lista de impuestos</translation>
    </message>
    <message>
        <source>Impostos da redução Z</source>
        <translation>Impuestos de la reducción Z</translation>
    </message>
    <message>
        <source>Linha anterior</source>
        <translation>Línea anterior</translation>
    </message>
    <message>
        <source>Próxima linha</source>
        <translation>Línea siguiente</translation>
    </message>
    <message>
        <source>Nova linha</source>
        <translation>Nueva línea</translation>
    </message>
    <message>
        <source>Excluir linha</source>
        <translation>Eliminar línea</translation>
    </message>
    <message>
        <source>Confirmar</source>
        <translation>Confirmar</translation>
    </message>
    <message>
        <source>Cancelar</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Dígito 0</source>
        <translation>Dígito 0</translation>
    </message>
    <message>
        <source>Dígito 1</source>
        <translation>Dígito 1</translation>
    </message>
    <message>
        <source>Dígito 2</source>
        <translation>Dígito 2</translation>
    </message>
    <message>
        <source>Dígito 3</source>
        <translation>Dígito 3</translation>
    </message>
    <message>
        <source>Dígito 4</source>
        <translation>Dígito 4</translation>
    </message>
    <message>
        <source>Dígito 5</source>
        <translation>Dígito 5</translation>
    </message>
    <message>
        <source>Dígito 6</source>
        <translation>Dígito 6</translation>
    </message>
    <message>
        <source>Dígito 7</source>
        <translation>Dígito 7</translation>
    </message>
    <message>
        <source>Dígito 8</source>
        <translation>Dígito 8</translation>
    </message>
    <message>
        <source>Dígito 9</source>
        <translation>Dígito 9</translation>
    </message>
    <message>
        <source>Dígitos 00</source>
        <translation>Dígitos 00</translation>
    </message>
    <message>
        <source>Dígitos 000</source>
        <translation>Dígitos 000</translation>
    </message>
    <message>
        <source>Vírgula</source>
        <translation>Coma</translation>
    </message>
    <message>
        <source>Campo anterior</source>
        <translation>Campo anterior</translation>
    </message>
    <message>
        <source>Corrigir</source>
        <translation>Corregir</translation>
    </message>
    <message>
        <source>Próximo campo</source>
        <translation>Campo siguiente</translation>
    </message>
    <message>
        <source>Código da tela</source>
        <translation>Código de pantalla</translation>
    </message>
    <message>
        <source>C&amp;onfirmar</source>
        <translation>C&amp;onfirmar</translation>
    </message>
    <message>
        <source>&amp;Cancelar</source>
        <translation>&amp;Cancelar</translation>
    </message>
    <message>
        <source>Codigo Imposto</source>
        <translation>Código Impuesto</translation>
    </message>
    <message>
        <source>Aliquota</source>
        <translation>Alícuota</translation>
    </message>
    <message>
        <source>Valor Acumulado</source>
        <translation>Valor Acumulado</translation>
    </message>
    <message>
        <source>Valor</source>
        <translation>Valor</translation>
    </message>
    <message>
        <source>Dado não informado.</source>
        <translation>Dato no informado.</translation>
    </message>
    <message>
        <source>Imposto deve ser informado.</source>
        <translation>Debe informarse el impuesto.</translation>
    </message>
    <message>
        <source>Imposto não cadastrado.</source>
        <translation>Impuesto no registrado.</translation>
    </message>
    <message>
        <source>Alíquota não informada.</source>
        <translation>Alícuota no informada.</translation>
    </message>
    <message>
        <source>Valor não informado.</source>
        <translation>Valor no informado.</translation>
    </message>
    <message>
        <source>Valor da alíquota deve ser menor que 100.</source>
        <translation>El valor de la alícuota debe ser menor que 100.</translation>
    </message>
    <message>
        <source>Erro em %1 (%2)%3: %4</source>
        <translation>Error en %1 (%2)%3: %4</translation>
    </message>
    <message>
        <source>erro sem descrição</source>
        <translation>error sin descripción</translation>
    </message>
    <message>
        <source>nenhum dado foi retornado</source>
        <translation>no se devolvieron datos</translation>
    </message>
    <message>
        <source>Informação</source>
        <translation>Información</translation>
    </message>
    <message>
        <source>Aviso</source>
        <translation>Advertencia</translation>
    </message>
    <message>
        <source>Erro</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Atenção</source>
        <translation>Atención</translation>
    </message>
    <message>
        <source>Pergunta</source>
        <translation>Pregunta</translation>
    </message>
    <message>
        <source>Mensagem</source>
        <translation>Mensaje</translation>
    </message>
</context>
</TS>
