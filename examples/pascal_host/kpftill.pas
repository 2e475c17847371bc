{ What the Pascal example hosts share: loading and starting the module, and with a confirmed
  result, printing its rows as ROW lines and storing it, applying its change log to IMPOSTOREDZ through sqldb in one transaction. The
  database is the embedded one, so a COMMIT cannot lose its answer on the way as it can on a
  server: STORE FAILED always means rolled back here. }
unit kpftill;

{$mode objfpc}{$H+}

interface

uses
  Classes, SysUtils, Math, DB, BufDataset, sqldb, sqlite3conn, fpjson, jsonparser, kpf05520;

{ Loads the libraries from LibDir, makes the QApplication (unless the host has one), initializes
  the module and gives it the home (LibDir when empty) and the connection string (when given);
  prints FAILED and the reason and ends the program with exit status 2 when one of these fails. }
procedure StartModule(const LibDir, Home, Connection: string);
{ One ROW line per visible row: its non-empty fields as NAME=VALUE and its UpdateStatus. }
procedure PrintRows(DataSet: TDataSet);
{ Applies DataSet's change log to the module's SQLite database; prints STORED INSERTED DELETED,
  or STORE FAILED and the reason (everything rolled back). }
function StoreResult(DataSet: TKpfPacketDataset): Boolean;

implementation

procedure StartModule(const LibDir, Home, Connection: string);
begin
  try
    KpfLoad(LibDir);
  except
    on E: Exception do
    begin
      WriteLn('FAILED ', E.Message);
      Halt(2);
    end;
  end;
  case KpfEnsureApp of
    -1:
      begin
        WriteLn('FAILED a non-widget Qt application is already running');
        Halt(2);
      end;
    -2:
      begin
        WriteLn('FAILED no display: set DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM');
        Halt(2);
      end;
  end;
  KpfInitialize();
  if Home <> '' then
    KpfSetProgramDirectory(Home)
  else
    KpfSetProgramDirectory(LibDir);
  if Connection <> '' then
    KpfSetConnectionString(Connection);
end;

type
  { Applies the change log of the result to IMPOSTOREDZ, one statement per change. }
  TStore = class
  private
    FQuery: TSQLQuery;
  public
    Inserted, Deleted: Integer;
    constructor Create(Query: TSQLQuery);
    procedure Apply(DataSet: TDataSet; UpdateKind: TUpdateKind);
  end;

const
  Columns: array[0..7] of string = ('CDFILIAL', 'CDCAIXA', 'NRECFREDZ', 'DTREDUCAOZ',
    'CDIMPOSTO', 'VRALIQIMPRZ', 'VRBCALCIMPRZ', 'VRIMPOSTORZ');
  FirstNumber = 5;
  NumberMargin = 1e-9;

{ Numbers are printed with a full stop whatever the host's settings. }
function FieldText(Field: TField): string;
var
  Printed: TFormatSettings;
begin
  Printed := DefaultFormatSettings;
  Printed.DecimalSeparator := '.';
  if Field.IsNull then
    Result := ''
  else if Field.DataType in [ftDate, ftDateTime] then
    Result := FormatDateTime('yyyy"-"mm"-"dd', Field.AsDateTime)
  else if Field.DataType = ftFloat then
    Result := FloatToStr(Field.AsFloat, Printed)
  else
    Result := Field.AsString;
end;

procedure PrintRows(DataSet: TDataSet);
var
  I: Integer;
  Line: string;
begin
  DataSet.First;
  while not DataSet.EOF do
  begin
    Line := 'ROW';
    for I := 0 to DataSet.Fields.Count - 1 do
      if not DataSet.Fields[I].IsNull then
        Line := Line + ' ' + DataSet.Fields[I].FieldName + '=' + FieldText(DataSet.Fields[I]);
    WriteLn(Line, ' UpdateStatus=', KpfUpdateStatusWord(DataSet.UpdateStatus));
    DataSet.Next;
  end;
end;

{ TStore }

constructor TStore.Create(Query: TSQLQuery);
begin
  FQuery := Query;
end;

{ Dates go to the database as YYYY-MM-DD texts, as the module's own driver writes them. }
procedure BindValue(Param: TParam; Field: TField);
begin
  if Field.IsNull then
    Param.Clear
  else if Field.DataType in [ftDate, ftDateTime] then
    Param.AsString := FormatDateTime('yyyy"-"mm"-"dd', Field.AsDateTime)
  else if Field.DataType = ftFloat then
    Param.AsFloat := Field.AsFloat
  else
    Param.AsString := Field.AsString;
end;

procedure TStore.Apply(DataSet: TDataSet; UpdateKind: TUpdateKind);
var
  Sql, Names, Marks: string;
  C: Integer;
  Field: TField;
  Number: Double;
begin
  FQuery.Close;
  if UpdateKind = ukDelete then
  begin
    // The one stored row equal in all eight fields; numbers within a hair's breadth.
    Sql := '';
    for C := 0 to High(Columns) do
    begin
      if Sql <> '' then
        Sql := Sql + ' AND ';
      Field := DataSet.FieldByName(Columns[C]);
      if Field.IsNull then
        Sql := Sql + Columns[C] + ' IS NULL'
      else if C >= FirstNumber then
        Sql := Sql + Format('%s BETWEEN :lo%d AND :hi%d', [Columns[C], C, C])
      else
        Sql := Sql + Format('%s = :v%d', [Columns[C], C]);
    end;
    FQuery.SQL.Text := 'DELETE FROM IMPOSTOREDZ WHERE ' + Sql;
    for C := 0 to High(Columns) do
    begin
      Field := DataSet.FieldByName(Columns[C]);
      if Field.IsNull then
        Continue;
      if C >= FirstNumber then
      begin
        Number := Field.AsFloat;
        FQuery.ParamByName('lo' + IntToStr(C)).AsFloat :=
          Number - NumberMargin * Max(1.0, Abs(Number));
        FQuery.ParamByName('hi' + IntToStr(C)).AsFloat :=
          Number + NumberMargin * Max(1.0, Abs(Number));
      end
      else
        BindValue(FQuery.ParamByName('v' + IntToStr(C)), Field);
    end;
    FQuery.ExecSQL;
    if FQuery.RowsAffected <> 1 then
      raise EDatabaseError.CreateFmt('a deleted line matches %d stored rows instead of one',
        [FQuery.RowsAffected]);
    Inc(Deleted);
  end
  else if UpdateKind = ukInsert then
  begin
    Names := '';
    Marks := '';
    for C := 0 to High(Columns) do
    begin
      if C > 0 then
      begin
        Names := Names + ', ';
        Marks := Marks + ', ';
      end;
      Names := Names + Columns[C];
      Marks := Marks + ':v' + IntToStr(C);
    end;
    FQuery.SQL.Text := 'INSERT INTO IMPOSTOREDZ (' + Names + ') VALUES (' + Marks + ')';
    for C := 0 to High(Columns) do
      BindValue(FQuery.ParamByName('v' + IntToStr(C)), DataSet.FieldByName(Columns[C]));
    FQuery.ExecSQL;
    Inc(Inserted);
  end
  else
    raise EDatabaseError.Create('the result holds a modified row, which this screen never makes');
end;

{ The SQLite file of the module's connection, as the host library reads the connection string
  (KpfQtConnection), so that quoting and every other rule of the string are read only once. }
function SQLiteFile: string;
var
  Settings: TJSONData;
begin
  Settings := GetJSON(KpfQtConnection);
  try
    if not (Settings is TJSONObject) then
      raise EDatabaseError.Create('the host library does not describe the module''s connection');
    with TJSONObject(Settings) do
    begin
      if IndexOfName('error') >= 0 then
        raise EDatabaseError.Create(Get('error', ''));
      if Get('driver', '') <> 'QSQLITE' then
        raise EDatabaseError.Create('--store handles SQLite connections (Provider=SQLite;' +
          'Data Source=FILE) only');
      Result := Get('databaseName', '');
    end;
  finally
    Settings.Free;
  end;
end;

function StoreResult(DataSet: TKpfPacketDataset): Boolean;
var
  Connection: TSQLite3Connection;
  Transaction: TSQLTransaction;
  Query: TSQLQuery;
  Store: TStore;
begin
  Connection := TSQLite3Connection.Create(nil);
  Transaction := TSQLTransaction.Create(nil);
  Query := TSQLQuery.Create(nil);
  Store := TStore.Create(Query);
  try
    try
      Connection.DatabaseName := SQLiteFile;
      if not FileExists(Connection.DatabaseName) then
        raise EDatabaseError.Create('no database file ' + Connection.DatabaseName);
      Connection.Transaction := Transaction;
      Query.DataBase := Connection;
      Query.Transaction := Transaction;
      Connection.Open;
      Transaction.StartTransaction;
      DataSet.OnApplyRecord := @Store.Apply;
      // The change log lists deletions first; any failure rolls the whole result back.
      DataSet.ApplyUpdates(0);
      Transaction.Commit;
      WriteLn('STORED ', Store.Inserted, ' ', Store.Deleted);
      Result := True;
    except
      on E: Exception do
      begin
        if Transaction.Active then
          Transaction.Rollback;
        WriteLn('STORE FAILED ', E.Message);
        Result := False;
      end;
    end;
  finally
    Store.Free;
    Query.Free;
    Transaction.Free;
    Connection.Free;
  end;
end;

end.
