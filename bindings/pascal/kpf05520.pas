{ The Kpf05520 tax-entry module for Free Pascal hosts.

  Declares the plain C interface of include/kpf05520.h (libPkg_Kpf05520.so) and include/kpf_dll.h
  (lib_dll.so), loaded at run time from a directory the host chooses, and adds what a Pascal host
  wants on top: TDateTime straight through, UTF-8 AnsiStrings, returned texts released inside the
  helpers, a returned packet read into a TBufDataset whatever the host's FormatSettings are (with
  its change log), and a host's TDataSet written as the entry's source packet.

  Needs fcl-db and fcl-xml (both part of fpc). Plain fpc: fpc -Fu<this directory> yourhost.lpr
  A Lazarus (LCL) host calls the entry through kpf05520lcl's KpfCallModal instead. }
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
  TKpfVersion = function: LongInt; cdecl;
  { kpf_dll.h }
  TKpfDll_SetText = procedure(Utf8: PAnsiChar); cdecl;
  TKpfDll_SetMessageObserver = procedure(Callback: TKpfDll_MessageCallback;
    Context: Pointer); cdecl;
  TKpfDll_SetAutoAcknowledge = procedure(OnOff: LongInt); cdecl;
  TKpfDll_GetConnectionString = function(Buffer: PAnsiChar; Size: LongInt): LongInt; cdecl;
  TKpfDll_ScheduleClick = function(ControlName: PAnsiChar; DelayMs: LongInt): LongInt; cdecl;
  TKpfDll_SetHostWindow = procedure(NativeWindowId: PtrUInt); cdecl;

const
  { The version of the C interface this unit was written for, as KPF05520_VERSION_NUMBER gives
    it: KpfLoad takes libraries of the same major version and no lower number. }
  KpfUnitVersion = 10100;

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
  KpfVersion: TKpfVersion = nil;
  KpfDll_SetConnectionString: TKpfDll_SetText = nil;
  KpfDll_SetMessageObserver: TKpfDll_SetMessageObserver = nil;
  KpfDll_SetAutoAcknowledge: TKpfDll_SetAutoAcknowledge = nil;
  KpfDll_GetConnectionString: TKpfDll_GetConnectionString = nil;
  KpfDll_GetQtConnection: TKpfDll_GetConnectionString = nil;
  KpfDll_SetProgramDirectory: TKpfDll_SetText = nil;
  KpfDll_ScheduleClick: TKpfDll_ScheduleClick = nil;
  KpfDll_Version: TKpfVersion = nil;
  KpfDll_SetHostWindow: TKpfDll_SetHostWindow = nil;

{ Loads lib_dll.so and then libPkg_Kpf05520.so from LibDir and binds every function; raises
  EKpfError naming the file or symbol that is missing, or a library of another version
  (KpfUnitVersion). Also masks the floating-point exceptions that Free Pascal unmasks by default:
  Qt's code computes with NaN and infinities. The libraries stay loaded until the process ends
  (the QApplication the module makes lives that long). }
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
{ The module's connection as Qt SQL opens it: KpfDll_GetQtConnection's JSON object, read by the
  host library's own parser of connection strings, so a host that stores the result opens the
  database the module reads. }
function KpfQtConnection: AnsiString;
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
  deletions first. A string value longer than its field's WIDTH widens the field, never cut.
  Raises EKpfError for what it cannot read, and before parsing for a packet that holds a DTD or
  nests elements deeper than 16 levels, as the module's own reader does. }
procedure KpfLoadPacket(const Packet: AnsiString; DataSet: TKpfPacketDataset);

{ The source packet of the entry made from a host's data set (strings, dates, floats, integers,
  booleans): every row, in the standard notation; CurrentRecord receives the 0-based index of the
  current record, which is kept. The data set must be open and in browse state. }
function KpfSourcePacket(DataSet: TDataSet; out CurrentRecord: Integer): AnsiString;

{ 'unmodified', 'modified', 'inserted' or 'deleted'. }
function KpfUpdateStatusWord(Status: TUpdateStatus): string;

implementation

uses
  dynlibs, Math, StrUtils, DOM, XMLRead;

const
  { The limits of the module's own packet reader, and what a TBufDataset string field holds. }
  MaxPacketDepth = 16;
  MaxPacketWidth = 1024 * 1024;
  MaxStringFieldBytes = 65535;

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

  procedure CheckVersion(const Name: string; Version: LongInt);
  begin
    if (Version div 10000 <> KpfUnitVersion div 10000) or (Version < KpfUnitVersion) then
      raise EKpfError.CreateFmt(
        '%s is version %d.%d.%d; this unit needs %d.%d.%d or a later %d.x',
        [Name, Version div 10000, Version div 100 mod 100, Version mod 100,
         KpfUnitVersion div 10000, KpfUnitVersion div 100 mod 100, KpfUnitVersion mod 100,
         KpfUnitVersion div 10000]);
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
  Pointer(KpfDll_GetQtConnection) := Bind(DllHandle, 'KpfDll_GetQtConnection');
  Pointer(KpfDll_SetProgramDirectory) := Bind(DllHandle, 'KpfDll_SetProgramDirectory');
  Pointer(KpfDll_ScheduleClick) := Bind(DllHandle, 'KpfDll_ScheduleClick');
  Pointer(KpfVersion) := Bind(ModuleHandle, 'KpfVersion');
  Pointer(KpfDll_Version) := Bind(DllHandle, 'KpfDll_Version');
  Pointer(KpfDll_SetHostWindow) := Bind(DllHandle, 'KpfDll_SetHostWindow');
  CheckVersion('libPkg_Kpf05520.so', KpfVersion());
  CheckVersion('lib_dll.so', KpfDll_Version());
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

function CopiedText(Get: TKpfDll_GetConnectionString): AnsiString;
var
  Size: LongInt;
begin
  Size := Get(nil, 0);
  SetLength(Result, Size);
  if Size > 0 then
    Get(PAnsiChar(Result), Size + 1);
  SetCodePage(RawByteString(Result), CP_UTF8, False);
end;

function KpfConnectionString: AnsiString;
begin
  Result := CopiedText(KpfDll_GetConnectionString);
end;

function KpfQtConnection: AnsiString;
begin
  Result := CopiedText(KpfDll_GetQtConnection);
end;

procedure KpfSetProgramDirectory(const Utf8Dir: AnsiString);
begin
  KpfDll_SetProgramDirectory(PAnsiChar(Utf8Dir));
end;

{$I kpf05520_read.inc}
{$I kpf05520_source.inc}

end.
