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
    <message>
        <source>Erro de banco de dados</source>
        <translation>Database error</translation>
    </message>
    <message>
        <source>[código %1]</source>
        <translation>[code %1]</translation>
    </message>
    <message>
        <source>Não foi possível ler a tabela de mensagens &quot;%1&quot;: %2</source>
        <translation>Cannot read the message table &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>CriaImpostoRedZ: o host não criou a QApplication</source>
        <translation>CriaImpostoRedZ: the host has not created the QApplication</translation>
    </message>
    <message>
        <source>CriaImpostoRedZ: chamada fora da thread da interface com o usuário</source>
        <translation>CriaImpostoRedZ: called outside the user-interface thread</translation>
    </message>
    <message>
        <source>CriaImpostoRedZ: chamada enquanto a chamada anterior ainda não voltou; a entrada não é reentrante e esta chamada foi recusada</source>
        <translation>CriaImpostoRedZ: called while the previous call has not returned; the entry is not reentrant and this call was refused</translation>
    </message>
    <message>
        <source>CriaImpostoRedZ: %1 (%2) &apos;%3&apos; tem %4 caracteres; o campo tem %5</source>
        <translation>CriaImpostoRedZ: %1 (%2) &apos;%3&apos; has %4 characters; the field has %5</translation>
    </message>
    <message>
        <source>CriaImpostoRedZ: %1 (%2) %3 não é uma data entre os anos 1 e 9999</source>
        <translation>CriaImpostoRedZ: %1 (%2) %3 is not a date between the years 1 and 9999</translation>
    </message>
    <message>
        <source>a filial</source>
        <translation>the branch</translation>
    </message>
    <message>
        <source>o caixa</source>
        <translation>the till</translation>
    </message>
    <message>
        <source>o contador da redução Z</source>
        <translation>the Z-reduction counter</translation>
    </message>
    <message>
        <source>a data da redução Z</source>
        <translation>the Z reduction&apos;s date</translation>
    </message>
    <message>
        <source>a data de referência</source>
        <translation>the reference date</translation>
    </message>
    <message>
        <source>CriaImpostoRedz: o argumento %1 é nulo</source>
        <translation>CriaImpostoRedz: the argument %1 is null</translation>
    </message>
    <message>
        <source>CriaImpostoRedz: registro corrente %1 fora do conjunto de origem, que tem %2 registro(s)</source>
        <translation>CriaImpostoRedz: current record %1 is outside the source data set, which has %2 record(s)</translation>
    </message>
    <message>
        <source>Memória insuficiente para o resultado</source>
        <translation>Not enough memory for the result</translation>
    </message>
    <message>
        <source>Operação cancelada: a primeira linha de imposto não foi aceita</source>
        <translation>Operation cancelled: the first tax line was not accepted</translation>
    </message>
    <message>
        <source>Erro desconhecido</source>
        <translation>Unknown error</translation>
    </message>
    <message>
        <source>um diretório</source>
        <translation>a directory</translation>
    </message>
    <message>
        <source>um FIFO (pipe nomeado)</source>
        <translation>a FIFO (named pipe)</translation>
    </message>
    <message>
        <source>um dispositivo</source>
        <translation>a device</translation>
    </message>
    <message>
        <source>um socket</source>
        <translation>a socket</translation>
    </message>
    <message>
        <source>algo que não é um arquivo comum</source>
        <translation>something that is not a regular file</translation>
    </message>
    <message>
        <source>dados do caixa</source>
        <translation>the till&apos;s data</translation>
    </message>
    <message>
        <source>%1 dos dados do caixa</source>
        <translation>%1 of the till&apos;s data</translation>
    </message>
    <message>
        <source>%1 em &apos;%2&apos; é %3, não um arquivo: sem ele o tipo de impressora fiscal (IDTIPOIMPFIS) não é conhecido</source>
        <translation>%1 in &apos;%2&apos; is %3, not a file: without it the fiscal printer type (IDTIPOIMPFIS) is not known</translation>
    </message>
    <message>
        <source>Arquivo %1 não encontrado em &apos;%2&apos;: sem ele o tipo de impressora fiscal (IDTIPOIMPFIS) não é conhecido</source>
        <translation>File %1 not found in &apos;%2&apos;: without it the fiscal printer type (IDTIPOIMPFIS) is not known</translation>
    </message>
    <message>
        <source>o módulo de dados rdmImpost não foi criado</source>
        <translation>the data module rdmImpost has not been created</translation>
    </message>
    <message>
        <source>erro desconhecido</source>
        <translation>unknown error</translation>
    </message>
    <message>
        <source>A biblioteca %1 (%2) é de outra compilação do Kpf05520 (%3) que o módulo (%4); instale as bibliotecas do mesmo pacote</source>
        <translation>The library %1 (%2) is from another build of Kpf05520 (%3) than the module (%4); install the libraries of one package</translation>
    </message>
</context>
<context>
    <name>kpfhost</name>
    <message>
        <source>não foi possível carregar a tradução %1</source>
        <translation>cannot load the translation %1</translation>
    </message>
    <message>
        <source>a entrada falhou</source>
        <translation>the entry failed</translation>
    </message>
    <message>
        <source>o pacote devolvido não pode ser lido: %1</source>
        <translation>the returned packet cannot be read: %1</translation>
    </message>
    <message>
        <source>não executado, pois --out não pôde ser gravado</source>
        <translation>not run, since --out could not be written</translation>
    </message>
    <message>
        <source>não foi possível carregar %1: %2</source>
        <translation>cannot load %1: %2</translation>
    </message>
    <message>
        <source>%1 não exporta %2</source>
        <translation>%1 does not export %2</translation>
    </message>
    <message>
        <source>libkpf_test.so é de outra compilação do Kpf05520 que lib_dll.so</source>
        <translation>libkpf_test.so is of another Kpf05520 build than lib_dll.so</translation>
    </message>
    <message>
        <source>libPkg_Kpf05520.so não indica _dll como pacote requerido</source>
        <translation>libPkg_Kpf05520.so does not name _dll as its required package</translation>
    </message>
    <message>
        <source>não foi possível gravar %1: %2</source>
        <translation>cannot write %1: %2</translation>
    </message>
    <message>
        <source>não foi possível gravar %1: %2; %3</source>
        <translation>cannot write %1: %2; %3</translation>
    </message>
    <message>
        <source>o arquivo anterior ficou como estava</source>
        <translation>the earlier file is left as it was</translation>
    </message>
    <message>
        <source>nenhum arquivo foi criado</source>
        <translation>no file was made</translation>
    </message>
    <message>
        <source>texto após o fim de DATAPACKET</source>
        <translation>text after the end of DATAPACKET</translation>
    </message>
    <message>
        <source>texto onde só cabem elementos</source>
        <translation>text where only elements belong</translation>
    </message>
    <message>
        <source>um tipo de documento ou uma entidade, que um pacote nunca contém</source>
        <translation>a document type or entity, which a packet never holds</translation>
    </message>
    <message>
        <source>&lt;%1&gt; contém algo</source>
        <translation>&lt;%1&gt; holds something</translation>
    </message>
    <message>
        <source>um FIELD sem attrname</source>
        <translation>a FIELD without attrname</translation>
    </message>
    <message>
        <source>o campo %1 tem o tipo &apos;%2&apos;, que este host não lê</source>
        <translation>the field %1 has the type &apos;%2&apos;, which this host does not read</translation>
    </message>
    <message>
        <source>o campo %1 é descrito duas vezes</source>
        <translation>the field %1 is described twice</translation>
    </message>
    <message>
        <source>RowState &apos;%1&apos; não é uma combinação dos bits 1, 2, 4 e 8</source>
        <translation>RowState &apos;%1&apos; is not a bit set of 1, 2, 4 and 8</translation>
    </message>
    <message>
        <source>um atributo %1 de ROW que nenhum FIELD descreve</source>
        <translation>a ROW attribute %1 that no FIELD describes</translation>
    </message>
    <message>
        <source>&apos;%1&apos; não é um valor do campo %3, do tipo %2</source>
        <translation>&apos;%1&apos; is not a value of the %2 field %3</translation>
    </message>
    <message>
        <source>erro de banco de dados desconhecido</source>
        <translation>unknown database error</translation>
    </message>
    <message>
        <source>o pacote não descreve nenhum campo</source>
        <translation>the packet describes no field</translation>
    </message>
    <message>
        <source>o campo &apos;%1&apos; do pacote não é um nome de coluna</source>
        <translation>the packet&apos;s field &apos;%1&apos; is not a column name</translation>
    </message>
    <message>
        <source>a biblioteca do host não descreve a conexão do módulo</source>
        <translation>the host library does not describe the module&apos;s connection</translation>
    </message>
    <message>
        <source>não foi possível abrir %1: %2</source>
        <translation>cannot open %1: %2</translation>
    </message>
    <message>
        <source>o pacote tem uma linha com RowState %1, que este host não sabe aplicar</source>
        <translation>the packet has a row with RowState %1, which this host cannot apply</translation>
    </message>
    <message>
        <source>ao excluir a linha %1: %2</source>
        <translation>deleting line %1: %2</translation>
    </message>
    <message>
        <source>a linha excluída %1 corresponde a %2 linhas gravadas em vez de uma (%3)</source>
        <translation>deleted line %1 matches %2 stored rows instead of one (%3)</translation>
    </message>
    <message>
        <source>ao inserir a linha %1: %2</source>
        <translation>inserting line %1: %2</translation>
    </message>
    <message>
        <source>não foi possível iniciar uma transação: </source>
        <translation>cannot begin a transaction: </translation>
    </message>
    <message>
        <source>o COMMIT falhou: </source>
        <translation>commit failed: </translation>
    </message>
    <message>
        <source>o COMMIT foi enviado e sua resposta se perdeu (%1): as linhas podem ter sido gravadas ou não; confira IMPOSTOREDZ antes de gravá-las de novo</source>
        <translation>COMMIT was sent and its answer was lost (%1): the lines may or may not be stored; look at IMPOSTOREDZ before storing them again</translation>
    </message>
    <message>
        <source>%1 não pode ser lida: %2</source>
        <translation>%1 cannot be read: %2</translation>
    </message>
    <message>
        <source>outra janela continua na frente da tela</source>
        <translation>another window stays in front of the screen</translation>
    </message>
    <message>
        <source>a tela já foi fechada</source>
        <translation>the screen has already closed</translation>
    </message>
    <message>
        <source>linha %1 do script: %2</source>
        <translation>script line %1: %2</translation>
    </message>
    <message>
        <source>a tela recusou-se a fechar; sua exibição modal foi encerrada</source>
        <translation>the screen refused to close; its modal showing was ended</translation>
    </message>
    <message>
        <source>a tela nunca foi exibida</source>
        <translation>the screen was never shown</translation>
    </message>
    <message>
        <source>não foi possível gravar a captura de tela %1</source>
        <translation>cannot write the screenshot %1</translation>
    </message>
    <message>
        <source>nenhum controle chamado &apos;%1&apos; na tela</source>
        <translation>no control named &apos;%1&apos; on the screen</translation>
    </message>
    <message>
        <source>a tela fechou antes de todas as teclas serem pressionadas</source>
        <translation>the screen closed before every key was pressed</translation>
    </message>
    <message>
        <source>a tela não tem grade</source>
        <translation>the screen has no grid</translation>
    </message>
    <message>
        <source>a grade não mostra coluna para o campo &apos;%1&apos;</source>
        <translation>the grid shows no column for the field &apos;%1&apos;</translation>
    </message>
    <message>
        <source>a linha %1 não está na grade, que mostra %2 linhas</source>
        <translation>row %1 is not in the grid, which shows %2 rows</translation>
    </message>
    <message>
        <source>a tela está na frente mas nunca foi ativada: seu trabalho de abertura não rodou</source>
        <translation>the screen is in front but was never activated: its start-up work has not run</translation>
    </message>
    <message>
        <source>a outra janela não ficou na frente da tela</source>
        <translation>the other window did not come in front of the screen</translation>
    </message>
    <message>
        <source>gravado, mas o arquivo não pôde ser removido</source>
        <translation>stored, but the file could not be removed</translation>
    </message>
    <message>
        <source>não foi possível criar a pasta %1</source>
        <translation>cannot make the folder %1</translation>
    </message>
    <message>
        <source>Linhas na tela:</source>
        <translation>Lines on the screen:</translation>
    </message>
    <message>
        <source>estado</source>
        <translation>state</translation>
    </message>
    <message>
        <source>Confirmado. Linhas devolvidas:</source>
        <translation>Confirmed. Lines returned:</translation>
    </message>
    <message>
        <source>incluída</source>
        <translation>inserted</translation>
    </message>
    <message>
        <source>excluída</source>
        <translation>deleted</translation>
    </message>
    <message>
        <source>alterada</source>
        <translation>modified</translation>
    </message>
    <message>
        <source>sem mudança</source>
        <translation>unchanged</translation>
    </message>
    <message>
        <source>  (nenhuma linha)</source>
        <translation>  (no lines)</translation>
    </message>
</context>
</TS>
