{ The Kpf05520 tax-entry module for Free Pascal hosts.

  Declares the plain C interface of include/kpf05520.h (libPkg_Kpf05520.so) and include/kpf_dll.h
  (lib_dll.so), loaded at run time from a directory the host chooses, and adds what a Pascal host
  wants on top: TDateTime straight through, UTF-8 AnsiStrings, returned texts released inside the
  helpers, a returned packet read into a TBufDataset whatever the host's FormatSettings are (with
  its change log), and a host's TDataSet written as the entry's source packet.

  Needs fcl-db and fcl-xml (both part of fpc). Plain fpc: fpc -Fu<this directory> yourhost.lpr }
unit kpf05520;

{$mode objfpc}{$H+}

interface

uses
  Classes, SysUtils, DB, BufDataset;

const
  { Return codes of CriaImpostoRedz. }
  KPF_CONFIRMED = 0;
  KPF_NOT_CONFIRMED = 1;
  KPF_FAILED = 2;

  { Kinds of messages given to the message observer. }
  KPF_MSG_INFORMATION = 0;
  KPF_MSG_WARNING = 1;
  KPF_MSG_ERROR = 2;
  KPF_MSG_ATTENTION = 3;
  KPF_MSG_QUESTION = 4;

type
  EKpfError = class(Exception);

  TKpfDll_MessageCallback = procedure(Utf8Text: PAnsiChar; Kind: LongInt;
    Context: Pointer); cdecl;

  { kpf05520.h }
  TCriaImpostoRedz = function(Branch, Till, ZCounter: PAnsiChar; ZDate, ReferenceDate: Double;
    SourcePacket: PAnsiChar; SourceRecord: LongInt; ResultPacket, ErrorText: PPAnsiChar): LongInt;
    cdecl;
  TKpfFree = procedure(Text: PAnsiChar); cdecl;
  TKpfEnsureApplication = function(Argc: PLongInt; Argv: PPAnsiChar): LongInt; cdecl;
  TKpfVoid = procedure; cdecl;
  TKpfPackageList = function: PPAnsiChar; cdecl;
  { kpf_dll.h }
  TKpfDll_SetText = procedure(Utf8: PAnsiChar); cdecl;
  TKpfDll_SetMessageObserver = procedure(Callback: TKpfDll_MessageCallback;
    Context: Pointer); cdecl;
  TKpfDll_SetAutoAcknowledge = procedure(OnOff: LongInt); cdecl;
  TKpfDll_GetConnectionString = function(Buffer: PAnsiChar; Size: LongInt): LongInt; cdecl;
  TKpfDll_ScheduleClick = function(ControlName: PAnsiChar; DelayMs: LongInt): LongInt; cdecl;

var
  { The C functions, set by KpfLoad. Initialize and Finalize of the module are KpfInitialize and
    KpfFinalize here, since Pascal has intrinsics of those names. }
  CriaImpostoRedz: TCriaImpostoRedz = nil;
  KpfFree: TKpfFree = nil;
  KpfEnsureApplication: TKpfEnsureApplication = nil;
  KpfInitialize: TKpfVoid = nil;
  KpfFinalize: TKpfVoid = nil;
  GetPackageRequires: TKpfPackageList = nil;
  GetPackageUnits: TKpfPackageList = nil;
  KpfDll_SetConnectionString: TKpfDll_SetText = nil;
  KpfDll_SetMessageObserver: TKpfDll_SetMessageObserver = nil;
  KpfDll_SetAutoAcknowledge: TKpfDll_SetAutoAcknowledge = nil;
  KpfDll_GetConnectionString: TKpfDll_GetConnectionString = nil;
  KpfDll_SetProgramDirectory: TKpfDll_SetText = nil;
  KpfDll_ScheduleClick: TKpfDll_ScheduleClick = nil;

{ Loads lib_dll.so and then libPkg_Kpf05520.so from LibDir and binds every function; raises
  EKpfError naming the file or symbol that is missing. Also masks the floating-point exceptions
  that Free Pascal unmasks by default: Qt's code computes with NaN and infinities. The libraries stay
  loaded until the process ends (the QApplication the module makes lives that long). }
procedure KpfLoad(const LibDir: string);
{ KpfEnsureApplication with the program's own argc/argv. }
function KpfEnsureApp: LongInt;

{ The entry: ZDate and ReferenceDate are TDateTime values as they are; an empty SourcePacket
  passes NULL (an empty data set of the four fields). ResultPacket and ErrorText are UTF-8 copies;
  the module's texts are released here. Returns KPF_CONFIRMED, KPF_NOT_CONFIRMED or KPF_FAILED. }
function KpfCall(const Branch, Till, ZCounter: AnsiString; ZDate, ReferenceDate: TDateTime;
  const SourcePacket: AnsiString; SourceRecord: Integer; out ResultPacket: AnsiString;
  out ErrorText: AnsiString): Integer;

procedure KpfSetConnectionString(const Utf8: AnsiString);
function KpfConnectionString: AnsiString;
procedure KpfSetProgramDirectory(const Utf8Dir: AnsiString);

type
  TKpfApplyEvent = procedure(DataSet: TDataSet; UpdateKind: TUpdateKind) of object;

  { A TBufDataset that hands each change of its change log to OnApplyRecord when ApplyUpdates
    runs, the fields holding that row's values (also for a deleted row). }
  TKpfPacketDataset = class(TBufDataset)
  private
    FOnApplyRecord: TKpfApplyEvent;
  protected
    procedure ApplyRecUpdate(UpdateKind: TUpdateKind); override;
    procedure LoadBlobIntoBuffer(FieldDef: TFieldDef; ABlobBuf: PBufBlobField); override;
  public
    property OnApplyRecord: TKpfApplyEvent read FOnApplyRecord write FOnApplyRecord;
  end;

{ Reads a packet (as the entry returns it) into DataSet: its fields, its rows with dates and
  numbers read from the packet's own notation (YYYYMMDD, '.'), never through FormatSettings, and
  its change log: rows typed on the screen have UpdateStatus usInserted, stored rows usUnmodified,
  removed stored rows are deleted (hidden while browsing, reached through ApplyUpdates). The
  change log is ordered deletions, then modifications, then insertions, so ApplyUpdates applies
  deletions first. Raises EKpfError for what it cannot read. }
procedure KpfLoadPacket(const Packet: AnsiString; DataSet: TKpfPacketDataset);

{ The source packet of the entry made from a host's data set (strings, dates, floats, integers,
  booleans): every row, in the standard notation; CurrentRecord receives the 0-based index of the
  current record, which is kept. The data set must be open and in browse state. }
function KpfSourcePacket(DataSet: TDataSet; out CurrentRecord: Integer): AnsiString;

{ 'unmodified', 'modified', 'inserted' or 'deleted'. }
function KpfUpdateStatusWord(Status: TUpdateStatus): string;

implementation

uses
  dynlibs, Math, DOM, XMLRead;

var
  DllHandle: TLibHandle = NilHandle;
  ModuleHandle: TLibHandle = NilHandle;

function PacketFormat: TFormatSettings;
begin
  Result := DefaultFormatSettings;
  Result.DecimalSeparator := '.';
  Result.ThousandSeparator := #0;
end;

procedure KpfLoad(const LibDir: string);

  function Open(const Name: string): TLibHandle;
  begin
    Result := LoadLibrary(IncludeTrailingPathDelimiter(LibDir) + Name);
    if Result = NilHandle then
      raise EKpfError.CreateFmt('cannot load %s: %s',
        [IncludeTrailingPathDelimiter(LibDir) + Name, GetLoadErrorStr]);
  end;

  function Bind(Handle: TLibHandle; const Name: string): Pointer;
  begin
    Result := GetProcedureAddress(Handle, Name);
    if Result = nil then
      raise EKpfError.CreateFmt('missing %s', [Name]);
  end;

begin
  SetExceptionMask([exInvalidOp, exDenormalized, exZeroDivide, exOverflow, exUnderflow,
    exPrecision]);
  if DllHandle = NilHandle then
    DllHandle := Open('lib_dll.so');
  if ModuleHandle = NilHandle then
    ModuleHandle := Open('libPkg_Kpf05520.so');
  Pointer(CriaImpostoRedz) := Bind(ModuleHandle, 'CriaImpostoRedz');
  Pointer(KpfFree) := Bind(ModuleHandle, 'KpfFree');
  Pointer(KpfEnsureApplication) := Bind(ModuleHandle, 'KpfEnsureApplication');
  Pointer(KpfInitialize) := Bind(ModuleHandle, 'Initialize');
  Pointer(KpfFinalize) := Bind(ModuleHandle, 'Finalize');
  Pointer(GetPackageRequires) := Bind(ModuleHandle, 'GetPackageRequires');
  Pointer(GetPackageUnits) := Bind(ModuleHandle, 'GetPackageUnits');
  Pointer(KpfDll_SetConnectionString) := Bind(DllHandle, 'KpfDll_SetConnectionString');
  Pointer(KpfDll_SetMessageObserver) := Bind(DllHandle, 'KpfDll_SetMessageObserver');
  Pointer(KpfDll_SetAutoAcknowledge) := Bind(DllHandle, 'KpfDll_SetAutoAcknowledge');
  Pointer(KpfDll_GetConnectionString) := Bind(DllHandle, 'KpfDll_GetConnectionString');
  Pointer(KpfDll_SetProgramDirectory) := Bind(DllHandle, 'KpfDll_SetProgramDirectory');
  Pointer(KpfDll_ScheduleClick) := Bind(DllHandle, 'KpfDll_ScheduleClick');
end;

function KpfEnsureApp: LongInt;
var
  Count: LongInt;
begin
  Count := argc;
  Result := KpfEnsureApplication(@Count, PPAnsiChar(argv));
end;

function Utf8Copy(Text: PAnsiChar): AnsiString;
begin
  Result := '';
  if Text <> nil then
  begin
    Result := Text;
    SetCodePage(RawByteString(Result), CP_UTF8, False);
  end;
end;

function KpfCall(const Branch, Till, ZCounter: AnsiString; ZDate, ReferenceDate: TDateTime;
  const SourcePacket: AnsiString; SourceRecord: Integer; out ResultPacket: AnsiString;
  out ErrorText: AnsiString): Integer;
var
  Packet, Error, Source: PAnsiChar;
begin
  // The texts are UTF-8 already: their bytes go as they are, with no code-page conversion.
  Source := nil;
  if SourcePacket <> '' then
    Source := PAnsiChar(SourcePacket);
  Packet := nil;
  Error := nil;
  Result := CriaImpostoRedz(PAnsiChar(Branch), PAnsiChar(Till), PAnsiChar(ZCounter), ZDate,
    ReferenceDate, Source, SourceRecord, @Packet, @Error);
  try
    ResultPacket := Utf8Copy(Packet);
    ErrorText := Utf8Copy(Error);
  finally
    KpfFree(Packet);
    KpfFree(Error);
  end;
end;

procedure KpfSetConnectionString(const Utf8: AnsiString);
begin
  KpfDll_SetConnectionString(PAnsiChar(Utf8));
end;

function KpfConnectionString: AnsiString;
var
  Size: LongInt;
begin
  Size := KpfDll_GetConnectionString(nil, 0);
  SetLength(Result, Size);
  if Size > 0 then
    KpfDll_GetConnectionString(PAnsiChar(Result), Size + 1);
  SetCodePage(RawByteString(Result), CP_UTF8, False);
end;

procedure KpfSetProgramDirectory(const Utf8Dir: AnsiString);
begin
  KpfDll_SetProgramDirectory(PAnsiChar(Utf8Dir));
end;

{ TKpfPacketDataset }

procedure TKpfPacketDataset.ApplyRecUpdate(UpdateKind: TUpdateKind);
begin
  if Assigned(FOnApplyRecord) then
    FOnApplyRecord(Self, UpdateKind)
  else
    inherited ApplyRecUpdate(UpdateKind);
end;

procedure TKpfPacketDataset.LoadBlobIntoBuffer(FieldDef: TFieldDef; ABlobBuf: PBufBlobField);
begin
  // Packets of the module hold no blobs.
  raise EKpfError.CreateFmt('field %s: blobs are not supported', [FieldDef.Name]);
end;

{ Reading a packet }

function Attr(Node: TDOMNode; const Name: DOMString): AnsiString;
var
  Found: TDOMNode;
begin
  Found := Node.Attributes.GetNamedItem(Name);
  if Found = nil then
    Result := ''
  else
    Result := UTF8Encode(Found.NodeValue);
end;

function HasAttr(Node: TDOMNode; const Name: DOMString): Boolean;
begin
  Result := Node.Attributes.GetNamedItem(Name) <> nil;
end;

{ Writers differ in the case of WIDTH. }
function AttrAnyCase(Node: TDOMNode; const Name: string): AnsiString;
var
  I: Integer;
begin
  Result := '';
  for I := 0 to Node.Attributes.Length - 1 do
    if SameText(UTF8Encode(Node.Attributes[I].NodeName), Name) then
      Exit(UTF8Encode(Node.Attributes[I].NodeValue));
end;

procedure AddFieldDef(DataSet: TDataSet; FieldNode: TDOMNode);
var
  Name, Kind: string;
  Width: Integer;
begin
  Name := Attr(FieldNode, 'attrname');
  Kind := LowerCase(Attr(FieldNode, 'fieldtype'));
  if (Kind = 'string') or (Kind = 'string.uni') then
  begin
    Width := StrToIntDef(AttrAnyCase(FieldNode, 'WIDTH'), 0);
    if Kind = 'string.uni' then
      Width := Width div 2;
    if Width < 1 then
      raise EKpfError.CreateFmt('packet: field %s has no WIDTH', [Name]);
    // The size counts bytes, and a UTF-8 character takes up to four.
    DataSet.FieldDefs.Add(Name, ftString, Width * 4);
  end
  else if Kind = 'date' then
    DataSet.FieldDefs.Add(Name, ftDate)
  else if Kind = 'datetime' then
    DataSet.FieldDefs.Add(Name, ftDateTime)
  else if (Kind = 'r8') or (Kind = 'fixed') or (Kind = 'fixedfmt') then
    DataSet.FieldDefs.Add(Name, ftFloat)
  else if (Kind = 'i2') or (Kind = 'i4') then
    DataSet.FieldDefs.Add(Name, ftInteger)
  else if Kind = 'i8' then
    DataSet.FieldDefs.Add(Name, ftLargeint)
  else if Kind = 'boolean' then
    DataSet.FieldDefs.Add(Name, ftBoolean)
  else
    raise EKpfError.CreateFmt('packet: field %s has the unsupported type "%s"', [Name, Kind]);
end;

{ YYYYMMDD, optionally THH:MM:SS and milliseconds. }
function StampValue(const Text, FieldName: string): TDateTime;
var
  Y, M, D, H, N, S, Z: Integer;
  Day, Time: TDateTime;
begin
  H := 0;
  N := 0;
  S := 0;
  Z := 0;
  if not ((Length(Text) in [8, 17, 20]) and TryStrToInt(Copy(Text, 1, 4), Y) and
    TryStrToInt(Copy(Text, 5, 2), M) and TryStrToInt(Copy(Text, 7, 2), D) and
    TryEncodeDate(Y, M, D, Day)) then
    raise EKpfError.CreateFmt('packet: date "%s" of field %s is not YYYYMMDD', [Text, FieldName]);
  if Length(Text) > 8 then
  begin
    if not ((Text[9] = 'T') and TryStrToInt(Copy(Text, 10, 2), H) and
      TryStrToInt(Copy(Text, 13, 2), N) and TryStrToInt(Copy(Text, 16, 2), S) and
      ((Length(Text) = 17) or TryStrToInt(Copy(Text, 18, 3), Z)) and
      TryEncodeTime(H, N, S, Z, Time)) then
      raise EKpfError.CreateFmt('packet: time "%s" of field %s is malformed', [Text, FieldName]);
    Day := ComposeDateTime(Day, Time);
  end;
  Result := Day;
end;

procedure SetFieldText(Field: TField; const Text: AnsiString);
var
  Number: Double;
  Whole: Int64;
begin
  case Field.DataType of
    ftDate, ftDateTime:
      Field.AsDateTime := StampValue(Text, Field.FieldName);
    ftFloat:
      begin
        if not TryStrToFloat(Text, Number, PacketFormat) then
          raise EKpfError.CreateFmt('packet: "%s" of field %s is not a number',
            [Text, Field.FieldName]);
        Field.AsFloat := Number;
      end;
    ftInteger, ftLargeint:
      begin
        if not TryStrToInt64(Text, Whole) then
          raise EKpfError.CreateFmt('packet: "%s" of field %s is not an integer',
            [Text, Field.FieldName]);
        Field.AsLargeInt := Whole;
      end;
    ftBoolean:
      Field.AsBoolean := SameText(Text, 'TRUE');
  else
    Field.AsString := Text;
  end;
end;

procedure FillRecord(DataSet: TDataSet; Row: TDOMNode);
var
  I: Integer;
  Field: TField;
begin
  for I := 0 to DataSet.Fields.Count - 1 do
  begin
    Field := DataSet.Fields[I];
    if HasAttr(Row, UTF8Decode(Field.FieldName)) then
      SetFieldText(Field, Attr(Row, UTF8Decode(Field.FieldName)))
    else
      Field.Clear;
  end;
end;

function RowStateOf(Row: TDOMNode): Integer;
begin
  Result := StrToIntDef(Attr(Row, 'RowState'), 0);
end;

{ For each row with RowState 8, the index of its original: from CHANGE_LOG when there is one,
  else the row just before. }
procedure PairModifications(const Rows: array of TDOMNode; const ChangeLog: string;
  var OriginalOf: array of Integer);
var
  Items: TStringList;
  I, Position, Original: Integer;
begin
  for I := 0 to High(Rows) do
    if (RowStateOf(Rows[I]) = 8) and (I > 0) then
      OriginalOf[I] := I - 1;
  Items := TStringList.Create;
  try
    ExtractStrings([' ', #9, #10, #13], [], PChar(ChangeLog), Items);
    I := 0;
    while I + 2 < Items.Count do
    begin
      Position := StrToIntDef(Items[I], 0) - 1;
      Original := StrToIntDef(Items[I + 1], 0) - 1;
      if (Items[I + 2] = '8') and (Position >= 0) and (Position <= High(Rows)) and
        (Original >= 0) and (Original <= High(Rows)) then
        OriginalOf[Position] := Original;
      Inc(I, 3);
    end;
  finally
    Items.Free;
  end;
end;

procedure KpfLoadPacket(const Packet: AnsiString; DataSet: TKpfPacketDataset);
var
  Document: TXMLDocument;
  Stream: TStringStream;
  Root, Metadata, FieldsNode, Params, RowData, Node: TDOMNode;
  Rows: array of TDOMNode;
  OriginalOf, RecordOf: array of Integer;
  I, State, Deleted: Integer;
begin
  Stream := TStringStream.Create(Packet);
  Document := nil;
  try
    try
      ReadXMLFile(Document, Stream);
    except
      on E: Exception do
        raise EKpfError.Create('packet: not XML: ' + E.Message);
    end;
    Root := Document.DocumentElement;
    if (Root = nil) or (Root.NodeName <> 'DATAPACKET') then
      raise EKpfError.Create('packet: the root element is not DATAPACKET');
    Metadata := Root.FindNode('METADATA');
    if Metadata = nil then
      raise EKpfError.Create('packet: METADATA is missing');
    FieldsNode := Metadata.FindNode('FIELDS');
    if FieldsNode = nil then
      raise EKpfError.Create('packet: FIELDS is missing');
    DataSet.Close;
    DataSet.FieldDefs.Clear;
    Node := FieldsNode.FirstChild;
    while Node <> nil do
    begin
      if Node.NodeName = 'FIELD' then
        AddFieldDef(DataSet, Node);
      Node := Node.NextSibling;
    end;
    DataSet.CreateDataset;

    SetLength(Rows, 0);
    RowData := Root.FindNode('ROWDATA');
    if RowData <> nil then
    begin
      Node := RowData.FirstChild;
      while Node <> nil do
      begin
        if Node.NodeName = 'ROW' then
        begin
          SetLength(Rows, Length(Rows) + 1);
          Rows[High(Rows)] := Node;
        end;
        Node := Node.NextSibling;
      end;
    end;
    SetLength(OriginalOf, Length(Rows));
    SetLength(RecordOf, Length(Rows));
    for I := 0 to High(Rows) do
    begin
      OriginalOf[I] := -1;
      RecordOf[I] := 0;
    end;
    Params := Metadata.FindNode('PARAMS');
    if Params <> nil then
      PairModifications(Rows, Attr(Params, 'CHANGE_LOG'), OriginalOf);
    for I := 0 to High(Rows) do
    begin
      State := RowStateOf(Rows[I]);
      if not (State in [0, 1, 2, 4, 8]) then
        raise EKpfError.CreateFmt('packet: row %d has the unknown RowState %d', [I + 1, State]);
      if (State = 8) and ((OriginalOf[I] < 0) or (RowStateOf(Rows[OriginalOf[I]]) <> 1)) then
        raise EKpfError.CreateFmt('packet: modified row %d has no original (RowState 1)',
          [I + 1]);
    end;

    // The stored rows first (unchanged, deleted, originals of modified rows), as originals.
    DataSet.DisableControls;
    try
      for I := 0 to High(Rows) do
        if RowStateOf(Rows[I]) in [0, 1, 2] then
        begin
          DataSet.Append;
          FillRecord(DataSet, Rows[I]);
          DataSet.Post;
          RecordOf[I] := DataSet.RecordCount;
        end;
      DataSet.MergeChangeLog;
      // Deletions from the last one back, so that the earlier record numbers stay put.
      Deleted := 0;
      for I := High(Rows) downto 0 do
        if RowStateOf(Rows[I]) = 2 then
        begin
          DataSet.RecNo := RecordOf[I];
          DataSet.Delete;
        end;
      for I := 0 to High(Rows) do
      begin
        State := RowStateOf(Rows[I]);
        if State = 2 then
          Inc(Deleted)
        else if (State in [0, 1]) then
          RecordOf[I] := RecordOf[I] - Deleted;
      end;
      for I := 0 to High(Rows) do
        if RowStateOf(Rows[I]) = 8 then
        begin
          DataSet.RecNo := RecordOf[OriginalOf[I]];
          DataSet.Edit;
          FillRecord(DataSet, Rows[I]);
          DataSet.Post;
        end;
      for I := 0 to High(Rows) do
        if RowStateOf(Rows[I]) = 4 then
        begin
          DataSet.Append;
          FillRecord(DataSet, Rows[I]);
          DataSet.Post;
        end;
      DataSet.First;
    finally
      DataSet.EnableControls;
    end;
  finally
    Document.Free;
    Stream.Free;
  end;
end;

function KpfUpdateStatusWord(Status: TUpdateStatus): string;
begin
  case Status of
    usModified: Result := 'modified';
    usInserted: Result := 'inserted';
    usDeleted: Result := 'deleted';
  else
    Result := 'unmodified';
  end;
end;

{ Writing a source packet }

function XmlEscaped(const Text: AnsiString): AnsiString;
var
  I: Integer;
begin
  Result := '';
  for I := 1 to Length(Text) do
    case Text[I] of
      '&': Result := Result + '&amp;';
      '<': Result := Result + '&lt;';
      '>': Result := Result + '&gt;';
      '"': Result := Result + '&quot;';
      #9: Result := Result + '&#009;';
      #10: Result := Result + '&#010;';
      #13: Result := Result + '&#013;';
    else
      Result := Result + Text[I];
    end;
end;

function FieldTypeName(Field: TField): string;
begin
  case Field.DataType of
    ftString, ftFixedChar, ftWideString, ftFixedWideChar, ftMemo, ftWideMemo, ftGuid:
      Result := 'string';
    ftDate: Result := 'date';
    ftDateTime, ftTimeStamp: Result := 'dateTime';
    ftFloat, ftCurrency, ftBCD, ftFMTBcd: Result := 'r8';
    ftSmallint, ftInteger, ftWord, ftAutoInc: Result := 'i4';
    ftLargeint: Result := 'i8';
    ftBoolean: Result := 'boolean';
  else
    raise EKpfError.CreateFmt('source: field %s has a type the packet cannot carry',
      [Field.FieldName]);
  end;
end;

function FieldPacketText(Field: TField): AnsiString;
begin
  case Field.DataType of
    ftDate: Result := FormatDateTime('yyyymmdd', Field.AsDateTime);
    ftDateTime, ftTimeStamp:
      Result := FormatDateTime('yyyymmdd"T"hh":"nn":"sszzz', Field.AsDateTime);
    ftFloat, ftCurrency, ftBCD, ftFMTBcd: Result := FloatToStr(Field.AsFloat, PacketFormat);
    ftSmallint, ftInteger, ftWord, ftAutoInc, ftLargeint: Result := IntToStr(Field.AsLargeInt);
    ftBoolean: if Field.AsBoolean then Result := 'TRUE' else Result := 'FALSE';
    ftWideString, ftFixedWideChar, ftWideMemo: Result := UTF8Encode(Field.AsUnicodeString);
  else
    Result := Field.AsString; // the host's texts are UTF-8 already
  end;
end;

function KpfSourcePacket(DataSet: TDataSet; out CurrentRecord: Integer): AnsiString;
var
  Current: TBookmark;
  Widths: array of Integer;
  Types: array of string;
  RowsXml, Row, Text, Head: AnsiString;
  I, Index: Integer;
begin
  if not DataSet.Active then
    raise EKpfError.Create('source: the data set is not open');
  if DataSet.State <> dsBrowse then
    raise EKpfError.Create('source: post or cancel the pending record first');
  SetLength(Widths, DataSet.Fields.Count);
  SetLength(Types, DataSet.Fields.Count);
  for I := 0 to DataSet.Fields.Count - 1 do
  begin
    Types[I] := FieldTypeName(DataSet.Fields[I]);
    Widths[I] := Max(1, DataSet.Fields[I].Size);
  end;
  CurrentRecord := 0;
  RowsXml := '';
  Current := DataSet.GetBookmark;
  DataSet.DisableControls;
  try
    Index := 0;
    DataSet.First;
    while not DataSet.EOF do
    begin
      if (Current <> nil) and (DataSet.CompareBookmarks(Current, DataSet.GetBookmark) = 0) then
        CurrentRecord := Index;
      Row := '    <ROW';
      for I := 0 to DataSet.Fields.Count - 1 do
        if not DataSet.Fields[I].IsNull then
        begin
          Text := FieldPacketText(DataSet.Fields[I]);
          if Types[I] = 'string' then
            Widths[I] := Max(Widths[I], Length(UTF8Decode(Text)));
          Row := Row + ' ' + DataSet.Fields[I].FieldName + '="' + XmlEscaped(Text) + '"';
        end;
      RowsXml := RowsXml + Row + '/>'#10;
      Inc(Index);
      DataSet.Next;
    end;
    if Current <> nil then
      DataSet.GotoBookmark(Current);
  finally
    DataSet.FreeBookmark(Current);
    DataSet.EnableControls;
  end;
  Head := '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'#10 +
    '<DATAPACKET Version="2.0">'#10'  <METADATA>'#10'    <FIELDS>'#10;
  for I := 0 to DataSet.Fields.Count - 1 do
  begin
    Head := Head + '      <FIELD attrname="' + DataSet.Fields[I].FieldName + '" fieldtype="' +
      Types[I] + '"';
    if Types[I] = 'string' then
      Head := Head + ' WIDTH="' + IntToStr(Widths[I]) + '"';
    Head := Head + '/>'#10;
  end;
  Result := Head + '    </FIELDS>'#10'    <PARAMS/>'#10'  </METADATA>'#10'  <ROWDATA>'#10 +
    RowsXml + '  </ROWDATA>'#10'</DATAPACKET>'#10;
  SetCodePage(RawByteString(Result), CP_UTF8, False);
end;

end.
