{ A Free Pascal host of the Kpf05520 module (plain fpc, no Lazarus).

  Loads lib_dll.so and libPkg_Kpf05520.so at run time through bindings/pascal/kpf05520.pas, calls
  the entry for one Z reduction, reads the returned packet into a TBufDataset and prints its rows;
  with --store it applies the change log to the SQLite database through sqldb, in one
  transaction. The database is the embedded one, so a COMMIT cannot lose its answer on the way
  as it can on a server: STORE FAILED always means rolled back here.

    kpfhost_pascal [--lib-dir DIR] [--home DIR] [--connection TEXT] [--confirm-after-ms N]
                   [--line CODE:RATE:BASE]... [--store] BRANCH TILL ZCOUNTER YYYY-MM-DD

  --confirm-after-ms: touches Confirm after N ms (for tests); each --line (e.g. 01:18:100,50) is
  typed on the keypad before it. Exit status: 0 confirmed (and stored), 1 left without
  confirmation, 2 failed or bad usage.

  Build: fpc -Fu<repository>/bindings/pascal kpfhost_pascal.lpr }
program kpfhost_pascal;

{$mode objfpc}{$H+}

uses
  Classes, SysUtils, Math, DB, BufDataset, sqldb, sqlite3conn, fpjson, jsonparser, kpf05520;

function setenv(Name, Value: PAnsiChar; Overwrite: LongInt): LongInt; cdecl; external 'c';

type
  TOptions = record
    LibDir, Home, Connection: string;
    ConfirmAfterMs: Integer;
    Lines: TStringList;
    Store: Boolean;
    Key: array[0..3] of string;
  end;

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

procedure Usage(const Why: string);
begin
  WriteLn(StdErr, 'kpfhost_pascal: ', Why);
  WriteLn(StdErr, 'usage: kpfhost_pascal [--lib-dir DIR] [--home DIR] [--connection TEXT] ',
    '[--confirm-after-ms N] [--line CODE:RATE:BASE]... [--store] BRANCH TILL ZCOUNTER YYYY-MM-DD');
  Halt(2);
end;

procedure Parse(var O: TOptions);
var
  I, Positional: Integer;
  A: string;

  function Value: string;
  begin
    if I >= ParamCount then
      Usage('missing value of ' + A);
    Inc(I);
    Result := ParamStr(I);
  end;

begin
  O.ConfirmAfterMs := -1;
  O.Lines := TStringList.Create;
  Positional := 0;
  I := 1;
  while I <= ParamCount do
  begin
    A := ParamStr(I);
    if A = '--lib-dir' then
      O.LibDir := Value
    else if A = '--home' then
      O.Home := Value
    else if A = '--connection' then
      O.Connection := Value
    else if A = '--confirm-after-ms' then
    begin
      if not TryStrToInt(Value, O.ConfirmAfterMs) or (O.ConfirmAfterMs < 0) then
        Usage('--confirm-after-ms needs a number of milliseconds');
    end
    else if A = '--line' then
      O.Lines.Add(Value)
    else if A = '--store' then
      O.Store := True
    else if Copy(A, 1, 2) = '--' then
      Usage('unknown option ' + A)
    else if Positional < 4 then
    begin
      O.Key[Positional] := A;
      Inc(Positional);
    end
    else
      Usage('too many arguments');
    Inc(I);
  end;
  if Positional < 4 then
    Usage('the Z reduction''s key is missing');
  if (O.Lines.Count > 0) and (O.ConfirmAfterMs < 0) then
    Usage('--line needs --confirm-after-ms');
end;

{ The keypad button of one character of a typed value. }
function ButtonOf(C: Char): string;
begin
  case C of
    '2': Result := 'BlendedBitBtn10';
    '5': Result := 'BlendedBitBtn9';
    '8': Result := 'BlendedBitBtn8';
    '0', '1', '3', '4', '6', '7', '9': Result := 'sbt' + C;
    ',': Result := 'sbtVirgula';
  else
    Result := '';
  end;
end;

{ The touches that type CODE:RATE:BASE into a new line: the code, Enter, the rate, Enter, the
  base; a later line starts with "+". }
procedure AddTouches(const Line: string; First: Boolean; Touches: TStrings);
var
  Parts: TStringList;
  P, I: Integer;
begin
  Parts := TStringList.Create;
  try
    Parts.StrictDelimiter := True;
    Parts.Delimiter := ':';
    Parts.DelimitedText := Line;
    if (Parts.Count <> 3) or (Parts[0] = '') or (Parts[1] = '') or (Parts[2] = '') then
      Usage('--line must be CODE:RATE:BASE, e.g. 01:18:100,50');
    if not First then
      Touches.Add('blsMais');
    for P := 0 to 2 do
    begin
      if P > 0 then
        Touches.Add('sbtEnter');
      for I := 1 to Length(Parts[P]) do
      begin
        if ButtonOf(Parts[P][I]) = '' then
          Usage('--line may hold only digits and a comma: ' + Line);
        Touches.Add(ButtonOf(Parts[P][I]));
      end;
    end;
  finally
    Parts.Free;
  end;
end;

procedure OnMessage(Utf8Text: PAnsiChar; Kind: LongInt; Context: Pointer); cdecl;
begin
  WriteLn('MESSAGE ', Kind, ' ', AnsiString(Utf8Text));
  Flush(Output);
end;

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

procedure StoreResult(DataSet: TKpfPacketDataset);
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
    except
      on E: Exception do
      begin
        if Transaction.Active then
          Transaction.Rollback;
        WriteLn('STORE FAILED ', E.Message);
        ExitCode := 2;
      end;
    end;
  finally
    Store.Free;
    Query.Free;
    Transaction.Free;
    Connection.Free;
  end;
end;

var
  O: TOptions;
  ZDate: TDateTime;
  Y, M, D, I, Code: Integer;
  Touches: TStringList;
  Packet, Error: AnsiString;
  Result_: TKpfPacketDataset;
begin
  // A Brazilian point-of-sale host's settings: the packet must be read right all the same.
  DefaultFormatSettings.DecimalSeparator := ',';
  DefaultFormatSettings.ThousandSeparator := '.';
  DefaultFormatSettings.DateSeparator := '/';
  DefaultFormatSettings.ShortDateFormat := 'dd/mm/yyyy';
  Parse(O);
  if not ((Length(O.Key[3]) = 10) and (O.Key[3][5] = '-') and (O.Key[3][8] = '-') and
    TryStrToInt(Copy(O.Key[3], 1, 4), Y) and TryStrToInt(Copy(O.Key[3], 6, 2), M) and
    TryStrToInt(Copy(O.Key[3], 9, 2), D) and TryEncodeDate(Y, M, D, ZDate)) then
    Usage('the date must be YYYY-MM-DD');
  if O.LibDir = '' then
    O.LibDir := ExtractFileDir(ExpandFileName(ParamStr(0)));
  if (O.ConfirmAfterMs >= 0) and (GetEnvironmentVariable('QT_QPA_PLATFORM') = '') and
    (GetEnvironmentVariable('DISPLAY') = '') and (GetEnvironmentVariable('WAYLAND_DISPLAY') = '') then
    setenv('QT_QPA_PLATFORM', 'offscreen', 1);
  try
    KpfLoad(O.LibDir);
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
  if O.Home <> '' then
    KpfSetProgramDirectory(O.Home)
  else
    KpfSetProgramDirectory(O.LibDir);
  if O.Connection <> '' then
    KpfSetConnectionString(O.Connection);
  KpfDll_SetMessageObserver(@OnMessage, nil);
  if O.ConfirmAfterMs >= 0 then
  begin
    KpfDll_SetAutoAcknowledge(1);
    Touches := TStringList.Create;
    for I := 0 to O.Lines.Count - 1 do
      AddTouches(O.Lines[I], I = 0, Touches);
    Touches.Add('blsConfirm');
    // One after the other, a little apart, so that they run in this order.
    for I := 0 to Touches.Count - 1 do
      KpfDll_ScheduleClick(PAnsiChar(Touches[I]), O.ConfirmAfterMs + 40 * I);
    Touches.Free;
  end;

  Code := KpfCall(O.Key[0], O.Key[1], O.Key[2], ZDate, ZDate, '', 0, Packet, Error);
  ExitCode := 2;
  if Code = KPF_CONFIRMED then
  begin
    WriteLn('CONFIRMED');
    Result_ := TKpfPacketDataset.Create(nil);
    try
      try
        KpfLoadPacket(Packet, Result_);
        PrintRows(Result_);
        ExitCode := 0;
        if O.Store then
          StoreResult(Result_);
      except
        on E: Exception do
          WriteLn('FAILED ', E.Message);
      end;
    finally
      Result_.Free;
    end;
  end
  else if Code = KPF_NOT_CONFIRMED then
  begin
    WriteLn('NOT CONFIRMED');
    ExitCode := 1;
  end
  else
    WriteLn('FAILED ', Error);
  KpfFinalize();
  O.Lines.Free;
  { The libraries stay loaded: the QApplication that the module made lives until exit. }
end.
