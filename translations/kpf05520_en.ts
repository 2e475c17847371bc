<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="pt_BR">
<context>
    <name>Kpf05520</name>
    <message>
        <source>Impostos</source>
        <translation>Taxes</translation>
    </message>
    <message>
        <source>Moldura</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>Título</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>Lista de impostos</source>
        <translation>Tax list</translation>
    </message>
    <message>
        <source>Impostos da redução Z</source>
        <translation>Taxes of the Z reduction</translation>
    </message>
    <message>
        <source>Linha anterior</source>
        <translation>Previous line</translation>
    </message>
    <message>
        <source>Próxima linha</source>
        <translation>Next line</translation>
    </message>
    <message>
        <source>Nova linha</source>
        <translation>New line</translation>
    </message>
    <message>
        <source>Excluir linha</source>
        <translation>Delete line</translation>
    </message>
    <message>
        <source>Confirmar</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>Cancelar</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Dígito 0</source>
        <translation>Digit 0</translation>
    </message>
    <message>
        <source>Dígito 1</source>
        <translation>Digit 1</translation>
    </message>
    <message>
        <source>Dígito 2</source>
        <translation>Digit 2</translation>
    </message>
    <message>
        <source>Dígito 3</source>
        <translation>Digit 3</translation>
    </message>
    <message>
        <source>Dígito 4</source>
        <translation>Digit 4</translation>
    </message>
    <message>
        <source>Dígito 5</source>
        <translation>Digit 5</translation>
    </message>
    <message>
        <source>Dígito 6</source>
        <translation>Digit 6</translation>
    </message>
    <message>
        <source>Dígito 7</source>
        <translation>Digit 7</translation>
    </message>
    <message>
        <source>Dígito 8</source>
        <translation>Digit 8</translation>
    </message>
    <message>
        <source>Dígito 9</source>
        <translation>Digit 9</translation>
    </message>
    <message>
        <source>Dígitos 00</source>
        <translation>Digits 00</translation>
    </message>
    <message>
        <source>Dígitos 000</source>
        <translation>Digits 000</translation>
    </message>
    <message>
        <source>Vírgula</source>
        <translation>Comma</translation>
    </message>
    <message>
        <source>Campo anterior</source>
        <translation>Previous field</translation>
    </message>
    <message>
        <source>Corrigir</source>
        <translation>Correct</translation>
    </message>
    <message>
        <source>Próximo campo</source>
        <translation>Next field</translation>
    </message>
    <message>
        <source>Código da tela</source>
        <translation>Screen code</translation>
    </message>
    <message>
        <source>C&amp;onfirmar</source>
        <translation>C&amp;onfirm</translation>
    </message>
    <message>
        <source>&amp;Cancelar</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>Codigo Imposto</source>
        <translation>Tax Code</translation>
    </message>
    <message>
        <source>Aliquota</source>
        <translation>Rate</translation>
    </message>
    <message>
        <source>Valor Acumulado</source>
        <translation>Accumulated Value</translation>
    </message>
    <message>
        <source>Valor</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Dado não informado.</source>
        <translation>Data not entered.</translation>
    </message>
    <message>
        <source>Imposto deve ser informado.</source>
        <translation>Tax code must be entered.</translation>
    </message>
    <message>
        <source>Imposto não cadastrado.</source>
        <translation>Tax code not registered.</translation>
    </message>
    <message>
        <source>Alíquota não informada.</source>
        <translation>Rate not entered.</translation>
    </message>
    <message>
        <source>Valor não informado.</source>
        <translation>Value not entered.</translation>
    </message>
    <message>
        <source>Valor da alíquota deve ser menor que 100.</source>
        <translation>The rate must be less than 100.</translation>
    </message>
    <message>
        <source>Erro em %1 (%2)%3: %4</source>
        <translation>Error in %1 (%2)%3: %4</translation>
    </message>
    <message>
        <source>erro sem descrição</source>
        <translation>error without description</translation>
    </message>
    <message>
        <source>nenhum dado foi retornado</source>
        <translation>no data was returned</translation>
    </message>
    <message>
        <source>Informação</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Aviso</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Erro</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Atenção</source>
        <translation>Attention</translation>
    </message>
    <message>
        <source>Pergunta</source>
        <translation>Question</translation>
    </message>
    <message>
        <source>Mensagem</source>
        <translation>Message</translation>
    </message>
</context>
</TS>
