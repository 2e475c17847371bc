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
  Classes, SysUtils, DB, BufDataset, kpf05520, kpftill;

function setenv(Name, Value: PAnsiChar; Overwrite: LongInt): LongInt; cdecl; external 'c';

type
  TOptions = record
    LibDir, Home, Connection: string;
    ConfirmAfterMs: Integer;
    Lines: TStringList;
    Store: Boolean;
    Key: array[0..3] of string;
  end;

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
  StartModule(O.LibDir, O.Home, O.Connection);
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
          if not StoreResult(Result_) then
            ExitCode := 2;
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
