{ Writes the settings files and a host's source packet the way a Free Pascal host does, with
  TBufDataset.SaveToFile(dfXML), so that the tests read what that writer really writes.

    tbufpackets DIR

  DIR/plain:   rows as a host appends them (saved with their change log, RowState 4).
  DIR/deleted: stored rows, one of them then deleted (RowState 2, CHANGE_LOG "n n 2").
  Each holds KAVIRON.CDS (IDTIPOIMPFIS 14), PARAMETROSKVR.CDS (IDESQUEMA 7) and source.xml with
  the lines 01/7/100/7 and 03/18/200/36 (deleted: 02/12/50/6 before them, removed).
  DIR/binding: the plain settings files, and source.xml written by the binding's KpfSourcePacket
  from a TBufDataset (VRVENDIDO a float 200.5, a deleted row, comma decimal settings) whose
  current record is the line 03; record.txt holds the current record it gave. }
program tbufpackets;

{$mode objfpc}{$H+}
{ fcl-db's TBufDataset leaves LoadBlobIntoBuffer abstract; these packets hold no blobs. }
{$warn 4046 off}

uses
  Classes, SysUtils, DB, BufDataset, XMLDatapacketReader, kpf05520;

type
  TValues = array of string;

procedure Save(const Path: string; const Names: array of string; const Sizes: array of Integer;
  const Rows: array of TValues; DeletedFirst: Boolean);
var
  D: TBufDataset;
  I, R: Integer;
begin
  D := TBufDataset.Create(nil);
  try
    for I := 0 to High(Names) do
      D.FieldDefs.Add(Names[I], ftString, Sizes[I]);
    D.CreateDataset;
    for R := 0 to High(Rows) do
    begin
      D.Append;
      for I := 0 to High(Names) do
        D.Fields[I].AsString := Rows[R][I];
      D.Post;
    end;
    if DeletedFirst then
    begin
      D.MergeChangeLog;
      D.First;
      D.Delete;
    end;
    D.SaveToFile(Path, dfXML);
  finally
    D.Free;
  end;
end;

procedure Write(const Dir: string; Deleted: Boolean);
var
  Lines: array of TValues;
  Extra: Integer;
begin
  ForceDirectories(Dir);
  Extra := Ord(Deleted);
  if Deleted then
  begin
    Save(Dir + '/KAVIRON.CDS', ['IDTIPOIMPFIS'], [2], [TValues.Create('99'),
      TValues.Create('14')], True);
    Save(Dir + '/PARAMETROSKVR.CDS', ['IDESQUEMA'], [10], [TValues.Create('99'),
      TValues.Create('7')], True);
  end
  else
  begin
    Save(Dir + '/KAVIRON.CDS', ['IDTIPOIMPFIS'], [2], [TValues.Create('14')], False);
    Save(Dir + '/PARAMETROSKVR.CDS', ['IDESQUEMA'], [10], [TValues.Create('7')], False);
  end;
  SetLength(Lines, 2 + Extra);
  if Deleted then
    Lines[0] := TValues.Create('02', '12', '50', '6');
  Lines[Extra] := TValues.Create('01', '7', '100', '7');
  Lines[Extra + 1] := TValues.Create('03', '18', '200', '36');
  Save(Dir + '/source.xml', ['CDIMPOSTO', 'VRALIQIMPFIS', 'VRVENDIDO', 'VRIMPOSTO'],
    [2, 9, 9, 9], Lines, Deleted);
end;

procedure WriteText(const Path, Text: string);
var
  Lines: TStringList;
begin
  Lines := TStringList.Create;
  try
    Lines.Text := Text;
    Lines.SaveToFile(Path);
  finally
    Lines.Free;
  end;
end;

procedure WriteThroughBinding(const Dir: string);
var
  D: TBufDataset;
  Rows: array[0..2] of TValues;
  R, Current: Integer;
begin
  Write(Dir, False);
  DefaultFormatSettings.DecimalSeparator := ',';
  D := TBufDataset.Create(nil);
  try
    D.FieldDefs.Add('CDIMPOSTO', ftString, 2);
    D.FieldDefs.Add('VRALIQIMPFIS', ftString, 9);
    D.FieldDefs.Add('VRVENDIDO', ftFloat);
    D.FieldDefs.Add('VRIMPOSTO', ftString, 9);
    D.CreateDataset;
    Rows[0] := TValues.Create('02', '12', '50', '6');
    Rows[1] := TValues.Create('01', '7', '100', '7');
    Rows[2] := TValues.Create('03', '18', '200,5', '36');
    for R := 0 to 2 do
    begin
      D.Append;
      D.Fields[0].AsString := Rows[R][0];
      D.Fields[1].AsString := Rows[R][1];
      D.Fields[2].AsFloat := StrToFloat(Rows[R][2]);
      D.Fields[3].AsString := Rows[R][3];
      D.Post;
    end;
    D.First;
    D.Delete;
    D.Last;
    WriteText(Dir + '/source.xml', KpfSourcePacket(D, Current));
    if D.FieldByName('CDIMPOSTO').AsString <> '03' then
      Current := -1; // the current record was not kept
    WriteText(Dir + '/record.txt', IntToStr(Current));
  finally
    D.Free;
  end;
end;

begin
  if ParamCount <> 1 then
  begin
    WriteLn(StdErr, 'usage: tbufpackets DIR');
    Halt(2);
  end;
  Write(ParamStr(1) + '/plain', False);
  Write(ParamStr(1) + '/deleted', True);
  WriteThroughBinding(ParamStr(1) + '/binding');
end.
