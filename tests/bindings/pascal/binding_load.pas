{ Checks KpfLoadPacket of the Pascal binding under a Brazilian host's FormatSettings: dates and
  numbers read from the packet's notation, the UpdateStatus of each visible row, and the change
  log handed to ApplyUpdates deletions first, with the deleted row's values. Then hostile packets:
  each is refused with EKpfError, or read whole, never cut or crashed on. Exit status 1 and one
  line per difference on failure. }
program binding_load;

{$mode objfpc}{$H+}

uses
  Classes, SysUtils, StrUtils, DB, BufDataset, kpf05520;

const
  Packet = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>' +
    '<DATAPACKET Version="2.0"><METADATA><FIELDS>' +
    '<FIELD attrname="CD" fieldtype="string" WIDTH="4"/>' +
    '<FIELD attrname="DT" fieldtype="date"/><FIELD attrname="VR" fieldtype="r8"/>' +
    '</FIELDS><PARAMS CHANGE_LOG="2 0 4 1 0 2 5 4 8"/></METADATA><ROWDATA>' +
    '<ROW RowState="2" CD="0001" DT="20261207" VR="18"/>' +
    '<ROW RowState="4" CD="0002" DT="20261207" VR="7.5"/>' +
    '<ROW CD="0003" DT="20261208"/>' +
    '<ROW RowState="1" CD="0004" DT="20261207" VR="1.25"/>' +
    '<ROW RowState="8" CD="0004" DT="20261207" VR="2.5"/>' +
    '</ROWDATA></DATAPACKET>';

type
  TRecorder = class
    Applied: TStringList;
    procedure Apply(DataSet: TDataSet; UpdateKind: TUpdateKind);
  end;

var
  Failures: Integer = 0;

function Described(DataSet: TDataSet): string;
var
  Dot: TFormatSettings;
begin
  Dot := DefaultFormatSettings;
  Dot.DecimalSeparator := '.';
  Result := DataSet.FieldByName('CD').AsString + ' ' +
    FormatDateTime('yyyy"-"mm"-"dd', DataSet.FieldByName('DT').AsDateTime);
  if not DataSet.FieldByName('VR').IsNull then
    Result := Result + ' ' + FloatToStr(DataSet.FieldByName('VR').AsFloat, Dot);
end;

procedure TRecorder.Apply(DataSet: TDataSet; UpdateKind: TUpdateKind);
const
  Kinds: array[TUpdateKind] of string = ('modify', 'insert', 'delete');
begin
  Applied.Add(Kinds[UpdateKind] + ' ' + Described(DataSet));
end;

procedure Expect(const What, Actual, Expected: string);
begin
  if Actual <> Expected then
  begin
    WriteLn(What, ': got "', Actual, '", expected "', Expected, '"');
    Inc(Failures);
  end;
end;

function Nested(Levels: Integer): AnsiString;
begin
  Result := DupeString('<X>', Levels) + DupeString('</X>', Levels);
end;

function StringPacket(const Width, Value: AnsiString; const Inside: AnsiString = ''): AnsiString;
begin
  Result := '<DATAPACKET Version="2.0"><METADATA><FIELDS>' +
    '<FIELD attrname="CD" fieldtype="string" WIDTH="' + Width + '"/></FIELDS></METADATA>' +
    '<ROWDATA><ROW CD="' + Value + '"/>' + Inside + '</ROWDATA></DATAPACKET>';
end;

function Laughs: AnsiString;
begin
  Result := '<?xml version="1.0"?><!DOCTYPE DATAPACKET [<!ENTITY a "aaaaaaaaaa">' +
    '<!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;"><!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;">]>' +
    StringPacket('4', '&c;');
end;

{ Reads Packet: Expected is the value of CD that it gives, or 'refused: ' and a part of the
  EKpfError's text. }
procedure ExpectRead(const What, Packet, Expected: AnsiString);
var
  D: TKpfPacketDataset;
  Got: AnsiString;
begin
  D := TKpfPacketDataset.Create(nil);
  try
    try
      KpfLoadPacket(Packet, D);
      Got := D.FieldByName('CD').AsString;
    except
      on E: EKpfError do
        if Pos(Copy(Expected, 10, MaxInt), E.Message) > 0 then
          Got := Expected
        else
          Got := 'refused: ' + E.Message;
    end;
    Expect(What, Got, Expected);
  finally
    D.Free;
  end;
end;

procedure CheckHostilePackets;
begin
  ExpectRead('100,000 levels', StringPacket('4', 'A', Nested(100000)),
    'refused: nested deeper than 16');
  ExpectRead('17 levels', StringPacket('4', 'A', Nested(15)), 'refused: nested deeper than 16');
  ExpectRead('16 levels', StringPacket('4', 'A', Nested(14)), 'A');
  ExpectRead('> in a value and a comment', StringPacket('4', 'A>', '<!-- <X> -->'), 'A>');
  ExpectRead('internal entities', Laughs, 'refused: DTD');
  ExpectRead('WIDTH past the limit', StringPacket('536870912', 'x'), 'refused: WIDTH');
  ExpectRead('WIDTH not a number', StringPacket('2x', 'x'), 'refused: WIDTH');
  ExpectRead('WIDTH 0', StringPacket('0', 'x'), 'refused: WIDTH');
  ExpectRead('Latin letters over WIDTH', StringPacket('2', 'ABCDEFGHIJ'), 'ABCDEFGHIJ');
  ExpectRead('accented letters over WIDTH', StringPacket('2', 'ééééé'), 'ééééé');
  ExpectRead('emoji over WIDTH', StringPacket('2', '😀😀😀'), '😀😀😀');
  ExpectRead('value past what a TBufDataset holds',
    StringPacket('4', StringOfChar('x', 70000)), 'refused: at most 65535');
end;

var
  D: TKpfPacketDataset;
  Recorder: TRecorder;
  Seen: string;
begin
  DefaultFormatSettings.DecimalSeparator := ',';
  DefaultFormatSettings.ThousandSeparator := '.';
  DefaultFormatSettings.DateSeparator := '/';
  DefaultFormatSettings.ShortDateFormat := 'dd/mm/yyyy';
  D := TKpfPacketDataset.Create(nil);
  Recorder := TRecorder.Create;
  Recorder.Applied := TStringList.Create;
  try
    KpfLoadPacket(Packet, D);
    Seen := '';
    while not D.EOF do
    begin
      Seen := Seen + Described(D) + ' ' + KpfUpdateStatusWord(D.UpdateStatus) + '; ';
      D.Next;
    end;
    Expect('visible rows', Seen, '0003 2026-12-08 unmodified; 0004 2026-12-07 2.5 modified; ' +
      '0002 2026-12-07 7.5 inserted; ');
    D.OnApplyRecord := @Recorder.Apply;
    D.ApplyUpdates(0);
    Expect('applied', Trim(Recorder.Applied.Text), 'delete 0001 2026-12-07 18' + LineEnding +
      'modify 0004 2026-12-07 2.5' + LineEnding + 'insert 0002 2026-12-07 7.5');
  except
    on E: Exception do
    begin
      WriteLn('exception: ', E.Message);
      Inc(Failures);
    end;
  end;
  Recorder.Applied.Free;
  Recorder.Free;
  D.Free;
  CheckHostilePackets;
  if Failures > 0 then
    Halt(1);
  WriteLn('binding_load: all checks passed');
end.
