{ The till's main window: the Z reduction's key, "Impostos" (the default button, so Return
  presses it) that calls the module for it, the returned lines in a TDBGrid with their status, and
  "Gravar" that stores them. Each call's outcome is printed on standard output too, for scripts. }
unit caixa;

{$mode objfpc}{$H+}

interface

uses
  Classes, SysUtils, Forms, Controls, StdCtrls, ExtCtrls, DB, DBGrids, Grids, LCLType, kpf05520;

type
  TfrmCaixa = class(TForm)
    lblFilial, lblCaixa, lblReducaoZ, lblData: TLabel;
    edtFilial, edtCaixa, edtReducaoZ, edtData: TEdit;
    btnImpostos, btnGravar: TButton;
    grdLinhas: TDBGrid;
    dsLinhas: TDataSource;
    tmrReentrada: TTimer;
    procedure FormCreate(Sender: TObject);
    procedure FormDestroy(Sender: TObject);
    procedure FormKeyDown(Sender: TObject; var Key: Word; Shift: TShiftState);
    procedure btnImpostosClick(Sender: TObject);
    procedure btnGravarClick(Sender: TObject);
    procedure grdLinhasDrawColumnCell(Sender: TObject; const Rect: TRect; DataCol: Integer;
      Column: TColumn; State: TGridDrawState);
    procedure tmrReentradaTimer(Sender: TObject);
  private
    FLinhas: TKpfPacketDataset;
    function CallEntry(out Packet, Error: AnsiString): Integer;
    procedure ShowLines(const Packet: AnsiString);
  public
    { Milliseconds into each call after which a timer calls the entry again; -1: never. }
    TimerCallMs: Integer;
  end;

var
  frmCaixa: TfrmCaixa;

implementation

uses
  DateUtils, kpf05520lcl, kpftill;

{$R *.lfm}

procedure TfrmCaixa.FormCreate(Sender: TObject);
begin
  FLinhas := TKpfPacketDataset.Create(Self);
  dsLinhas.DataSet := FLinhas;
  TimerCallMs := -1;
end;

procedure TfrmCaixa.FormDestroy(Sender: TObject);
begin
  dsLinhas.DataSet := nil;
end;

{ Ctrl+Q closes the till, as in the Qt one. }
procedure TfrmCaixa.FormKeyDown(Sender: TObject; var Key: Word; Shift: TShiftState);
begin
  if (Key = VK_Q) and (Shift = [ssCtrl]) then
    Close;
end;

function TfrmCaixa.CallEntry(out Packet, Error: AnsiString): Integer;
var
  ZDate: TDateTime;
begin
  if not TryISOStrToDate(edtData.Text, ZDate) then
    ZDate := -1e9; // the module says what is wrong with it
  Result := KpfCallModal(edtFilial.Text, edtCaixa.Text, edtReducaoZ.Text, ZDate, ZDate, '', 0,
    Packet, Error);
end;

procedure TfrmCaixa.btnImpostosClick(Sender: TObject);
var
  Packet, Error: AnsiString;
begin
  if TimerCallMs >= 0 then
  begin
    tmrReentrada.Interval := TimerCallMs;
    tmrReentrada.Enabled := True;
  end;
  case CallEntry(Packet, Error) of
    KPF_CONFIRMED:
      begin
        WriteLn('CONFIRMED');
        ShowLines(Packet);
        btnGravar.Enabled := True;
      end;
    KPF_NOT_CONFIRMED:
      WriteLn('NOT CONFIRMED');
  else
    WriteLn('FAILED ', Error);
  end;
  Flush(Output);
end;

{ A timer of the host fires during the call, as the host's timers do, and tries the entry again. }
procedure TfrmCaixa.tmrReentradaTimer(Sender: TObject);
var
  Packet, Error: AnsiString;
  Code: Integer;
begin
  tmrReentrada.Enabled := False;
  Code := CallEntry(Packet, Error);
  if Code = KPF_FAILED then
    WriteLn('TIMER FAILED ', Error)
  else
    WriteLn('TIMER CALLED ', Code);
  Flush(Output);
end;

procedure TfrmCaixa.ShowLines(const Packet: AnsiString);
var
  Status: TColumn;
  I: Integer;
begin
  try
    KpfLoadPacket(Packet, FLinhas);
    grdLinhas.Columns.Clear;
    for I := 0 to FLinhas.Fields.Count - 1 do
    begin
      // Dates as the packet has them, numbers to the cent and below, not to the last bit.
      if FLinhas.Fields[I] is TDateTimeField then
        TDateTimeField(FLinhas.Fields[I]).DisplayFormat := 'yyyy"-"mm"-"dd'
      else if FLinhas.Fields[I] is TFloatField then
        TFloatField(FLinhas.Fields[I]).Precision := 15;
      grdLinhas.Columns.Add.FieldName := FLinhas.Fields[I].FieldName;
    end;
    Status := grdLinhas.Columns.Add;
    Status.Title.Caption := 'UpdateStatus';
    grdLinhas.AutoAdjustColumns;
    Status.Width := 100;
    PrintRows(FLinhas);
    FLinhas.First;
  except
    on E: Exception do
      WriteLn('FAILED ', E.Message);
  end;
end;

{ The status column holds no field: each row's status is drawn from the change log. }
procedure TfrmCaixa.grdLinhasDrawColumnCell(Sender: TObject; const Rect: TRect;
  DataCol: Integer; Column: TColumn; State: TGridDrawState);
begin
  if Column.FieldName = '' then
    grdLinhas.Canvas.TextRect(Rect, Rect.Left + 4, Rect.Top + 2,
      KpfUpdateStatusWord(FLinhas.UpdateStatus))
  else
    grdLinhas.DefaultDrawColumnCell(Rect, DataCol, Column, State);
end;

procedure TfrmCaixa.btnGravarClick(Sender: TObject);
begin
  if StoreResult(FLinhas) then
    btnGravar.Enabled := False;
  Flush(Output);
end;

end.
