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
    <message>
        <source>Erro de banco de dados</source>
        <translation>Error de base de datos</translation>
    </message>
    <message>
        <source>[código %1]</source>
        <translation>[código %1]</translation>
    </message>
    <message>
        <source>Não foi possível ler a tabela de mensagens &quot;%1&quot;: %2</source>
        <translation>No se pudo leer la tabla de mensajes &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>CriaImpostoRedZ: o host não criou a QApplication</source>
        <translation>CriaImpostoRedZ: el host no creó la QApplication</translation>
    </message>
    <message>
        <source>CriaImpostoRedZ: chamada fora da thread da interface com o usuário</source>
        <translation>CriaImpostoRedZ: llamada fuera del hilo de la interfaz de usuario</translation>
    </message>
    <message>
        <source>CriaImpostoRedZ: chamada enquanto a chamada anterior ainda não voltou; a entrada não é reentrante e esta chamada foi recusada</source>
        <translation>CriaImpostoRedZ: llamada mientras la llamada anterior aún no ha vuelto; la entrada no es reentrante y esta llamada fue rechazada</translation>
    </message>
    <message>
        <source>CriaImpostoRedZ: %1 (%2) &apos;%3&apos; tem %4 caracteres; o campo tem %5</source>
        <translation>CriaImpostoRedZ: %1 (%2) &apos;%3&apos; tiene %4 caracteres; el campo tiene %5</translation>
    </message>
    <message>
        <source>CriaImpostoRedZ: %1 (%2) %3 não é uma data entre os anos 1 e 9999</source>
        <translation>CriaImpostoRedZ: %1 (%2) %3 no es una fecha entre los años 1 y 9999</translation>
    </message>
    <message>
        <source>a filial</source>
        <translation>la sucursal</translation>
    </message>
    <message>
        <source>o caixa</source>
        <translation>la caja</translation>
    </message>
    <message>
        <source>o contador da redução Z</source>
        <translation>el contador de la reducción Z</translation>
    </message>
    <message>
        <source>a data da redução Z</source>
        <translation>la fecha de la reducción Z</translation>
    </message>
    <message>
        <source>a data de referência</source>
        <translation>la fecha de referencia</translation>
    </message>
    <message>
        <source>CriaImpostoRedz: o argumento %1 é nulo</source>
        <translation>CriaImpostoRedz: el argumento %1 es nulo</translation>
    </message>
    <message>
        <source>CriaImpostoRedz: registro corrente %1 fora do conjunto de origem, que tem %2 registro(s)</source>
        <translation>CriaImpostoRedz: registro actual %1 fuera del conjunto de origen, que tiene %2 registro(s)</translation>
    </message>
    <message>
        <source>Memória insuficiente para o resultado</source>
        <translation>Memoria insuficiente para el resultado</translation>
    </message>
    <message>
        <source>Operação cancelada: a primeira linha de imposto não foi aceita</source>
        <translation>Operación cancelada: la primera línea de impuesto no fue aceptada</translation>
    </message>
    <message>
        <source>Erro desconhecido</source>
        <translation>Error desconocido</translation>
    </message>
    <message>
        <source>um diretório</source>
        <translation>un directorio</translation>
    </message>
    <message>
        <source>um FIFO (pipe nomeado)</source>
        <translation>un FIFO (tubería con nombre)</translation>
    </message>
    <message>
        <source>um dispositivo</source>
        <translation>un dispositivo</translation>
    </message>
    <message>
        <source>um socket</source>
        <translation>un socket</translation>
    </message>
    <message>
        <source>algo que não é um arquivo comum</source>
        <translation>algo que no es un archivo común</translation>
    </message>
    <message>
        <source>dados do caixa</source>
        <translation>datos de la caja</translation>
    </message>
    <message>
        <source>%1 dos dados do caixa</source>
        <translation>%1 de los datos de la caja</translation>
    </message>
    <message>
        <source>%1 em &apos;%2&apos; é %3, não um arquivo: sem ele o tipo de impressora fiscal (IDTIPOIMPFIS) não é conhecido</source>
        <translation>%1 en &apos;%2&apos; es %3, no un archivo: sin él el tipo de impresora fiscal (IDTIPOIMPFIS) no se conoce</translation>
    </message>
    <message>
        <source>Arquivo %1 não encontrado em &apos;%2&apos;: sem ele o tipo de impressora fiscal (IDTIPOIMPFIS) não é conhecido</source>
        <translation>Archivo %1 no encontrado en &apos;%2&apos;: sin él el tipo de impresora fiscal (IDTIPOIMPFIS) no se conoce</translation>
    </message>
    <message>
        <source>o módulo de dados rdmImpost não foi criado</source>
        <translation>el módulo de datos rdmImpost no fue creado</translation>
    </message>
    <message>
        <source>erro desconhecido</source>
        <translation>error desconocido</translation>
    </message>
    <message>
        <source>A biblioteca %1 (%2) é de outra compilação do Kpf05520 (%3) que o módulo (%4); instale as bibliotecas do mesmo pacote</source>
        <translation>La biblioteca %1 (%2) es de otra compilación de Kpf05520 (%3) que el módulo (%4); instale las bibliotecas del mismo paquete</translation>
    </message>
</context>
<context>
    <name>kpfhost</name>
    <message>
        <source>não foi possível carregar a tradução %1</source>
        <translation>no se pudo cargar la traducción %1</translation>
    </message>
    <message>
        <source>a entrada falhou</source>
        <translation>la entrada falló</translation>
    </message>
    <message>
        <source>o pacote devolvido não pode ser lido: %1</source>
        <translation>el paquete devuelto no se puede leer: %1</translation>
    </message>
    <message>
        <source>não executado, pois --out não pôde ser gravado</source>
        <translation>no ejecutado, pues --out no se pudo escribir</translation>
    </message>
    <message>
        <source>não foi possível carregar %1: %2</source>
        <translation>no se pudo cargar %1: %2</translation>
    </message>
    <message>
        <source>%1 não exporta %2</source>
        <translation>%1 no exporta %2</translation>
    </message>
    <message>
        <source>libkpf_test.so é de outra compilação do Kpf05520 que lib_dll.so</source>
        <translation>libkpf_test.so es de otra compilación de Kpf05520 que lib_dll.so</translation>
    </message>
    <message>
        <source>libPkg_Kpf05520.so não indica _dll como pacote requerido</source>
        <translation>libPkg_Kpf05520.so no indica _dll como paquete requerido</translation>
    </message>
    <message>
        <source>não foi possível gravar %1: %2</source>
        <translation>no se pudo escribir %1: %2</translation>
    </message>
    <message>
        <source>não foi possível gravar %1: %2; %3</source>
        <translation>no se pudo escribir %1: %2; %3</translation>
    </message>
    <message>
        <source>o arquivo anterior ficou como estava</source>
        <translation>el archivo anterior quedó como estaba</translation>
    </message>
    <message>
        <source>nenhum arquivo foi criado</source>
        <translation>no se creó ningún archivo</translation>
    </message>
    <message>
        <source>texto após o fim de DATAPACKET</source>
        <translation>texto después del fin de DATAPACKET</translation>
    </message>
    <message>
        <source>texto onde só cabem elementos</source>
        <translation>texto donde solo caben elementos</translation>
    </message>
    <message>
        <source>um tipo de documento ou uma entidade, que um pacote nunca contém</source>
        <translation>un tipo de documento o una entidad, que un paquete nunca contiene</translation>
    </message>
    <message>
        <source>&lt;%1&gt; contém algo</source>
        <translation>&lt;%1&gt; contiene algo</translation>
    </message>
    <message>
        <source>um FIELD sem attrname</source>
        <translation>un FIELD sin attrname</translation>
    </message>
    <message>
        <source>o campo %1 tem o tipo &apos;%2&apos;, que este host não lê</source>
        <translation>el campo %1 tiene el tipo &apos;%2&apos;, que este host no lee</translation>
    </message>
    <message>
        <source>o campo %1 é descrito duas vezes</source>
        <translation>el campo %1 se describe dos veces</translation>
    </message>
    <message>
        <source>RowState &apos;%1&apos; não é uma combinação dos bits 1, 2, 4 e 8</source>
        <translation>RowState &apos;%1&apos; no es una combinación de los bits 1, 2, 4 y 8</translation>
    </message>
    <message>
        <source>um atributo %1 de ROW que nenhum FIELD descreve</source>
        <translation>un atributo %1 de ROW que ningún FIELD describe</translation>
    </message>
    <message>
        <source>&apos;%1&apos; não é um valor do campo %3, do tipo %2</source>
        <translation>&apos;%1&apos; no es un valor del campo %3, de tipo %2</translation>
    </message>
    <message>
        <source>erro de banco de dados desconhecido</source>
        <translation>error de base de datos desconocido</translation>
    </message>
    <message>
        <source>o pacote não descreve nenhum campo</source>
        <translation>el paquete no describe ningún campo</translation>
    </message>
    <message>
        <source>o campo &apos;%1&apos; do pacote não é um nome de coluna</source>
        <translation>el campo &apos;%1&apos; del paquete no es un nombre de columna</translation>
    </message>
    <message>
        <source>a biblioteca do host não descreve a conexão do módulo</source>
        <translation>la biblioteca del host no describe la conexión del módulo</translation>
    </message>
    <message>
        <source>não foi possível abrir %1: %2</source>
        <translation>no se pudo abrir %1: %2</translation>
    </message>
    <message>
        <source>o pacote tem uma linha com RowState %1, que este host não sabe aplicar</source>
        <translation>el paquete tiene una fila con RowState %1, que este host no sabe aplicar</translation>
    </message>
    <message>
        <source>ao excluir a linha %1: %2</source>
        <translation>al eliminar la línea %1: %2</translation>
    </message>
    <message>
        <source>a linha excluída %1 corresponde a %2 linhas gravadas em vez de uma (%3)</source>
        <translation>la línea eliminada %1 corresponde a %2 filas grabadas en lugar de una (%3)</translation>
    </message>
    <message>
        <source>ao inserir a linha %1: %2</source>
        <translation>al insertar la línea %1: %2</translation>
    </message>
    <message>
        <source>não foi possível iniciar uma transação: </source>
        <translation>no se pudo iniciar una transacción: </translation>
    </message>
    <message>
        <source>o COMMIT falhou: </source>
        <translation>el COMMIT falló: </translation>
    </message>
    <message>
        <source>o COMMIT foi enviado e sua resposta se perdeu (%1): as linhas podem ter sido gravadas ou não; confira IMPOSTOREDZ antes de gravá-las de novo</source>
        <translation>el COMMIT fue enviado y su respuesta se perdió (%1): las líneas pueden estar grabadas o no; revise IMPOSTOREDZ antes de grabarlas de nuevo</translation>
    </message>
    <message>
        <source>%1 não pode ser lida: %2</source>
        <translation>%1 no se puede leer: %2</translation>
    </message>
    <message>
        <source>outra janela continua na frente da tela</source>
        <translation>otra ventana sigue delante de la pantalla</translation>
    </message>
    <message>
        <source>a tela já foi fechada</source>
        <translation>la pantalla ya se cerró</translation>
    </message>
    <message>
        <source>linha %1 do script: %2</source>
        <translation>línea %1 del script: %2</translation>
    </message>
    <message>
        <source>a tela recusou-se a fechar; sua exibição modal foi encerrada</source>
        <translation>la pantalla se negó a cerrarse; su presentación modal fue terminada</translation>
    </message>
    <message>
        <source>a tela nunca foi exibida</source>
        <translation>la pantalla nunca se mostró</translation>
    </message>
    <message>
        <source>não foi possível gravar a captura de tela %1</source>
        <translation>no se pudo escribir la captura de pantalla %1</translation>
    </message>
    <message>
        <source>nenhum controle chamado &apos;%1&apos; na tela</source>
        <translation>ningún control llamado &apos;%1&apos; en la pantalla</translation>
    </message>
    <message>
        <source>a tela fechou antes de todas as teclas serem pressionadas</source>
        <translation>la pantalla se cerró antes de pulsar todas las teclas</translation>
    </message>
    <message>
        <source>a tela não tem grade</source>
        <translation>la pantalla no tiene cuadrícula</translation>
    </message>
    <message>
        <source>a grade não mostra coluna para o campo &apos;%1&apos;</source>
        <translation>la cuadrícula no muestra columna para el campo &apos;%1&apos;</translation>
    </message>
    <message>
        <source>a linha %1 não está na grade, que mostra %2 linhas</source>
        <translation>la fila %1 no está en la cuadrícula, que muestra %2 filas</translation>
    </message>
    <message>
        <source>a tela está na frente mas nunca foi ativada: seu trabalho de abertura não rodou</source>
        <translation>la pantalla está delante pero nunca se activó: su trabajo de inicio no se ejecutó</translation>
    </message>
    <message>
        <source>a outra janela não ficou na frente da tela</source>
        <translation>la otra ventana no quedó delante de la pantalla</translation>
    </message>
    <message>
        <source>gravado, mas o arquivo não pôde ser removido</source>
        <translation>grabado, pero el archivo no se pudo eliminar</translation>
    </message>
    <message>
        <source>não foi possível criar a pasta %1</source>
        <translation>no se pudo crear la carpeta %1</translation>
    </message>
    <message>
        <source>Linhas na tela:</source>
        <translation>Líneas en la pantalla:</translation>
    </message>
    <message>
        <source>estado</source>
        <translation>estado</translation>
    </message>
    <message>
        <source>Confirmado. Linhas devolvidas:</source>
        <translation>Confirmado. Líneas devueltas:</translation>
    </message>
    <message>
        <source>incluída</source>
        <translation>insertada</translation>
    </message>
    <message>
        <source>excluída</source>
        <translation>eliminada</translation>
    </message>
    <message>
        <source>alterada</source>
        <translation>modificada</translation>
    </message>
    <message>
        <source>sem mudança</source>
        <translation>sin cambios</translation>
    </message>
    <message>
        <source>  (nenhuma linha)</source>
        <translation>  (ninguna línea)</translation>
    </message>
</context>
</TS>
